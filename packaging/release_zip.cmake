# CPack's post-build step: CPack's own zip holds its builder's user and group
# ids, local time zone and directory order, so the archive is written again
# from the staged files before CPack copies it out and sums it. The staged exe
# is signed first when the environment gives a key (release_sign.py).
execute_process(
  COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/release_sign.py ${CPACK_TEMPORARY_DIRECTORY}/tarnwell.exe
  COMMAND_ERROR_IS_FATAL ANY)
foreach(archive IN LISTS CPACK_PACKAGE_FILES)
  execute_process(
    COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/release_zip.py ${CPACK_TEMPORARY_DIRECTORY} ${archive}
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()

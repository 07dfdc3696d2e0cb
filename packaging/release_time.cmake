# Read by cpack before it stages the release: every time stamp in the archive
# is the commit's, not the build's. The strip of the staged exe (binutils
# stamps its PE header with SOURCE_DATE_EPOCH, else the present time) and
# release_zip.cmake run within cpack and see this variable.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  list(GET CPACK_BUILD_SOURCE_DIRS 0 source)
  execute_process(COMMAND git log -1 --format=%ct
    WORKING_DIRECTORY ${source}
    OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE failed ERROR_QUIET)
  if(failed OR commit_time STREQUAL "")
    message(FATAL_ERROR "No commit to date the release by: set SOURCE_DATE_EPOCH")
  endif()
  set(ENV{SOURCE_DATE_EPOCH} ${commit_time})
endif()

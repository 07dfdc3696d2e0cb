# GoogleTest for the Windows presets, built from Debian's sources
# (/usr/src/googletest, package googletest) with the cross compiler.
# Defines TARNWELL_WINDOWS_GTEST when it is available.
set(TARNWELL_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
if(EXISTS ${TARNWELL_GOOGLETEST_SOURCE}/CMakeLists.txt)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  add_subdirectory(${TARNWELL_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # MinGW's win32 thread model has no std::mutex: these port hooks replace
  # the one class that needs it.
  target_include_directories(gtest BEFORE PUBLIC ${CMAKE_CURRENT_LIST_DIR}/gtest_mingw)
  set(TARNWELL_WINDOWS_GTEST ON)
else()
  message(STATUS "No GoogleTest sources at ${TARNWELL_GOOGLETEST_SOURCE}: "
                 "the Windows platform test is not built")
  set(TARNWELL_WINDOWS_GTEST OFF)
endif()

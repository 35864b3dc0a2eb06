# GoogleTest from the sources Debian ships (package googletest), or an installed package,
# or a source folder given with -DQUILL_GTEST_SOURCE_DIR=... (for example on Windows).
set(QUILL_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest source folder")
if(EXISTS "${QUILL_GTEST_SOURCE_DIR}/CMakeLists.txt")
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory("${QUILL_GTEST_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

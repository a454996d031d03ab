# GoogleTest built with the cross compiler from the sources Debian ships with googletest;
# its targets carry the names find_package(GTest) gives.
set(BOXWANDER_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${BOXWANDER_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${BOXWANDER_GOOGLETEST_SOURCE} "
                      "(scripts/install-deps.sh --windows installs them)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${BOXWANDER_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# Its own sources are not held to our warning flags.
foreach(target gtest gtest_main)
  target_compile_options(${target} PRIVATE -w)
endforeach()

# Windows test programs run through Wine. Wine keeps its state in a prefix of our own under
# the build folder (created on first use, about 10 s) and stays quiet.
find_program(BOXWANDER_WINE NAMES wine64 wine PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
find_program(BOXWANDER_WINE NAMES wine64 wine)
if(NOT BOXWANDER_WINE)
  message(FATAL_ERROR "Wine not found (scripts/install-deps.sh --windows installs wine64)")
endif()
set(BOXWANDER_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                   WORLD_EXECUTE
  @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

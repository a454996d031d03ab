# The release package: Boxwander-1.0-win64.zip with the module and its install note, by
# `cmake --build --preset windows --target package`.
install(TARGETS boxwander LIBRARY DESTINATION . RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/docs/INSTALL-windows.txt DESTINATION . RENAME INSTALL.txt)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Boxwander)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
set(CPACK_PACKAGE_FILE_NAME Boxwander-${CPACK_PACKAGE_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)

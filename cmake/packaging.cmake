# Release archives: the program, its seven fonts and a readme, in one folder.
#   Windows: cmake --build --preset windows --target package   -> .zip
#   Linux:   cmake --build --preset default --target package   -> .tar.gz
# A cross build cannot run the font builder, so the Windows archive takes the
# fonts from a native build (TACTICO_FONT_DIR).
if(CMAKE_CROSSCOMPILING)
  set(TACTICO_FONT_DIR ${CMAKE_SOURCE_DIR}/build/bin
      CACHE PATH "Folder holding the seven .fnt fonts of a native build")
else()
  set(TACTICO_FONT_DIR ${CMAKE_BINARY_DIR}/bin)
endif()

install(TARGETS tactico-update RUNTIME DESTINATION .)
install(CODE "
  file(GLOB fonts \"${TACTICO_FONT_DIR}/*.fnt\")
  list(LENGTH fonts count)
  if(NOT count EQUAL 7)
    message(FATAL_ERROR \"expected the 7 fonts in ${TACTICO_FONT_DIR}, found \${count}\")
  endif()
  file(INSTALL \${fonts} DESTINATION \"\${CMAKE_INSTALL_PREFIX}\")
")
install(FILES ${CMAKE_SOURCE_DIR}/cmake/release_readme.txt DESTINATION . RENAME README.txt)

set(CPACK_PACKAGE_NAME tactico-update)
set(CPACK_PACKAGE_VENDOR "Brackwater Ltd")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME tactico-update-${PROJECT_VERSION}-windows-x64)
else()
  set(CPACK_GENERATOR TGZ)
  set(CPACK_PACKAGE_FILE_NAME tactico-update-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
endif()
include(CPack)

# Release archives: the program, its seven fonts and a readme, in one folder.
#   Windows: cmake --build --preset windows --target package     -> ...-windows-x64.zip
#            cmake --build --preset windows32 --target package   -> ...-windows-x86.zip
#   Linux:   cmake --build --preset default --target package     -> .tar.gz
# A cross build cannot run the font builder, so the Windows archive takes the
# fonts from a native build (TACTICO_FONT_DIR).
include(${CMAKE_CURRENT_LIST_DIR}/updater_version.cmake)
if(CMAKE_CROSSCOMPILING)
  set(TACTICO_FONT_DIR ${CMAKE_SOURCE_DIR}/build/bin
      CACHE PATH "Folder holding the seven .fnt fonts of a native build")
else()
  set(TACTICO_FONT_DIR ${CMAKE_BINARY_DIR}/bin)
endif()

install(TARGETS tactico-update RUNTIME DESTINATION .)
if(WIN32)
  install(CODE "
    set(program \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/tactico-update.exe\")
    set(work \"${CMAKE_BINARY_DIR}\")
    include(\"${CMAKE_CURRENT_LIST_DIR}/sign_program.cmake\")
  ")
endif()
install(CODE "
  file(GLOB fonts \"${TACTICO_FONT_DIR}/*.fnt\")
  list(LENGTH fonts count)
  if(NOT count EQUAL 7)
    message(FATAL_ERROR \"expected the 7 fonts in ${TACTICO_FONT_DIR}, found \${count}\")
  endif()
  file(INSTALL \${fonts} DESTINATION \"\${CMAKE_INSTALL_PREFIX}\"
       FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
")
configure_file(${CMAKE_CURRENT_LIST_DIR}/release_readme.txt ${CMAKE_BINARY_DIR}/README.txt @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION .)

set(CPACK_PACKAGE_NAME tactico-update)
set(CPACK_PACKAGE_VENDOR "Brackwater Ltd")
set(CPACK_PACKAGE_VERSION ${TACTICO_VERSION})
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(CPACK_PACKAGE_FILE_NAME tactico-update-${TACTICO_VERSION}-windows-x86)
  else()
    set(CPACK_PACKAGE_FILE_NAME tactico-update-${TACTICO_VERSION}-windows-x64)
  endif()
else()
  set(CPACK_GENERATOR TGZ)
  set(CPACK_PACKAGE_FILE_NAME tactico-update-${TACTICO_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
endif()
# The same commit gives the same archive: see repack_archive.cmake.
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/repack_archive.cmake)
set(CPACK_TACTICO_SOURCE_DIR ${CMAKE_SOURCE_DIR})
include(CPack)

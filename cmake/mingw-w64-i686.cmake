# Cross-compiles the 32-bit Windows program with Debian's mingw-w64
# (g++-mingw-w64-i686): the game itself is a 32-bit program and runs on 32-bit
# Windows, and so must its updater.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(mingw_prefix i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

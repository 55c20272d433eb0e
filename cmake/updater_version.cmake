# The version players see is the updater's version text in wizard/texts.cpp
# ("Version 3.84 (...)"). The Windows version resource, the manifest and the
# release readme take their numbers from it, so there is nothing to keep in step
# by hand; project() must agree, since the archives are named after it.
file(STRINGS ${CMAKE_SOURCE_DIR}/wizard/texts.cpp version_line
     REGEX "UpdaterVersionText = \"Version [0-9]+\\.[0-9]+")
if(NOT version_line MATCHES "\"Version ([0-9]+)\\.([0-9]+)")
  message(FATAL_ERROR "no updater version text in wizard/texts.cpp")
endif()
set(TACTICO_VERSION_MAJOR ${CMAKE_MATCH_1})
set(TACTICO_VERSION_MINOR ${CMAKE_MATCH_2})
set(TACTICO_VERSION ${TACTICO_VERSION_MAJOR}.${TACTICO_VERSION_MINOR})
if(NOT TACTICO_VERSION VERSION_EQUAL PROJECT_VERSION)
  message(FATAL_ERROR "wizard/texts.cpp says version ${TACTICO_VERSION}, project() says "
                      "${PROJECT_VERSION}")
endif()

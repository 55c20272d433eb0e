# Run by CPack after it has made the archives: writes each one again so that the
# same commit gives the same archive on any machine. CPack adds the files in the
# order the file system lists them, and a zip keeps its dates in local time; here
# the files go in by name, dated from the commit (SOURCE_DATE_EPOCH, else the
# checkout's last commit) in UTC, the gzip header without a date of its own.
if(NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
  find_program(git git)
  if(git)
    execute_process(COMMAND "${git}" -C "${CPACK_TACTICO_SOURCE_DIR}" log -1 --format=%ct
                    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  if(NOT epoch MATCHES "^[0-9]+$")
    string(TIMESTAMP epoch "%s")
    message(STATUS "No SOURCE_DATE_EPOCH and no git history: the archive is dated now")
  endif()
endif()

get_filename_component(top "${CPACK_TEMPORARY_DIRECTORY}" NAME)
get_filename_component(staging "${CPACK_TEMPORARY_DIRECTORY}" DIRECTORY)
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${staging}" "${staging}/${top}/*")
list(SORT files)
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(package MATCHES "\\.zip$")
    set(create cf)
    set(format zip)
  elseif(package MATCHES "\\.tar\\.gz$")
    set(create czf)
    set(format gnutar)
  else()
    message(STATUS "${package} is left as CPack made it")
    continue()
  endif()
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env SOURCE_DATE_EPOCH=${epoch} TZ=UTC0
            "${CMAKE_COMMAND}" -E tar ${create} "${package}.sorted" --format=${format} -- ${files}
    WORKING_DIRECTORY "${staging}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "Could not rewrite ${package}")
  endif()
  file(RENAME "${package}.sorted" "${package}")
endforeach()

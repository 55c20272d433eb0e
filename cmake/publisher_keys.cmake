# The publishers' public keys, built into the program: a program built with keys
# installs only updates whose digest file one of them has signed.
#   cmake -DTACTICO_PUBLISHER_KEYS="a.pem;b.pem"   (two keys allow a rotation)
# Each file is a P-256 public key in PEM; openssl turns it into the curve point both
# platforms' verifiers take, and the key's fingerprint (SHA-256 of its DER form,
# as `openssl pkey -pubin -outform DER | sha256sum` prints it).
set(TACTICO_PUBLISHER_KEYS "" CACHE STRING
    "Public-key PEM files of the publishers whose signed updates the program installs")

# publisher_key_table(<generated .cpp> <PEM files>): the table of builtInPublisherKeys().
function(publisher_key_table output pems)
  get_filename_component(stem "${output}" NAME_WE)
  set(key_entries "")
  set(key_index 0)
  foreach(pem IN LISTS pems)
    get_filename_component(pem "${pem}" ABSOLUTE BASE_DIR "${CMAKE_SOURCE_DIR}")
    if(NOT EXISTS "${pem}")
      message(FATAL_ERROR "TACTICO_PUBLISHER_KEYS: ${pem} does not exist")
    endif()
    find_program(TACTICO_OPENSSL openssl REQUIRED)
    set(der "${CMAKE_BINARY_DIR}/generated/${stem}_${key_index}.der")
    # -pubin refuses a private key: only the public half goes near the program.
    execute_process(COMMAND "${TACTICO_OPENSSL}" pkey -pubin -in "${pem}" -outform DER -out "${der}"
                    RESULT_VARIABLE failed ERROR_VARIABLE why)
    if(failed)
      message(FATAL_ERROR "TACTICO_PUBLISHER_KEYS: ${pem} is no public key in PEM: ${why}")
    endif()
    file(READ "${der}" hex HEX)
    string(LENGTH "${hex}" length)
    string(SUBSTRING "${hex}" 0 52 header)
    if(NOT length EQUAL 182 OR NOT header STREQUAL
       "3059301306072a8648ce3d020106082a8648ce3d030107034200")
      message(FATAL_ERROR "TACTICO_PUBLISHER_KEYS: ${pem} is not an uncompressed P-256 key "
                          "(make one with: openssl ecparam -name prime256v1 -genkey -noout)")
    endif()
    string(SUBSTRING "${hex}" 52 130 point)
    string(REGEX REPLACE "(..)" "0x\\1," point "${point}")
    file(SHA256 "${der}" fingerprint)
    get_filename_component(name "${pem}" NAME)
    string(APPEND key_entries "    {\"${name}\", \"${fingerprint}\", {${point}}},\n")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${pem}")
    math(EXPR key_index "${key_index} + 1")
  endforeach()
  if(key_index GREATER 0)
    message(STATUS "Publisher keys built into ${stem}: ${key_index}")
  endif()
  set(TACTICO_KEY_ENTRIES "${key_entries}")
  configure_file(${CMAKE_SOURCE_DIR}/cmake/publisher_keys.cpp.in ${output} @ONLY)
endfunction()

file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/generated")
publisher_key_table(${CMAKE_BINARY_DIR}/generated/publisher_keys.cpp "${TACTICO_PUBLISHER_KEYS}")
target_sources(tactico_core PRIVATE ${CMAKE_BINARY_DIR}/generated/publisher_keys.cpp)
# An object of its own in the library, so that a program linked with another table
# (platform/win32's keyed test copy) leaves this one out.
set_source_files_properties(${CMAKE_BINARY_DIR}/generated/publisher_keys.cpp PROPERTIES
                            SKIP_UNITY_BUILD_INCLUSION ON)

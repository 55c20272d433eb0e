# Signs the Windows program as it goes into the package, when the publisher gives
# a certificate:
#   TACTICO_SIGN_PKCS12     the PKCS#12 file with the certificate and its key
#   TACTICO_SIGN_PASSWORD   its password (may be empty)
#   TACTICO_SIGN_TIMESTAMP  optional: a timestamp server, so the signature stays
#                           valid after the certificate expires
# Without TACTICO_SIGN_PKCS12 the program is packaged unsigned. Run by the install
# step with `program` (the copy going into the zip; the build's own stays as
# linked) and `work` (a folder for temporary files) set.
if(NOT DEFINED ENV{TACTICO_SIGN_PKCS12} OR "$ENV{TACTICO_SIGN_PKCS12}" STREQUAL "")
  message(STATUS "Not signing ${program}: TACTICO_SIGN_PKCS12 is not set")
  return()
endif()
find_program(osslsigncode osslsigncode)
if(NOT osslsigncode)
  message(FATAL_ERROR "TACTICO_SIGN_PKCS12 is set but osslsigncode is not installed")
endif()
if(NOT EXISTS "$ENV{TACTICO_SIGN_PKCS12}")
  message(FATAL_ERROR "TACTICO_SIGN_PKCS12: no file $ENV{TACTICO_SIGN_PKCS12}")
endif()

# The password goes through a file in a folder only we may enter, never on a
# command line that other users could list.
string(RANDOM LENGTH 12 nonce)
set(private "${work}/.sign-${nonce}")
file(MAKE_DIRECTORY "${private}")
file(CHMOD "${private}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
file(WRITE "${private}/password" "$ENV{TACTICO_SIGN_PASSWORD}")

set(timestamp)
if(NOT "$ENV{TACTICO_SIGN_TIMESTAMP}" STREQUAL "")
  set(timestamp -ts "$ENV{TACTICO_SIGN_TIMESTAMP}")
endif()
execute_process(
  COMMAND "${osslsigncode}" sign -pkcs12 "$ENV{TACTICO_SIGN_PKCS12}" -readpass "${private}/password"
          -h sha256 -n "Tactico Update" ${timestamp} -in "${program}" -out "${private}/signed.exe"
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(result EQUAL 0)
  # The copy takes the signed file's mode, which follows the umask: the program
  # keeps the one it was installed with, so the signature is all that changes.
  file(COPY_FILE "${private}/signed.exe" "${program}")
  file(CHMOD "${program}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
       GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endif()
file(REMOVE_RECURSE "${private}")
if(NOT result EQUAL 0)
  message(FATAL_ERROR "Signing ${program} failed:\n${output}")
endif()
message(STATUS "Signed ${program}")

# The keys the online update trusts come from the release's signing certificate, never from the
# sources: QUILL_VENDOR_CERT names it (PEM or DER) and QUILL_VENDOR_CERT_NEXT the certificate a
# change of keys moves to. tools/package.sh sets both; a developer's build leaves them empty and
# its program trusts no key.
set(QUILL_VENDOR_CERT "" CACHE FILEPATH "Code-signing certificate whose key the update trusts")
set(QUILL_VENDOR_CERT_NEXT "" CACHE FILEPATH "Certificate of the next signing key (during a change of keys)")

# The DER SubjectPublicKeyInfo of certificate `cert` into `out_der`; fails the configuration when
# the file is no certificate.
function(quill_public_key_of cert out_der)
  find_program(QUILL_OPENSSL openssl REQUIRED)
  foreach(form PEM DER)
    execute_process(COMMAND ${QUILL_OPENSSL} x509 -inform ${form} -in ${cert} -noout -pubkey
                    OUTPUT_VARIABLE pem RESULT_VARIABLE failed ERROR_QUIET)
    if(NOT failed)
      break()
    endif()
  endforeach()
  if(failed)
    message(FATAL_ERROR "${cert} is not a certificate (PEM or DER) that openssl can read")
  endif()
  file(WRITE ${out_der}.pem "${pem}")
  execute_process(COMMAND ${QUILL_OPENSSL} pkey -pubin -in ${out_der}.pem -outform DER -out ${out_der}.new
                  RESULT_VARIABLE failed)
  file(REMOVE ${out_der}.pem)
  if(failed)
    message(FATAL_ERROR "the public key of ${cert} could not be read")
  endif()
  # Unchanged keys leave the file alone, so a new configuration rebuilds nothing.
  file(COPY_FILE ${out_der}.new ${out_der} ONLY_IF_DIFFERENT)
  file(REMOVE ${out_der}.new)
endfunction()

# Writes `rc_file`, a resource script holding the keys: `current` (and `next`) are DER files, or
# empty for none.
function(quill_write_key_resources rc_file current next)
  set(text "// Written by the build (cmake/vendor-keys.cmake); the keys the update trusts.\n#include \"update/VendorKeys.h\"\n")
  if(current)
    string(APPEND text "IDR_VENDOR_KEY_CURRENT RCDATA \"${current}\"\n")
  endif()
  if(next)
    string(APPEND text "IDR_VENDOR_KEY_NEXT RCDATA \"${next}\"\n")
  endif()
  file(CONFIGURE OUTPUT ${rc_file} CONTENT "${text}" @ONLY)
endfunction()

# The program's keys, from the cache variables.
set(QUILL_PROGRAM_KEYS_RC ${CMAKE_BINARY_DIR}/generated/program-keys.rc)
set(quill_key_current "")
set(quill_key_next "")
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/generated)
if(QUILL_VENDOR_CERT)
  set(quill_key_current ${CMAKE_BINARY_DIR}/generated/vendor-key-current.der)
  quill_public_key_of(${QUILL_VENDOR_CERT} ${quill_key_current})
  message(STATUS "The update trusts the key of ${QUILL_VENDOR_CERT}")
else()
  file(REMOVE ${CMAKE_BINARY_DIR}/generated/vendor-key-current.der)
  message(STATUS "No QUILL_VENDOR_CERT: this build's update trusts no key and refuses every download")
endif()
if(QUILL_VENDOR_CERT_NEXT)
  if(NOT QUILL_VENDOR_CERT)
    message(FATAL_ERROR "QUILL_VENDOR_CERT_NEXT names the key after QUILL_VENDOR_CERT's; give both")
  endif()
  set(quill_key_next ${CMAKE_BINARY_DIR}/generated/vendor-key-next.der)
  quill_public_key_of(${QUILL_VENDOR_CERT_NEXT} ${quill_key_next})
  message(STATUS "The update also trusts the key of ${QUILL_VENDOR_CERT_NEXT}")
else()
  file(REMOVE ${CMAKE_BINARY_DIR}/generated/vendor-key-next.der)
endif()
if(quill_key_current)
  quill_write_key_resources(${QUILL_PROGRAM_KEYS_RC} "${quill_key_current}" "${quill_key_next}")
else()
  set(QUILL_PROGRAM_KEYS_RC "")  # no key, no resource script (the resource compiler wants one resource at least)
endif()
# The resource compiler reads the key files: a new key rebuilds the program's resources.
set(QUILL_PROGRAM_KEY_FILES ${quill_key_current} ${quill_key_next})

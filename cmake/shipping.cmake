# What the shipping programs (setup.exe, qxuninst.exe, velmorant.exe) carry beyond their code:
# a version resource and, when a certificate is configured, an Authenticode signature.
#
# Signing: VELMORANT_SIGN_PKCS12 names a PKCS#12 file with the certificate and its private key
# (taken from the environment variable of the same name when the build folder is first
# configured, else from the product file's signingCertificate). Its password is read from VELMORANT_SIGN_PASSWORD in the environment of the
# build, so it is never stored in the cache or the build files. VELMORANT_TIMESTAMP_URL, the
# address of an RFC 3161 timestamp server, adds a timestamp. Without a certificate the programs
# are built unsigned.
set(signingDefault "$ENV{VELMORANT_SIGN_PKCS12}")
if(NOT signingDefault)
  set(signingDefault "${product_SIGNING_CERTIFICATE}")
endif()
set(VELMORANT_SIGN_PKCS12 "${signingDefault}" CACHE FILEPATH
    "PKCS#12 file to sign the programs with (password in VELMORANT_SIGN_PASSWORD at build time)")
set(VELMORANT_TIMESTAMP_URL "" CACHE STRING "Address of an RFC 3161 timestamp server for the signatures")
if(VELMORANT_SIGN_PKCS12)
  if(NOT EXISTS "${VELMORANT_SIGN_PKCS12}")
    message(FATAL_ERROR "VELMORANT_SIGN_PKCS12: no such file: ${VELMORANT_SIGN_PKCS12}")
  endif()
  find_program(OSSLSIGNCODE osslsigncode)
  if(NOT OSSLSIGNCODE)
    message(FATAL_ERROR "Signing needs osslsigncode (Debian package osslsigncode; tools/deps.sh installs it)")
  endif()
  message(STATUS "signing: with ${VELMORANT_SIGN_PKCS12}")
else()
  message(STATUS "signing: off (no VELMORANT_SIGN_PKCS12)")
endif()

# shipping_program(target FILE name DESCRIPTION text): gives target the version resource (with
# name as its original file name, text as its description, and the product file's version,
# publisher and product name) and signs its file after the link, before anything that depends
# on the target uses it.
function(shipping_program target)
  cmake_parse_arguments(SHIP "" "FILE;DESCRIPTION" "" ${ARGN})
  set(VERSION_FILE_NAME ${SHIP_FILE})
  set(VERSION_DESCRIPTION ${SHIP_DESCRIPTION})
  set(VERSION_NUMBERS "${product_VERSION_NUMBERS}")
  set(rc ${CMAKE_BINARY_DIR}/resources/${target}.version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/versionInfo.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  if(VELMORANT_SIGN_PKCS12)
    set(timestamp)
    if(VELMORANT_TIMESTAMP_URL)
      set(timestamp -t ${VELMORANT_TIMESTAMP_URL})
    endif()
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_SOURCE_DIR}/tools/sign.sh ${timestamp} ${VELMORANT_SIGN_PKCS12}
              ${SHIP_DESCRIPTION} $<TARGET_FILE:${target}>
      COMMENT "Signing ${SHIP_FILE}"
      VERBATIM)
    # Another certificate: link and sign again.
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${VELMORANT_SIGN_PKCS12})
  endif()
endfunction()

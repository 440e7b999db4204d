# What the shipping programs (setup.exe, qxuninst.exe, velmorant.exe) carry beyond their code:
# a version resource.

# shipping_program(target FILE name DESCRIPTION text): gives target the version resource, with
# name as its original file name and text as its description.
function(shipping_program target)
  cmake_parse_arguments(SHIP "" "FILE;DESCRIPTION" "" ${ARGN})
  set(VERSION_FILE_NAME ${SHIP_FILE})
  set(VERSION_DESCRIPTION ${SHIP_DESCRIPTION})
  set(VERSION_NUMBERS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
  set(rc ${CMAKE_BINARY_DIR}/resources/${target}.version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/versionInfo.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

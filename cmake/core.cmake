# The platform-free core is every source in core/, and its unit tests every source in
# tests/core/: each folder is its own list, read by the cross builds and by the native
# sanitizer and fuzz builds alike, so there is no second list to keep in step.
get_filename_component(VELMORANT_ROOT ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
file(GLOB VELMORANT_CORE_SOURCES CONFIGURE_DEPENDS ${VELMORANT_ROOT}/core/*.cpp)
file(GLOB VELMORANT_CORE_TEST_SOURCES CONFIGURE_DEPENDS ${VELMORANT_ROOT}/tests/core/*.cpp)
# Fuzz targets: tests/fuzz/<name>Fuzz.cpp with seeds in tests/fuzz/seeds/<name>/.
file(GLOB fuzzSources RELATIVE ${VELMORANT_ROOT}/tests/fuzz CONFIGURE_DEPENDS
     ${VELMORANT_ROOT}/tests/fuzz/*Fuzz.cpp)
string(REPLACE "Fuzz.cpp" "" VELMORANT_FUZZ_TARGETS "${fuzzSources}")

# add_core_library(name [source...]): the core as a static library with the root as its include
# folder, with the sources given (a product's agreement text) first.
function(add_core_library name)
  add_library(${name} STATIC ${ARGN} ${VELMORANT_CORE_SOURCES})
  target_include_directories(${name} PUBLIC ${VELMORANT_ROOT})
endfunction()

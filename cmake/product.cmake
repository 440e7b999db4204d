# The product file: everything a release changes (the settings record, the version, the
# publisher, the licence text, the payload, the icon, the certificate), in TOML. VELMORANT_PRODUCT
# names the one the shipping programs are built for. productgen, built natively here while the
# build is configured, checks it and writes what the build compiles; a bad product file stops
# the configuration, and with it the build, with the line that is wrong.
set(VELMORANT_PRODUCT ${CMAKE_SOURCE_DIR}/product/velmorant.toml CACHE FILEPATH
    "The product file the setup program is built for")

set(PRODUCTGEN_DIR ${CMAKE_BINARY_DIR}/host/productgen)
set(PRODUCTGEN ${PRODUCTGEN_DIR}/productgen)
# A clean environment: the cross toolchain of this build must not leak into the native one.
if(NOT EXISTS ${PRODUCTGEN_DIR}/CMakeCache.txt)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${CMAKE_SOURCE_DIR}/buildtools/productgen -B ${PRODUCTGEN_DIR}
            -G ${CMAKE_GENERATOR} -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=
            -DCMAKE_CXX_COMPILER=c++
    RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log)
  if(failed)
    file(REMOVE ${PRODUCTGEN_DIR}/CMakeCache.txt)
    message(FATAL_ERROR "Configuring productgen failed:\n${log}")
  endif()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${PRODUCTGEN_DIR}
                RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(failed)
  message(FATAL_ERROR "Building productgen failed:\n${log}")
endif()
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_SOURCE_DIR}/buildtools/productgen/productgen.cpp)

# add_product(name PRODUCT file [UNINSTALLER target] [PROGRAMS target...]): reads a product
# file. Its payload may take the file of the program velmorant, of the uninstaller (program
# "uninstaller": the target given, by default <name>Uninstaller) and of the PROGRAMS named.
# Sets, in the caller's scope, <name>_SETTINGS, <name>_AGREEMENT (sources),
# <name>_MANIFEST (for add_payload), <name>_DEPENDS (targets and files the payload takes),
# <name>_UNINSTALLER, <name>_RESOURCES (the folder with its icon, or empty for the drawn one)
# and the release: <name>_NAME, _VERSION, _VERSION_NUMBERS, _PUBLISHER, _DESCRIPTION,
# _SIGNING_CERTIFICATE.
function(add_product name)
  cmake_parse_arguments(P "" "PRODUCT;UNINSTALLER" "PROGRAMS" ${ARGN})
  get_filename_component(productFile ${P_PRODUCT} ABSOLUTE)
  if(NOT P_UNINSTALLER)
    set(P_UNINSTALLER ${name}Uninstaller)
  endif()
  set(dir ${CMAKE_BINARY_DIR}/products/${name})
  file(MAKE_DIRECTORY ${dir})
  set(programs --program velmorant=velmorant --program uninstaller=${P_UNINSTALLER})
  foreach(program IN LISTS P_PROGRAMS)
    list(APPEND programs --program ${program}=${program})
  endforeach()
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${productFile})
  execute_process(COMMAND ${PRODUCTGEN} --product ${productFile} --output-dir ${dir} ${programs}
                  RESULT_VARIABLE failed ERROR_VARIABLE error ERROR_STRIP_TRAILING_WHITESPACE)
  if(failed)
    # Indented, so that CMake prints the generator's line as it is.
    message(FATAL_ERROR "The product file is refused:\n  ${error}")
  endif()
  include(${dir}/product.cmake)
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PRODUCT_INPUTS})
  set(resources "")
  if(PRODUCT_ICON)
    set(resources ${dir}/resources)
    configure_file(${PRODUCT_ICON} ${resources}/setup.ico COPYONLY)
  endif()
  set(${name}_SETTINGS ${dir}/settings.cpp PARENT_SCOPE)
  set(${name}_AGREEMENT ${dir}/agreement.cpp PARENT_SCOPE)
  set(${name}_MANIFEST ${dir}/payload.manifest.in PARENT_SCOPE)
  set(${name}_DEPENDS ${PRODUCT_PROGRAMS} ${PRODUCT_INPUTS} PARENT_SCOPE)
  set(${name}_UNINSTALLER ${P_UNINSTALLER} PARENT_SCOPE)
  set(${name}_RESOURCES "${resources}" PARENT_SCOPE)
  foreach(field NAME VERSION VERSION_NUMBERS PUBLISHER DESCRIPTION SIGNING_CERTIFICATE)
    set(${name}_${field} "${PRODUCT_${field}}" PARENT_SCOPE)
  endforeach()
endfunction()

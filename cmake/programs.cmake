# How the Windows programs of the project are compiled and linked.

find_library(ZLIB_STATIC NAMES libz.a REQUIRED)

set(VELMORANT_WARNINGS -Wall -Wextra -Werror)

# The setup program and the product's programs: small, no exceptions or RTTI, one file that
# imports only system DLLs.
function(velmorant_program_options target)
  target_compile_options(${target} PRIVATE ${VELMORANT_WARNINGS}
    $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>
    # No -fdata-sections: with it mingw puts zero-filled buffers in .data, in the file.
    -ffunction-sections
    # No unwind tables: the programs use no exceptions.
    $<$<COMPILE_LANGUAGE:C,CXX>:-fno-asynchronous-unwind-tables -fno-unwind-tables>
    # No build folder in the binary: two builds in different folders are identical.
    $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=build>)
endfunction()

function(velmorant_static_link target)
  # No link time in the PE header, so the same sources give the same bytes. Terminal-server
  # aware: a terminal server then gives the programs the one Windows folder and registry that
  # everyone's programs read, not the per-user copies it gives programs made before it.
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++
    -Wl,--gc-sections -Wl,--no-insert-timestamp -Wl,--tsaware $<$<CONFIG:MinSizeRel,Release>:-s>)
endfunction()

# add_payload(name MANIFEST file.in DEPENDS ...): runs the generator on a manifest whose
# source paths may use generator expressions and @CMAKE_CURRENT_SOURCE_DIR@; makes an object
# library <name> holding the table and its chunks. The chunks go into one assembler unit per
# 16 MB of the files (their size as the configuration finds them), so that no assembler or
# linker step holds more than that, whatever the file.
function(add_payload name)
  cmake_parse_arguments(PAYLOAD "INDEX" "MANIFEST;TABLE_NAME;BLOB_SYMBOL" "DEPENDS" ${ARGN})
  set(indexOption)
  if(PAYLOAD_INDEX)
    set(indexOption --index)
  endif()
  if(NOT PAYLOAD_TABLE_NAME)
    set(PAYLOAD_TABLE_NAME payloadTable)
  endif()
  if(NOT PAYLOAD_BLOB_SYMBOL)
    set(PAYLOAD_BLOB_SYMBOL ${name}Blob)
  endif()
  set(CMAKE_CURRENT_SOURCE_DIR ${CMAKE_SOURCE_DIR})
  set(dir ${CMAKE_BINARY_DIR}/payloads/${name})
  file(MAKE_DIRECTORY ${dir})
  configure_file(${PAYLOAD_MANIFEST} ${dir}/manifest.in @ONLY)
  file(GENERATE OUTPUT ${dir}/${name}.manifest INPUT ${dir}/manifest.in)
  # Files not there yet are the programs the build makes, which are small.
  set(unitBytes 16777216)
  file(STRINGS ${dir}/manifest.in lines)
  set(knownBytes 0)
  foreach(line IN LISTS lines)
    if(line MATCHES "^[^#\t][^\t]*\t([^\t]*)\t")
      set(source "${CMAKE_MATCH_1}")
      if(NOT source MATCHES "\\$<" AND EXISTS "${source}" AND NOT IS_DIRECTORY "${source}")
        file(SIZE "${source}" size)
        math(EXPR knownBytes "${knownBytes} + ${size}")
        # A file that grows may ask for more units: configure again when it changes.
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${source}")
      endif()
    endif()
  endforeach()
  # Wine copies a section whose place in the file is not on a page boundary into memory
  # before the program starts (80 MB: a quarter of a second), and maps one that is. Pages of
  # the file cost up to 25 KB of padding: worth it from a payload of 1 MB.
  if(knownBytes GREATER_EQUAL 1048576)
    set(pageAligned ON)
  else()
    set(pageAligned OFF)
  endif()
  math(EXPR unitCount "(${knownBytes} + ${unitBytes} - 1) / ${unitBytes}")
  if(unitCount LESS 1)
    set(unitCount 1)
  endif()
  set(units)
  math(EXPR lastUnit "${unitCount} - 1")
  foreach(u RANGE ${lastUnit})
    list(APPEND units ${dir}/${name}-${u}.S)
  endforeach()
  add_custom_command(
    OUTPUT ${dir}/${name}.cpp ${units} ${dir}/${name}.bin
    COMMAND ${PAYLOADGEN} --manifest ${dir}/${name}.manifest --output-dir ${dir} --base ${name}
            --table-name ${PAYLOAD_TABLE_NAME} --blob-symbol ${PAYLOAD_BLOB_SYMBOL} ${indexOption}
            --units ${unitCount}
    DEPENDS ${PAYLOADGEN} hosttools ${dir}/${name}.manifest ${PAYLOAD_DEPENDS}
    COMMENT "Packing the payload ${name}"
    VERBATIM)
  add_library(${name} OBJECT ${dir}/${name}.cpp ${units})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${VELMORANT_WARNINGS})
  set_target_properties(${name} PROPERTIES VELMORANT_PAGE_ALIGNED ${pageAligned})
  # The assembler reads the chunk file itself: rebuild the objects when it changes.
  set_source_files_properties(${units} PROPERTIES OBJECT_DEPENDS ${dir}/${name}.bin)
endfunction()

# link_payload(target payload): the payload's table and chunks linked into target, in file
# pages where add_payload asks for them.
function(link_payload target payload)
  target_sources(${target} PRIVATE $<TARGET_OBJECTS:${payload}>)
  get_target_property(pageAligned ${payload} VELMORANT_PAGE_ALIGNED)
  if(pageAligned)
    target_link_options(${target} PRIVATE -Wl,--file-alignment,4096)
  endif()
endfunction()

# setup_resources(target [folder]): the setup program's dialogs and icon compiled into target;
# the icon is the product's setup.ico in folder, else the one the build draws.
function(setup_resources target)
  target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/setup/resources/setup.rc)
  target_include_directories(${target} PRIVATE ${ARGN} ${GENERATED_RESOURCES_DIR})
  add_dependencies(${target} setupIcon)
  set_source_files_properties(${CMAKE_SOURCE_DIR}/setup/resources/setup.rc PROPERTIES
    OBJECT_DEPENDS ${GENERATED_RESOURCES_DIR}/setup.ico)
endfunction()

# add_setup_program(name SETTINGS file.cpp PAYLOAD payloadLibrary [RESOURCES folder]): one setup
# program with the shipping product's agreement text.
# add_setup_program(name PRODUCT file.toml [PROGRAMS target...] [UNINSTALLER target]
# [PAYLOAD payloadLibrary]): the setup program of a product file, with its settings, agreement,
# icon, version in the uninstall entry and payload (<name>Payload), and the uninstaller its
# payload takes (UNINSTALLER: one already built, else <name>Uninstaller made with its settings).
# PAYLOAD: a test's payload instead of the product file's. add_product has the variables.
function(add_setup_program name)
  cmake_parse_arguments(SETUP "" "SETTINGS;PAYLOAD;OUTPUT_NAME;RESOURCES;PRODUCT;UNINSTALLER"
                        "PROGRAMS" ${ARGN})
  set(sequence setupSequence)
  set(agreement)
  if(SETUP_PRODUCT)
    add_product(${name} PRODUCT ${SETUP_PRODUCT} UNINSTALLER "${SETUP_UNINSTALLER}"
                PROGRAMS ${SETUP_PROGRAMS})
    foreach(suffix SETTINGS AGREEMENT MANIFEST DEPENDS UNINSTALLER RESOURCES VERSION)
      set(${name}_${suffix} "${${name}_${suffix}}" PARENT_SCOPE)
    endforeach()
    if(NOT TARGET ${${name}_UNINSTALLER} AND ${name}_UNINSTALLER IN_LIST ${name}_DEPENDS)
      add_uninstaller(${${name}_UNINSTALLER} SETTINGS ${${name}_SETTINGS} MANIFEST ${${name}_MANIFEST})
    endif()
    if(NOT SETUP_PAYLOAD)
      set(SETUP_PAYLOAD ${name}Payload)
      add_payload(${SETUP_PAYLOAD} MANIFEST ${${name}_MANIFEST} DEPENDS ${${name}_DEPENDS})
    endif()
    set(SETUP_SETTINGS ${${name}_SETTINGS})
    set(SETUP_RESOURCES ${${name}_RESOURCES})
    set(agreement ${${name}_AGREEMENT})
    # Another version: the sequence, which writes it into the uninstall entry, built with it.
    if(NOT ${name}_VERSION STREQUAL product_VERSION)
      set(sequence ${name}Sequence)
      get_target_property(sources setupSequence SOURCES)
      list(TRANSFORM sources PREPEND ${CMAKE_SOURCE_DIR}/setup/)
      get_target_property(libraries setupSequence LINK_LIBRARIES)
      get_target_property(definitions setupSequence COMPILE_DEFINITIONS)
      if(NOT definitions)
        set(definitions)
      endif()
      list(FILTER definitions EXCLUDE REGEX "^VELMORANT_VERSION=")
      add_library(${sequence} STATIC ${sources})
      velmorant_program_options(${sequence})
      target_compile_definitions(${sequence} PRIVATE ${definitions}
                                 VELMORANT_VERSION="${${name}_VERSION}")
      target_link_libraries(${sequence} PUBLIC ${libraries})
    endif()
  endif()
  add_executable(${name} WIN32 ${CMAKE_SOURCE_DIR}/setup/winMain.cpp ${SETUP_SETTINGS} ${agreement})
  link_payload(${name} ${SETUP_PAYLOAD})
  setup_resources(${name} ${SETUP_RESOURCES})
  velmorant_program_options(${name})
  velmorant_static_link(${name})
  target_link_libraries(${name} PRIVATE ${sequence})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  if(SETUP_OUTPUT_NAME)
    set_target_properties(${name} PROPERTIES OUTPUT_NAME ${SETUP_OUTPUT_NAME})
  endif()
endfunction()

# add_payload_names(name MANIFEST file.in): the stored names of a payload's manifest without
# its chunks (payloadgen --names-only), as an object library <name>. No source file is read,
# so the list can be made before the files it names are built.
function(add_payload_names name)
  cmake_parse_arguments(NAMES "" "MANIFEST" "" ${ARGN})
  set(CMAKE_CURRENT_SOURCE_DIR ${CMAKE_SOURCE_DIR})
  set(dir ${CMAKE_BINARY_DIR}/payloads/${name})
  file(MAKE_DIRECTORY ${dir})
  configure_file(${NAMES_MANIFEST} ${dir}/manifest.in @ONLY)
  file(GENERATE OUTPUT ${dir}/${name}.manifest INPUT ${dir}/manifest.in)
  add_custom_command(
    OUTPUT ${dir}/${name}.cpp
    COMMAND ${PAYLOADGEN} --names-only --manifest ${dir}/${name}.manifest --output-dir ${dir}
            --base ${name} --table-name payloadNameList
    DEPENDS ${PAYLOADGEN} hosttools ${dir}/${name}.manifest
    COMMENT "Listing the payload names ${name}"
    VERBATIM)
  add_library(${name} OBJECT ${dir}/${name}.cpp)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${VELMORANT_WARNINGS})
endfunction()

# add_uninstaller(name SETTINGS file.cpp MANIFEST file.in [DRAW file.cpp]): the uninstaller built
# with the same settings record and the names of the same payload manifest as the setup program
# that carries it. Its file is named qxuninst.exe; a variant's in a folder of its own. DRAW: a
# test's drawHelperNumber instead of the random one.
function(add_uninstaller name)
  cmake_parse_arguments(UNINST "" "SETTINGS;MANIFEST;DRAW" "" ${ARGN})
  if(NOT UNINST_DRAW)
    set(UNINST_DRAW ${CMAKE_SOURCE_DIR}/uninstall/drawnNumber.cpp)
  endif()
  add_payload_names(${name}Names MANIFEST ${UNINST_MANIFEST})
  add_executable(${name} WIN32
    ${CMAKE_SOURCE_DIR}/uninstall/qxuninst.cpp
    ${CMAKE_SOURCE_DIR}/uninstall/qxuninst.rc
    ${UNINST_DRAW}
    ${UNINST_SETTINGS}
    $<TARGET_OBJECTS:${name}Names>)
  set_source_files_properties(${CMAKE_SOURCE_DIR}/uninstall/qxuninst.rc PROPERTIES
    OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/uninstall/qxuninst.manifest)
  velmorant_program_options(${name})
  velmorant_static_link(${name})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE uninstallSteps)
  if(NOT name STREQUAL "qxuninst")
    set_target_properties(${name} PROPERTIES OUTPUT_NAME qxuninst
      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/${name})
  endif()
endfunction()

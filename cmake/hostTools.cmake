# The build-machine tools (the payload and icon generators), built natively beside the cross
# build.
include(ExternalProject)
set(HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/host)
set(PAYLOADGEN ${HOST_TOOLS_DIR}/install/bin/payloadgen)
set(MAKETESTFILE ${HOST_TOOLS_DIR}/install/bin/makeTestFile)
set(PAYLOADGEN_TESTS ${HOST_TOOLS_DIR}/install/bin/payloadgenTests)
set(PRODUCTGEN_TESTS ${HOST_TOOLS_DIR}/install/bin/productgenTests)
set(ICONGEN ${HOST_TOOLS_DIR}/install/bin/icongen)
# A tree without tests (the shipping build) need not build GoogleTest for the generator's tests.
set(hostToolTests ON)
if(DEFINED BUILD_TESTING AND NOT BUILD_TESTING)
  set(hostToolTests OFF)
endif()
ExternalProject_Add(hosttools
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/buildtools
  BINARY_DIR ${HOST_TOOLS_DIR}/build
  INSTALL_DIR ${HOST_TOOLS_DIR}/install
  # A clean environment: the cross toolchain of this build must not leak into the native one.
  CMAKE_ARGS -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR> -DCMAKE_BUILD_TYPE=Release
             -DCMAKE_TOOLCHAIN_FILE= -DCMAKE_CXX_COMPILER=c++ -DVELMORANT_TOOL_TESTS=${hostToolTests}
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${PAYLOADGEN} ${MAKETESTFILE} ${PAYLOADGEN_TESTS} ${PRODUCTGEN_TESTS} ${ICONGEN}
  STEP_TARGETS install)

# The setup program's icon, drawn by the icon generator into the build tree, where the .rc
# files find it through the include path of setup_resources.
set(GENERATED_RESOURCES_DIR ${CMAKE_BINARY_DIR}/resources)
add_custom_command(
  OUTPUT ${GENERATED_RESOURCES_DIR}/setup.ico
  COMMAND ${CMAKE_COMMAND} -E make_directory ${GENERATED_RESOURCES_DIR}
  COMMAND ${ICONGEN} ${GENERATED_RESOURCES_DIR}/setup.ico
  DEPENDS ${ICONGEN} hosttools
  COMMENT "Drawing the setup icon"
  VERBATIM)
add_custom_target(setupIcon DEPENDS ${GENERATED_RESOURCES_DIR}/setup.ico)

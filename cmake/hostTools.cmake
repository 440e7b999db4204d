# The build-machine tools (the payload generator), built natively beside the cross build.
include(ExternalProject)
set(HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/host)
set(PAYLOADGEN ${HOST_TOOLS_DIR}/install/bin/payloadgen)
set(MAKETESTFILE ${HOST_TOOLS_DIR}/install/bin/makeTestFile)
set(PAYLOADGEN_TESTS ${HOST_TOOLS_DIR}/install/bin/payloadgenTests)
ExternalProject_Add(hosttools
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/host
  BINARY_DIR ${HOST_TOOLS_DIR}/build
  INSTALL_DIR ${HOST_TOOLS_DIR}/install
  # A clean environment: the cross toolchain of this build must not leak into the native one.
  CMAKE_ARGS -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR> -DCMAKE_BUILD_TYPE=Release
             -DCMAKE_TOOLCHAIN_FILE= -DCMAKE_CXX_COMPILER=c++
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${PAYLOADGEN} ${MAKETESTFILE} ${PAYLOADGEN_TESTS}
  STEP_TARGETS install)

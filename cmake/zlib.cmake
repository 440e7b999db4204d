# The zlib the programs link. With zlib's source at hand (tools/deps.sh fetches Debian's into
# build/zlib/src) only what uncompress needs is built, for size: -Os, function sections, and
# no gzip support (the payload's streams are zlib streams; gzip would bring the CRC tables).
# Without it, the mingw library, built for speed and with everything, is used instead.
set(VELMORANT_ZLIB_SOURCE ${CMAKE_SOURCE_DIR}/build/zlib/src CACHE PATH "zlib's source folder")
if(EXISTS ${VELMORANT_ZLIB_SOURCE}/inflate.c)
  add_library(programZlib STATIC
    ${VELMORANT_ZLIB_SOURCE}/adler32.c
    ${VELMORANT_ZLIB_SOURCE}/inflate.c
    ${VELMORANT_ZLIB_SOURCE}/inftrees.c
    ${VELMORANT_ZLIB_SOURCE}/inffast.c
    ${VELMORANT_ZLIB_SOURCE}/uncompr.c
    ${VELMORANT_ZLIB_SOURCE}/zutil.c)
  target_include_directories(programZlib PUBLIC ${VELMORANT_ZLIB_SOURCE})
  target_compile_definitions(programZlib PRIVATE NO_GZIP)
  target_compile_options(programZlib PRIVATE -Os -ffunction-sections -fno-asynchronous-unwind-tables
    -ffile-prefix-map=${VELMORANT_ZLIB_SOURCE}=zlib)
  set(PROGRAM_ZLIB programZlib)
  message(STATUS "zlib: built from ${VELMORANT_ZLIB_SOURCE}")
else()
  set(PROGRAM_ZLIB ${ZLIB_STATIC})
  message(STATUS "zlib: the mingw library (no source in ${VELMORANT_ZLIB_SOURCE}; run tools/deps.sh)")
endif()

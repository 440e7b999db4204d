# The zlib the programs link: built from zlib's own source (tools/deps.sh fetches Debian's
# source package into build/zlib/src), only what uncompress needs, for size: -Os, function
# sections, and no gzip support (the payload's streams are zlib streams; gzip would bring the
# CRC tables). This is the shipping configuration. The mingw library, built for speed and with
# everything, gives a bigger and different setup.exe: it is used only when asked for.
set(VELMORANT_ZLIB_SOURCE ${CMAKE_SOURCE_DIR}/build/zlib/src CACHE PATH "zlib's source folder")
option(VELMORANT_SYSTEM_ZLIB "Link the mingw zlib library instead of zlib built from its source (not the shipping configuration)" OFF)
if(VELMORANT_SYSTEM_ZLIB)
  set(PROGRAM_ZLIB ${ZLIB_STATIC})
  message(STATUS "zlib: the mingw library ${ZLIB_STATIC} (VELMORANT_SYSTEM_ZLIB; not the shipping configuration)")
elseif(NOT EXISTS ${VELMORANT_ZLIB_SOURCE}/inflate.c)
  message(FATAL_ERROR "zlib's source is missing: no inflate.c in ${VELMORANT_ZLIB_SOURCE}.\n"
    "Run tools/deps.sh, which fetches Debian's zlib source package into build/zlib/src, or point "
    "-DVELMORANT_ZLIB_SOURCE at zlib's source. To build with the mingw zlib library instead "
    "(a bigger setup.exe that is not the shipping one), configure with -DVELMORANT_SYSTEM_ZLIB=ON.")
else()
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
endif()

# The routines that make no platform call, and their unit tests: built for Windows (run under
# Wine) and natively on Linux with sanitizers and fuzzers. One list for both builds.
set(PURE_SOURCES
  setup/boundedText.cpp
  setup/setupDecisions.cpp
  payload/payloadNames.cpp
  ui/folderPaths.cpp
  system/windowTitles.cpp
  system/shortcutPaths.cpp
  ui/backgroundGeometry.cpp
  ui/agreementText.cpp
  product/uninstallTexts.cpp
)
set(PURE_TEST_SOURCES
  tests/unit/boundedTextTests.cpp
  tests/unit/setupDecisionsTests.cpp
  tests/unit/payloadNamesTests.cpp
  tests/folder/folderPathsTests.cpp
  tests/system/systemUnitTests.cpp
  tests/ui/geometryTests.cpp
  tests/ui/agreementTextTests.cpp
  tests/uninstall/uninstallTextsTests.cpp
)
# Fuzz targets: tests/fuzz/<name>Fuzz.cpp with seeds in tests/fuzz/seeds/<name>/.
set(FUZZ_TARGETS formatter decisions folderPaths uninstall)

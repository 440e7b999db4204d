# The sequence traced in-process through a table of scripted calls, with a payload of
# stand-ins for the product's programs that record how they were started. Built for both
# architectures; run on x86_64.
add_executable(recorder WIN32 ${CMAKE_SOURCE_DIR}/tests/programs/recorder.cpp)
target_compile_options(recorder PRIVATE ${VELMORANT_WARNINGS})
target_link_options(recorder PRIVATE -static)
add_product(allSteps PRODUCT ${CMAKE_CURRENT_LIST_DIR}/settings/allSteps.toml
            UNINSTALLER qxuninst PROGRAMS recorder)
add_payload(recorderPayload MANIFEST ${allSteps_MANIFEST} DEPENDS ${allSteps_DEPENDS})

add_test_program(sequenceTraceTests ${CMAKE_CURRENT_LIST_DIR}/sequenceTraceTests.cpp
                 ${allSteps_SETTINGS} $<TARGET_OBJECTS:recorderPayload>)
setup_resources(sequenceTraceTests)
target_link_libraries(sequenceTraceTests PRIVATE testsupport setupSequence gtest_main)
add_wine_test(sequence.trace COMMAND sequenceTraceTests FRESH_PREFIX)

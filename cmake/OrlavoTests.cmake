# What every test folder uses: GoogleTest, the one launcher of the services some tests need, and
# orlavo_add_test. Each library keeps its tests in a tests/ folder beside its code.
find_package(GTest REQUIRED)

# A private sound server, and with --display a virtual X server, a window manager and the
# accessibility bus.
set(ORLAVO_TEST_SESSION ${PROJECT_SOURCE_DIR}/tests/session.sh)

# orlavo_add_test(NAME SOURCES ... LIBS ... [LABELS ...] [ENVIRONMENT ...] [SESSION])
# Pins the locale and the Qt platform so a bare ctest behaves the same on every machine. SESSION
# runs the test inside a private PulseAudio server of its own (tests/session.sh). Each test is
# labelled "unit" and with its labels, the library's own name first, so that
# `ctest -L text_decoding` runs one library's tests.
function(orlavo_add_test name)
    cmake_parse_arguments(ARG "SESSION" "" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} orlavo_test_fakes GTest::gtest
                                          GTest::gtest_main orlavo_warnings)
    if(ARG_SESSION)
        add_test(NAME ${name} COMMAND ${ORLAVO_TEST_SESSION} -- $<TARGET_FILE:${name}>)
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;${ARG_ENVIRONMENT}"
        LABELS "unit;${ARG_LABELS}")
endfunction()

# Every platform service as one recording fake (tests/fakes/fake_platform.h).
add_library(orlavo_test_fakes INTERFACE)
target_include_directories(orlavo_test_fakes INTERFACE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(orlavo_test_fakes INTERFACE orlavo_form_state)

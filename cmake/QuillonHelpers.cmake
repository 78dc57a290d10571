# add_unit_tests(NAME [ONE_PROCESS] [LOCK RESOURCE] file_test.cpp... LIBS lib...)
# Builds one test binary from the *_test.cpp files of a folder and registers
# every test case with CTest. ONE_PROCESS registers the binary as one test
# instead, so that its cases share what is costly to start (a warm office).
# LOCK keeps its tests from running beside other tests that name the same
# resource (LibreOffice, which is slow to start on a busy machine). Without
# QUILLON_BUILD_TESTS the binary is left out of the default target and
# nothing is registered.
function(add_unit_tests name)
    cmake_parse_arguments(ARG "ONE_PROCESS" "LOCK" "LIBS" ${ARGN})
    if(QUILLON_BUILD_TESTS)
        add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
    else()
        add_executable(${name} EXCLUDE_FROM_ALL ${ARG_UNPARSED_ARGUMENTS})
    endif()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main Threads::Threads)
    if(NOT QUILLON_BUILD_TESTS)
        return()
    endif()
    set(lock)
    if(ARG_LOCK)
        set(lock RESOURCE_LOCK ${ARG_LOCK})
    endif()
    if(ARG_ONE_PROCESS)
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES TIMEOUT 900 ${lock})
    else()
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 120 ${lock})
    endif()
endfunction()

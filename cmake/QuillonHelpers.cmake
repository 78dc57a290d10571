# add_unit_tests(NAME [ONE_PROCESS] file_test.cpp... LIBS lib...)
# Builds one test binary from the *_test.cpp files of a folder and registers
# every test case with CTest. ONE_PROCESS registers the binary as one test
# instead, so that its cases share what is costly to start (a warm office).
function(add_unit_tests name)
    cmake_parse_arguments(ARG "ONE_PROCESS" "" "LIBS" ${ARGN})
    add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main Threads::Threads)
    if(ARG_ONE_PROCESS)
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES TIMEOUT 900)
    else()
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 120)
    endif()
endfunction()

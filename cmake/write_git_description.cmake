# Run at build time (cmake -P): writes the git description of the checkout
# into OUTPUT as a C++ header, and rewrites it only when it changed, so that
# a new commit relinks the programs but rebuilds nothing else. Outside a
# checkout, or without git, the description is empty.
#   -DSOURCE_DIR=<checkout> -DOUTPUT=<header>
set(description "")
find_program(GIT_PROGRAM git)
if(GIT_PROGRAM AND EXISTS "${SOURCE_DIR}/.git")
    execute_process(COMMAND "${GIT_PROGRAM}" -C "${SOURCE_DIR}" describe --tags --always --dirty
        OUTPUT_VARIABLE description OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
    if(failed)
        set(description "")
    endif()
endif()
set(text "// Written by cmake/write_git_description.cmake at build time.\n#pragma once\n#define QUILLON_GIT_DESCRIPTION \"${description}\"\n")
set(old "")
if(EXISTS "${OUTPUT}")
    file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL text)
    file(WRITE "${OUTPUT}" "${text}")
endif()

# Helpers to register tests that talk to korvud on its fixed ports.
#
# korvu_add_isolated_test(NAME name COMMAND cmd... [WORKING_DIRECTORY dir] [ENVIRONMENT var=value...])
#
# The command runs through cmake/isolated-run: inside a private network
# namespace with loopback up, when the machine allows one, and always with a
# fresh KORVU_DATA_DIR and the built korvud first on PATH. Without a namespace
# the tests share the real ports, so they are serialised with a resource lock.

set(KORVU_ISOLATED_RUN "${CMAKE_CURRENT_LIST_DIR}/isolated-run")

execute_process(COMMAND "${KORVU_ISOLATED_RUN}" --probe
    RESULT_VARIABLE _korvu_probe_result OUTPUT_QUIET ERROR_QUIET)
if(_korvu_probe_result EQUAL 0)
    set(KORVU_HAVE_NETNS ON)
    message(STATUS "Port tests run in private network namespaces")
else()
    set(KORVU_HAVE_NETNS OFF)
    message(STATUS "No private network namespaces here: port tests run one at a time")
endif()

function(korvu_add_isolated_test)
    cmake_parse_arguments(ARG "" "NAME;WORKING_DIRECTORY" "COMMAND;ENVIRONMENT" ${ARGN})
    if(NOT ARG_WORKING_DIRECTORY)
        set(ARG_WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}")
    endif()
    add_test(NAME ${ARG_NAME}
        COMMAND "${KORVU_ISOLATED_RUN}" ${ARG_COMMAND}
        WORKING_DIRECTORY "${ARG_WORKING_DIRECTORY}")
    set(_env
        "PATH=$<TARGET_FILE_DIR:korvud>:$ENV{PATH}"
        "QT_QPA_PLATFORM=offscreen"
        ${ARG_ENVIRONMENT})
    set_tests_properties(${ARG_NAME} PROPERTIES ENVIRONMENT "${_env}")
    if(NOT KORVU_HAVE_NETNS)
        set_tests_properties(${ARG_NAME} PROPERTIES RESOURCE_LOCK korvu-ports)
    endif()
endfunction()

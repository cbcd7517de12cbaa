# Included by ctest, through the TEST_INCLUDE_FILES that
# korvu_add_delivery_checks registers, every time it reads the build tree's
# tests (a run, -N, --show-only).
#
# korvu_delivery_checks_include(SUITE <suite> LISTING <file> SETTINGS <file>
#     CMAKE <cmake> PREFIX <text> LABELS <labels> TIMEOUT <seconds or ""> RUN <korvu-check and its options>)
#
# LISTING holds the add_test lines, one entry per function and row of the
# suite. It is written again when the suite or SETTINGS (the file that calls
# this, rewritten when the call's arguments change) is newer than it.

# Whether korvu-check can run in a private network namespace here, as it
# tries: one of its own (root) or one inside a user namespace.
function(_korvu_delivery_checks_isolated variable)
    foreach(_mode -n -rn)
        execute_process(COMMAND unshare ${_mode} true RESULT_VARIABLE _result OUTPUT_QUIET ERROR_QUIET)
        if(_result STREQUAL "0")
            set(${variable} TRUE PARENT_SCOPE)
            return()
        endif()
    endforeach()
    set(${variable} FALSE PARENT_SCOPE)
endfunction()

function(_korvu_delivery_checks_discover)
    cmake_parse_arguments(PARSE_ARGV 0 ARG "" "SUITE;LISTING;CMAKE;PREFIX;TIMEOUT" "LABELS;RUN")
    # The suite builds a QGuiApplication, which needs no display offscreen.
    execute_process(COMMAND "${ARG_CMAKE}" -E env QT_QPA_PLATFORM=offscreen "${ARG_SUITE}" -datatags
        RESULT_VARIABLE _result OUTPUT_VARIABLE _output ERROR_VARIABLE _error)
    if(NOT _result STREQUAL "0")
        message(FATAL_ERROR "korvu_add_delivery_checks: '${ARG_SUITE} -datatags' could not list the suite's "
            "functions and rows (${_result}):\n${_output}${_error}")
    endif()

    set(_script "# Written from '${ARG_SUITE} -datatags'; it is written again when the suite changes.\n")
    set(_timeout "")
    if(ARG_TIMEOUT)
        set(_timeout " TIMEOUT ${ARG_TIMEOUT}")
    endif()
    string(REPLACE "\n" ";" _lines "${_output}")
    set(_count 0)
    foreach(_line IN LISTS _lines)
        if(_line STREQUAL "")
            continue()
        endif()
        # "<class> <function>" or "<class> <function> <row>"; a row may hold spaces.
        if(NOT _line MATCHES "^[^ ]+ ([^ ]+)( (.+))?$")
            message(FATAL_ERROR "korvu_add_delivery_checks: cannot read the suite's -datatags line '${_line}'")
        endif()
        set(_selection "${CMAKE_MATCH_1}")
        if(NOT CMAKE_MATCH_3 STREQUAL "")
            string(APPEND _selection ":${CMAKE_MATCH_3}")
        endif()
        set(_words "")
        foreach(_word IN LISTS ARG_RUN)
            string(APPEND _words " [==[${_word}]==]")
        endforeach()
        string(APPEND _script
            "add_test([==[${ARG_PREFIX}${_selection}]==]${_words} -- [==[${_selection}]==])\n"
            "set_tests_properties([==[${ARG_PREFIX}${_selection}]==] PROPERTIES LABELS [==[${ARG_LABELS}]==]"
            "${_timeout} \${_korvu_delivery_checks_ports})\n")
        math(EXPR _count "${_count} + 1")
    endforeach()
    if(_count EQUAL 0)
        message(FATAL_ERROR "korvu_add_delivery_checks: '${ARG_SUITE} -datatags' lists no test function")
    endif()
    file(WRITE "${ARG_LISTING}" "${_script}")
endfunction()

macro(korvu_delivery_checks_include)
    cmake_parse_arguments(_korvu_include "" "SUITE;LISTING;SETTINGS;CMAKE;PREFIX;TIMEOUT" "LABELS;RUN" ${ARGN})
    if(NOT EXISTS "${_korvu_include_LISTING}" OR "${_korvu_include_SUITE}" IS_NEWER_THAN "${_korvu_include_LISTING}"
       OR "${_korvu_include_SETTINGS}" IS_NEWER_THAN "${_korvu_include_LISTING}")
        _korvu_delivery_checks_discover(SUITE "${_korvu_include_SUITE}" LISTING "${_korvu_include_LISTING}"
            CMAKE "${_korvu_include_CMAKE}" PREFIX "${_korvu_include_PREFIX}" TIMEOUT "${_korvu_include_TIMEOUT}"
            LABELS ${_korvu_include_LABELS} RUN ${_korvu_include_RUN})
    endif()
    # Decided at every ctest run, on the machine that runs the entries: with
    # namespaces they run side by side, without them they share the daemon's
    # fixed ports and take turns.
    _korvu_delivery_checks_isolated(_korvu_isolated)
    if(_korvu_isolated)
        set(_korvu_delivery_checks_ports "")
    else()
        set(_korvu_delivery_checks_ports RESOURCE_LOCK korvu-ports)
    endif()
    include("${_korvu_include_LISTING}")
endmacro()

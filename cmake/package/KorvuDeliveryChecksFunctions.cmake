# korvu_add_delivery_checks(
#     [DAEMON <path or executable target>]   korvud to check (default: the stand-in)
#     [EXPERIENCE <dir>]                     folder of the PlavoDelivery plug-in to load
#     [PREFIX <text>]                        put before every entry's name
#     [LABELS <label>...]                    added to the label korvu-delivery-checks
#     [TIMEOUT <seconds>]                    korvu-check --timeout: each function or row
#                                            may run this long; ctest's TIMEOUT allows
#                                            an entry's hooks and row that long, and 30 s
#     [EXTRA_ARGS <korvu-check option>...])  given to every entry's korvu-check
#
# Registers one ctest entry per test function and data row of the suite, named
# <PREFIX><function>:<row>, or <PREFIX><function> for a function without rows:
# the suite's own selection word, which korvu-check is given after "--".
#
# The rows are not written here: like gtest_discover_tests, a script that
# ctest includes (TEST_INCLUDE_FILES) asks the suite for them (-datatags)
# when the suite is newer than its last listing or these arguments changed,
# and writes the add_test lines. The rows depend on the suite alone, so a
# rebuilt daemon does not list them again.
#
# DAEMON, EXPERIENCE and EXTRA_ARGS may hold generator expressions. A DAEMON
# target of this project is built by the "all" target before ctest runs it.

set(_KORVU_DELIVERY_CHECKS_DISCOVERY "${CMAKE_CURRENT_LIST_DIR}/KorvuDeliveryChecksDiscovery.cmake")

function(korvu_add_delivery_checks)
    cmake_parse_arguments(PARSE_ARGV 0 ARG "" "DAEMON;EXPERIENCE;PREFIX;TIMEOUT" "LABELS;EXTRA_ARGS")
    if(ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "korvu_add_delivery_checks: unknown arguments: ${ARG_UNPARSED_ARGUMENTS}")
    endif()
    # Entries of one name in two folders would get each other's properties in ctest.
    get_property(_prefixes GLOBAL PROPERTY KORVU_DELIVERY_CHECKS_PREFIXES)
    if("x${ARG_PREFIX}" IN_LIST _prefixes)
        message(FATAL_ERROR "korvu_add_delivery_checks: the PREFIX '${ARG_PREFIX}' is already used in this "
            "project; give each call a PREFIX of its own")
    endif()
    set_property(GLOBAL APPEND PROPERTY KORVU_DELIVERY_CHECKS_PREFIXES "x${ARG_PREFIX}")
    # Numbers the call's files and its target, whose name the whole project shares.
    list(LENGTH _prefixes _index)

    set(_run $<TARGET_FILE:KorvuDeliveryChecks::korvu-check>)
    if(ARG_DAEMON)
        if(TARGET ${ARG_DAEMON})
            get_target_property(_imported ${ARG_DAEMON} IMPORTED)
            if(NOT _imported)
                add_custom_target(korvu_delivery_checks_${_index} ALL DEPENDS ${ARG_DAEMON})
            endif()
            list(APPEND _run --daemon $<TARGET_FILE:${ARG_DAEMON}>)
        else()
            _korvu_delivery_checks_absolute(_daemon "${ARG_DAEMON}")
            list(APPEND _run --daemon ${_daemon})
        endif()
    endif()
    if(ARG_EXPERIENCE)
        _korvu_delivery_checks_absolute(_experience "${ARG_EXPERIENCE}")
        list(APPEND _run --experience ${_experience})
    endif()
    # An entry runs initTestCase, its row and cleanupTestCase, each under the
    # limit, beside korvu-check's own start and reports: ctest stops only an
    # entry that korvu-check failed to stop.
    set(_ctest_timeout "")
    if(DEFINED ARG_TIMEOUT)
        if(NOT ARG_TIMEOUT MATCHES "^[1-9][0-9]*$")
            message(FATAL_ERROR "korvu_add_delivery_checks: TIMEOUT takes a number of seconds of at least 1, "
                "not '${ARG_TIMEOUT}'")
        endif()
        list(APPEND _run --timeout ${ARG_TIMEOUT})
        math(EXPR _ctest_timeout "3 * ${ARG_TIMEOUT} + 30")
    endif()
    list(APPEND _run ${ARG_EXTRA_ARGS})
    set(_labels korvu-delivery-checks ${ARG_LABELS})

    set(_base "${CMAKE_CURRENT_BINARY_DIR}/korvu_delivery_checks_${_index}")
    get_property(_multi_config GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
    if(_multi_config)
        foreach(_config IN LISTS CMAKE_CONFIGURATION_TYPES)
            _korvu_delivery_checks_include_content(_content "${_base}" "-${_config}")
            file(GENERATE OUTPUT "${_base}_settings-${_config}.cmake" CONTENT "${_content}" CONFIG ${_config})
        endforeach()
        file(WRITE "${_base}_include.cmake" "include(\"${_base}_settings-\${CTEST_CONFIGURATION_TYPE}.cmake\")\n")
    else()
        _korvu_delivery_checks_include_content(_content "${_base}" "")
        file(GENERATE OUTPUT "${_base}_settings.cmake" CONTENT "${_content}")
        file(WRITE "${_base}_include.cmake" "include(\"${_base}_settings.cmake\")\n")
    endif()
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${_base}_include.cmake")
endfunction()

# A relative path is taken from the calling folder; a generator expression is
# left to file(GENERATE).
function(_korvu_delivery_checks_absolute variable path)
    if(NOT path MATCHES "^\\$<")
        get_filename_component(path "${path}" ABSOLUTE)
    endif()
    set(${variable} "${path}" PARENT_SCOPE)
endfunction()

# What ctest includes for one configuration: the call of the discovery with
# this call's settings. Bracket arguments keep the run's words as they are.
macro(_korvu_delivery_checks_include_content variable base suffix)
    set(${variable} "include([==[${_KORVU_DELIVERY_CHECKS_DISCOVERY}]==])
korvu_delivery_checks_include(
    SUITE [==[$<TARGET_FILE:KorvuDeliveryChecks::testdeliveries>]==]
    LISTING [==[${base}_tests${suffix}.cmake]==]
    SETTINGS \"\${CMAKE_CURRENT_LIST_FILE}\"
    CMAKE [==[${CMAKE_COMMAND}]==]
    PREFIX [==[${ARG_PREFIX}]==]
    LABELS [==[${_labels}]==]
    TIMEOUT [==[${_ctest_timeout}]==]
    RUN [==[${_run}]==])
")
endmacro()

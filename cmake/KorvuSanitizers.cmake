# KORVU_SANITIZE: a comma-separated list of sanitizers (e.g. address,undefined)
# to build the tree with. korvud, libkorvu, both plug-ins and everything that
# links them are instrumented, so that their own tests run under the
# sanitizers too. Every finding is fatal: a report that the daemon survives
# would pass unnoticed through a suite that judges only its replies.
#
# The suite and korvu-check judge the daemon and stay as a daemon developer
# builds them: their directories call korvu_without_sanitizers().

set(KORVU_SANITIZE "" CACHE STRING "Sanitizers to build with, e.g. address,undefined (empty: none)")

if(KORVU_SANITIZE)
    set(KORVU_SANITIZE_COMPILE_FLAGS
        -fsanitize=${KORVU_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer)
    set(KORVU_SANITIZE_LINK_FLAGS -fsanitize=${KORVU_SANITIZE})
    add_compile_options(${KORVU_SANITIZE_COMPILE_FLAGS})
    add_link_options(${KORVU_SANITIZE_LINK_FLAGS})
    message(STATUS "Built with -fsanitize=${KORVU_SANITIZE}; the suite and korvu-check without")
endif()

function(korvu_without_sanitizers)
    if(NOT KORVU_SANITIZE)
        return()
    endif()
    foreach(_kind COMPILE LINK)
        get_directory_property(_options ${_kind}_OPTIONS)
        list(REMOVE_ITEM _options ${KORVU_SANITIZE_${_kind}_FLAGS})
        set_directory_properties(PROPERTIES ${_kind}_OPTIONS "${_options}")
    endforeach()
endfunction()

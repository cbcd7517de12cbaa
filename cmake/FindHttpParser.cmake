# Finds the http_parser C library, the HTTP/1.1 parser behind the mock
# devices' control ports and the tests' HTTP client.
#
# Debian's libhttp-parser-dev ships no pkg-config file or CMake package,
# hence the plain look-up of the header and the library. Set
# HttpParser_INCLUDE_DIR and HttpParser_LIBRARY to use another copy.
#
# Defines HttpParser_FOUND, HttpParser_INCLUDE_DIRS, HttpParser_LIBRARIES and
# the imported target HttpParser::HttpParser.

find_path(HttpParser_INCLUDE_DIR http_parser.h)
find_library(HttpParser_LIBRARY http_parser)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(HttpParser
    REQUIRED_VARS HttpParser_LIBRARY HttpParser_INCLUDE_DIR
    REASON_FAILURE_MESSAGE "on Debian install libhttp-parser-dev, or set HttpParser_INCLUDE_DIR and HttpParser_LIBRARY")
mark_as_advanced(HttpParser_INCLUDE_DIR HttpParser_LIBRARY)

if(HttpParser_FOUND)
    set(HttpParser_INCLUDE_DIRS ${HttpParser_INCLUDE_DIR})
    set(HttpParser_LIBRARIES ${HttpParser_LIBRARY})
    if(NOT TARGET HttpParser::HttpParser)
        add_library(HttpParser::HttpParser UNKNOWN IMPORTED)
        set_target_properties(HttpParser::HttpParser PROPERTIES
            IMPORTED_LOCATION "${HttpParser_LIBRARY}"
            INTERFACE_INCLUDE_DIRECTORIES "${HttpParser_INCLUDE_DIR}")
    endif()
endif()

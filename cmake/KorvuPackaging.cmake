# Installation and the Debian package: korvu-delivery-checks from a Qt 5 tree,
# korvu-delivery-checks-qt6 from a Qt 6 one.
#
# Only korvu-check goes on PATH. The suite, the bundled stand-in korvud, its
# library and the two plug-ins live in a private folder, laid out as the suite
# expects them, where the stand-in cannot shadow a real korvud:
#
#   bin/korvu-check
#   lib/korvu-delivery-checks/testdeliveries, korvud
#   lib/korvu-delivery-checks/lib/         libkorvu.so.1, for the daemon and plug-ins
#   lib/korvu-delivery-checks/mocks/       the DeliveryMocks plug-in
#   lib/korvu-delivery-checks/experience/  the PlavoDelivery plug-in
#   lib/cmake/KorvuDeliveryChecks/         the CMake package, for find_package
#
# korvu-check finds these relative to its own executable (BundledParts);
# KORVU_PRIVATE_INSTALL_DIR names the private folder.
# Tests, fuzzers and the benchmark are not installed.

set_target_properties(korvud PROPERTIES INSTALL_RPATH "$ORIGIN/lib")
set_target_properties(deliverymocks plavodelivery PROPERTIES INSTALL_RPATH "$ORIGIN/../lib")

install(TARGETS korvu-check RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS testdeliveries korvud RUNTIME DESTINATION ${KORVU_PRIVATE_INSTALL_DIR})
# A folder of its own: a library directly below lib/ would be taken for a
# public one, with ldconfig run on every install.
install(TARGETS korvu LIBRARY DESTINATION ${KORVU_PRIVATE_INSTALL_DIR}/lib NAMELINK_SKIP)
install(TARGETS deliverymocks LIBRARY DESTINATION ${KORVU_PRIVATE_INSTALL_DIR}/mocks)
install(TARGETS plavodelivery LIBRARY DESTINATION ${KORVU_PRIVATE_INSTALL_DIR}/experience)

# The CMake package KorvuDeliveryChecks (cmake/package/): a daemon
# developer's build registers the suite's rows as ctest entries with it. The
# installed config finds the parts relative to itself, so that it works from
# an unpacked package too; the build tree's names this tree's parts.
include(CMakePackageConfigHelpers)
set(KORVU_CMAKE_PACKAGE_DIR lib/cmake/KorvuDeliveryChecks)
set(_package_sources ${PROJECT_SOURCE_DIR}/cmake/package)
set(_package_files ${_package_sources}/KorvuDeliveryChecksFunctions.cmake
    ${_package_sources}/KorvuDeliveryChecksDiscovery.cmake)
set(_build_tree_package ${CMAKE_BINARY_DIR}/${KORVU_CMAKE_PACKAGE_DIR})
write_basic_package_version_file(${_build_tree_package}/KorvuDeliveryChecksConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMinorVersion ARCH_INDEPENDENT)

set(KORVU_CONFIG_BASE "set(_korvu_base \"\")")
set(KORVU_CONFIG_CHECK $<TARGET_FILE:korvu-check>)
set(KORVU_CONFIG_SUITE $<TARGET_FILE:testdeliveries>)
set(KORVU_CONFIG_DAEMON $<TARGET_FILE:korvud>)
configure_file(${_package_sources}/KorvuDeliveryChecksConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/KorvuDeliveryChecksConfig-build-tree.cmake.in @ONLY)
file(GENERATE OUTPUT ${_build_tree_package}/KorvuDeliveryChecksConfig.cmake
    INPUT ${CMAKE_CURRENT_BINARY_DIR}/KorvuDeliveryChecksConfig-build-tree.cmake.in)
foreach(_file IN LISTS _package_files)
    configure_file(${_file} ${_build_tree_package}/ COPYONLY)
endforeach()

file(RELATIVE_PATH _to_prefix /${KORVU_CMAKE_PACKAGE_DIR} /)
set(KORVU_CONFIG_BASE "get_filename_component(_korvu_base \"\${CMAKE_CURRENT_LIST_DIR}/${_to_prefix}\" ABSOLUTE)
string(APPEND _korvu_base /)")
set(KORVU_CONFIG_CHECK ${CMAKE_INSTALL_BINDIR}/korvu-check)
set(KORVU_CONFIG_SUITE ${KORVU_PRIVATE_INSTALL_DIR}/testdeliveries)
set(KORVU_CONFIG_DAEMON ${KORVU_PRIVATE_INSTALL_DIR}/korvud)
configure_file(${_package_sources}/KorvuDeliveryChecksConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/KorvuDeliveryChecksConfig.cmake @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/KorvuDeliveryChecksConfig.cmake
    ${_build_tree_package}/KorvuDeliveryChecksConfigVersion.cmake ${_package_files}
    DESTINATION ${KORVU_CMAKE_PACKAGE_DIR})

# The manual page is made from the options' full texts (--help-manual) and
# --version, so it cannot drift from the options; its prose, which --help
# leaves out, comes from korvu-check.h2m.
find_program(KORVU_HELP2MAN help2man)
if(KORVU_HELP2MAN)
    set(_man ${CMAKE_CURRENT_BINARY_DIR}/korvu-check.1)
    set(_man_prose ${PROJECT_SOURCE_DIR}/tools/korvu-check/korvu-check.h2m)
    add_custom_command(OUTPUT ${_man}.gz
        COMMAND ${KORVU_HELP2MAN} --no-info --section=1
            "--name=check the parcel deliveries of a korvud daemon"
            --help-option=--help-manual --include=${_man_prose}
            --output=${_man} $<TARGET_FILE:korvu-check>
        COMMAND gzip -9nf ${_man}
        DEPENDS korvu-check ${_man_prose}
        COMMENT "Writing the manual page korvu-check(1)"
        VERBATIM)
    add_custom_target(korvu-check-manpage ALL DEPENDS ${_man}.gz)
    install(FILES ${_man}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
    message(STATUS "help2man not found: the package has no manual page, and the package test is not registered")
endif()

# Where bash-completion looks for a command's completion when it is first
# completed.
install(FILES ${PROJECT_SOURCE_DIR}/tools/korvu-check/completion/korvu-check.bash
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME korvu-check)

set(_doc ${CMAKE_INSTALL_DATADIR}/doc/${KORVU_PACKAGE_NAME})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${_doc})
set(_changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${_changelog}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog
    COMMAND gzip -9nf ${CMAKE_CURRENT_BINARY_DIR}/changelog
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
    VERBATIM)
add_custom_target(korvu-changelog ALL DEPENDS ${_changelog})
install(FILES ${_changelog} DESTINATION ${_doc})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${KORVU_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "integration checks of a korvud daemon's parcel deliveries")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "korvu-check runs the delivery check suite against a korvud daemon build and
its plug-ins: it starts the daemon in a private network namespace, drives the
delivery service over JSON-RPC, injects scans through mock devices and judges
every reply. It prints progress, a summary with every failure and the traffic
behind it, and writes JUnit XML for CI systems.
.
The package bundles the suite, the DeliveryMocks plug-in and a stand-in
daemon with the PlavoDelivery plug-in in a private folder, so that the stand-in
never shadows a real korvud on PATH.")
# The DeliveryMocks plug-in is loaded into the daemon under test, so a daemon
# needs the package of its own Qt major version. Both install the same paths,
# so that korvu-check, its manual page and the private folder are the same
# whichever is installed; installing one removes the other.
if(KORVU_QT_MAJOR STREQUAL "5")
    set(KORVU_OTHER_PACKAGE_NAME ${KORVU_PACKAGE_NAME_QT6})
else()
    set(KORVU_OTHER_PACKAGE_NAME ${KORVU_PACKAGE_NAME_QT5})
    string(APPEND CPACK_PACKAGE_DESCRIPTION_SUMMARY " (Qt 6)")
    string(APPEND CPACK_DEBIAN_PACKAGE_DESCRIPTION "
.
This package is built with Qt 6, for daemons built with Qt 6; a daemon built
with Qt 5 needs ${KORVU_PACKAGE_NAME_QT5} instead.")
    # Both packages come from this one source tree.
    set(CPACK_DEBIAN_PACKAGE_SOURCE ${KORVU_PACKAGE_NAME_QT5})
endif()
set(CPACK_DEBIAN_PACKAGE_CONFLICTS ${KORVU_OTHER_PACKAGE_NAME})
set(CPACK_DEBIAN_PACKAGE_REPLACES ${KORVU_OTHER_PACKAGE_NAME})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "korvu delivery checks developers <korvu-checks@lists.korvu.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the binaries' libraries do not show: the daemon stores through Qt's
# SQLite driver. korvu-check makes its network namespaces itself.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt${KORVU_QT_MAJOR}sql${KORVU_QT_MAJOR}-sqlite")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

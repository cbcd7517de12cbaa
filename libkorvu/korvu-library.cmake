# The korvu library target. libkorvu's own build and the fuzzer's clang build
# (daemon/fuzz/project) both include this file, so that they build it alike;
# the fuzzer sets KORVU_LIBRARY_TYPE to STATIC.
if(NOT KORVU_LIBRARY_TYPE)
    set(KORVU_LIBRARY_TYPE SHARED)
endif()
set(LIBKORVU_SOURCES
    korvu_global.h
    types.h
    thingerror.h thingerror.cpp
    thingclass.h thingclass.cpp
    thing.h thing.cpp
    thingmanager.h thingmanager.cpp
    integrationplugin.h integrationplugin.cpp
    experienceplugin.h experienceplugin.cpp
    jsonreply.h jsonreply.cpp
    jsonhandler.h jsonhandler.cpp
    storage.h storage.cpp
    logtext.h logtext.cpp
    uuidtext.h uuidtext.cpp
)
list(TRANSFORM LIBKORVU_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)

add_library(korvu ${KORVU_LIBRARY_TYPE} ${LIBKORVU_SOURCES})
target_compile_definitions(korvu PRIVATE KORVU_LIBRARY)
target_include_directories(korvu PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(korvu PUBLIC Qt::Core Qt::Sql)

# The sources of libkorvu. Its own build and the fuzzer's clang build
# (daemon/fuzz/project) both include this file, so that they compile the
# same list.
set(LIBKORVU_DIR ${CMAKE_CURRENT_LIST_DIR})
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
list(TRANSFORM LIBKORVU_SOURCES PREPEND ${LIBKORVU_DIR}/)

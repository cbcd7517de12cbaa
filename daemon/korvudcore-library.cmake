# korvudcore: all of korvud but main.cpp. The daemon's build and the fuzzer's
# own clang build (fuzz/project) both include this file, so that they build
# the same library.
set(KORVUD_CORE_SOURCES
    loggingcategories.h loggingcategories.cpp
    jsonstreamreader.h jsonstreamreader.cpp
    requestparams.h requestparams.cpp
    signalhandler.h signalhandler.cpp
    daemon.h daemon.cpp
    pluginloader.h pluginloader.cpp
    jsonrpcrouter.h jsonrpcrouter.cpp
    jsonrpcserver.h jsonrpcserver.cpp
    jsonrpchandler.h jsonrpchandler.cpp
    integrationshandler.h integrationshandler.cpp
    thingregistry.h thingregistry.cpp
    thingstore.h thingstore.cpp
    daemonexperiencecontext.h daemonexperiencecontext.cpp
)
list(TRANSFORM KORVUD_CORE_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)

add_library(korvudcore STATIC ${KORVUD_CORE_SOURCES})
target_include_directories(korvudcore PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(korvudcore PUBLIC korvu Qt::Core Qt::Network Qt::Sql)

# The libraries tarnwick-syx needs, built with the project from their sources, for a
# platform that has no packages of them (Windows, cross-built). TARNWICK_DEPENDENCY_SOURCES
# holds, as scripts/test-windows lays it out:
#   sqlite3/      sqlite3.c and sqlite3.h (the amalgamation made from Debian's source)
#   sqlitecpp/    SQLiteCpp's source tree
#   rtmidi/       RtMidi's source tree
#   pugixml/      pugixml's source tree
#   include/      the header-only libraries: nlohmann/, CLI/ and boost/
# Each gets the target name its package gives it elsewhere, so the rest of the build is
# the same on every platform.
enable_language(C)
set(deps ${TARNWICK_DEPENDENCY_SOURCES})
foreach(part sqlite3/sqlite3.c sqlitecpp/src/Database.cpp rtmidi/RtMidi.cpp
             pugixml/src/pugixml.cpp include/nlohmann/json.hpp include/CLI/CLI.hpp)
    if(NOT EXISTS ${deps}/${part})
        message(FATAL_ERROR "${deps}/${part} is missing: scripts/test-windows lays the sources out")
    endif()
endforeach()

add_library(tarnwick_dep_sqlite3 STATIC ${deps}/sqlite3/sqlite3.c)
target_include_directories(tarnwick_dep_sqlite3 SYSTEM PUBLIC ${deps}/sqlite3)
# No extensions loaded from files: SQLiteCpp leaves out its call for them too.
target_compile_definitions(tarnwick_dep_sqlite3 PRIVATE SQLITE_THREADSAFE=1
                           PUBLIC SQLITE_OMIT_LOAD_EXTENSION)

file(GLOB sqlitecpp_sources ${deps}/sqlitecpp/src/*.cpp)
add_library(SQLiteCpp STATIC ${sqlitecpp_sources})
target_include_directories(SQLiteCpp SYSTEM PUBLIC ${deps}/sqlitecpp/include)
target_link_libraries(SQLiteCpp PUBLIC tarnwick_dep_sqlite3)

add_library(tarnwick_dep_pugixml STATIC ${deps}/pugixml/src/pugixml.cpp)
target_include_directories(tarnwick_dep_pugixml SYSTEM PUBLIC ${deps}/pugixml/src)
add_library(pugixml::pugixml ALIAS tarnwick_dep_pugixml)

add_library(tarnwick_dep_rtmidi STATIC ${deps}/rtmidi/RtMidi.cpp)
target_include_directories(tarnwick_dep_rtmidi SYSTEM PUBLIC ${deps}/rtmidi)
if(WIN32)
    target_compile_definitions(tarnwick_dep_rtmidi PRIVATE __WINDOWS_MM__)
    target_link_libraries(tarnwick_dep_rtmidi PUBLIC winmm)
endif()
add_library(PkgConfig::RTMIDI ALIAS tarnwick_dep_rtmidi)

add_library(tarnwick_dep_headers INTERFACE)
target_include_directories(tarnwick_dep_headers SYSTEM INTERFACE ${deps}/include)
add_library(nlohmann_json::nlohmann_json ALIAS tarnwick_dep_headers)
add_library(CLI11::CLI11 ALIAS tarnwick_dep_headers)
add_library(Boost::headers ALIAS tarnwick_dep_headers)

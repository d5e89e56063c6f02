# tarnwick_windows_resources(TARGET "DESCRIPTION" [ICON FILE.ico]): on Windows, the
# program's manifest (UTF-8 as its code page), its icon and its version information, made
# from project(); elsewhere nothing.
function(tarnwick_windows_resources target description)
    if(NOT WIN32)
        return()
    endif()
    cmake_parse_arguments(arg "" "ICON" "" ${ARGN})
    enable_language(RC)
    set(program ${target})
    set(icon_resource "")
    if(arg_ICON)
        set(icon_resource "1 ICON \"${arg_ICON}\"")
    endif()
    set(dir ${CMAKE_CURRENT_BINARY_DIR}/windows)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/windows_program.manifest.in
                   ${dir}/${target}.manifest @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/windows_program.rc.in ${dir}/${target}.rc @ONLY)
    target_sources(${target} PRIVATE ${dir}/${target}.rc)
    set_source_files_properties(${dir}/${target}.rc PROPERTIES
        OBJECT_DEPENDS "${dir}/${target}.manifest;${arg_ICON}")
endfunction()

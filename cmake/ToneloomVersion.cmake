# The release version as a generated header, ToneloomVersion.h, on the
# interface target toneloom_version: link it and include "ToneloomVersion.h".
# Its only source is project(... VERSION) in the top-level CMakeLists.txt.
# Windows version resources and the installer need three numbers.
if(NOT PROJECT_VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+$")
    message(FATAL_ERROR "The project version '${PROJECT_VERSION}' is not major.minor.patch")
endif()
configure_file("${CMAKE_CURRENT_LIST_DIR}/ToneloomVersion.h.in"
               "${PROJECT_BINARY_DIR}/generated/ToneloomVersion.h" @ONLY)
add_library(toneloom_version INTERFACE)
target_include_directories(toneloom_version INTERFACE "${PROJECT_BINARY_DIR}/generated")

# toneloom_program_version(<program target> "<description>" [PICTURES])
# On Windows, gives <program>.exe a version resource with the project version
# (what Explorer's file properties show), from
# resources/packaging/program.rc.in. PICTURES compiles the editor's pictures
# (resources/toneloom.rc.in) into the same resources, for a program that
# carries the product itself: the module's own resources would bring the
# module's version resource as well. Elsewhere it does nothing.
function(toneloom_program_version target description)
    if(NOT WIN32)
        return()
    endif()
    cmake_parse_arguments(ARG "PICTURES" "" "" ${ARGN})
    set(TONELOOM_PROGRAM ${target})
    set(TONELOOM_PROGRAM_DESCRIPTION "${description}")
    set(TONELOOM_PROGRAM_RESOURCES "")
    if(ARG_PICTURES)
        set(module_script "${PROJECT_SOURCE_DIR}/resources/toneloom.rc.in")
        file(STRINGS "${module_script}" pictures REGEX "^[0-9]+ PNG ")
        string(REPLACE ";" "\n" TONELOOM_PROGRAM_RESOURCES "${pictures}")
        string(REPLACE "@TONELOOM_IMG_DIR@" "${PROJECT_SOURCE_DIR}/resources/img"
               TONELOOM_PROGRAM_RESOURCES "${TONELOOM_PROGRAM_RESOURCES}")
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${module_script}")
    endif()
    set(script "${CMAKE_CURRENT_BINARY_DIR}/${target}.rc")
    configure_file("${PROJECT_SOURCE_DIR}/resources/packaging/program.rc.in" "${script}" @ONLY)
    target_sources(${target} PRIVATE "${script}")
endfunction()

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

# toneloom_program_version(<program target> "<description>" [PICTURES] [PLAYER])
# On Windows, gives <program>.exe a version resource with the project version
# (what Explorer's file properties show), from
# resources/packaging/program.rc.in. PICTURES compiles the editor's pictures
# (resources/toneloom.rc.in) into the same resources, for a program that
# carries the product itself: the module's own resources would bring the
# module's version resource as well. PLAYER compiles in toneloom-play's own
# resources (resources/player.rc.in): the program's icon and the pictures of
# its window's strip. Elsewhere it does nothing.
function(toneloom_program_version target description)
    if(NOT WIN32)
        return()
    endif()
    cmake_parse_arguments(ARG "PICTURES;PLAYER" "" "" ${ARGN})
    set(TONELOOM_PROGRAM ${target})
    set(TONELOOM_PROGRAM_DESCRIPTION "${description}")
    set(scripts "")
    if(ARG_PICTURES)
        list(APPEND scripts "${PROJECT_SOURCE_DIR}/resources/toneloom.rc.in")
    endif()
    if(ARG_PLAYER)
        list(APPEND scripts "${PROJECT_SOURCE_DIR}/resources/player.rc.in")
    endif()
    # The resource lines of each script (its pictures and icons), without its
    # version resource or comments.
    set(lines "")
    foreach(resource_script IN LISTS scripts)
        file(STRINGS "${resource_script}" resources REGEX "^[0-9]+ (PNG|ICON) ")
        list(APPEND lines ${resources})
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${resource_script}")
    endforeach()
    string(REPLACE ";" "\n" TONELOOM_PROGRAM_RESOURCES "${lines}")
    string(REPLACE "@TONELOOM_IMG_DIR@" "${PROJECT_SOURCE_DIR}/resources/img"
           TONELOOM_PROGRAM_RESOURCES "${TONELOOM_PROGRAM_RESOURCES}")
    string(REPLACE "@TONELOOM_ICON_DIR@" "${PROJECT_SOURCE_DIR}/resources/icons"
           TONELOOM_PROGRAM_RESOURCES "${TONELOOM_PROGRAM_RESOURCES}")
    set(script "${CMAKE_CURRENT_BINARY_DIR}/${target}.rc")
    configure_file("${PROJECT_SOURCE_DIR}/resources/packaging/program.rc.in" "${script}" @ONLY)
    target_sources(${target} PRIVATE "${script}")
endfunction()

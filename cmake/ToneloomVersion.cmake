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

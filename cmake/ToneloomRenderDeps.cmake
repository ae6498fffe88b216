# What toneloom-render needs besides the plug-in: libsndfile as the target
# `toneloom_sndfile` and the header-only CLI11 as `toneloom_cli11`.
# Linux: Debian's libsndfile1-dev and libcli11-dev. Windows (MinGW-w64):
# libsndfile compiled here from Debian's source package, which scripts/setup
# unpacks under build/deps, without the external codec libraries (so WAV,
# AIFF and the other built-in formats, but no FLAC), and CLI11's headers
# from libcli11-dev, which suit any target.
if(TARGET toneloom_sndfile)
    return()
endif()

if(NOT WIN32)
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
    add_library(toneloom_sndfile INTERFACE)
    target_link_libraries(toneloom_sndfile INTERFACE PkgConfig::SNDFILE)
    find_package(CLI11 CONFIG REQUIRED)
    add_library(toneloom_cli11 INTERFACE)
    target_link_libraries(toneloom_cli11 INTERFACE CLI11::CLI11)
    return()
endif()

include(ToneloomDebSources)
toneloom_deb_source(sndfile_dir libsndfile include/sndfile.h)

include(ExternalProject)
set(sndfile_prefix "${CMAKE_BINARY_DIR}/libsndfile")
set(sndfile_library "${sndfile_prefix}/lib/libsndfile.a")
ExternalProject_Add(libsndfile_build
    SOURCE_DIR "${sndfile_dir}"
    PREFIX "${sndfile_prefix}"
    INSTALL_DIR "${sndfile_prefix}"
    CMAKE_ARGS
        -G Ninja
        -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
        -DCMAKE_BUILD_TYPE=Release
        -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
        -DCMAKE_INSTALL_LIBDIR=lib
        -DBUILD_SHARED_LIBS=OFF
        -DENABLE_EXTERNAL_LIBS=OFF
        -DENABLE_MPEG=OFF
        -DBUILD_PROGRAMS=OFF
        -DBUILD_EXAMPLES=OFF
        -DBUILD_TESTING=OFF
        -DENABLE_CPACK=OFF
        -DENABLE_PACKAGE_CONFIG=OFF
        -DINSTALL_PKGCONFIG_MODULE=OFF
        -DINSTALL_MANPAGES=OFF
    BUILD_BYPRODUCTS "${sndfile_library}")
file(MAKE_DIRECTORY "${sndfile_prefix}/include")
add_library(toneloom_sndfile STATIC IMPORTED GLOBAL)
set_target_properties(toneloom_sndfile PROPERTIES
    IMPORTED_LOCATION "${sndfile_library}"
    INTERFACE_INCLUDE_DIRECTORIES "${sndfile_prefix}/include")
add_dependencies(toneloom_sndfile libsndfile_build)

# CLI11 is headers only: reach them through a folder of their own, not the
# host's /usr/include.
find_path(TONELOOM_CLI11_HEADERS CLI/CLI.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(cli11_dir "${CMAKE_BINARY_DIR}/cli11")
file(MAKE_DIRECTORY "${cli11_dir}")
file(CREATE_LINK "${TONELOOM_CLI11_HEADERS}/CLI" "${cli11_dir}/CLI" SYMBOLIC)
add_library(toneloom_cli11 INTERFACE)
target_include_directories(toneloom_cli11 SYSTEM INTERFACE "${cli11_dir}")

# What toneloom-render needs besides the plug-in: libsndfile as the target
# `toneloom_sndfile` and the header-only CLI11 as `toneloom_cli11`.
# Linux: Debian's libsndfile1-dev and libcli11-dev. Windows (MinGW-w64):
# libsndfile compiled here from Debian's source package, which scripts/setup
# unpacks under build/deps, with libFLAC and libogg (for .flac files) and
# libvorbis and Opus (libsndfile builds its FLAC support only together with
# them) compiled from Debian's sources too, all static; and CLI11's headers
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
toneloom_deb_source(ogg_dir libogg include/ogg/ogg.h)
toneloom_deb_source(flac_dir flac include/FLAC/stream_encoder.h)
toneloom_deb_source(vorbis_dir libvorbis include/vorbis/codec.h)
toneloom_deb_source(opus_dir opus include/opus.h)

include(ExternalProject)
# Every codec library goes into one prefix that libsndfile is then pointed at.
set(xiph_prefix "${CMAKE_BINARY_DIR}/xiph")
set(xiph_lib "${xiph_prefix}/lib")
set(xiph_include "${xiph_prefix}/include")
file(MAKE_DIRECTORY "${xiph_include}")
set(static_cmake_args
    -G Ninja
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX=${xiph_prefix}
    -DCMAKE_INSTALL_LIBDIR=lib
    -DCMAKE_POLICY_DEFAULT_CMP0077=NEW
    -DBUILD_SHARED_LIBS=OFF
    -DBUILD_TESTING=OFF)

ExternalProject_Add(libogg_build
    SOURCE_DIR "${ogg_dir}"
    PREFIX "${CMAKE_BINARY_DIR}/xiph-build/ogg"
    CMAKE_ARGS ${static_cmake_args} -DINSTALL_DOCS=OFF -DINSTALL_PKG_CONFIG_MODULE=OFF
               -DINSTALL_CMAKE_PACKAGE_MODULE=OFF
    BUILD_BYPRODUCTS "${xiph_lib}/libogg.a")

# Native FLAC only (no Ogg FLAC), and no stack protector or fortified
# functions, which would need MinGW's libssp DLL.
ExternalProject_Add(libflac_build
    SOURCE_DIR "${flac_dir}"
    PREFIX "${CMAKE_BINARY_DIR}/xiph-build/flac"
    CMAKE_ARGS ${static_cmake_args} -DWITH_OGG=OFF -DBUILD_CXXLIBS=OFF -DBUILD_PROGRAMS=OFF
               -DBUILD_EXAMPLES=OFF -DBUILD_DOCS=OFF -DINSTALL_MANPAGES=OFF
               -DINSTALL_PKGCONFIG_MODULES=OFF -DINSTALL_CMAKE_CONFIG_MODULE=OFF
               -DWITH_FORTIFY_SOURCE=OFF -DWITH_STACK_PROTECTOR=OFF
    BUILD_BYPRODUCTS "${xiph_lib}/libFLAC.a")

ExternalProject_Add(libvorbis_build
    SOURCE_DIR "${vorbis_dir}"
    PREFIX "${CMAKE_BINARY_DIR}/xiph-build/vorbis"
    CMAKE_ARGS ${static_cmake_args} -DINSTALL_CMAKE_PACKAGE_MODULE=OFF
               -DOGG_INCLUDE_DIR=${xiph_include} -DOGG_LIBRARY=${xiph_lib}/libogg.a
    BUILD_BYPRODUCTS "${xiph_lib}/libvorbis.a" "${xiph_lib}/libvorbisenc.a"
                     "${xiph_lib}/libvorbisfile.a"
    DEPENDS libogg_build)

# Opus 1.3.1's release lacks the opus_buildtype.cmake its CMakeLists.txt
# includes (it only picks a default build type, which is given here): build
# from a copy that has an empty one.
set(opus_source "${CMAKE_BINARY_DIR}/xiph-build/opus-source")
file(COPY "${opus_dir}/" DESTINATION "${opus_source}")
if(NOT EXISTS "${opus_source}/opus_buildtype.cmake")
    file(WRITE "${opus_source}/opus_buildtype.cmake" "# The build type comes from the command line.\n")
endif()
ExternalProject_Add(libopus_build
    SOURCE_DIR "${opus_source}"
    PREFIX "${CMAKE_BINARY_DIR}/xiph-build/opus"
    CMAKE_ARGS ${static_cmake_args} -DOPUS_STACK_PROTECTOR=OFF -DOPUS_BUILD_PROGRAMS=OFF
               -DOPUS_INSTALL_PKG_CONFIG_MODULE=OFF -DOPUS_INSTALL_CMAKE_CONFIG_MODULE=OFF
    BUILD_BYPRODUCTS "${xiph_lib}/libopus.a")

set(sndfile_prefix "${CMAKE_BINARY_DIR}/libsndfile")
set(sndfile_library "${sndfile_prefix}/lib/libsndfile.a")
# The codec libraries are named outright, so libsndfile's searches (which
# would look at the build machine's own libraries) have nothing to find;
# pkg-config may still answer them with the build machine's versions, which
# only serve as version numbers.
# FLAC__NO_DLL: libFLAC is linked in, not imported from a DLL.
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
        -DCMAKE_C_FLAGS=-DFLAC__NO_DLL
        -DBUILD_SHARED_LIBS=OFF
        -DENABLE_EXTERNAL_LIBS=ON
        -DENABLE_MPEG=OFF
        -DOGG_INCLUDE_DIR=${xiph_include}
        -DOGG_LIBRARY=${xiph_lib}/libogg.a
        -DFLAC_INCLUDE_DIR=${xiph_include}
        -DFLAC_LIBRARY=${xiph_lib}/libFLAC.a
        -DVorbis_Vorbis_INCLUDE_DIR=${xiph_include}
        -DVorbis_Enc_INCLUDE_DIR=${xiph_include}
        -DVorbis_File_INCLUDE_DIR=${xiph_include}
        -DVorbis_Vorbis_LIBRARY=${xiph_lib}/libvorbis.a
        -DVorbis_Enc_LIBRARY=${xiph_lib}/libvorbisenc.a
        -DVorbis_File_LIBRARY=${xiph_lib}/libvorbisfile.a
        -DOPUS_INCLUDE_DIR=${xiph_include}
        -DOPUS_LIBRARY=${xiph_lib}/libopus.a
        -DBUILD_PROGRAMS=OFF
        -DBUILD_EXAMPLES=OFF
        -DBUILD_TESTING=OFF
        -DENABLE_CPACK=OFF
        -DENABLE_PACKAGE_CONFIG=OFF
        -DINSTALL_PKGCONFIG_MODULE=OFF
        -DINSTALL_MANPAGES=OFF
    BUILD_BYPRODUCTS "${sndfile_library}"
    DEPENDS libogg_build libflac_build libvorbis_build libopus_build)
file(MAKE_DIRECTORY "${sndfile_prefix}/include")
add_library(toneloom_sndfile STATIC IMPORTED GLOBAL)
set_target_properties(toneloom_sndfile PROPERTIES
    IMPORTED_LOCATION "${sndfile_library}"
    INTERFACE_INCLUDE_DIRECTORIES "${sndfile_prefix}/include"
    INTERFACE_LINK_LIBRARIES
        "${xiph_lib}/libvorbisenc.a;${xiph_lib}/libvorbis.a;${xiph_lib}/libFLAC.a;${xiph_lib}/libopus.a;${xiph_lib}/libogg.a")
add_dependencies(toneloom_sndfile libsndfile_build)

# CLI11 is headers only: reach them through a folder of their own, not the
# host's /usr/include.
find_path(TONELOOM_CLI11_HEADERS CLI/CLI.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(cli11_dir "${CMAKE_BINARY_DIR}/cli11")
file(MAKE_DIRECTORY "${cli11_dir}")
file(CREATE_LINK "${TONELOOM_CLI11_HEADERS}/CLI" "${cli11_dir}/CLI" SYMBOLIC)
add_library(toneloom_cli11 INTERFACE)
target_include_directories(toneloom_cli11 SYSTEM INTERFACE "${cli11_dir}")

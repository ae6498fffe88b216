# libpng and zlib as the target `toneloom_png`.
# Linux: Debian's libpng-dev and zlib1g-dev. Windows (MinGW-w64): zlib from
# libz-mingw-w64-dev, libpng compiled here from Debian's source package, which
# scripts/setup unpacks under build/deps, with its prebuilt configuration.
if(TARGET toneloom_png)
    return()
endif()

if(NOT WIN32)
    find_package(PNG REQUIRED)
    add_library(toneloom_png INTERFACE)
    target_link_libraries(toneloom_png INTERFACE PNG::PNG)
    return()
endif()

include(ToneloomDebSources)
toneloom_deb_source(libpng_dir libpng1.6 png.h)

find_library(TONELOOM_MINGW_ZLIB NAMES libz.a z REQUIRED)
find_path(TONELOOM_MINGW_ZLIB_INCLUDE zlib.h REQUIRED)

set(libpng_generated "${CMAKE_BINARY_DIR}/libpng")
configure_file("${libpng_dir}/scripts/pnglibconf.h.prebuilt" "${libpng_generated}/pnglibconf.h"
               COPYONLY)
add_library(toneloom_png STATIC
    ${libpng_dir}/png.c ${libpng_dir}/pngerror.c ${libpng_dir}/pngget.c ${libpng_dir}/pngmem.c
    ${libpng_dir}/pngpread.c ${libpng_dir}/pngread.c ${libpng_dir}/pngrio.c
    ${libpng_dir}/pngrtran.c ${libpng_dir}/pngrutil.c ${libpng_dir}/pngset.c
    ${libpng_dir}/pngtrans.c ${libpng_dir}/pngwio.c ${libpng_dir}/pngwrite.c
    ${libpng_dir}/pngwtran.c ${libpng_dir}/pngwutil.c)
target_include_directories(toneloom_png SYSTEM PUBLIC ${libpng_dir} ${libpng_generated}
                           ${TONELOOM_MINGW_ZLIB_INCLUDE})
target_link_libraries(toneloom_png PUBLIC ${TONELOOM_MINGW_ZLIB})
target_compile_options(toneloom_png PRIVATE -w)

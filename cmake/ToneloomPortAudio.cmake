# PortAudio for toneloom-play, as the target `toneloom_portaudio`. Linux:
# Debian's portaudio19-dev (ALSA and JACK host APIs). Windows (MinGW-w64):
# compiled here, statically, from Debian's portaudio19 source package, which
# scripts/setup unpacks under build/deps, with the WASAPI and MME host APIs.
if(TARGET toneloom_portaudio)
    return()
endif()

if(NOT WIN32)
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(PORTAUDIO REQUIRED IMPORTED_TARGET portaudio-2.0)
    # ALSA and JACK themselves only to keep their messages off the terminal.
    pkg_check_modules(ALSA REQUIRED IMPORTED_TARGET alsa)
    pkg_check_modules(JACK REQUIRED IMPORTED_TARGET jack)
    add_library(toneloom_portaudio INTERFACE)
    target_link_libraries(toneloom_portaudio INTERFACE PkgConfig::PORTAUDIO PkgConfig::ALSA
                                                       PkgConfig::JACK)
    return()
endif()

include(ToneloomDebSources)
toneloom_deb_source(portaudio_dir portaudio19 include/portaudio.h)

add_library(toneloom_portaudio STATIC
    ${portaudio_dir}/src/common/pa_allocation.c
    ${portaudio_dir}/src/common/pa_converters.c
    ${portaudio_dir}/src/common/pa_cpuload.c
    ${portaudio_dir}/src/common/pa_debugprint.c
    ${portaudio_dir}/src/common/pa_dither.c
    ${portaudio_dir}/src/common/pa_front.c
    ${portaudio_dir}/src/common/pa_process.c
    ${portaudio_dir}/src/common/pa_ringbuffer.c
    ${portaudio_dir}/src/common/pa_stream.c
    ${portaudio_dir}/src/common/pa_trace.c
    ${portaudio_dir}/src/os/win/pa_win_coinitialize.c
    ${portaudio_dir}/src/os/win/pa_win_hostapis.c
    ${portaudio_dir}/src/os/win/pa_win_util.c
    ${portaudio_dir}/src/os/win/pa_win_waveformat.c
    ${portaudio_dir}/src/hostapi/wmme/pa_win_wmme.c
    ${portaudio_dir}/src/hostapi/wasapi/pa_win_wasapi.c)
target_include_directories(toneloom_portaudio SYSTEM
    PUBLIC ${portaudio_dir}/include
    PRIVATE ${portaudio_dir}/src/common ${portaudio_dir}/src/os/win)
# WASAPI and MME only: no DirectSound, WDM kernel streaming or ASIO.
target_compile_definitions(toneloom_portaudio PRIVATE
    PA_USE_WMME=1 PA_USE_WASAPI=1 PA_USE_DS=0 PA_USE_WDMKS=0 PA_USE_ASIO=0
    PA_USE_SKELETON=0)
set_source_files_properties(${portaudio_dir}/src/hostapi/wasapi/pa_win_wasapi.c PROPERTIES
    COMPILE_OPTIONS "-include;${CMAKE_CURRENT_LIST_DIR}/PortAudioWasapiMinGW.h")
# Third-party C: its own warnings are not ours to mend.
target_compile_options(toneloom_portaudio PRIVATE -w)
target_link_libraries(toneloom_portaudio PUBLIC winmm ole32 uuid)

# The VST 3 SDK subset that Debian ships with JUCE (SDK 3.7.2), compiled as a
# static library `vst3sdk`. Only the folders we use are built; the pieces the
# subset lacks (factory, single-component effect, module entry, view interface
# IDs) are ours and live in vst3/.
#
# Third-party code: no project warning flags, headers included as SYSTEM.

set(TONELOOM_VST3_SDK_DIR
    "/usr/share/juce/modules/juce_audio_processors/format_types/VST3_SDK"
    CACHE PATH "Root of the VST 3 SDK (pluginterfaces/, base/, public.sdk/)")

if(NOT EXISTS "${TONELOOM_VST3_SDK_DIR}/pluginterfaces/base/funknown.h")
    message(FATAL_ERROR "VST 3 SDK not found in ${TONELOOM_VST3_SDK_DIR}; "
                        "run scripts/setup (package juce-modules-source-data)")
endif()

file(GLOB vst3sdk_sources CONFIGURE_DEPENDS
    "${TONELOOM_VST3_SDK_DIR}/pluginterfaces/base/*.cpp"
    "${TONELOOM_VST3_SDK_DIR}/base/source/*.cpp"
    "${TONELOOM_VST3_SDK_DIR}/base/thread/source/*.cpp"
    "${TONELOOM_VST3_SDK_DIR}/public.sdk/source/common/*.cpp"
    "${TONELOOM_VST3_SDK_DIR}/public.sdk/source/vst/*.cpp")

# The subset declares the editor-view interfaces but never defines their IDs;
# our definitions go into the same library so that every user of the SDK's
# view classes links.
add_library(vst3sdk STATIC
    ${vst3sdk_sources}
    "${PROJECT_SOURCE_DIR}/vst3/PlugViewInterfaceIds.cpp")

target_include_directories(vst3sdk SYSTEM PUBLIC "${TONELOOM_VST3_SDK_DIR}")
# fdebug.h refuses to build without one of the two.
target_compile_definitions(vst3sdk PUBLIC
    $<IF:$<CONFIG:Debug>,DEVELOPMENT=1,RELEASE=1>)
target_compile_features(vst3sdk PUBLIC cxx_std_17)
set_target_properties(vst3sdk PROPERTIES POSITION_INDEPENDENT_CODE ON)
# Third-party sources: keep the build log about our own code.
target_compile_options(vst3sdk PRIVATE -w)
find_package(Threads REQUIRED)
target_link_libraries(vst3sdk PUBLIC Threads::Threads ${CMAKE_DL_LIBS})
if(WIN32)
    target_link_libraries(vst3sdk PUBLIC ole32)
endif()

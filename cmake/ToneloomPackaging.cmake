# What users download and install, made from this build:
#   Linux:   `--target package` makes toneloom_<version>_amd64.deb (CPack):
#            the bundle in /usr/lib/vst3, the programs in /usr/bin, a man page
#            for each program (help2man, from its --help), copyright and
#            changelog in /usr/share/doc/toneloom, toneloom-play's desktop
#            entry and icons in /usr/share/applications and
#            /usr/share/icons/hicolor; the run-time dependencies come from
#            dpkg-shlibdeps.
#   Windows: `--target package` makes Toneloom-<version>-win64.zip (CPack),
#            `--target installer` makes Toneloom-<version>-win64-setup.exe
#            (makensis, resources/packaging/toneloom.nsi.in).
# The version is the project version. Everything packaged is installed in
# the component "release"; other components (install_vst3's "vst3") stay out.
# Sanitizer builds package nothing.
if(TONELOOM_SANITIZE OR NOT TARGET Toneloom OR NOT TARGET toneloom-render)
    return()
endif()

set(TONELOOM_PACKAGING_DIR "${PROJECT_SOURCE_DIR}/resources/packaging")
get_target_property(TONELOOM_PACKAGED_BUNDLE Toneloom TONELOOM_BUNDLE_DIR)
# Every command-line program that ships; the snapshot tool once it is built.
set(TONELOOM_PACKAGED_PROGRAMS toneloom-render)
if(TARGET toneloom-play)
    list(APPEND TONELOOM_PACKAGED_PROGRAMS toneloom-play)
endif()
if(TARGET toneloom-snapshot)
    list(APPEND TONELOOM_PACKAGED_PROGRAMS toneloom-snapshot)
endif()

set(CPACK_PACKAGE_NAME "toneloom")
set(CPACK_PACKAGE_VENDOR "Orvanta")
set(CPACK_PACKAGE_CONTACT "Orvanta <toneloom@orvanta.example>")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "VST 3 plug-in that generates brainwave entrainment tones")
set(CPACK_COMPONENTS_ALL release)
set(CPACK_STRIP_FILES ON)

if(WIN32)
    # The zip holds the folder Toneloom-<version>-win64 with the bundle, the
    # renderer beside it (so it finds the bundle), the licence, the notices of
    # the libraries inside and a README that says where the bundle goes.
    install(DIRECTORY "${TONELOOM_PACKAGED_BUNDLE}" DESTINATION . COMPONENT release)
    install(TARGETS ${TONELOOM_PACKAGED_PROGRAMS} RUNTIME DESTINATION . COMPONENT release)
    install(FILES /usr/share/common-licenses/GPL-3 DESTINATION . RENAME LICENSE.txt
            COMPONENT release)
    # The licence notices of the libraries linked into the Windows binaries,
    # taken from the sources they were built from (several licences ask for
    # their notice to travel with the binaries).
    include(ToneloomDebSources)
    set(TONELOOM_NOTICES "${CMAKE_BINARY_DIR}/packaging/THIRD-PARTY-NOTICES.txt")
    set(notice_sources
        "Steinberg VST 3 SDK (used under the GPL version 3)|${TONELOOM_VST3_SDK_DIR}/LICENSE.txt"
        "libsndfile|${TONELOOM_DEPS_DIR}/libsndfile-*/COPYING"
        "libFLAC|${TONELOOM_DEPS_DIR}/flac-*/COPYING.Xiph"
        "libogg|${TONELOOM_DEPS_DIR}/libogg-*/COPYING"
        "libvorbis|${TONELOOM_DEPS_DIR}/libvorbis-*/COPYING"
        "Opus|${TONELOOM_DEPS_DIR}/opus-*/COPYING"
        "libpng|${TONELOOM_DEPS_DIR}/libpng1.6-*/LICENSE"
        "PortAudio|${TONELOOM_DEPS_DIR}/portaudio19-*/LICENSE.txt"
        "zlib|/usr/share/doc/libz-mingw-w64-dev/copyright"
        "MinGW-w64 run-time and winpthreads|/usr/share/doc/mingw-w64-x86-64-dev/copyright")
    file(WRITE "${TONELOOM_NOTICES}"
         "Toneloom ${PROJECT_VERSION} for Windows is free software under the GNU General\n"
         "Public License version 3 or later (LICENSE.txt). Its programs contain the\n"
         "libraries below, each under its own licence, whose notices follow.\n")
    foreach(entry ${notice_sources})
        string(REPLACE "|" ";" entry "${entry}")
        list(GET entry 0 library)
        list(GET entry 1 pattern)
        file(GLOB notice_files "${pattern}")
        if(notice_files)
            list(GET notice_files -1 notice_file)
            file(READ "${notice_file}" text)
            file(APPEND "${TONELOOM_NOTICES}"
                 "\n\n==== ${library} ====\n\n${text}")
        endif()
    endforeach()
    install(FILES "${TONELOOM_NOTICES}" DESTINATION . COMPONENT release)
    configure_file("${TONELOOM_PACKAGING_DIR}/README-windows.txt.in"
                   "${CMAKE_BINARY_DIR}/packaging/README.txt" @ONLY NEWLINE_STYLE CRLF)
    install(FILES "${CMAKE_BINARY_DIR}/packaging/README.txt" DESTINATION . COMPONENT release)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
    set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
    set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
    set(CPACK_PACKAGE_FILE_NAME "Toneloom-${PROJECT_VERSION}-win64")
    set(CPACK_ARCHIVE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}")
    set(CPACK_PACKAGE_INSTALL_DIRECTORY "Toneloom")

    # The installer, from the built files in place.
    find_program(TONELOOM_MAKENSIS makensis)
    if(TONELOOM_MAKENSIS)
        set(TONELOOM_INSTALLER "${CMAKE_BINARY_DIR}/Toneloom-${PROJECT_VERSION}-win64-setup.exe")
        set(TONELOOM_NSIS_SCRIPT "${CMAKE_BINARY_DIR}/packaging/toneloom.nsi")
        # One File line and one Delete line per program.
        set(TONELOOM_NSIS_INSTALL_PROGRAMS "")
        set(TONELOOM_NSIS_DELETE_PROGRAMS "")
        set(program_files "")
        foreach(program ${TONELOOM_PACKAGED_PROGRAMS})
            string(APPEND TONELOOM_NSIS_INSTALL_PROGRAMS "  File \"$<TARGET_FILE:${program}>\"\n")
            string(APPEND TONELOOM_NSIS_DELETE_PROGRAMS
                   "  Delete \"$INSTDIR\\$<TARGET_FILE_NAME:${program}>\"\n")
            list(APPEND program_files "$<TARGET_FILE:${program}>")
        endforeach()
        # The Start menu's "Toneloom" opens the player's window (the
        # shortcut takes the program's icon).
        set(TONELOOM_NSIS_INSTALL_SHORTCUT "")
        set(TONELOOM_NSIS_DELETE_SHORTCUT "")
        if(TARGET toneloom-play)
            set(TONELOOM_NSIS_INSTALL_SHORTCUT
                "  CreateShortcut \"$SMPROGRAMS\\Toneloom.lnk\" \"$INSTDIR\\toneloom-play.exe\"")
            set(TONELOOM_NSIS_DELETE_SHORTCUT "  Delete \"$SMPROGRAMS\\Toneloom.lnk\"")
        endif()
        set(TONELOOM_NSIS_LICENSE /usr/share/common-licenses/GPL-3)
        configure_file("${TONELOOM_PACKAGING_DIR}/toneloom.nsi.in"
                       "${TONELOOM_NSIS_SCRIPT}.in" @ONLY)
        file(GENERATE OUTPUT "${TONELOOM_NSIS_SCRIPT}" INPUT "${TONELOOM_NSIS_SCRIPT}.in")
        add_custom_command(OUTPUT "${TONELOOM_INSTALLER}"
            COMMAND "${TONELOOM_MAKENSIS}" -V2 -NOCD "-DOUTFILE=${TONELOOM_INSTALLER}"
                    "${TONELOOM_NSIS_SCRIPT}"
            DEPENDS "${TONELOOM_NSIS_SCRIPT}" Toneloom ${TONELOOM_PACKAGED_PROGRAMS}
                    "$<TARGET_FILE:Toneloom>" ${program_files}
            COMMENT "Making ${TONELOOM_INSTALLER}"
            VERBATIM)
        add_custom_target(installer DEPENDS "${TONELOOM_INSTALLER}")
    else()
        message(STATUS "makensis not found: no installer target (scripts/setup installs nsis)")
    endif()
else()
    include(GNUInstallDirs)
    set(doc_dir "${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_PACKAGE_NAME}")
    set(gen_dir "${CMAKE_BINARY_DIR}/packaging")
    find_program(TONELOOM_GZIP gzip REQUIRED)

    # The bundle keeps its layout; the module goes through install(TARGETS) so
    # that it is stripped and its build RPATH removed.
    install(TARGETS Toneloom
            LIBRARY DESTINATION lib/vst3/Toneloom.vst3/Contents/x86_64-linux COMPONENT release)
    install(DIRECTORY "${TONELOOM_PACKAGED_BUNDLE}/" DESTINATION lib/vst3/Toneloom.vst3
            COMPONENT release PATTERN x86_64-linux EXCLUDE)
    install(TARGETS ${TONELOOM_PACKAGED_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
            COMPONENT release)
    # toneloom-play's window in the desktop's application menu, with the
    # icon in every size of the hicolor theme (resources/icons).
    if(TARGET toneloom-play)
        install(FILES "${TONELOOM_PACKAGING_DIR}/toneloom.desktop"
                DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/applications" COMPONENT release)
        install(DIRECTORY "${PROJECT_SOURCE_DIR}/resources/icons/hicolor"
                DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/icons" COMPONENT release)
    endif()

    # Files compressed as lintian wants them: gzip -9, no name or time stamp.
    set(gzipped "${gen_dir}/changelog.gz")
    add_custom_command(OUTPUT "${gen_dir}/changelog.gz"
        COMMAND "${TONELOOM_GZIP}" -9n -c "${TONELOOM_PACKAGING_DIR}/changelog"
                > "${gen_dir}/changelog.gz"
        DEPENDS "${TONELOOM_PACKAGING_DIR}/changelog")
    install(FILES "${TONELOOM_PACKAGING_DIR}/copyright" "${gen_dir}/changelog.gz"
            DESTINATION "${doc_dir}" COMPONENT release)

    # A man page per program from its --help, with the sections of
    # resources/packaging/<program>.h2m when there is one.
    find_program(TONELOOM_HELP2MAN help2man)
    if(TONELOOM_HELP2MAN)
        foreach(program ${TONELOOM_PACKAGED_PROGRAMS})
            set(page "${gen_dir}/${program}.1")
            set(include_file "${TONELOOM_PACKAGING_DIR}/${program}.h2m")
            add_custom_command(OUTPUT "${page}.gz"
                COMMAND "${TONELOOM_HELP2MAN}" --no-info --section=1
                        "--version-string=${PROJECT_VERSION}"
                        "--opt-include=${include_file}" --output=${page}
                        "$<TARGET_FILE:${program}>"
                COMMAND "${TONELOOM_GZIP}" -9nf "${page}"
                DEPENDS ${program} "$<TARGET_FILE:${program}>"
                COMMENT "Man page for ${program}"
                VERBATIM)
            list(APPEND gzipped "${page}.gz")
            install(FILES "${page}.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1"
                    COMPONENT release)
        endforeach()
    else()
        message(WARNING "help2man not found: the package gets no man pages "
                        "(scripts/setup installs help2man)")
    endif()
    add_custom_target(toneloom_package_docs ALL DEPENDS ${gzipped})

    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEB_COMPONENT_INSTALL ON)
    set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_NAME "${CPACK_PACKAGE_NAME}")
    set(CPACK_DEBIAN_PACKAGE_SECTION sound)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://orvanta.example")
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    # The synopsis is CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the text below it.
    set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Toneloom generates tones for brainwave entrainment: two oscillators, one
per ear, make binaural beats (or monaural beats summed in both ears) in
seven wave shapes, with gliding frequency changes, two LFOs that can follow
the host tempo, and 140 factory presets from Solfeggio, Healing and Binaural
frequency lists.
.
This package holds the VST 3 plug-in for Linux hosts (in /usr/lib/vst3),
toneloom-render, which renders the plug-in's tone to an audio file, and
toneloom-play, which plays it live on a sound card.")
endif()

include(CPack)

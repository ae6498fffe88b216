# The Debian source packages the Windows build compiles itself, because
# Debian ships no MinGW build of them. scripts/setup unpacks them (through
# scripts/fetch-deb-sources) under TONELOOM_DEPS_DIR.
include_guard(GLOBAL)

set(TONELOOM_DEPS_DIR "${CMAKE_SOURCE_DIR}/build/deps" CACHE PATH
    "Where scripts/setup unpacked the Debian sources the Windows build compiles")

# toneloom_deb_source(<var> <package> <marker>): sets <var> to the newest
# unpacked folder <package>-<version> that holds the file <marker>.
function(toneloom_deb_source var package marker)
    file(GLOB candidates LIST_DIRECTORIES true "${TONELOOM_DEPS_DIR}/${package}-*")
    list(FILTER candidates EXCLUDE REGEX "\\.(tar|dsc|xz|gz)$")
    list(SORT candidates)
    set(found "")
    foreach(dir IN LISTS candidates)
        if(EXISTS "${dir}/${marker}")
            set(found "${dir}")
        endif()
    endforeach()
    if(NOT found)
        message(FATAL_ERROR "${package} source not found under ${TONELOOM_DEPS_DIR}: run scripts/setup")
    endif()
    set(${var} "${found}" PARENT_SCOPE)
endfunction()

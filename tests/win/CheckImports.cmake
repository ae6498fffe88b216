cmake_policy(SET CMP0057 NEW) # IN_LIST
# Fails unless MODULE (a DLL or program) imports only DLLs that every Windows
# installation ships.
# cmake -DOBJDUMP=<objdump> -DMODULE=<file> -P CheckImports.cmake
execute_process(COMMAND ${OBJDUMP} -p ${MODULE} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "objdump failed on ${MODULE}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${dump}")
if(NOT lines)
    message(FATAL_ERROR "no import table found in ${MODULE}")
endif()
set(system_dlls kernel32.dll user32.dll gdi32.dll shell32.dll ole32.dll oleaut32.dll
    advapi32.dll msvcrt.dll comdlg32.dll comctl32.dll uuid.dll msimg32.dll shlwapi.dll
    ws2_32.dll winmm.dll version.dll)
foreach(line IN LISTS lines)
    string(REPLACE "DLL Name: " "" dll "${line}")
    string(STRIP "${dll}" dll)
    string(TOLOWER "${dll}" lower)
    message(STATUS "imports ${dll}")
    if(NOT lower IN_LIST system_dlls AND NOT lower MATCHES "^api-ms-win-")
        message(FATAL_ERROR "${MODULE} imports ${dll}, which Windows does not ship")
    endif()
endforeach()

# Runs the product editor's DPI test with Wine's screen at 192 dots per inch
# (LogPixels, what Wine's configuration sets for a 200 % screen), then puts
# the prefix back to its default.
# cmake -DEMULATOR=<wine> -DTESTS=<win_product_editor_tests.exe> -P CheckEditorAt192Dpi.cmake
set(key "HKCU\\Control Panel\\Desktop")
execute_process(COMMAND ${EMULATOR} reg add ${key} /v LogPixels /t REG_DWORD /d 192 /f
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "could not set LogPixels in the Wine prefix (${result})")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env TONELOOM_WINE_DPI=192
                        ${EMULATOR} ${TESTS} --gtest_filter=WinProductEditorDpi.*
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
execute_process(COMMAND ${EMULATOR} reg delete ${key} /v LogPixels /f
                OUTPUT_QUIET ERROR_QUIET)
if(NOT result EQUAL 0 OR out MATCHES "SKIPPED")
    message(FATAL_ERROR "the editor at 192 DPI failed (${result}):\n${out}\n${err}")
endif()

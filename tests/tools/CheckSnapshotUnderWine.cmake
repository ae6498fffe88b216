# Runs toneloom-snapshot.exe under Wine: the default editor and one with a
# preset, a click and some playing must come out as 470 x 455 PNG pictures
# that differ; an unknown preset and a point outside the editor must fail
# with one line on stderr and leave no file.
# cmake -DEMULATOR=<wine> -DSNAPSHOT=<exe> -DOUT=<folder> -P CheckSnapshotUnderWine.cmake
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}")

# Width and height from the PNG header (big-endian, bytes 16 to 23).
function(check_png path)
    file(READ "${path}" header LIMIT 24 HEX)
    string(SUBSTRING "${header}" 0 16 signature)
    if(NOT signature STREQUAL "89504e470d0a1a0a")
        message(FATAL_ERROR "${path} is not a PNG file")
    endif()
    string(SUBSTRING "${header}" 32 16 size)
    if(NOT size STREQUAL "000001d6000001c7")
        message(FATAL_ERROR "${path} is not 470 x 455 (${size})")
    endif()
endfunction()

foreach(case "default;--out;${OUT}/default.png"
             "busy;--preset;Modulated Binaural;--click;120,308;--play-seconds;0.5;--out;${OUT}/busy.png")
    list(POP_FRONT case name)
    execute_process(COMMAND ${EMULATOR} ${SNAPSHOT} ${case}
                    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${name} failed (${result}): ${err}")
    endif()
    check_png("${OUT}/${name}.png")
endforeach()
file(SHA256 "${OUT}/default.png" plain)
file(SHA256 "${OUT}/busy.png" busy)
if(plain STREQUAL busy)
    message(FATAL_ERROR "the preset, click and playing changed nothing in the picture")
endif()

foreach(case "--preset;No Such Preset;--out;${OUT}/bad.png"
             "--click;470,10;--out;${OUT}/bad.png")
    execute_process(COMMAND ${EMULATOR} ${SNAPSHOT} ${case}
                    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(result EQUAL 0)
        message(FATAL_ERROR "'${case}' succeeded")
    endif()
    if(NOT err MATCHES "^toneloom-snapshot: [^\n]+\n$")
        message(FATAL_ERROR "'${case}' did not give one line: ${err}")
    endif()
    file(GLOB leftovers "${OUT}/bad.*")
    if(leftovers)
        message(FATAL_ERROR "'${case}' left files behind: ${leftovers}")
    endif()
endforeach()

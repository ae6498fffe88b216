# Runs toneloom-render.exe: one second of a factory preset to a float WAV
# must succeed with the right length; an unknown preset must fail with one
# line on stderr and leave no file; so must float samples asked of FLAC,
# which holds integers only.
# cmake -DEMULATOR=<wine> -DRENDER=<exe> -DOUT=<folder> -P CheckRender.cmake
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}")

execute_process(COMMAND ${EMULATOR} ${RENDER} --preset "Binaural - 7.83 (Schumann Resonance)"
                        --seconds 1 --out ${OUT}/tone.wav
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "render failed (${result}): ${err}")
endif()
file(SIZE "${OUT}/tone.wav" size)
# 48000 stereo frames of 4-byte floats plus the header.
if(size LESS 384000 OR size GREATER 385000)
    message(FATAL_ERROR "tone.wav holds ${size} bytes, not one second of stereo float")
endif()
file(GLOB leftovers "${OUT}/.*partial*")
if(leftovers)
    message(FATAL_ERROR "partial files left behind: ${leftovers}")
endif()

foreach(case "--preset;No Such Preset;--out;${OUT}/bad.wav"
             "--format;float32;--seconds;1;--out;${OUT}/bad.flac")
    execute_process(COMMAND ${EMULATOR} ${RENDER} ${case}
                    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(result EQUAL 0)
        message(FATAL_ERROR "'${case}' succeeded")
    endif()
    if(NOT err MATCHES "^toneloom-render: [^\n]+\n$")
        message(FATAL_ERROR "'${case}' did not give one line: ${err}")
    endif()
    file(GLOB leftovers "${OUT}/bad.*" "${OUT}/.bad*")
    if(leftovers)
        message(FATAL_ERROR "'${case}' left files behind: ${leftovers}")
    endif()
endforeach()

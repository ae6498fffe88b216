# TONELOOM_SANITIZE=address,undefined builds everything with those
# sanitizers; any finding stops the program.
if(TONELOOM_SANITIZE)
    add_compile_options(-fsanitize=${TONELOOM_SANITIZE} -fno-sanitize-recover=all
                        -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=${TONELOOM_SANITIZE})
endif()

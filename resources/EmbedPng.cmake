# Writes a C++ source holding pictures as byte arrays in a table by resource
# id, for platforms without module resources, and the function FUNCTION
# (toneloom::<FUNCTION>(int id, size_t* length)) that finds one by id.
# cmake -DOUT=<file.cpp> -DIMG_DIR=<dir> "-DPICTURES=100=bg.png;101=knob.png;..."
#       -DFUNCTION=PX_FindEmbeddedPng -P EmbedPng.cmake
if(NOT FUNCTION)
    message(FATAL_ERROR "EmbedPng.cmake: FUNCTION names the function to write")
endif()
set(body "// Generated from resources/img by resources/EmbedPng.cmake; do not edit.\n")
string(APPEND body "#include <cstddef>\n\nnamespace toneloom {\nnamespace {\n\n")
set(entries "")
foreach(picture IN LISTS PICTURES)
    string(REPLACE "=" ";" parts "${picture}")
    list(GET parts 0 id)
    list(GET parts 1 file)
    file(READ "${IMG_DIR}/${file}" hex HEX)
    string(LENGTH "${hex}" digits)
    math(EXPR size "${digits} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    # Break the long line every 24 bytes to keep the source readable.
    string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){24})" "\\1\n    " bytes "${bytes}")
    string(APPEND body "// ${file}\nconst unsigned char png${id}[${size}] = {\n    ${bytes}\n};\n\n")
    string(APPEND entries "    {${id}, png${id}, sizeof png${id}},\n")
endforeach()
string(APPEND body "struct Entry\n{\n    int id;\n    const unsigned char* bytes;\n    size_t length;\n};\n\n")
string(APPEND body "const Entry kPictures[] = {\n${entries}};\n\n} // namespace\n\n")
string(APPEND body "const unsigned char* ${FUNCTION}(int id, size_t* length)\n{\n")
string(APPEND body "    for (const Entry& entry : kPictures) {\n        if (entry.id == id) {\n")
string(APPEND body "            *length = entry.length;\n            return entry.bytes;\n        }\n    }\n")
string(APPEND body "    *length = 0;\n    return nullptr;\n}\n\n} // namespace toneloom\n")
file(WRITE "${OUT}.tmp" "${body}")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")

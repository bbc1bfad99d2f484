# cmake -DOUTPUT=file.cpp -DRES_DIR=dir -P EmbedResources.cmake
# Writes the lever bitmaps and the icon of RES_DIR as byte arrays behind
# panel/Resources.h, so that the program needs no files beside it.
set(ids 131 133 134 135 136 137 138 139 140 141 142 143 144)

function(embed_file path var out)
  file(READ "${path}" hex HEX)
  string(LENGTH "${hex}" length)
  math(EXPR bytes "${length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)"
                       "\\1\n" hex "${hex}")
  set(${out} "constexpr unsigned char ${var}[${bytes}] = {\n${hex}};\n" PARENT_SCOPE)
endfunction()

set(body "// Generated from ${RES_DIR} by cmake/EmbedResources.cmake; do not edit.\n")
string(APPEND body "#include \"panel/Resources.h\"\n\nnamespace {\n\n")
foreach(id ${ids})
  embed_file("${RES_DIR}/bitmap${id}.bmp" kBitmap${id} text)
  string(APPEND body "${text}")
endforeach()
embed_file("${RES_DIR}/icon128.ico" kIcon128 text)
string(APPEND body "${text}\n} // namespace\n\nResource BitmapResource(int resourceId) {\n    switch (resourceId) {\n")
foreach(id ${ids})
  string(APPEND body "    case ${id}:\n        return {kBitmap${id}, sizeof kBitmap${id}};\n")
endforeach()
string(APPEND body "    default:\n        return {};\n    }\n}\n\n")
string(APPEND body "Resource IconResource() {\n    return {kIcon128, sizeof kIcon128};\n}\n")
file(WRITE "${OUTPUT}.tmp" "${body}")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${OUTPUT}.tmp" "${OUTPUT}")
file(REMOVE "${OUTPUT}.tmp")

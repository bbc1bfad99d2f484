# cmake -DOUTPUT=file.cpp -DRES_DIR=dir -P EmbedResources.cmake
# Writes the lever bitmaps and the icon of RES_DIR as byte arrays behind
# panel/Resources.h, so that the program needs no files beside it.
set(ids 131 133 134 135 136 137 138 139 140 141 142 143 144)

include(${CMAKE_CURRENT_LIST_DIR}/EmbedBytes.cmake)

set(body "// Generated from ${RES_DIR} by cmake/EmbedResources.cmake; do not edit.\n")
string(APPEND body "#include \"panel/Resources.h\"\n\nnamespace {\n\n")
foreach(id ${ids})
  embed_bytes("${RES_DIR}/bitmap${id}.bmp" "unsigned char" kBitmap${id} "" text)
  string(APPEND body "${text}")
endforeach()
embed_bytes("${RES_DIR}/icon128.ico" "unsigned char" kIcon128 "" text)
string(APPEND body "${text}\n} // namespace\n\nResource BitmapResource(int resourceId) {\n    switch (resourceId) {\n")
foreach(id ${ids})
  string(APPEND body "    case ${id}:\n        return {kBitmap${id}, sizeof kBitmap${id}};\n")
endforeach()
string(APPEND body "    default:\n        return {};\n    }\n}\n\n")
string(APPEND body "Resource IconResource() {\n    return {kIcon128, sizeof kIcon128};\n}\n")
write_if_changed("${OUTPUT}" "${body}")

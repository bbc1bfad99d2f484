# cmake -DOUTPUT=file.cpp -DPAGE_DIR=dir -P EmbedPage.cmake
# Writes the page's HTML, style sheet and script as byte arrays behind
# web/PageFiles.h, so that the server needs no files beside it.
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/EmbedBytes.cmake)

set(body "// Generated from ${PAGE_DIR} by web/EmbedPage.cmake; do not edit.\n")
string(APPEND body "#include \"web/PageFiles.h\"\n\nnamespace {\n\n")
foreach(file index.html pedestal.css pedestal.js)
  string(MAKE_C_IDENTIFIER "k_${file}" var)
  embed_bytes("${PAGE_DIR}/${file}" char ${var} 0 text)
  string(APPEND body "${text}")
endforeach()
string(APPEND body "\n} // namespace\n\nnamespace web {\n\n")
string(APPEND body "std::string_view PageHtmlFile() {\n    return {k_index_html, sizeof k_index_html - 1};\n}\n")
string(APPEND body "std::string_view PageCssFile() {\n    return {k_pedestal_css, sizeof k_pedestal_css - 1};\n}\n")
string(APPEND body "std::string_view PageJsFile() {\n    return {k_pedestal_js, sizeof k_pedestal_js - 1};\n}\n")
string(APPEND body "\n} // namespace web\n")
write_if_changed("${OUTPUT}" "${body}")

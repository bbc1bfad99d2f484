// The page's source files, compiled in by web/EmbedPage.cmake.
#pragma once

#include <string_view>

namespace web {

std::string_view PageHtmlFile();
std::string_view PageCssFile();
std::string_view PageJsFile();

} // namespace web

// The one page a browser loads: the window's template turned into a layout
// the script builds from, with the style and the script inlined, so that the
// page needs nothing but this server's pictures.
#pragma once

#include <string>
#include <string_view>

namespace web {

// Dialog 102 as JSON: caption, size in pixels and every control with its
// kind, caption, pixel rectangle, visibility, the command it sends and the
// part of the shown state it shows, and the window's frames as groups of
// those controls, which the page lays out for the screen it is on.
std::string LayoutJson();

// The page, assembled once.
const std::string& PageHtml();

// The bytes behind /res/NAME ("131.bmp" ... "144.bmp", "icon.ico"), or empty.
std::string_view ResourceFile(std::string_view name);

} // namespace web

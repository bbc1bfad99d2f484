#include "tools/dialogrc/DialogScript.h"

#include "panel/PedestalTemplate.h"

#include <cstdint>
#include <cstdio>

namespace {

// The dialog's own styles: WS_POPUP, WS_VISIBLE, WS_CAPTION, WS_SYSMENU,
// WS_MINIMIZEBOX, WS_MAXIMIZEBOX, DS_MODALFRAME, DS_SETFONT; WS_EX_APPWINDOW.
constexpr std::uint32_t kDialogStyle = 0x90CB00C0;
constexpr std::uint32_t kDialogExStyle = 0x00040000;
// Font weight 0, not italic, character set 1 (DEFAULT_CHARSET).
constexpr int kFontCharSet = 1;
constexpr std::uint32_t kWsVisible = 0x10000000;

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

// A string in the resource compiler's quotes, which doubles a quote.
std::string Quoted(const char* text) {
    std::string quoted = "\"";
    for (const char* p = text; *p != '\0'; ++p)
        quoted += *p == '"' ? std::string("\"\"") : std::string(1, *p);
    return quoted + "\"";
}

// The compiler adds WS_VISIBLE to every CONTROL unless told NOT to.
std::string ControlStyle(std::uint32_t style) {
    return (style & kWsVisible) != 0 ? Hex(style) : Hex(style) + " | NOT " + Hex(kWsVisible);
}

std::string Numbers(std::initializer_list<int> values) {
    std::string text;
    for (int value : values)
        text += ", " + std::to_string(value);
    return text;
}

} // namespace

std::string DialogScript(const DialogTemplate& dialog) {
    std::string rc =
        "// Dialog " + std::to_string(IDD_PEDESTAL_DIALOG) +
        " of the pedestal window, written by tools/dialogrc from the template\n"
        "// data in panel/PedestalTemplate.cpp. Do not edit: change the template and\n"
        "// run \"dialogrc win32/PedestalDialog.rc\"; a test keeps the two in step.\n\n"
        "LANGUAGE 9, 1 // LANG_ENGLISH, SUBLANG_ENGLISH_US\n\n";
    rc += std::to_string(IDD_PEDESTAL_DIALOG) + " DIALOGEX 0, 0" +
          Numbers({dialog.width, dialog.height}) + "\n";
    rc += "STYLE " + Hex(kDialogStyle) + "\n";
    rc += "EXSTYLE " + Hex(kDialogExStyle) + "\n";
    rc += "CAPTION " + Quoted(dialog.caption) + "\n";
    rc += "FONT " + std::to_string(dialog.pointSize) + ", " + Quoted(dialog.fontName) + ", 0, 0, " +
          std::to_string(kFontCharSet) + "\n";
    rc += "BEGIN\n";
    for (std::size_t i = 0; i < dialog.controlCount; ++i) {
        const TemplateControl& c = dialog.controls[i];
        // A bitmap static names its bitmap resource by number.
        const std::string text = c.bitmap != 0 ? std::to_string(c.bitmap) : Quoted(c.caption);
        rc += "    CONTROL " + text + ", " + std::to_string(c.id) + ", " + Quoted(c.className) +
              ", " + ControlStyle(c.style) + Numbers({c.x, c.y, c.w, c.h}) + ", 0, 0\n";
    }
    rc += "END\n";
    return rc;
}

#include "web/Page.h"

#include "panel/Commands.h"
#include "panel/PedestalTemplate.h"
#include "panel/Resources.h"
#include "panel/ShownControls.h"
#include "web/PageFiles.h"

#include <nlohmann/json.hpp>

#include <charconv>

namespace web {
namespace {

using nlohmann::json;

const char* KindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::PushButton:
        return "button";
    case ControlKind::GroupBox:
        return "frame";
    case ControlKind::Text:
        return "text";
    case ControlKind::Bitmap:
        return "picture";
    case ControlKind::Trackbar:
        return "slider";
    }
    return "";
}

// A bitmap static takes its picture's size; the BMP header holds it.
void BitmapSize(int resourceId, int* width, int* height) {
    const Resource bitmap = BitmapResource(resourceId);
    *width = 0;
    *height = 0;
    if (bitmap.size < 26)
        return;
    const auto le32 = [&](std::size_t at) {
        return static_cast<int>(static_cast<unsigned>(bitmap.data[at]) |
                                static_cast<unsigned>(bitmap.data[at + 1]) << 8 |
                                static_cast<unsigned>(bitmap.data[at + 2]) << 16 |
                                static_cast<unsigned>(bitmap.data[at + 3]) << 24);
    };
    *width = le32(18);
    *height = le32(22) < 0 ? -le32(22) : le32(22);
}

void ReplaceOnce(std::string& text, std::string_view marker, std::string_view with) {
    const auto at = text.find(marker);
    if (at != std::string::npos)
        text.replace(at, marker.size(), with);
}

} // namespace

std::string LayoutJson() {
    const DialogTemplate& dlg = PedestalTemplate();
    json controls = json::array();
    for (std::size_t i = 0; i < dlg.controlCount; ++i) {
        const TemplateControl& c = dlg.controls[i];
        const CommandInfo* command = CommandForControl(c.id);
        const ShownControl* shows = ShownControlFor(c.id);
        json control = {
            {"id", c.id},
            {"kind", KindName(KindOf(c))},
            {"caption", c.caption},
            {"x", DialogUnitsToPixelsX(c.x)},
            {"y", DialogUnitsToPixelsY(c.y)},
            {"w", DialogUnitsToPixelsX(c.w)},
            {"h", DialogUnitsToPixelsY(c.h)},
            {"visible", IsVisible(c.style)},
            {"disabled", IsDisabled(c.style)},
            {"command", command != nullptr ? command->name : ""},
            {"shows", shows != nullptr ? shows->key : ""},
        };
        if (c.bitmap != 0) {
            int width = 0;
            int height = 0;
            BitmapSize(c.bitmap, &width, &height);
            control["bitmap"] = c.bitmap;
            control["w"] = width;
            control["h"] = height;
        }
        controls.push_back(std::move(control));
    }
    json layout = {
        {"caption", dlg.caption},
        {"width", DialogUnitsToPixelsX(dlg.width)},
        {"height", DialogUnitsToPixelsY(dlg.height)},
        {"bitmaps", kBitmapResourceIds},
        {"controls", std::move(controls)},
    };
    std::string text = layout.dump();
    // Inlined in a script element, "</" must not end it early.
    for (auto at = text.find("</"); at != std::string::npos; at = text.find("</", at + 3))
        text.replace(at, 2, "<\\/");
    return text;
}

const std::string& PageHtml() {
    static const std::string page = [] {
        std::string html(PageHtmlFile());
        ReplaceOnce(html, "/*PEDESTAL_CSS*/", PageCssFile());
        ReplaceOnce(html, "/*PEDESTAL_JS*/", PageJsFile());
        ReplaceOnce(html, "\"PEDESTAL_LAYOUT\"", LayoutJson());
        return html;
    }();
    return page;
}

std::string_view ResourceFile(std::string_view name) {
    const auto view = [](const Resource& r) {
        return r.IsNull() ? std::string_view{}
                          : std::string_view(reinterpret_cast<const char*>(r.data), r.size);
    };
    if (name == "icon.ico")
        return view(IconResource());
    constexpr std::string_view kSuffix = ".bmp";
    if (name.size() != 3 + kSuffix.size() || !name.ends_with(kSuffix))
        return {};
    int id = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + 3, id);
    if (error != std::errc() || end != name.data() + 3)
        return {};
    return view(BitmapResource(id));
}

} // namespace web

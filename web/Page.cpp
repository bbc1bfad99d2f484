#include "web/Page.h"

#include "panel/Commands.h"
#include "panel/PedestalTemplate.h"
#include "panel/Resources.h"
#include "panel/ShownControls.h"
#include "web/PageFiles.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <vector>

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

// Whether a control's centre lies in a frame (both in dialog units, doubled
// so that the centre needs no fraction).
bool CentreIn(const TemplateControl& c, const TemplateControl& frame) {
    const int x = 2 * c.x + c.w;
    const int y = 2 * c.y + c.h;
    return x >= 2 * frame.x && x < 2 * (frame.x + frame.w) && y >= 2 * frame.y &&
           y < 2 * (frame.y + frame.h);
}

// The window's frames, top to bottom, each with the controls (as indices into
// the template) whose centre it holds: "side" those left of its middle (the
// lever's picture and the text under it), "stack" those right of it (texts
// and buttons), each top to bottom as the window has them. A page on another
// screen rearranges the groups, never what is in them. A control in no frame
// is "loose".
json Groups(const DialogTemplate& dlg) {
    std::vector<std::size_t> frames;
    for (std::size_t i = 0; i < dlg.controlCount; ++i) {
        if (KindOf(dlg.controls[i]) == ControlKind::GroupBox)
            frames.push_back(i);
    }
    const auto topToBottom = [&](std::size_t a, std::size_t b) {
        const TemplateControl& l = dlg.controls[a];
        const TemplateControl& r = dlg.controls[b];
        return l.y != r.y ? l.y < r.y : l.x < r.x;
    };
    std::ranges::stable_sort(frames, topToBottom);
    std::vector<std::size_t> controls;
    for (std::size_t i = 0; i < dlg.controlCount; ++i) {
        if (KindOf(dlg.controls[i]) != ControlKind::GroupBox)
            controls.push_back(i);
    }
    std::ranges::stable_sort(controls, topToBottom);

    json groups = json::array();
    std::vector<bool> placed(dlg.controlCount, false);
    for (const std::size_t f : frames) {
        const TemplateControl& frame = dlg.controls[f];
        json side = json::array();
        json stack = json::array();
        for (const std::size_t i : controls) {
            const TemplateControl& c = dlg.controls[i];
            if (placed[i] || !CentreIn(c, frame))
                continue;
            placed[i] = true;
            (2 * c.x + c.w < 2 * frame.x + frame.w ? side : stack).push_back(i);
        }
        groups.push_back({
            {"frame", f},
            {"w", DialogUnitsToPixelsX(frame.w)},
            {"h", DialogUnitsToPixelsY(frame.h)},
            {"side", std::move(side)},
            {"stack", std::move(stack)},
        });
    }
    json loose = json::array();
    for (const std::size_t i : controls) {
        if (!placed[i])
            loose.push_back(i);
    }
    return {{"groups", std::move(groups)}, {"loose", std::move(loose)}};
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
    layout.update(Groups(dlg));
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

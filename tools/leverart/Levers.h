// The pedestal's lever pictures and the application icon, each drawn from
// scratch, and the table of files the window loads them from.
#pragma once

#include "Canvas.h"
#include "ImageFiles.h"

#include <filesystem>
#include <span>
#include <string>

namespace leverart {

enum class Lever { Flaps, SpeedBrake, Gear, Thrust };

// One bitmap resource: the lever, its position (a detent index counted from
// the top of the picture) and the exact frame the window's picture control has.
struct LeverPicture {
    int resource;
    Lever lever;
    int position;
    int width;
    int height;
};

std::span<const LeverPicture> LeverPictures();
std::string BitmapFileName(int resource);
inline const char* const kIconFileName = "icon128.ico";

Canvas DrawLever(const LeverPicture& picture);
Bytes EncodeIcon();

// Writes every bitmap and the icon into folder, creating it when missing.
bool WriteAllPictures(const std::filesystem::path& folder);

} // namespace leverart

// Writing one calibrated axis into the bindings file, keeping the rest of
// the file as it was, comments and all.
#pragma once

#include "input/Mapping.h"

#include <filesystem>
#include <string>

namespace pedestal_input {

// The file's text with the [[device.axis]] entry of the device named exactly
// device (or a new device) for binding.index put in, or replaced. False, with
// why, when the text is no valid bindings file to begin with.
bool PutAxis(const std::string& text, const std::string& source, const std::string& device,
             const pedestal::input::AxisBinding& binding, std::string* result, std::string* why);

// Writes text to path through a file beside it, so that a failed write leaves
// the old file whole.
bool ReplaceFile(const std::filesystem::path& path, const std::string& text, std::string* why);

} // namespace pedestal_input

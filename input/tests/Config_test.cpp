// The bindings file: the documented example reads as it stands; every fault
// is told with its line and column and leaves no bindings.
#include "input/Config.h"

#include <gtest/gtest.h>

using namespace pedestal::input;

TEST(Config, TheDocumentedFileReads) {
    const ConfigResult result = ParseConfig(R"([[device]]
name = "Throttle"                  # part of the device's name, or its GUID
deadband = 0.5                     # percent of the axis' range (optional)
[[device.axis]]
index = 0
function = "thrust1"               # thrust, thrust1, thrust2, flaps, speedbrake
detents = [-32768, -9000, 14000, 30000]
[[device.button]]
index = 3
command = "gearup"                 # any protocol command, or flapsup, flapsdown, geartoggle
)",
                                            "input.toml");
    ASSERT_TRUE(result.Ok()) << result.errors.front();
    ASSERT_EQ(result.config.devices.size(), 1u);
    const DeviceBinding& device = result.config.devices[0];
    EXPECT_EQ(device.name, "Throttle");
    ASSERT_EQ(device.axes.size(), 1u);
    EXPECT_EQ(device.axes[0].function, Function::Thrust1);
    EXPECT_EQ(device.axes[0].deadbandPercent, 0.5);
    EXPECT_EQ(device.axes[0].detents, (std::vector<int>{-32768, -9000, 14000, 30000}));
    ASSERT_EQ(device.buttons.size(), 1u);
    EXPECT_EQ(device.buttons[0].command, Command::GearUp);
}

TEST(Config, FaultsAreToldWithLineAndColumn) {
    const std::string head = "[[device]]\nname = \"T\"\n";
    const struct {
        std::string text;
        std::string error;
    } rows[] = {
        {head + "[[device.axis]]\nindex = 0\nfunction = \"rudder\"\ndetents = [1, 2]\n",
         "f.toml:5:12: no function named \"rudder\""},
        {head + "[[device.button]]\nindex = 1\ncommand = \"eject\"\n",
         "f.toml:5:11: no button command named \"eject\""},
        {head + "[[device.button]]\nindex = \"one\"\ncommand = \"brakes\"\n",
         "f.toml:4:9: \"index\" must be a whole number"},
        {head + "[[device.axis]]\nindex = 0\nfunction = \"flaps\"\ndetents = [1, 2, 3]\n",
         "f.toml:6:11: flaps takes 5 detents, not 3"},
        {head + "[[device.axis]]\nindex = 0\nfunction = \"thrust\"\ndetents = [1, 3, 2, 4]\n",
         "f.toml:6:11: the detents must run in order"},
        {head + "deadband = \"wide\"\n", "f.toml:3:12: \"deadband\" is a percent"},
        {head + "[[device.axis]\n", "f.toml:3:"},
    };
    for (const auto& row : rows) {
        const ConfigResult result = ParseConfig(row.text, "f.toml");
        ASSERT_EQ(result.errors.size(), 1u) << row.text;
        EXPECT_EQ(result.errors[0].rfind(row.error, 0), 0u) << result.errors[0];
        EXPECT_TRUE(result.config.devices.empty());
    }
}

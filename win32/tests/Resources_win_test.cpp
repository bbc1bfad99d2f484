// The compiled resource script, read back as the system loads it: the
// dialog's template header, the lever pictures, the icon and the version.
#include "panel/PedestalTemplate.h"
#include "panel/Resources.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

namespace {

std::string VersionString(const char* key) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    DWORD ignored = 0;
    std::string data(GetFileVersionInfoSizeA(path, &ignored), '\0');
    if (data.empty() || !GetFileVersionInfoA(path, 0, static_cast<DWORD>(data.size()), data.data()))
        return "(no version resource)";
    char* value = nullptr;
    UINT length = 0;
    const std::string query = std::string("\\StringFileInfo\\040904B0\\") + key;
    if (!VerQueryValueA(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
        return "(no " + std::string(key) + ")";
    return std::string(value, length > 0 ? length - 1 : 0);
}

} // namespace

TEST(Resources, DialogHeaderIsTheTemplates) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_PEDESTAL_DIALOG), RT_DIALOG);
    ASSERT_NE(found, nullptr);
    const auto* bytes =
        static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, found)));
    std::uint16_t version = 0, signature = 0, count = 0;
    std::uint32_t exStyle = 0, style = 0;
    std::int16_t x = -1, y = -1, cx = 0, cy = 0;
    std::memcpy(&version, bytes, 2);
    std::memcpy(&signature, bytes + 2, 2);
    std::memcpy(&exStyle, bytes + 8, 4);
    std::memcpy(&style, bytes + 12, 4);
    std::memcpy(&count, bytes + 16, 2);
    std::memcpy(&x, bytes + 18, 2);
    std::memcpy(&y, bytes + 20, 2);
    std::memcpy(&cx, bytes + 22, 2);
    std::memcpy(&cy, bytes + 24, 2);
    EXPECT_EQ(version, 1);
    EXPECT_EQ(signature, 0xFFFF); // an extended template
    EXPECT_EQ(exStyle, 0x00040000u);
    EXPECT_EQ(style, 0x90CB00C0u);
    EXPECT_EQ(count, PedestalTemplate().controlCount);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(cx, PedestalTemplate().width);
    EXPECT_EQ(cy, PedestalTemplate().height);
}

TEST(Resources, ThirteenLeverPicturesAtTheirSizes) {
    for (int id : kBitmapResourceIds) {
        HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
        ASSERT_NE(bitmap, nullptr) << id;
        BITMAP info{};
        GetObjectA(bitmap, sizeof info, &info);
        // The checked-in file's own header says what the resource must hold.
        const Resource file = BitmapResource(id);
        std::int32_t width = 0, height = 0;
        std::memcpy(&width, file.data + 18, 4);
        std::memcpy(&height, file.data + 22, 4);
        EXPECT_EQ(info.bmWidth, width) << id;
        EXPECT_EQ(info.bmHeight, height) << id;
        DeleteObject(bitmap);
    }
}

TEST(Resources, IconAndVersion) {
    EXPECT_NE(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME)), nullptr);
    EXPECT_EQ(VersionString("FileDescription"), "Pedestal MFC Application");
    EXPECT_EQ(VersionString("FileVersion"), "1, 0, 0, 1");
    EXPECT_EQ(VersionString("OriginalFilename"), "Pedestal.EXE");
}

// The Windows pedestal window in its own process, as a user meets it: found
// by its caption, clicked at its template positions, read back through the
// block with simblock.exe, closed with its close box; with --web, a browser's
// WebSocket as a further view of the same window.
// In this order: the template names IDOK before windows.h makes it a macro,
// and Asio needs Winsock's header before windows.h, which the block brings.
#include "panel/PedestalTemplate.h"
#include "web/tests/TestClient.h"

#include "shm/TS_P_0001_02_Shm.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
const char kCaption[] = "R320 UVED Ovu Rared";
const char kFailureCaption[] = "CPedestalDlg::SetUpSharedMemory";

std::string UniqueName(const char* tag) {
    return "PedestalTest_" + std::to_string(GetCurrentProcessId()) + "_window_" + tag;
}

// The build tree's folder of this test.
std::string HereDirectory() {
    char path[1024];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string text(path, length);
    return text.substr(0, text.rfind('\\'));
}

bool WaitFor(const std::function<bool()>& done, int milliseconds) {
    const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done()) {
        if (Clock::now() > end)
            return false;
        Sleep(5);
    }
    return true;
}

// A child process; its standard output is read whole at the end.
class Process {
public:
    explicit Process(std::string commandLine, HANDLE output = nullptr) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (output != nullptr) {
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdOutput = output;
            startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        }
        m_bStarted = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                    nullptr, &startup, &m_Info) != 0;
        if (m_bStarted)
            CloseHandle(m_Info.hThread);
    }
    ~Process() {
        if (m_bStarted) {
            if (WaitForSingleObject(m_Info.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(m_Info.hProcess, 99);
            CloseHandle(m_Info.hProcess);
        }
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool started() const { return m_bStarted; }
    DWORD id() const { return m_Info.dwProcessId; }
    // The exit code, or STILL_ACTIVE after the wait.
    DWORD Wait(DWORD milliseconds) {
        DWORD code = STILL_ACTIVE;
        WaitForSingleObject(m_Info.hProcess, milliseconds);
        GetExitCodeProcess(m_Info.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION m_Info{};
    bool m_bStarted = false;
};

// simblock.exe's JSON for "get --json --name NAME", from another process.
std::string SimblockGet(const std::string& name) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return {};
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::string out;
    {
        Process simblock("\"" + HereDirectory() +
                             "\\..\\..\\tools\\simblock\\simblock.exe\" get --json --name " + name,
                         writeEnd);
        CloseHandle(writeEnd);
        char buffer[4096];
        DWORD got = 0;
        while (simblock.started() && ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) &&
               got > 0)
            out.append(buffer, got);
        EXPECT_EQ(simblock.Wait(20000), 0u) << out;
    }
    CloseHandle(readEnd);
    return out;
}

struct WindowSearch {
    DWORD processId;
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char caption[128] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (owner == search->processId && std::string(caption) == search->caption &&
        IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindProcessWindow(DWORD processId, const char* caption) {
    WindowSearch search{processId, caption, nullptr};
    WaitFor(
        [&] {
            EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        30000);
    return search.found;
}

const TemplateControl& Control(int id) {
    const DialogTemplate& dialog = PedestalTemplate();
    for (std::size_t i = 0; i < dialog.controlCount; ++i) {
        if (dialog.controls[i].id == id)
            return dialog.controls[i];
    }
    return dialog.controls[0];
}

INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// Dialog units in pixels as the system maps them for template 102 and its
// font. MapDialogRect only works on a dialog of the calling process, so this
// one makes a hidden copy of the template from its own resources.
RECT DialogPixels(RECT units) {
    static HWND reference = [] {
        HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_PEDESTAL_DIALOG), RT_DIALOG);
        const auto* bytes =
            static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, found)));
        std::string copy(reinterpret_cast<const char*>(bytes), SizeofResource(nullptr, found));
        // DLGTEMPLATEEX: the style follows version, signature, help ID, extended style.
        DWORD style = 0;
        std::memcpy(&style, copy.data() + 12, sizeof style);
        style &= ~static_cast<DWORD>(WS_VISIBLE);
        std::memcpy(copy.data() + 12, &style, sizeof style);
        return CreateDialogIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(copy.data()),
                                          nullptr, QuietDialog, 0);
    }();
    MapDialogRect(reference, &units);
    return units;
}

// A control's template rectangle in the window's client pixels.
RECT TemplateRect(const TemplateControl& control) {
    return DialogPixels({control.x, control.y, control.x + control.w, control.y + control.h});
}

// A real left click through the system's input queue, at the middle of the
// control's template rectangle.
void ClickAt(HWND window, int controlId) {
    const RECT rect = TemplateRect(Control(controlId));
    POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClientToScreen(window, &point);
    SetForegroundWindow(window);
    SetCursorPos(point.x, point.y);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

std::string Text(HWND window, int controlId) {
    char text[128] = {};
    GetDlgItemTextA(window, controlId, text, sizeof text);
    return text;
}

LPARAM Picture(HWND window, int controlId) {
    return SendDlgItemMessageA(window, controlId, STM_GETIMAGE, IMAGE_BITMAP, 0);
}

// The window as it is on the screen, as a 24-bit BMP file.
bool SaveScreenshot(HWND window, const char* path) {
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const DWORD rowSize = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD imageSize = rowSize * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    file.bfSize = file.bfOffBits + imageSize;
    bool saved = false;
    if (FILE* out = std::fopen(path, "wb")) {
        saved = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                std::fwrite(bits, imageSize, 1, out) == 1;
        saved = std::fclose(out) == 0 && saved;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

class PedestalWindow : public testing::Test {
protected:
    void SetUp() override {
        // Wine draws windows on an X display; without one there is no window.
        if (std::getenv("DISPLAY") == nullptr)
            GTEST_SKIP() << "no DISPLAY for the window";
        const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
    }
    std::string WindowCommand(const std::string& name) const {
        return "\"" + HereDirectory() + "\\PedestalTestWindow.exe\" " + name;
    }
};

} // namespace

TEST_F(PedestalWindow, FollowsClicksAtTemplatePositionsAndCloseLowersCount) {
    const std::string name = UniqueName("clicks");
    // This test is the first user, so the block outlives the window.
    TS_P_0001_02_Shm peer(name.c_str());
    ASSERT_TRUE(peer.IsValid()) << peer.GetErrorText();
    GenericSimBlock& block = *peer.GetBlock();

    Process window(WindowCommand(name));
    ASSERT_TRUE(window.started());
    HWND dialog = FindProcessWindow(window.id(), kCaption);
    ASSERT_NE(dialog, nullptr) << "no window captioned " << kCaption;
    EXPECT_EQ(block.userCount, 2);

    // The client area is the template's 139 x 346 dialog units, and each
    // button sits where the template puts it.
    RECT client;
    GetClientRect(dialog, &client);
    const RECT expected = DialogPixels({0, 0, PedestalTemplate().width, PedestalTemplate().height});
    ASSERT_GT(expected.right, PedestalTemplate().width);
    EXPECT_EQ(client.right, expected.right);
    EXPECT_EQ(client.bottom, expected.bottom);
    for (int id : {IDC_FLAP_2, IDC_THRUST_TOGA, IDC_GEAR_UP, IDC_BRAKES, IDC_SPEED_BRAKE_OUT}) {
        RECT placed;
        GetWindowRect(GetDlgItem(dialog, id), &placed);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
        const RECT wanted = TemplateRect(Control(id));
        EXPECT_EQ(placed.left, wanted.left) << id;
        EXPECT_EQ(placed.top, wanted.top) << id;
        EXPECT_EQ(placed.right, wanted.right) << id;
        EXPECT_EQ(placed.bottom, wanted.bottom) << id;
    }

    // The template's hidden controls stay hidden; the slider is a trackbar.
    for (int id : {int{IDOK}, int{IDCANCEL}, int{IDC_THRUST_SLIDER}, int{IDC_FLAP_TEXT}})
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, id))) << id;
    char className[64] = {};
    GetClassNameA(GetDlgItem(dialog, IDC_THRUST_SLIDER), className, sizeof className);
    EXPECT_STREQ(className, TRACKBAR_CLASSA);

    // The 60 ms timer: the first tick writes the texts, then the heartbeat
    // rises about 16 times a second.
    ASSERT_TRUE(WaitFor([&] { return Text(dialog, IDC_THRUST_TEXT) == "IDLE"; }, 5000));
    const std::int32_t beat = block.aidControlsHeartbeat;
    Sleep(1000);
    const std::int32_t beats = block.aidControlsHeartbeat - beat;
    EXPECT_GE(beats, 8);
    EXPECT_LE(beats, 24);
    // Any timer message of the window runs a whole tick, whatever its ID: far
    // more beats than the window's own timer gives in the time.
    const std::int32_t sent = block.aidControlsHeartbeat;
    for (WPARAM id = 1; id <= 200; ++id)
        SendMessageA(dialog, WM_TIMER, id, 0);
    EXPECT_GE(block.aidControlsHeartbeat - sent, 200);

    struct Click {
        int control;
        std::function<bool()> written; // the command's write, in the block
        int textControl;
        const char* text;
        int pictureControl; // 0: no picture changes
    };
    const Click clicks[] = {
        {IDC_FLAP_2, [&] { return block.flapLever[2] == 1; }, IDC_FLAP_TEXT, "Flaps 2   ",
         IDC_FLAP_PICTURE},
        {IDC_THRUST_TOGA, [&] { return block.thrustLever[0] > 90; }, IDC_THRUST_TEXT, "TO/GA",
         IDC_THRUST_PICTURE},
        {IDC_GEAR_UP, [&] { return block.gearLeverUp == 1; }, IDC_GEAR_TEXT, "Gear Up",
         IDC_GEAR_PICTURE},
        {IDC_BRAKES, [&] { return block.brakeDemand[0] == 1.0; }, IDC_BRAKES_TEXT, "Brakes On", 0},
        {IDC_SPEED_BRAKE_OUT, [&] { return block.speedBrakeLever == 3; }, IDC_SPEED_BRAKE_TEXT,
         "Speed Brake Out", IDC_SPEED_BRAKE_PICTURE},
    };
    for (const Click& click : clicks) {
        const LPARAM before = click.pictureControl != 0 ? Picture(dialog, click.pictureControl) : 0;
        ClickAt(dialog, click.control);
        ASSERT_TRUE(WaitFor(click.written, 3000)) << "click on " << click.control;
        // Within two ticks of the write, with room for a loaded machine.
        const auto written = Clock::now();
        EXPECT_TRUE(WaitFor(
            [&] {
                return Text(dialog, click.textControl) == click.text &&
                       (click.pictureControl == 0 ||
                        Picture(dialog, click.pictureControl) != before);
            },
            2 * 60 + 180))
            << click.control << ": " << Text(dialog, click.textControl);
        std::printf("click %d shown after %lld ms\n", click.control,
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                               Clock::now() - written)
                                               .count()));
    }
    EXPECT_EQ(Text(dialog, IDC_BRAKES), "Brakes Off");

    const std::string json = SimblockGet(name);
    for (const char* part :
         {"\"flapLever\":[0,0,1,0,0]", "\"detent\":\"TO/GA\"", "\"gear\":{\"position\":\"up\"",
          "\"brakes\":{\"state\":\"on\"", "\"speedbrake\":{\"position\":\"out\"", "\"users\":2"})
        EXPECT_NE(json.find(part), std::string::npos) << part << " in " << json;

    if (const char* shot = std::getenv("PEDESTAL_WINDOW_SHOT")) {
        EXPECT_TRUE(SaveScreenshot(dialog, shot));
    }

    // The close box ends the window and its attachment.
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(window.Wait(10000), 0u);
    EXPECT_EQ(block.userCount, 1);
}

TEST_F(PedestalWindow, ForeignVersionGivesTheFailureBoxAndLeavesTheCount) {
    const std::string name = UniqueName("foreign");
    // Another layout's block, held by this test.
    HANDLE mapping =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 128648, name.c_str());
    ASSERT_NE(mapping, nullptr);
    auto* block =
        static_cast<GenericSimBlock*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(block, nullptr);
    std::string other = TS_P_0001_02_Shm::GetLayoutVersion();
    other[30] = 'r';
    std::memcpy(block->versionText, other.data(), other.size());
    block->userCount = 3;

    Process window(WindowCommand(name));
    ASSERT_TRUE(window.started());
    HWND box = FindProcessWindow(window.id(), kFailureCaption);
    ASSERT_NE(box, nullptr) << "no box captioned " << kFailureCaption;
    // The message box's text is its static 0xFFFF.
    EXPECT_EQ(Text(box, 0xFFFF),
              "TS_P_0001_02_Shm::TS_P_0001_02_Shm\nShared Memory Version Mismatch\n"
              "Please rebuild software");
    // No icon (static 0x14 would hold it) and one button.
    EXPECT_EQ(GetDlgItem(box, 0x14), nullptr);
    HWND button = FindWindowExA(box, nullptr, "Button", nullptr);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(FindWindowExA(box, button, "Button", nullptr), nullptr);
    PostMessageA(button, BM_CLICK, 0, 0);

    // The window runs on without a block.
    HWND dialog = FindProcessWindow(window.id(), kCaption);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(WaitFor([&] { return Text(dialog, IDC_THRUST_TEXT) == "IDLE"; }, 5000));
    ClickAt(dialog, IDC_FLAP_2);
    Sleep(200);
    EXPECT_EQ(block->flapLever[2], 0);
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(window.Wait(10000), 0u);
    EXPECT_EQ(block->userCount, 3);
    EXPECT_EQ(std::memcmp(block->versionText, other.data(), other.size()), 0);
    UnmapViewOfFile(block);
    CloseHandle(mapping);
}

namespace {

// A port that nothing listens on just now, for a program to listen on.
unsigned short FreePort() {
    webtest::asio::io_context ioc;
    webtest::tcp::acceptor probe(ioc, {webtest::asio::ip::make_address("127.0.0.1"), 0});
    return probe.local_endpoint().port();
}

} // namespace

TEST_F(PedestalWindow, WebOptionServesTheWindowsOwnPedestal) {
    const std::string name = UniqueName("web");
    TS_P_0001_02_Shm peer(name.c_str());
    ASSERT_TRUE(peer.IsValid()) << peer.GetErrorText();
    GenericSimBlock& block = *peer.GetBlock();

    const unsigned short port = FreePort();
    Process window("\"" + HereDirectory() + "\\..\\Pedestal.exe\" --web 127.0.0.1:" +
                   std::to_string(port) + " --block " + name);
    ASSERT_TRUE(window.started());
    HWND dialog = FindProcessWindow(window.id(), kCaption);
    ASSERT_NE(dialog, nullptr) << "no window captioned " << kCaption;
    ASSERT_TRUE(WaitFor([&] { return Text(dialog, IDC_THRUST_TEXT) == "IDLE"; }, 5000));

    // A browser's command runs on the window's thread and is answered once
    // the block holds it.
    webtest::TestClient browser;
    ASSERT_EQ(101, browser.Connect(port));
    ASSERT_TRUE(browser.ReadUntil("\"full\":true"));
    browser.Send(R"({"id":1,"command":"flap2"})");
    const auto reply = browser.ReadUntil("\"id\":1");
    ASSERT_TRUE(reply);
    EXPECT_EQ(*reply, R"({"id":1,"ok":true})");
    EXPECT_EQ(block.flapLever[2], 1);
    // The window shows it, and the state comes back to the browser.
    EXPECT_TRUE(browser.ReadUntil("Flaps 2", std::chrono::milliseconds(2000)));
    EXPECT_TRUE(WaitFor([&] { return Text(dialog, IDC_FLAP_TEXT) == "Flaps 2   "; }, 2000));

    // A click in the window reaches the browser within a tick or two.
    ClickAt(dialog, IDC_GEAR_UP);
    ASSERT_TRUE(WaitFor([&] { return block.gearLeverUp == 1; }, 3000));
    EXPECT_TRUE(browser.ReadUntil("\"gearText\":\"Gear Up\"", std::chrono::milliseconds(2000)));

    const std::string json = SimblockGet(name);
    for (const char* part :
         {"\"flapLever\":[0,0,1,0,0]", "\"gear\":{\"position\":\"up\"", "\"users\":2"})
        EXPECT_NE(json.find(part), std::string::npos) << part << " in " << json;
    if (const char* shot = std::getenv("PEDESTAL_WEB_SHOT")) {
        EXPECT_TRUE(SaveScreenshot(dialog, shot));
    }

    // Closing the window ends the server with it.
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(window.Wait(10000), 0u);
    EXPECT_EQ(block.userCount, 1);
    EXPECT_FALSE(browser.Read(std::chrono::milliseconds(2000)));
    webtest::TestClient late;
    EXPECT_EQ(-1, late.Connect(port));
}

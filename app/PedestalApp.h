// The one application object: its start-up routine runs the pedestal window
// modally, and the program ends when the window does. With --web the window's
// pedestal is also served to browsers, from a server thread of its own.
#pragma once

#include <string>

class QWidget;

class CPedestalApp {
public:
    CPedestalApp() = default;
    virtual ~CPedestalApp() = default;

    CPedestalApp(const CPedestalApp&) = delete;
    CPedestalApp& operator=(const CPedestalApp&) = delete;

    // Called once the Qt application exists. Returns false: there is no
    // message loop of the application's own after the window.
    virtual bool InitInstance();

    // Reads the command line: [--web [ADDRESS:]PORT] [--token TOKEN]
    // [--block BLOCK]. False, after printing why, for anything else.
    bool ParseCommandLine(const std::string& program, int argc, const std::string* arguments);

    QWidget* m_pMainWnd = nullptr;
    // The program's exit status: 1 when the browser server cannot listen.
    int m_ExitCode = 0;

private:
    std::string m_BlockName; // empty: the simulator's block
    bool m_bWeb = false;
    std::string m_WebAddress = "127.0.0.1";
    unsigned short m_WebPort = 0;
    std::string m_WebToken;
};

extern CPedestalApp theApp;

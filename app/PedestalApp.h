// The one application object: its start-up routine runs the pedestal window
// modally, and the program ends when the window does.
#pragma once

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

    QWidget* m_pMainWnd = nullptr;
};

extern CPedestalApp theApp;

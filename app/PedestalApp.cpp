#include "app/PedestalApp.h"

#include "PedestalVersion.h"
#include "dialog/PedestalDlg.h"
#include "dialog/TerminationSignals.h"
#include "input/Host.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMetaObject>

#include <cstdio>

CPedestalApp theApp;

bool CPedestalApp::ParseCommandLine(const std::string& program, int argc,
                                    const std::string* arguments) {
    return web::ParseWindowCommandLine(program, argc, arguments, &m_Options);
}

bool CPedestalApp::InitInstance() {
    // The version resource's counterpart: how desktops and tools name us.
    QCoreApplication::setOrganizationName(QString());
    QCoreApplication::setOrganizationDomain(QString());
    QCoreApplication::setApplicationName(QStringLiteral("Pedestal"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PEDESTAL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("pedestal"));

    const std::string& block = m_Options.blockName;
    CPedestalDlg dlg(nullptr, block.empty() ? nullptr : block.c_str());
    m_pMainWnd = &dlg;
    CloseOnTerminationSignals(&dlg);
    // Browsers are further views of the window's own core, which only the
    // window's thread touches: commands are queued to it.
    web::WindowHost host;
    const bool started =
        host.Start("Pedestal", m_Options, dlg.Core(), [&dlg](web::Server::CoreTask task) {
            QMetaObject::invokeMethod(
                &dlg, [&dlg, task = std::move(task)] { task(dlg.Core()); }, Qt::QueuedConnection);
        });
    if (!started) {
        m_ExitCode = 1;
        m_pMainWnd = nullptr;
        return false;
    }
    // Levers and buttons reach the core the same way.
    pedestal::input::Hardware hardware;
    hardware.Start(
        m_Options.input,
        [&dlg](pedestal::input::Hardware::CoreTask task) {
            QMetaObject::invokeMethod(
                &dlg, [&dlg, task = std::move(task)] { task(dlg.Core()); }, Qt::QueuedConnection);
        },
        [](const std::string& line) { std::fprintf(stderr, "Pedestal: %s\n", line.c_str()); });

    dlg.exec();
    m_pMainWnd = nullptr;
    hardware.Stop();
    host.Stop();
    return false;
}

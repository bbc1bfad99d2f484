#include "app/PedestalApp.h"

#include "PedestalVersion.h"
#include "dialog/PedestalDlg.h"
#include "dialog/TerminationSignals.h"
#include "web/Server.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMetaObject>

#include <charconv>
#include <cstdio>
#include <memory>

CPedestalApp theApp;

namespace {

constexpr const char* kUsage = "usage: %s [--web [ADDRESS:]PORT] [--token TOKEN] [--block BLOCK]\n";

// "PORT", "ADDRESS:PORT" or "[IPV6]:PORT".
bool ParseWebAddress(const std::string& text, std::string* address, unsigned short* port) {
    const auto colon = text.rfind(':');
    std::string host = colon == std::string::npos ? std::string() : text.substr(0, colon);
    const std::string number = colon == std::string::npos ? text : text.substr(colon + 1);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    unsigned value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size() || value > 65535)
        return false;
    if (!host.empty())
        *address = host;
    *port = static_cast<unsigned short>(value);
    return colon == std::string::npos || !host.empty();
}

} // namespace

bool CPedestalApp::ParseCommandLine(const std::string& program, int argc,
                                    const std::string* arguments) {
    for (int i = 0; i < argc; ++i) {
        const std::string& option = arguments[i];
        const bool hasValue = i + 1 < argc && !arguments[i + 1].empty();
        bool ok = hasValue;
        if (ok && option == "--web") {
            m_bWeb = true;
            ok = ParseWebAddress(arguments[++i], &m_WebAddress, &m_WebPort);
        } else if (ok && option == "--token") {
            m_WebToken = arguments[++i];
        } else if (ok && option == "--block") {
            m_BlockName = arguments[++i];
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "%s: bad option '%s'\n", program.c_str(), option.c_str());
            std::fprintf(stderr, kUsage, program.c_str());
            return false;
        }
    }
    return true;
}

bool CPedestalApp::InitInstance() {
    // The version resource's counterpart: how desktops and tools name us.
    QCoreApplication::setOrganizationName(QString());
    QCoreApplication::setOrganizationDomain(QString());
    QCoreApplication::setApplicationName(QStringLiteral("Pedestal"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PEDESTAL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("pedestal"));

    CPedestalDlg dlg(nullptr, m_BlockName.empty() ? nullptr : m_BlockName.c_str());
    m_pMainWnd = &dlg;
    CloseOnTerminationSignals(&dlg);
    std::unique_ptr<web::Server> server;
    if (m_bWeb) {
        web::ServerOptions options;
        options.bindAddress = m_WebAddress;
        options.port = m_WebPort;
        options.token = m_WebToken;
        options.log = [](const std::string& line) {
            std::fprintf(stderr, "Pedestal: %s\n", line.c_str());
        };
        // Browsers are further views of the window's own core, which only
        // the window's thread touches: commands are queued to it.
        server = std::make_unique<web::Server>(options, [&dlg](web::Server::CoreTask task) {
            QMetaObject::invokeMethod(
                &dlg, [&dlg, task = std::move(task)] { task(dlg.Core()); }, Qt::QueuedConnection);
        });
        std::string error;
        if (!server->Start(&error)) {
            std::fprintf(stderr, "Pedestal: %s\n", error.c_str());
            m_ExitCode = 1;
            m_pMainWnd = nullptr;
            return false;
        }
        server->Watch(dlg.Core());
        std::printf("Pedestal: open %s\n", server->Url().c_str());
        std::fflush(stdout);
    }

    dlg.exec();
    m_pMainWnd = nullptr;
    if (server) {
        server->Unwatch(dlg.Core());
        server->Stop();
    }
    return false;
}

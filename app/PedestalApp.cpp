#include "app/PedestalApp.h"

#include "PedestalVersion.h"
#include "dialog/PedestalDlg.h"
#include "dialog/TerminationSignals.h"

#include <QApplication>
#include <QGuiApplication>

CPedestalApp theApp;

bool CPedestalApp::InitInstance() {
    // The version resource's counterpart: how desktops and tools name us.
    QCoreApplication::setOrganizationName(QString());
    QCoreApplication::setOrganizationDomain(QString());
    QCoreApplication::setApplicationName(QStringLiteral("Pedestal"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PEDESTAL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("pedestal"));

    CPedestalDlg dlg;
    m_pMainWnd = &dlg;
    CloseOnTerminationSignals(&dlg);
    dlg.exec();
    m_pMainWnd = nullptr;
    return false;
}

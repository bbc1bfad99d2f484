// Opens the pedestal window on a block of the caller's naming, for tests that
// need a real window in a real process; it never touches the simulator's
// block. It prints the caption of each message box on standard output as the
// box opens, so that a test knows when one is up.
// Usage: PedestalTestWindow BLOCK_NAME
#include "dialog/PedestalDlg.h"
#include "dialog/TerminationSignals.h"

#include <QApplication>
#include <QByteArray>
#include <QStringList>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2)
        return 2;
    const QByteArray blockName = arguments[1].toLocal8Bit();
    CPedestalDlg dlg(nullptr, blockName.constData());
    dlg.SetMessageBoxFunction([](QWidget* owner, const QString& text, const QString& caption) {
        std::printf("%s\n", qPrintable(caption));
        std::fflush(stdout);
        CPedestalDlg::ShowMessageBox(owner, text, caption);
    });
    CloseOnTerminationSignals(&dlg);
    return dlg.exec() == QDialog::Accepted ? 0 : 1;
}

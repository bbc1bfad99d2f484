// The floor for the window's running cost: an empty dialog of the pedestal's
// size whose 60 ms precise timer does nothing. With --with-text it also shows
// one line of text, which is what loading fonts alone costs.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTimerEvent>

namespace {

class EmptyDialog : public QDialog {
public:
    explicit EmptyDialog(bool withText) {
        setFixedSize(209, 562);
        if (withText)
            new QLabel(QStringLiteral("Gear Down"), this);
        setWindowTitle(QStringLiteral("Empty dialog"));
        startTimer(60, Qt::PreciseTimer);
    }

protected:
    void timerEvent(QTimerEvent*) override {}
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    EmptyDialog dialog(QApplication::arguments().contains(QStringLiteral("--with-text")));
    return dialog.exec();
}

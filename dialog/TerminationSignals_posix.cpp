#include "dialog/TerminationSignals.h"

#include <QApplication>
#include <QObject>
#include <QSocketNotifier>
#include <QWidget>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
int g_pipe[2] = {-1, -1};

// Only async-signal-safe calls here: the event loop does the real work.
extern "C" void OnTerminationSignal(int signalNumber) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

void SetHandlers(void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kSignals)
        sigaction(signalNumber, &action, nullptr);
}

} // namespace

void CloseOnTerminationSignals(QWidget* window) {
    if (g_pipe[0] < 0 && pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
        unsigned char drained[64];
        while (read(g_pipe[0], drained, sizeof drained) > 0) {
        }
        window->close();
        // A signal that arrives while a message box of the window's start-up
        // runs its own loop must end that loop and the modal run after it.
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal != window)
            modal->close();
        QCoreApplication::exit(0);
    });
    QObject::connect(notifier, &QObject::destroyed, [] { SetHandlers(SIG_DFL); });
    SetHandlers(OnTerminationSignal);
}

// Lets the terminal's Ctrl+C, a hang-up or a SIGTERM end the window the way
// its close box does, so that a stopped pedestal still detaches from the
// shared block and never leaves its user count behind.
#pragma once

class QWidget;

// Routes the signals to window->close() through the event loop. The route
// lasts as long as the window; afterwards the signals act as by default.
void CloseOnTerminationSignals(QWidget* window);

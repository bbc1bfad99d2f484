#include "dialog/TerminationSignals.h"

// A Windows GUI program has no terminal to stop it; its close box is the way.
void CloseOnTerminationSignals(QWidget*) {}

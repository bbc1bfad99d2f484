// Placeholder until the register is written.
#include "configcontrol/ConfigControl.h"

int BeginConfigComponent(const char*) { return 0; }
void RegisterConfigString(const char*) {}
void EndConfigComponent() {}

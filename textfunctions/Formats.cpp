#include "configcontrol/ConfigControl.h"
#include "textfunctions/TextFunctions.h"

static const char kFormatsRevision[] = "%z% TextFunctions TS3102  Formats $Revision: 1.10 $";

void RegisterFormats() { RegisterConfigString(kFormatsRevision); }

#include "configcontrol/ConfigControl.h"
#include "textfunctions/TextFunctions.h"

static const char kFilesRevision[] = "%Z% TextFunctions TS3102:03 Files $Revision: 1.2 $";

void RegisterFiles() { RegisterConfigString(kFilesRevision); }

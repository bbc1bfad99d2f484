#include "configcontrol/ConfigControl.h"
#include "textfunctions/TextFunctions.h"

static const char kTextFcnsRevision[] = "%Z% TextFunctions TS3102 TextFcns $Revision: 1.3 $";

void RegisterTextFcns() { RegisterConfigString(kTextFcnsRevision); }

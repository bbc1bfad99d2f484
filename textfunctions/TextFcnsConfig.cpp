#include "configcontrol/ConfigControl.h"
#include "textfunctions/TextFunctions.h"

static const char kTextFcnsConfigRevision[] =
    "%Z% TextFunctions TS3102:05 TextFcnsConfig $Revision: 1.1 $";

void RegisterTextFcnsConfig() {
    RegisterConfigString(kTextFcnsConfigRevision);
}

static const char kTextFunctionsRevision[] =
    "%Z% TextFunctions TS3102:01 TextFunctions $Revision: 1.14 $";

void RegisterTextFunctions() {
    BeginConfigComponent("Text Functions ");
    RegisterConfigString(kTextFunctionsRevision);
    RegisterTokenise();
    RegisterFiles();
    RegisterFormats();
    RegisterTextFcnsConfig();
    EndConfigComponent();
}

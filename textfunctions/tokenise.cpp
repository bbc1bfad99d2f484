#include "configcontrol/ConfigControl.h"
#include "textfunctions/TextFunctions.h"

static const char kTokeniseRevision[] = "%Z% TextFunctions TS3102:02 tokenise $Revision: 1.3 $";

void RegisterTokenise() { RegisterConfigString(kTokeniseRevision); }

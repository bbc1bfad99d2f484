// The report command: this build's configuration report, with the rows of
// the configuration-control component, the text functions and the
// shared-memory classes.
#include "tools/simblock/Commands.h"
#include "tools/simblock/Console.h"

#include "configcontrol/ConfigControl.h"
#include "shm/TS_ErrorReport.h"
#include "shm/TS_P_0001_02_Shm.h"

#include <cstdio>

namespace simblock {

Exit RunReport(const std::string& file) {
    if (!OpenConfigReport(file.c_str())) {
        PrintError("cannot write the report " + file);
        return Exit::Failure;
    }
    RegisterConfigControl();
    TS_ErrorReport::RegisterConfig();
    TS_P_0001_02_Shm::RegisterConfig();
    CloseConfigReport();
    std::printf("report written to %s\n", file.c_str());
    return Exit::Ok;
}

} // namespace simblock

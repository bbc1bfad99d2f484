// The set command: every setting is parsed and the block checked before the
// first byte is written, then each field is stored in place, one at a time.
#include "tools/simblock/BlockAccess.h"
#include "tools/simblock/Commands.h"
#include "tools/simblock/Console.h"
#include "tools/simblock/Settings.h"

#include <cstdio>

namespace simblock {

Exit RunSet(const std::string& name, const std::vector<std::string>& settings) {
    const ParsedSettings parsed = ParseSettings(settings);
    if (!parsed.errors.empty()) {
        for (const std::string& error : parsed.errors)
            PrintError(error);
        PrintError("nothing written");
        return Exit::Usage;
    }
    MappedBlock mapped;
    std::string error;
    const Exit opened = mapped.Open(name, Access::Write, error);
    if (opened != Exit::Ok) {
        PrintError(error + "; nothing written");
        return opened;
    }
    ApplyWrites(mapped.WritableBlock(), parsed.writes);
    for (const Write& write : parsed.writes)
        std::printf("%s=%s\n", Label(write.ref).c_str(), FormatValue(write.value).c_str());
    return Exit::Ok;
}

} // namespace simblock

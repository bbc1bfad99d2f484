// The create and remove commands. A block is created by the pedestal's own
// attaching class, so it is zeroed, stamped and given its section table
// exactly as the first pedestal would; detaching again as its only user
// leaves the count at 0, and the object outlives the tool.
#include "tools/simblock/BlockAccess.h"
#include "tools/simblock/Commands.h"
#include "tools/simblock/Console.h"
#include "tools/simblock/FieldCatalogue.h"
#include "tools/simblock/PedestalView.h"

#include "shm/TS_P_0001_02_Shm.h"

#include <cstdio>

namespace simblock {

Exit RunCreate(const std::string& name) {
    std::string error;
    if (!CheckBlockName(name, error)) {
        PrintError(error);
        return Exit::Usage;
    }
    if (ExamineObject(name).exists) {
        PrintError("block " + name + " exists already; nothing changed (simblock status --name " +
                   name + " shows it)");
        return Exit::Exists;
    }
    {
        TS_P_0001_02_Shm creator(name.c_str());
        if (!creator.IsValid()) {
            PrintError("creating " + name + " failed: " + creator.GetErrorText());
            return Exit::Failure;
        }
        if (!creator.CreatedBlock())
            std::fprintf(stderr, "simblock: another process created %s at the same moment\n",
                         name.c_str());
        HoldBlock(name);
    }
    MappedBlock mapped;
    const Exit state = mapped.Open(name, Access::Read, error);
    if (state != Exit::Ok) {
        PrintError(error);
        return state;
    }
    std::printf("created %s: %llu bytes, version %s, users %d\n", name.c_str(),
                static_cast<unsigned long long>(mapped.Info().size),
                QuoteText(mapped.VersionFound()).c_str(), ReadPedestal(mapped.Block()).userCount);
    WaitHoldingBlock(name);
    return Exit::Ok;
}

Exit RunRemove(const std::string& name, bool force) {
    std::string error;
    if (!force) {
        MappedBlock mapped;
        const Exit state = mapped.Open(name, Access::Read, error);
        if (state == Exit::TooSmall || state == Exit::ForeignVersion) {
            PrintError(error + "; its users cannot be told, so it stays (--force removes it)");
            return state;
        }
        if (state != Exit::Ok) {
            PrintError(error);
            return state;
        }
        const std::int32_t users = ReadPedestal(mapped.Block()).userCount;
        if (users > 0) {
            PrintError("block " + name + " has " + std::to_string(users) +
                       " users; it stays (--force removes it all the same)");
            return Exit::InUse;
        }
    } else if (!CheckBlockName(name, error)) {
        PrintError(error);
        return Exit::Usage;
    }
    if (const int code = RemoveObject(name); code != 0) {
        PrintError("removing " + name + ": " + SystemText(code));
        return IsMissingError(code) ? Exit::Missing : Exit::Failure;
    }
    std::printf("removed %s\n", name.c_str());
    return Exit::Ok;
}

} // namespace simblock

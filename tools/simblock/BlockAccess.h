// Access to a named block without becoming one of its users: the block is
// mapped through the platform layer directly, so its user count is neither
// raised nor lowered, and fields are read and written in place.
#pragma once

#include "tools/simblock/ExitCodes.h"

#include <cstdint>
#include <string>

struct GenericSimBlock;

namespace simblock {

// What the system knows of the named object, without mapping it.
struct ObjectInfo {
    bool exists = false;
    int error = 0; // errno when the object could not be examined
    std::uint64_t size = 0;
    unsigned mode = 0; // permission bits
    std::string owner;
    std::string group;
};

ObjectInfo ExamineObject(const std::string& name);
// Unlinks the name; processes that hold the block keep their mapping.
// Returns 0, or the system's error code.
int RemoveObject(const std::string& name);
bool IsMissingError(int code);
bool IsPermissionError(int code);
// Where a block lives only while a process holds it (Windows), create takes a
// hold on the new block for the rest of the process and then waits for Ctrl+C;
// elsewhere both return at once.
void HoldBlock(const std::string& name);
void WaitHoldingBlock(const std::string& name);
std::string SystemText(int code);
std::string ObjectPath(const std::string& name);

// Names the system would refuse are refused here with a message.
bool CheckBlockName(const std::string& name, std::string& error);

// Inspecting needs only read permission on the block; changing it needs
// write permission too.
enum class Access { Read, Write };

// What became of a mapped block since it was opened.
enum class Change { None, Shrunk, Replaced, Removed };

// "block shrank to 4096 bytes", "block was replaced; following the new one",
// "block was removed".
std::string ChangeText(Change change, std::uint64_t size);

class MappedBlock {
public:
    MappedBlock() = default;
    ~MappedBlock();
    MappedBlock(const MappedBlock&) = delete;
    MappedBlock& operator=(const MappedBlock&) = delete;

    // Ok, Missing, TooSmall, ForeignVersion (mapped, so that the version text
    // can still be shown), Usage for a bad name, or Failure; message says why,
    // naming the permission that is missing when the system refused access.
    Exit Open(const std::string& name, Access access, std::string& message);

    const GenericSimBlock& Block() const { return *m_pBlock; }
    // Only after Open with Access::Write: the view is read-only otherwise.
    GenericSimBlock& WritableBlock() const { return *m_pBlock; }
    bool IsMapped() const { return m_pBlock != nullptr; }
    const ObjectInfo& Info() const { return m_Info; }
    std::string VersionFound() const;

    // Whether the mapped object still covers the layout and its name still
    // names it; size receives the object's size now. A touch past a shrunk
    // end reads zeros instead of killing the tool, and counts as Shrunk.
    Change Check(std::uint64_t& size) const;

private:
    void* m_hMapping = nullptr;
    GenericSimBlock* m_pBlock = nullptr;
    int m_Guard = -1;
    ObjectInfo m_Info;
};

// This build's layout version text.
std::string ExpectedVersion();

} // namespace simblock

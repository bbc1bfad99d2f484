// The POSIX shared-memory object behind a block name: what fstat says of it,
// and unlinking it. The platform layer maps blocks but never removes one, and
// does not tell who owns it.
#include "tools/simblock/BlockAccess.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace simblock {
namespace {

std::string UserName(uid_t uid) {
    const passwd* entry = getpwuid(uid);
    return entry != nullptr ? entry->pw_name : std::to_string(uid);
}

std::string GroupName(gid_t gid) {
    const group* entry = getgrgid(gid);
    return entry != nullptr ? entry->gr_name : std::to_string(gid);
}

} // namespace

std::string ObjectPath(const std::string& name) {
    return "/" + name;
}

bool CheckBlockName(const std::string& name, std::string& error) {
    // The object's path adds one slash, and the whole must fit a file name.
    if (name.empty() || name.find('/') != std::string::npos || name.size() + 1 > NAME_MAX ||
        name == "." || name == "..") {
        error = "'" + name + "' is no block name: give 1 to " + std::to_string(NAME_MAX - 1) +
                " characters without a slash";
        return false;
    }
    return true;
}

ObjectInfo ExamineObject(const std::string& name) {
    ObjectInfo info;
    const int fd = shm_open(ObjectPath(name).c_str(), O_RDONLY, 0);
    if (fd < 0) {
        info.error = errno == ENOENT ? 0 : errno;
        return info;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        info.error = errno;
        close(fd);
        return info;
    }
    close(fd);
    info.exists = true;
    info.size = static_cast<std::uint64_t>(st.st_size);
    info.mode = st.st_mode & 07777;
    info.owner = UserName(st.st_uid);
    info.group = GroupName(st.st_gid);
    return info;
}

int RemoveObject(const std::string& name) {
    return shm_unlink(ObjectPath(name).c_str()) == 0 ? 0 : errno;
}

// A POSIX object outlives its creator.
void HoldBlock(const std::string&) {}
void WaitHoldingBlock(const std::string&) {}

bool IsMissingError(int code) {
    return code == ENOENT;
}

bool IsPermissionError(int code) {
    return code == EACCES || code == EPERM;
}

std::string SystemText(int code) {
    return std::strerror(code);
}

} // namespace simblock

// One named block of memory shared by processes on this machine: a named
// mapping backed by the paging file (a POSIX shared-memory object elsewhere),
// with one read/write view of the whole of it. A derived class sets m_Name
// and m_Size, then calls OpenAndMap or CreateAndMap; every failure returns
// false and leaves its text in the error report ("OpenFileMapping (Code: 2)").
// Close and Release free the view and handles; the destructor leaves them,
// since the derived class decides whether other users still need the block.
#pragma once

#include "platform/Platform.h"
#include "shm/TS_ErrorReport.h"

#include <cstddef>
#include <cstdint>

class BaseSharedMemory : public TS_ErrorReport {
public:
    BaseSharedMemory();
    ~BaseSharedMemory();

    BaseSharedMemory(const BaseSharedMemory&) = delete;
    BaseSharedMemory& operator=(const BaseSharedMemory&) = delete;

    // Registers the class's revision strings once per process; the first
    // construction does it, a report writer may do it without attaching.
    static void RegisterConfig();

    // Create (or find) the mapping at m_Size, open it and map it. The create
    // step's handle is an extra reference that Close leaves open and only
    // Release closes.
    bool CreateAndMap();
    bool OpenAndMap();
    // After CreateAndMap: whether its create step met a mapping that already
    // existed (another process won the race to create it).
    bool FoundExisting() const { return m_bFoundExisting; }
    // Unmaps and closes; the fields keep their old values, which must not be
    // used afterwards.
    void Close();
    // Unmaps the view alone and forgets its address; the handles stay.
    void UnmapView();
    // Unmaps the view and closes every handle this object holds, including
    // the create step's, whatever state a failed step left them in, and
    // forgets them; a second call does nothing. The block itself stays.
    void Release();

    void* GetData() const { return m_pData; }
    // Bytes of the view that may be touched: the mapping's own size, which
    // another program may have made different from m_Size. 0 when unmapped.
    std::size_t GetMappedSize() const;
    // Whether a touch past the end of an object that shrank under the view
    // was caught: the view then reads zeros and writes reach nobody. Every
    // view is guarded from the moment it is mapped until it is unmapped.
    bool ViewFaulted() const;
    // Count 0, or a count past the mapped size, writes nothing and answers
    // false.
    bool Clear(std::uint32_t count);
    const char* GetErrorText() { return GetError(); }

    // Room for the longest POSIX object name, which is longer than any
    // mapping name the classes use.
    static constexpr std::size_t kNameSize = 256;

protected:
    // Bounded copy into m_Name; false (and nothing copied) for a null name or
    // one that does not fit.
    bool SetName(const char* name);

    char m_Name[kNameSize];
    HANDLE m_hMapping;
    void* m_pData;
    std::uint32_t m_Size;

    // The steps of the composite operations; MapView alone lets a derived
    // class map again after the mapping has grown.
    bool CreateMapping(std::uint32_t size);
    bool OpenMapping();
    bool MapView();

private:
    HANDLE m_hCreated;
    bool m_bFoundExisting;
    int m_Guard;
};

// The operating-system calls that the shared-memory classes and the path
// helpers make, under their Win32 names. On Windows they are the real API; on
// POSIX systems platform_posix.cpp provides them with the same contracts:
//
// - Every call reports failure by its null/zero result; the reason is then in
//   GetLastError(), which on POSIX holds errno values (a missing name gives 2,
//   as ERROR_FILE_NOT_FOUND does on Windows).
// - A mapping name is a plain name such as "GenericSimSharedMemory"; the POSIX
//   layer adds one leading slash. An empty name, a name holding a slash, or one
//   longer than the system allows is refused with the system's error.
// - CreateFileMappingA on a name that exists returns that mapping at its
//   existing size and sets the last error to ERROR_ALREADY_EXISTS; a new one is
//   sized to the request, reads as zeros and is read-write for every user.
// - MapViewOfFile with a byte count of 0 maps the whole object (on POSIX its
//   size at that moment; an empty object gives a view of size 0 that must not
//   be touched). A view never reaches past the object's end: asking for more
//   fails with ENXIO. GetMappedViewSize (below) says how much may be touched.
// - On POSIX a HANDLE is a small object (descriptor and name) known to this
//   layer; an unknown or closed handle is refused with EBADF. A handle closed
//   on another thread during a call is either used whole by that call or
//   refused with EBADF, never half-used. Views stay valid after their handle
//   is closed, as on Windows.
// - A mapping outlives the processes that used it (the simulator may still
//   hold it); nothing here removes it.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <cstdarg>
#include <cstddef>
#include <cstdint>

using BOOL = int;
using DWORD = std::uint32_t;
using SIZE_T = std::size_t;
using HANDLE = void*;
using HMODULE = void*;
using HLOCAL = void*;
using LPVOID = void*;
using LPCVOID = const void*;
using LPCSTR = const char*;
using LPSTR = char*;
struct SECURITY_ATTRIBUTES;

#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)))
inline constexpr DWORD PAGE_READWRITE = 0x04;
inline constexpr DWORD FILE_MAP_WRITE = 0x0002;
inline constexpr DWORD FILE_MAP_READ = 0x0004;
inline constexpr DWORD FILE_MAP_ALL_ACCESS = 0xF001F;
inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_FILE_NOT_FOUND = 2;        // ENOENT
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 34;  // ERANGE, as getcwd reports it
inline constexpr DWORD ERROR_INVALID_PARAMETER = 22;    // EINVAL
inline constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 36; // ENAMETOOLONG
inline constexpr DWORD ERROR_ALREADY_EXISTS = 183;
inline constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x0100;
inline constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x0200;
inline constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x1000;

HANDLE CreateFileMappingA(HANDLE file, SECURITY_ATTRIBUTES* attributes, DWORD protect,
                          DWORD maximumSizeHigh, DWORD maximumSizeLow, LPCSTR name);
HANDLE OpenFileMappingA(DWORD access, BOOL inheritHandle, LPCSTR name);
LPVOID MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes);
BOOL UnmapViewOfFile(LPCVOID address);
BOOL CloseHandle(HANDLE object);
DWORD GetLastError();
void SetLastError(DWORD code);
// With FORMAT_MESSAGE_ALLOCATE_BUFFER, buffer is really a char** that receives
// a LocalAlloc'd text, the system's message with a trailing line end.
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer,
                     DWORD size, va_list* arguments);
HLOCAL LocalFree(HLOCAL memory);
// module null: the running executable's full path, terminated. Returns its
// length without the terminator and sets the last error to 0. If it does not
// fit, the path is cut to size - 1 characters and terminated, the result is
// size and the last error ERROR_INSUFFICIENT_BUFFER; size 0 returns 0 with
// that error. Any other module returns 0 (POSIX knows only the executable).
DWORD GetModuleFileNameA(HMODULE module, LPSTR filename, DWORD size);
#endif

// The number of bytes of a view returned by MapViewOfFile that may be read and
// written: on POSIX the object's size at mapping time (bytes 0) or the byte
// count asked for; on Windows the committed region, whole pages. Returns 0 for
// an address that is not the start of a view. Callers compare it with the
// layout they expect, because another program may have made the object
// smaller, and touching past its end kills the process with SIGBUS on POSIX.
SIZE_T GetMappedViewSize(LPCVOID address);

// The text-functions library: bounded formatting and string helpers, angle,
// position and time formats, a tokeniser, path helpers and number formats.
// Texts are NUL-terminated single-byte strings in storage the caller owns.
#pragma once

#include <cstdint>

#if defined(__MINGW32__)
// mingw-w64 builds use its C99 printf (__USE_MINGW_ANSI_STDIO), not msvcrt's.
#define TF_PRINTF_FORMAT(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#elif defined(__GNUC__) || defined(__clang__)
#define TF_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define TF_PRINTF_FORMAT(fmt, args)
#endif

// ---- Bounded formatting and string helpers (module TextFcns) ----------------

// size counts the whole destination, terminator included; the destination is
// zero-filled first. Returns L when L < size, size when L == size, -1 when
// L > size, 0 for a null destination. A size below 1 writes nothing.
int FormatIntoBuffer(char* dest, int size, const char* format, ...) TF_PRINTF_FORMAT(3, 4);
// size counts characters only; dest holds size + 1 bytes and is not cleared.
// Returns L when L <= size, -1 when L > size, 0 for a null destination. The
// terminator goes to index size in every case; a negative size writes nothing.
int FormatIntoChars(char* dest, int size, const char* format, ...) TF_PRINTF_FORMAT(3, 4);

// As strncpy into size bytes, then a terminator at size - 1. Null for a null
// pointer or a negative size; a size of 0 writes nothing.
char* CopyBounded(char* dest, const char* src, int size);
// As strncpy of count bytes; a terminator at index count only when the source
// has count or more characters. Null for a null pointer or a negative count.
char* CopyChars(char* dest, const char* src, int count);
// At most 20 characters into a prepared field; no terminator. Never null.
void CopyFixedField(char* dest, const char* src);

// The editors change the text in place and return it; null for a null text.
// RemoveSpaces, RemoveChar, CollapseTabs and CollapseRepeats keep at most 1023
// characters.

char* CutAtNewline(char* text);
char* CutAtChar(char* text, char c);
char* DropTrailingTab(char* text);
char* TrimTrailingSpaces(char* text);
char* RemoveSpaces(char* text);
char* RemoveChar(char* text, char c);
char* CollapseTabs(char* text);
char* CollapseRepeats(char* text, char c);
char* TabsToSpaces(char* text);
char* ReplaceWithUnderscore(char* text, char c);
char* ReplaceChar(char* text, char from, char to);
// Keeps the first n characters less the spaces outside double quotes; null,
// and the text unchanged, for a text of more than 1024 characters.
char* RemoveUnquotedSpaces(char* text, int n);

int MaxTextLength();
const char* SkipLeadingSpaces(const char* text);
bool IsEmpty(const char* text);
int IsZeroLength(const char* text); // never null
// Removes the spaces; true when nothing is left, else cuts at the line feed.
bool IsBlankLine(char* text);
bool EqualIgnoringSpaces(const char* a, const char* b);
bool ContainsAnyOf(const char* set, const char* text);
// dest must hold the result. The source is cut at the first occurrence. An
// empty pattern copies the source unchanged.
void ReplaceAll(char* source, char* dest, const char* pattern, const char* replacement);
void RemoveFirst(const char* source, char* dest, const char* pattern);
// Capitalises each lower-case ASCII letter after an underscore and removes the
// underscores; dest may be src.
char* UnderscoreToCamel(char* dest, const char* src);

// ---- Number formats and conversions (module TextFcns) -----------------------

// "% 10.<precision>f" for precisions 0 to 4, else 5 decimals, in one static
// 256-byte buffer that each call overwrites; longer texts are cut at 255.
char* FormatFixed(double value, int precision);
// The low 32 bits of a hexadecimal text read after its first "0x"; -1 for an
// invalid text or one of more than 18 characters, 0 for null.
int ParseHex(const char* text);
// The first four characters (signed bytes) packed high to low, the rest added;
// wraps at 32 bits. -1 for null.
int TextKey(const char* text);
int DigitValue(int c); // only the low byte counts

// ---- Angle, position and time formats (module Formats) ----------------------

enum { kLatitude = 0, kLongitude = 1 };

// Destination sizes in bytes, terminator included. Whole parts (degrees,
// minutes, hours) are cut toward zero and saturate at the int range, NaN
// counting as 0, so the sexagesimal texts have a longest form: 25 and 19
// characters.
inline constexpr int kSexagesimalSize = 26;
inline constexpr int kSexagesimalMinutesSize = 20;
inline constexpr int kDmsSize = 11;           // longer texts (1000 degrees on) are cut to 10
inline constexpr int kPositionFieldSize = 10; // always all written, zero-filled after the text
inline constexpr int kUtcHoursMinutesSize = 6;

char* FormatSexagesimal(char* dest, double seconds);
char* FormatSexagesimalMinutes(char* dest, double seconds);
char* FormatSignedDms(char* dest, double arcSeconds);
char* FormatArcSecondsDms(char* dest, double arcSeconds, int axis);
char* FormatArcSecondsDmsByFlag(char* dest, double arcSeconds, int isLatitude);
char* FormatDegreesDms(char* dest, double degrees, int axis);
char* FormatRadiansDms(char* dest, double radians, int axis);
// The position forms give the empty text below -360, above 360 and for NaN;
// only the first byte is then written.
char* FormatPosition(char* dest, double degrees, int axis);
char* FormatPositionMarked(char* dest, int size, double degrees, int axis);
char* FormatPositionDegrees(char* dest, double degrees, int axis);
char* FormatPositionLetterFirst(char* dest, double degrees, unsigned char isLatitude);
// "xx:xx" for a time before 1970 (or a null time).
char* FormatUtcHoursMinutes(char* dest, const std::int32_t* time);
char BoolLetter(int value); // only the low byte counts

// ---- Tokeniser (module tokenise) --------------------------------------------

// The splits cut the text in place and fill a table that the caller sizes; they
// allocate nothing. A null text (or table) gives 0 and writes nothing.
//
// Words are runs of characters outside the delimiter set. Returns the number of
// words, 1 when there is none; entry count holds null, and so does entry 0 when
// there is no word. The table needs words + 1 entries.
int Tokenise(char* text, const char* delimiters, char** words);
// As Tokenise, counting at most maxWords (at least 1). When the limit stops the
// split, entry maxWords holds the next word, cut at its end. The table needs
// maxWords + 1 entries, and at least two.
int TokeniseLimited(char* text, const char* delimiters, char** words, int maxWords);
// Cuts at every occurrence of separators[0], so empty fields remain; returns
// the number of fields and writes no null entry after them.
int SplitAtChar(char* text, const char* separators, char** fields);
// As SplitAtChar, stopping after maxSplits cuts: the last field keeps the rest.
int SplitAtCharLimited(char* text, const char* separators, char** fields, int maxSplits);
// Characters before the terminator, at most 10000; 0 for a null text.
int BoundedLength(const char* text);

// ---- File and module-path helpers (module Files) ----------------------------

// Ends the path at its last backslash; a path without one is left unchanged.
char* RemoveFileName(char* path);
// Cuts a program's path to its directory, without a trailing separator and
// never at the path's first character. A Windows path (one holding a
// backslash) is cut at the last backslash before its first ".exe", or at its
// last backslash when it holds no ".exe"; any other path at its last '/'. A
// path with nowhere to cut stays whole.
char* CutToModuleDirectory(char* path);
// Fills buffer (size bytes) with the running program's directory. The empty
// text when the program's path cannot be had whole; nothing is written for a
// size of 0 or less.
void GetModuleDirectory(char* buffer, int size);

// ---- Registration of the library's revision strings -------------------------

void RegisterTextFcns(); // not part of RegisterTextFunctions
void RegisterTokenise();
void RegisterFiles();
void RegisterFormats();
void RegisterTextFcnsConfig();
void RegisterTextFunctions(); // the whole component, "Text Functions "

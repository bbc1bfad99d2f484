// The text-functions library: bounded formatting and string helpers, angle,
// position and time formats, a tokeniser, path helpers and number formats.
// Texts are NUL-terminated single-byte strings in storage the caller owns.
#pragma once

#include <cstdint>

#if defined(__GNUC__) || defined(__clang__)
#define TF_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define TF_PRINTF_FORMAT(fmt, args)
#endif

// ---- Bounded formatting and string helpers (module TextFcns) ----------------

// size counts the whole destination, terminator included; the destination is
// zero-filled first. Returns L when L < size, size when L == size, -1 when
// L > size, 0 for a null destination.
int FormatIntoBuffer(char* dest, int size, const char* format, ...) TF_PRINTF_FORMAT(3, 4);
// size counts characters only; dest holds size + 1 bytes and is not cleared.
// Returns L when L <= size, -1 when L > size, 0 for a null destination.
int FormatIntoChars(char* dest, int size, const char* format, ...) TF_PRINTF_FORMAT(3, 4);

char* CopyBounded(char* dest, const char* src, int size);
char* CopyChars(char* dest, const char* src, int count);
void CopyFixedField(char* dest, const char* src);

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
char* RemoveUnquotedSpaces(char* text, int n);

int MaxTextLength();
const char* SkipLeadingSpaces(const char* text);
bool IsEmpty(const char* text);
int IsZeroLength(const char* text);
bool IsBlankLine(char* text);
bool EqualIgnoringSpaces(const char* a, const char* b);
bool ContainsAnyOf(const char* set, const char* text);
void ReplaceAll(char* source, char* dest, const char* pattern, const char* replacement);
void RemoveFirst(const char* source, char* dest, const char* pattern);
char* UnderscoreToCamel(char* dest, const char* src);

// ---- Number formats and conversions (module TextFcns) -----------------------

char* FormatFixed(double value, int precision);
int ParseHex(const char* text);
int TextKey(const char* text);
int DigitValue(int c);

// ---- Angle, position and time formats (module Formats) ----------------------

enum { kLatitude = 0, kLongitude = 1 };

char* FormatSexagesimal(char* dest, double seconds);
char* FormatSexagesimalMinutes(char* dest, double seconds);
char* FormatSignedDms(char* dest, double arcSeconds);
char* FormatArcSecondsDms(char* dest, double arcSeconds, int axis);
char* FormatArcSecondsDmsByFlag(char* dest, double arcSeconds, int isLatitude);
char* FormatDegreesDms(char* dest, double degrees, int axis);
char* FormatRadiansDms(char* dest, double radians, int axis);
char* FormatPosition(char* dest, double degrees, int axis);
char* FormatPositionMarked(char* dest, int size, double degrees, int axis);
char* FormatPositionDegrees(char* dest, double degrees, int axis);
char* FormatPositionLetterFirst(char* dest, double degrees, unsigned char isLatitude);
char* FormatUtcHoursMinutes(char* dest, const std::int32_t* time);
char BoolLetter(int value);

// ---- Tokeniser (module tokenise) --------------------------------------------

int Tokenise(char* text, const char* delimiters, char** words);
int TokeniseLimited(char* text, const char* delimiters, char** words, int maxWords);
int SplitAtChar(char* text, const char* separators, char** fields);
int SplitAtCharLimited(char* text, const char* separators, char** fields, int maxSplits);
int BoundedLength(const char* text);

// ---- File and module-path helpers (module Files) ----------------------------

char* RemoveFileName(char* path);
void GetModuleDirectory(char* buffer, int size);

// ---- Registration of the library's revision strings -------------------------

void RegisterTextFcns();            // not part of RegisterTextFunctions
void RegisterTokenise();
void RegisterFiles();
void RegisterFormats();
void RegisterTextFcnsConfig();
void RegisterTextFunctions(); // the whole component, "Text Functions "

#include "configcontrol/ConfigString.h"
#include "textfunctions/TextFunctions.h"

#include <cstring>

static const char kRevisionStringRevision[] =
    "%Z% ConfigControl TS3103:03 RevisionString $Revision: 1.2 $";

void RegisterRevisionString() {
    RegisterConfigString(kRevisionStringRevision);
}

static const int kWorkSize = 512;
static const int kMaxWords = 9;

static ConfigFieldsRecord s_Fields;

const ConfigFieldsRecord& ConfigFields() {
    return s_Fields;
}

// Keeps at most size - 1 characters and a terminator; unlike CopyBounded it
// does not zero-fill, which would cost a kilobyte for every file name.
static void CopyCut(char* dest, const char* src, std::size_t size) {
    const std::size_t length = strnlen(src, size - 1);
    std::memcpy(dest, src, length);
    dest[length] = '\0';
}

template <std::size_t N> static void SetField(char (&field)[N], const char* word) {
    CopyCut(field, word, N);
}

bool ParseConfigString(const char* text) {
    if (text == nullptr)
        return false;
    char work[kWorkSize];
    CopyCut(work, text, sizeof work);
    // Searched before the split cuts the copy, and in the copy so that a
    // string over the limit reads exactly as its first 511 characters.
    const bool hasKeyword = std::strstr(work, "$Revision") != nullptr;
    char* words[kMaxWords + 1];
    const int count = TokeniseLimited(work, " ", words, kMaxWords);
    if (count < 2)
        return false;
    SetField(s_Fields.product, words[1]);
    if (count >= 3)
        SetField(s_Fields.partNumber, words[2]);
    if (count >= 4)
        SetField(s_Fields.fileName, words[3]);
    if (hasKeyword && count >= 6)
        SetField(s_Fields.revision, words[5]);
    else if (!hasKeyword && count >= 5)
        SetField(s_Fields.revision, words[4]);
    return true;
}

void WriteConfigRow(std::FILE* out) {
    // The heading row's columns, with one space more after the last bar.
    std::fprintf(out, " %20s | %22s |%30s | %10s | \n", s_Fields.product, s_Fields.partNumber,
                 s_Fields.fileName, s_Fields.revision);
}

void WriteUnrecognisableLine(std::FILE* out) {
    std::fputs("Unrecongnisable Configuration string \n", out);
}

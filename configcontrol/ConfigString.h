// Revision-identification strings: one line of words, "%Z% product part-number
// file-name $Revision: revision $". A parse keeps the four fields of the last
// string in the one process-wide record, from which the report row is written.
#pragma once

#include "configcontrol/ConfigControl.h"

#include <cstdio>

inline constexpr char kConfigStringRevision[] =
    "%Z% ConfigControl TS3103:04 ConfigString $Revision: 1.2 $";

inline void RegisterConfigStringHeader() {
    RegisterConfigString(kConfigStringRevision);
}

// Field capacities count the terminator. A longer word is cut to fit.
struct ConfigFieldsRecord {
    char product[100];
    char partNumber[32];
    char fileName[1024];
    char revision[32];
};

// The fields of the last recognised string; all empty before the first parse.
const ConfigFieldsRecord& ConfigFields();

// A string of fewer than two words is unrecognisable: false, fields unchanged.
// Otherwise true, with each field set for which the string has a word; the
// others keep the previous string's values. Only the first 511 characters and
// the first nine words are read. The text itself is never changed.
bool ParseConfigString(const char* text);

// The report row of ConfigFields(), and the line for an unrecognisable string.
void WriteConfigRow(std::FILE* out);
void WriteUnrecognisableLine(std::FILE* out);

void RegisterRevisionString();

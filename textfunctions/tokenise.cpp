#include "configcontrol/ConfigControl.h"
#include "textfunctions/TextFunctions.h"

#include <climits>
#include <cstring>

static const char kTokeniseRevision[] = "%Z% TextFunctions TS3102:02 tokenise $Revision: 1.3 $";

void RegisterTokenise() {
    RegisterConfigString(kTokeniseRevision);
}

static const int kLengthCap = 10000;

// The word search of strtok, with the scan position kept by the caller: a
// caller in the middle of its own strtok scan keeps its place, and threads
// never share a position.
static char* NextWord(char*& position, const char* delimiters) {
    char* word = position + std::strspn(position, delimiters);
    if (*word == '\0') {
        position = word;
        return nullptr;
    }
    char* end = word + std::strcspn(word, delimiters);
    if (*end != '\0')
        *end++ = '\0';
    position = end;
    return word;
}

int TokeniseLimited(char* text, const char* delimiters, char** words, int maxWords) {
    if (text == nullptr || words == nullptr)
        return 0;
    if (delimiters == nullptr)
        delimiters = "";
    char* position = text;
    words[0] = NextWord(position, delimiters);
    int count = 1;
    while ((words[count] = NextWord(position, delimiters)) != nullptr && count < maxWords)
        ++count;
    return count;
}

// No table can hold INT_MAX words, so this limit never stops a split.
int Tokenise(char* text, const char* delimiters, char** words) {
    return TokeniseLimited(text, delimiters, words, INT_MAX);
}

int SplitAtCharLimited(char* text, const char* separators, char** fields, int maxSplits) {
    if (text == nullptr || fields == nullptr)
        return 0;
    const char separator = separators != nullptr ? separators[0] : '\0';
    fields[0] = text;
    int count = 0;
    // A terminator as separator cuts nothing: the whole text is the one field.
    if (separator == '\0')
        return 1;
    char* cut = text;
    while (count < maxSplits && (cut = std::strchr(cut, separator)) != nullptr) {
        *cut++ = '\0';
        fields[++count] = cut;
    }
    return count + 1;
}

int SplitAtChar(char* text, const char* separators, char** fields) {
    return SplitAtCharLimited(text, separators, fields, INT_MAX);
}

int BoundedLength(const char* text) {
    if (text == nullptr)
        return 0;
    int length = 0;
    while (length < kLengthCap && text[length] != '\0')
        ++length;
    return length;
}

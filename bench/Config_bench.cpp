// The tokeniser and the revision-string parse, each against the plainest code
// that does the same work on the same texts in the same run.
#include "configcontrol/ConfigString.h"
#include "textfunctions/TextFunctions.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

// The revision strings that the system's components register.
const char* const kRevisionStrings[] = {
    "%Z% TextFunctions TS3102:01 TextFunctions $Revision: 1.14 $",
    "%Z% TextFunctions TS3102:02 tokenise $Revision: 1.3 $",
    "%Z% TextFunctions TS3102:03 Files $Revision: 1.2 $",
    "%z% TextFunctions TS3102  Formats $Revision: 1.10 $",
    "%Z% TextFunctions TS3102:05 TextFcnsConfig $Revision: 1.1 $",
    "%Z% TextFunctions TS3102 TextFcns $Revision: 1.3 $",
    "%Z% ConfigControl TS3103:02 ConfigFile $Revision: 1.3 $",
    "%Z% ConfigControl TS3103:03 RevisionString $Revision: 1.2 $",
    "%Z% ConfigControl TS3103:04 ConfigString $Revision: 1.2 $",
    "%Z% ConfigControl TS3103:05 ConfigControl $Revision: 1.5 $",
    "%Z% BaseSharedMemory TS2082:02 BaseSharedMemory $Revision: 1.3 $",
    "%Z% BaseSharedMemory TS2082:01 BaseSharedMemory $Revision: 1.7 $",
    "%Z% Classes TS2146 TS_P_0001_02_Shm $Revision: 1.4 $",
    "%Z% Classes TS2146 TS_P_0001_02_Shm $Revision: 1.2 $",
};

// Longer lines with runs of delimiters, so the split itself dominates.
const char* const kLines[] = {
    "  alpha  beta gamma   delta epsilon zeta eta theta iota kappa lambda mu nu xi omicron pi  ",
    "N51:28.6 W000:27.5 FL350 M0.78 HDG 273 TRK 271 GS 472 TAS 461 WIND 290/45 OAT -54 ISA +2",
    "a b c d e f g h i j k l m n o p q r s t u v w x y z",
};

const int kTableSize = 64;

template <std::size_t N> void CopyText(char (&buffer)[N], const char* text) {
    std::memcpy(buffer, text, std::strlen(text) + 1);
}

template <std::size_t N>
void TokeniseTexts(benchmark::State& state, const char* const (&texts)[N]) {
    char buffer[512];
    char* words[kTableSize];
    for (auto _ : state) {
        for (const char* text : texts) {
            CopyText(buffer, text);
            benchmark::DoNotOptimize(Tokenise(buffer, " ", words));
            benchmark::ClobberMemory();
        }
    }
}

// The baseline: the strtok loop that Tokenise stands for.
template <std::size_t N> void StrtokTexts(benchmark::State& state, const char* const (&texts)[N]) {
    char buffer[512];
    char* words[kTableSize];
    for (auto _ : state) {
        for (const char* text : texts) {
            CopyText(buffer, text);
            words[0] = std::strtok(buffer, " ");
            int count = 1;
            while ((words[count] = std::strtok(nullptr, " ")) != nullptr)
                ++count;
            benchmark::DoNotOptimize(count);
            benchmark::ClobberMemory();
        }
    }
}

void BM_Tokenise_RevisionStrings(benchmark::State& state) {
    TokeniseTexts(state, kRevisionStrings);
}
void BM_Strtok_RevisionStrings(benchmark::State& state) {
    StrtokTexts(state, kRevisionStrings);
}
void BM_Tokenise_Lines(benchmark::State& state) {
    TokeniseTexts(state, kLines);
}
void BM_Strtok_Lines(benchmark::State& state) {
    StrtokTexts(state, kLines);
}

void BM_ParseConfigString(benchmark::State& state) {
    for (auto _ : state) {
        for (const char* text : kRevisionStrings)
            benchmark::DoNotOptimize(ParseConfigString(text));
        benchmark::ClobberMemory();
    }
}

// The baseline: the least any parse of the contract must do, written inline:
// a bounded working copy, the keyword search, a strtok split and bounded
// copies of the four fields into records of the same sizes.
struct BareFields {
    char product[100];
    char partNumber[32];
    char fileName[1024];
    char revision[32];
};

template <std::size_t N> void CopyWord(char (&field)[N], const char* word) {
    const std::size_t length = strnlen(word, N - 1);
    std::memcpy(field, word, length);
    field[length] = '\0';
}

bool BareParse(const char* text, BareFields& fields) {
    char work[512];
    CopyWord(work, text);
    const bool hasKeyword = std::strstr(work, "$Revision") != nullptr;
    char* words[10];
    int count = 0;
    for (char* word = std::strtok(work, " "); word != nullptr && count < 9;
         word = std::strtok(nullptr, " "))
        words[count++] = word;
    if (count < 2)
        return false;
    CopyWord(fields.product, words[1]);
    if (count >= 3)
        CopyWord(fields.partNumber, words[2]);
    if (count >= 4)
        CopyWord(fields.fileName, words[3]);
    if (hasKeyword ? count >= 6 : count >= 5)
        CopyWord(fields.revision, words[hasKeyword ? 5 : 4]);
    return true;
}

void BM_BareParse(benchmark::State& state) {
    static BareFields fields;
    for (auto _ : state) {
        for (const char* text : kRevisionStrings)
            benchmark::DoNotOptimize(BareParse(text, fields));
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_Tokenise_RevisionStrings);
BENCHMARK(BM_Strtok_RevisionStrings);
BENCHMARK(BM_Tokenise_Lines);
BENCHMARK(BM_Strtok_Lines);
BENCHMARK(BM_ParseConfigString);
BENCHMARK(BM_BareParse);

} // namespace

BENCHMARK_MAIN();

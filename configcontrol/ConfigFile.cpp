#include "configcontrol/ConfigControl.h"
#include "configcontrol/ConfigReportStream.h"
#include "configcontrol/ConfigString.h"
#include "textfunctions/TextFunctions.h"

static const char kConfigFileRevision[] = "%Z% ConfigControl TS3103:02 ConfigFile $Revision: 1.3 $";

void RegisterConfigFile() {
    RegisterConfigString(kConfigFileRevision);
}

static const int kPathSize = 1024;
static const char kReportIndent[] = "               ";
static const char kReportVersion[] = "2.3";
// The rule is written in two halves, the second carrying the line end.
static const char kRuleHalf[] = "===============================================";

static std::FILE* s_Report = nullptr;

std::FILE* ConfigReportStream() {
    return s_Report;
}

std::FILE* SetConfigReportStream(std::FILE* stream) {
    std::FILE* earlier = s_Report;
    s_Report = stream;
    return earlier;
}

int BeginConfigComponent(const char*) {
    return 0;
}

void EndConfigComponent() {}

void RegisterConfigString(const char* text) {
    const bool recognised = ParseConfigString(text);
    if (s_Report == nullptr)
        return;
    if (recognised)
        WriteConfigRow(s_Report);
    else
        WriteUnrecognisableLine(s_Report);
}

static void WriteRule(std::FILE* out) {
    std::fprintf(out, "%s%s\n", kRuleHalf, kRuleHalf);
}

static void WriteHeading(std::FILE* out) {
    std::fprintf(out,
                 "%sTarvik Solutions Ltd. Configuration Control[TS0103] Version %s  Report: \n\n",
                 kReportIndent, kReportVersion);
    WriteRule(out);
    std::fprintf(out, " %20s | %22s |%30s | %10s |\n", "Product Name", "Tarvik Solutions P/N",
                 "Component name", "Version");
    WriteRule(out);
}

bool OpenConfigReport(const char* fileName) {
    // An earlier report left open would keep its buffered rows until the
    // process ends; it is finished before the new one starts.
    CloseConfigReport();
    char path[kPathSize];
    if (CopyBounded(path, fileName, kPathSize) == nullptr)
        return false;
    std::FILE* report = std::fopen(path, "w");
    if (report == nullptr)
        return false;
    WriteHeading(report);
    s_Report = report;
    return true;
}

void CloseConfigReport() {
    if (s_Report == nullptr)
        return;
    std::fclose(s_Report);
    s_Report = nullptr;
}

void RegisterConfigControl() {
    RegisterTextFunctions();
    BeginConfigComponent("Config Control");
    RegisterConfigFile();
    RegisterRevisionString();
    RegisterConfigStringHeader();
    RegisterConfigControlHeader();
    EndConfigComponent();
}

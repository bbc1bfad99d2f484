// The component register: each component declares the revision strings of its
// modules here; while a configuration report is open every registration writes
// one row into it.
#pragma once

int BeginConfigComponent(const char* displayName); // always 0
void RegisterConfigString(const char* text);
void EndConfigComponent();

// Opening ends any report still open, so its rows reach its file. A path over
// 1023 characters is cut to 1023. False, and no report, when the file cannot
// be opened; registrations then write nothing.
bool OpenConfigReport(const char* fileName);
void CloseConfigReport();

void RegisterConfigControl(); // the text-functions library, then this component

void RegisterConfigFile();

inline constexpr char kConfigControlRevision[] =
    "%Z% ConfigControl TS3103:05 ConfigControl $Revision: 1.5 $";

inline void RegisterConfigControlHeader() {
    RegisterConfigString(kConfigControlRevision);
}

// A class's registration runs on its first construction in the process only.
// The flag is one byte, clear at start, set after the routine has run.
using ConfigOnceFlag = unsigned char;

inline void RegisterOnce(ConfigOnceFlag& flag, void (*routine)()) {
    if (flag)
        return;
    routine();
    flag = 1;
}

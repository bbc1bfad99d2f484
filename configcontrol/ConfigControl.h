// The component register: each component declares the revision strings of its
// modules here; while a configuration report is open every registration writes
// one row into it.
#pragma once

int BeginConfigComponent(const char* displayName); // always 0
void RegisterConfigString(const char* text);
void EndConfigComponent();

bool OpenConfigReport(const char* fileName);
void CloseConfigReport();

void RegisterConfigControl(); // the text-functions library, then this component

// A class's registration runs on its first construction in the process only.
// The flag is one byte, clear at start, set after the routine has run.
using ConfigOnceFlag = unsigned char;

inline void RegisterOnce(ConfigOnceFlag& flag, void (*routine)()) {
    if (flag)
        return;
    routine();
    flag = 1;
}

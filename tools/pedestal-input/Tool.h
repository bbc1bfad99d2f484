// pedestal-input's commands, each a function of its options; main.cpp only
// wires the command line to them. Each returns the process's exit code.
#pragma once

#include <string>

namespace pedestal_input {

inline constexpr int kOk = 0;
inline constexpr int kFailure = 1;
inline constexpr int kUsage = 2;

struct Common {
    std::string input;       // the bindings file; empty: the default one
    std::string virtualName; // tests: a virtual device moved from stdin
};

int List(const Common& common);
int Monitor(const Common& common);

struct CalibrateOptions {
    std::string device;
    int axis = 0;
    std::string function;
};
int Calibrate(const Common& common, const CalibrateOptions& options);

int Run(const Common& common, const std::string& url);

} // namespace pedestal_input

// Inside the register: the open report as a stream, so that tests can watch
// the rows a registration writes without a file of their own.
#pragma once

#include <cstdio>

std::FILE* ConfigReportStream(); // null when no report is open

// Makes stream the open report (null for none) and returns the earlier one,
// which is neither flushed nor closed: it stays the caller's.
std::FILE* SetConfigReportStream(std::FILE* stream);

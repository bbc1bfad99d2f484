#include "shm/TS_ErrorReport.h"

#include "configcontrol/ConfigControl.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

static const char kErrorReportHeaderRevision[] =
    "%Z% TS_ErrorReport TS2104:02 TS_ErrorReport $Revision: 1.1 $";
static const char kErrorReportRevision[] =
    "%Z% TS_ErrorReport TS2104:01 TS_ErrorReport $Revision: 1.2 $";

static ConfigOnceFlag s_ErrorReportRegistered = 0;

static void RegisterErrorReportStrings() {
    RegisterConfigString(kErrorReportHeaderRevision);
    RegisterConfigString(kErrorReportRevision);
}

void TS_ErrorReport::RegisterConfig() {
    RegisterOnce(s_ErrorReportRegistered, RegisterErrorReportStrings);
}

// A part of exactly 1024 characters stays whole; a longer one keeps 1023.
static std::string_view CutPart(const char* part) {
    std::string_view text = part != nullptr ? part : "";
    return text.size() > 1024 ? text.substr(0, 1023) : text;
}

TS_ErrorReport::TS_ErrorReport() : m_Text{}, m_Keys{}, m_KeyCount(0), m_NumberText{} {}

TS_ErrorReport::~TS_ErrorReport() = default;

void TS_ErrorReport::SetError(const char* text) {
    m_Message = text != nullptr ? text : "";
}

void TS_ErrorReport::SetError(const char* origin, const char* message) {
    m_Message = CutPart(origin);
    m_Message += '\n';
    m_Message += CutPart(message);
}

void TS_ErrorReport::SetError(const char* origin, const char* message, const char* detail) {
    SetError(origin, message);
    m_Message += '\n';
    m_Message += CutPart(detail);
}

void TS_ErrorReport::SetError(const char* origin, const char* message, std::int32_t number) {
    std::snprintf(m_NumberText, sizeof m_NumberText, ">%d<", static_cast<int>(number));
    SetError(origin, message, m_NumberText);
}

void TS_ErrorReport::SetErrorOnce(const char* text, std::int32_t key) {
    if (!AlreadyReported(key))
        SetError(text);
}

void TS_ErrorReport::SetErrorOnce(const char* origin, const char* message, std::int32_t key) {
    if (!AlreadyReported(key))
        SetError(origin, message);
}

void TS_ErrorReport::SetErrorOnce(const char* origin, const char* message, const char* detail,
                                  std::int32_t key) {
    if (!AlreadyReported(key))
        SetError(origin, message, detail);
}

void TS_ErrorReport::SetErrorOnce(const char* origin, const char* message, std::int32_t number,
                                  std::int32_t key) {
    if (!AlreadyReported(key))
        SetError(origin, message, number);
}

bool TS_ErrorReport::AlreadyReported(std::int32_t key) {
    if (m_KeyCount >= kMaxKeys)
        return false;
    for (int i = 0; i < m_KeyCount; ++i) {
        if (m_Keys[i] == key)
            return true;
    }
    m_Keys[m_KeyCount++] = key;
    return false;
}

const char* TS_ErrorReport::GetError() {
    const std::size_t length = std::min(m_Message.size(), std::size_t{kTextSize - 1});
    std::memcpy(m_Text, m_Message.data(), length);
    std::memset(m_Text + length, 0, kTextSize - length);
    return m_Text;
}

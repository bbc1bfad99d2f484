// The latest error of the object that carries it, kept as one text that the
// owner fetches with GetError() to show. Each SetError replaces the text
// before it; SetErrorOnce reports under a key only the first time that key is
// seen (up to 50 keys). Nothing is written anywhere by the report itself.
#pragma once

#include <cstdint>
#include <string>

class TS_ErrorReport {
public:
    TS_ErrorReport();
    ~TS_ErrorReport();

    TS_ErrorReport(const TS_ErrorReport&) = delete;
    TS_ErrorReport& operator=(const TS_ErrorReport&) = delete;

    // The one-part text is stored whole. In the multi-part forms each part
    // longer than 1024 characters is cut to its first 1023, and the parts are
    // joined by line feeds; the number form adds the number as ">%d<".
    // A null part counts as the empty text.
    void SetError(const char* text);
    void SetError(const char* origin, const char* message);
    void SetError(const char* origin, const char* message, const char* detail);
    void SetError(const char* origin, const char* message, std::int32_t number);

    void SetErrorOnce(const char* text, std::int32_t key);
    void SetErrorOnce(const char* origin, const char* message, std::int32_t key);
    void SetErrorOnce(const char* origin, const char* message, const char* detail,
                      std::int32_t key);
    void SetErrorOnce(const char* origin, const char* message, std::int32_t number,
                      std::int32_t key);

    // True when the key was recorded before; otherwise records it. Once 50
    // keys are held it answers false without looking, so every keyed report
    // goes through from then on.
    bool AlreadyReported(std::int32_t key);

    // At most 255 characters of the message; valid until the next call or the
    // report's end.
    const char* GetError();
    // The whole current message, which GetError hands out cut to 255.
    const std::string& GetMessage() const { return m_Message; }

    // Registers the class's two revision strings once per process (this
    // routine begins and ends no component of its own).
    static void RegisterConfig();

    static constexpr int kMaxKeys = 50;

private:
    static constexpr int kTextSize = 256;

    char m_Text[kTextSize];
    std::string m_Message;
    std::int32_t m_Keys[kMaxKeys];
    std::int32_t m_KeyCount;
    char m_NumberText[16]; // ">-2147483648<" and the terminator
};

#include "shm/TS_ErrorReport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(TS_ErrorReport, NewReportGivesEmptyText) {
    TS_ErrorReport report;
    EXPECT_STREQ(report.GetError(), "");
    EXPECT_EQ(report.GetMessage(), "");
}

TEST(TS_ErrorReport, FormsJoinPartsWithLineFeeds) {
    TS_ErrorReport report;
    report.SetError("x", "y");
    EXPECT_STREQ(report.GetError(), "x\ny");
    report.SetError("x", "y", "z");
    EXPECT_STREQ(report.GetError(), "x\ny\nz");
    report.SetError("x", "y", 7);
    EXPECT_STREQ(report.GetError(), "x\ny\n>7<");
    report.SetError("x", "y", -1);
    EXPECT_STREQ(report.GetError(), "x\ny\n>-1<");
    report.SetError("x", "y", INT32_MIN);
    EXPECT_STREQ(report.GetError(), "x\ny\n>-2147483648<");
    report.SetError("x", "y", INT32_MAX);
    EXPECT_STREQ(report.GetError(), "x\ny\n>2147483647<");
    report.SetError("one part");
    EXPECT_STREQ(report.GetError(), "one part");
    report.SetError(nullptr, "m");
    EXPECT_STREQ(report.GetError(), "\nm");
}

TEST(TS_ErrorReport, MultiPartPartsLongerThan1024AreCutTo1023) {
    struct Case {
        std::size_t length;
        std::size_t kept;
    };
    for (Case c : {Case{1023, 1023}, Case{1024, 1024}, Case{1025, 1023}, Case{3000, 1023}}) {
        const std::string part(c.length, 'a');
        const std::string kept(c.kept, 'a');
        TS_ErrorReport report;
        report.SetError(part.c_str(), "m");
        EXPECT_EQ(report.GetMessage(), kept + "\nm") << c.length;
        report.SetError("o", part.c_str());
        EXPECT_EQ(report.GetMessage(), "o\n" + kept) << c.length;
        report.SetError("o", "m", part.c_str());
        EXPECT_EQ(report.GetMessage(), "o\nm\n" + kept) << c.length;
        report.SetError(part.c_str(), part.c_str(), 5);
        EXPECT_EQ(report.GetMessage(), kept + "\n" + kept + "\n>5<") << c.length;
    }
}

TEST(TS_ErrorReport, OnePartTextIsKeptWholeAndHandedOutCutTo255) {
    TS_ErrorReport report;
    std::string text(2000, 'b');
    text[254] = 'E';
    text[255] = 'X';
    report.SetError(text.c_str());
    EXPECT_EQ(report.GetMessage(), text);
    const char* shown = report.GetError();
    EXPECT_EQ(std::strlen(shown), 255u);
    EXPECT_EQ(shown[254], 'E');
    // The text handed out is 256 bytes whose last is the terminator.
    EXPECT_EQ(shown[255], '\0');

    // A shorter message after a long one leaves no tail of the long one.
    report.SetError("short");
    shown = report.GetError();
    EXPECT_STREQ(shown, "short");
    for (int i = 5; i < 256; ++i)
        ASSERT_EQ(shown[i], '\0') << i;
}

TEST(TS_ErrorReport, GetErrorLeavesMessageUnchanged) {
    TS_ErrorReport report;
    const std::string text(300, 'c');
    report.SetError(text.c_str());
    report.GetError();
    report.GetError();
    EXPECT_EQ(report.GetMessage(), text);
}

TEST(TS_ErrorReport, SetErrorOnceReportsEachKeyOnce) {
    TS_ErrorReport report;
    report.SetErrorOnce("first", 1);
    EXPECT_STREQ(report.GetError(), "first");
    report.SetErrorOnce("again", 1);
    EXPECT_STREQ(report.GetError(), "first");

    report.SetErrorOnce("o", "m", 2);
    EXPECT_STREQ(report.GetError(), "o\nm");
    report.SetErrorOnce("o2", "m2", 2);
    EXPECT_STREQ(report.GetError(), "o\nm");

    report.SetErrorOnce("o", "m", "d", 3);
    EXPECT_STREQ(report.GetError(), "o\nm\nd");
    report.SetErrorOnce("o", "m", "other", 3);
    EXPECT_STREQ(report.GetError(), "o\nm\nd");

    report.SetErrorOnce("o", "m", 42, 4);
    EXPECT_STREQ(report.GetError(), "o\nm\n>42<");
    report.SetErrorOnce("o", "m", 43, 4);
    EXPECT_STREQ(report.GetError(), "o\nm\n>42<");

    // Keys are shared by every form: key 1 was used by the one-part form.
    report.SetErrorOnce("o", "m", 99, 1);
    EXPECT_STREQ(report.GetError(), "o\nm\n>42<");
    // A plain SetError is never held back.
    report.SetError("plain");
    EXPECT_STREQ(report.GetError(), "plain");
}

TEST(TS_ErrorReport, AlreadyReportedRemembersFiftyKeysThenLetsEverythingThrough) {
    TS_ErrorReport report;
    EXPECT_FALSE(report.AlreadyReported(0));
    EXPECT_TRUE(report.AlreadyReported(0));
    EXPECT_FALSE(report.AlreadyReported(-7));
    EXPECT_TRUE(report.AlreadyReported(-7));
    for (int key = 100; key < 148; ++key)
        ASSERT_FALSE(report.AlreadyReported(key)) << key;
    // Fifty keys are held; those remembered still answer nothing more.
    EXPECT_FALSE(report.AlreadyReported(0));
    EXPECT_FALSE(report.AlreadyReported(147));
    EXPECT_FALSE(report.AlreadyReported(500));
    EXPECT_FALSE(report.AlreadyReported(500));

    report.SetErrorOnce("old key", 0);
    EXPECT_STREQ(report.GetError(), "old key");
    report.SetErrorOnce("new key", 501);
    EXPECT_STREQ(report.GetError(), "new key");
}

TEST(TS_ErrorReport, FiftiethKeyIsRecordedButNeverFound) {
    // Below the limit a key is recorded and found again...
    TS_ErrorReport other;
    for (int key = 1; key <= 49; ++key)
        ASSERT_FALSE(other.AlreadyReported(key));
    EXPECT_TRUE(other.AlreadyReported(49));
    EXPECT_FALSE(other.AlreadyReported(50));
    // ...until the table is full and the limit is tested first.
    EXPECT_FALSE(other.AlreadyReported(50));
}

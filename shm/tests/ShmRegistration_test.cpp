// The classes' registrations run once per process, so this program is its own
// process: nothing else here may build a shared-memory object first.
#include "configcontrol/ConfigControl.h"
#include "shm/TS_ErrorReport.h"
#include "shm/TS_P_0001_02_Shm.h"
#include "shm/tests/ShmTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string TempPath(const std::string& tag) {
    return "/tmp/" + shmtest::UniqueName(tag) + ".txt";
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// What a report holds when exactly these strings are registered while it is
// open, written by the register itself.
std::string ReportOf(std::initializer_list<const char*> strings) {
    const std::string path = TempPath("reference");
    EXPECT_TRUE(OpenConfigReport(path.c_str()));
    for (const char* text : strings)
        RegisterConfigString(text);
    CloseConfigReport();
    std::string text = ReadFile(path);
    std::remove(path.c_str());
    return text;
}

int Lines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

TEST(ShmRegistration, FirstAttachmentWritesBaseRowsThenItsOwnAndLaterOnesNothing) {
    const std::string heading = ReportOf({});
    const std::string expected =
        ReportOf({"%Z% BaseSharedMemory TS2082:02 BaseSharedMemory $Revision: 1.3 $",
                  "%Z% BaseSharedMemory TS2082:01 BaseSharedMemory $Revision: 1.7 $ ",
                  "%Z% Classes TS2146 TS_P_0001_02_Shm $Revision: 1.4 $ ",
                  "%Z% Classes TS2146 TS_P_0001_02_Shm $Revision: 1.2 $"});
    ASSERT_EQ(Lines(expected), Lines(heading) + 4);

    shmtest::ScopedName name("registration");
    const std::string path = TempPath("report");
    ASSERT_TRUE(OpenConfigReport(path.c_str()));
    {
        TS_P_0001_02_Shm first(name.c_str());
        EXPECT_TRUE(first.IsValid());
        TS_P_0001_02_Shm second(name.c_str());
        EXPECT_TRUE(second.IsValid());
    }
    CloseConfigReport();
    EXPECT_EQ(ReadFile(path), expected);

    ASSERT_TRUE(OpenConfigReport(path.c_str()));
    { TS_P_0001_02_Shm later(name.c_str()); }
    CloseConfigReport();
    EXPECT_EQ(ReadFile(path), heading);
    std::remove(path.c_str());
}

TEST(ShmRegistration, ErrorReportRegistersItsTwoStringsOnceWithoutComponent) {
    const std::string expected =
        ReportOf({"%Z% TS_ErrorReport TS2104:02 TS_ErrorReport $Revision: 1.1 $",
                  "%Z% TS_ErrorReport TS2104:01 TS_ErrorReport $Revision: 1.2 $"});
    const std::string path = TempPath("errorreport");
    ASSERT_TRUE(OpenConfigReport(path.c_str()));
    TS_ErrorReport::RegisterConfig();
    TS_ErrorReport::RegisterConfig();
    CloseConfigReport();
    EXPECT_EQ(ReadFile(path), expected);
    std::remove(path.c_str());
}

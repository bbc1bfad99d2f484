#include "configcontrol/ConfigControl.h"
#include "configcontrol/ConfigReportStream.h"
#include "configcontrol/ConfigString.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kRule(94, '=');
const std::string kHeading =
    "               Tarvik Solutions Ltd. Configuration Control[TS0103] Version 2.3  Report: \n"
    "\n" +
    kRule + "\n" +
    "         Product Name |   Tarvik Solutions P/N |                Component name |    Version "
    "|\n" +
    kRule + "\n";

const std::string kConfigControlRows = "        TextFunctions |              TS3102:01 |           "
                                       "      TextFunctions |       1.14 | \n"
                                       "        TextFunctions |              TS3102:02 |           "
                                       "           tokenise |        1.3 | \n"
                                       "        TextFunctions |              TS3102:03 |           "
                                       "              Files |        1.2 | \n"
                                       "        TextFunctions |                 TS3102 |           "
                                       "            Formats |       1.10 | \n"
                                       "        TextFunctions |              TS3102:05 |           "
                                       "     TextFcnsConfig |        1.1 | \n"
                                       "        ConfigControl |              TS3103:02 |           "
                                       "         ConfigFile |        1.3 | \n"
                                       "        ConfigControl |              TS3103:03 |           "
                                       "     RevisionString |        1.2 | \n"
                                       "        ConfigControl |              TS3103:04 |           "
                                       "       ConfigString |        1.2 | \n"
                                       "        ConfigControl |              TS3103:05 |           "
                                       "      ConfigControl |        1.5 | \n";

const std::string kConfigFileRow = "        ConfigControl |              TS3103:02 |               "
                                   "     ConfigFile |        1.3 | \n";
const std::string kRevisionStringRow = "        ConfigControl |              TS3103:03 |           "
                                       "     RevisionString |        1.2 | \n";

std::string FileText(const fs::path& path) {
    std::ifstream in(path); // text mode: Windows ends the lines with CR LF
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Each test gets a directory of its own and leaves no report open.
class ConfigReportTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = testing::TempDir() + "ConfigReport_test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_Dir = pattern;
    }
    void TearDown() override {
        CloseConfigReport();
        fs::remove_all(m_Dir);
    }
    std::string Path(const char* name) const { return (m_Dir / name).string(); }

    fs::path m_Dir;
};

TEST_F(ConfigReportTest, NothingRegisteredGivesTheHeadingAlone) {
    ASSERT_TRUE(OpenConfigReport(Path("report.txt").c_str()));
    CloseConfigReport();
    EXPECT_EQ(FileText(Path("report.txt")), kHeading);
}

TEST_F(ConfigReportTest, RowsAreAsWideAsTheRules) {
    ASSERT_TRUE(OpenConfigReport(Path("report.txt").c_str()));
    RegisterConfigControl();
    CloseConfigReport();
    std::vector<std::size_t> widths;
    std::ifstream in(Path("report.txt"));
    for (std::string line; std::getline(in, line);)
        widths.push_back(line.size());
    const std::vector<std::size_t> expected{88, 0, 94, 93, 94, 94, 94, 94, 94, 94, 94, 94, 94, 94};
    EXPECT_EQ(widths, expected);
}

TEST_F(ConfigReportTest, RegisterConfigControlWritesNineRows) {
    ASSERT_TRUE(OpenConfigReport(Path("report.txt").c_str()));
    RegisterConfigControl();
    CloseConfigReport();
    EXPECT_EQ(FileText(Path("report.txt")), kHeading + kConfigControlRows);
}

TEST_F(ConfigReportTest, RegisterConfigControlTwiceWritesEighteenRows) {
    ASSERT_TRUE(OpenConfigReport(Path("report.txt").c_str()));
    RegisterConfigControl();
    RegisterConfigControl();
    CloseConfigReport();
    EXPECT_EQ(FileText(Path("report.txt")), kHeading + kConfigControlRows + kConfigControlRows);
}

TEST_F(ConfigReportTest, OpeningReplacesAnEarlierFile) {
    std::ofstream(Path("report.txt")) << "an older report that runs longer than the heading\n"
                                      << std::string(600, '#') << '\n';
    ASSERT_TRUE(OpenConfigReport(Path("report.txt").c_str()));
    CloseConfigReport();
    EXPECT_EQ(FileText(Path("report.txt")), kHeading);
}

TEST_F(ConfigReportTest, PathOver1023CharactersIsCutBeforeTheOpen) {
    fs::path dir = m_Dir;
    while (dir.string().size() < 800)
        dir /= std::string(200, 'd');
    ASSERT_TRUE(fs::create_directories(dir));
    const std::string kept = (dir / "").string() + std::string(1023 - dir.string().size() - 1, 'r');
    ASSERT_EQ(kept.size(), 1023u);
    const std::string full = kept + "-cut-off.txt";

    ASSERT_TRUE(OpenConfigReport(full.c_str()));
    RegisterConfigFile();
    CloseConfigReport();
    EXPECT_EQ(FileText(kept), kHeading + kConfigFileRow);
    EXPECT_FALSE(fs::exists(full));
}

TEST_F(ConfigReportTest, UnopenablePathGivesFalseAndNoFile) {
    const std::string path = Path("missing/report.txt");
    EXPECT_FALSE(OpenConfigReport(path.c_str()));
    EXPECT_EQ(ConfigReportStream(), nullptr);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(fs::exists(Path("missing")));
    RegisterConfigFile();
    EXPECT_FALSE(OpenConfigReport(nullptr));
    EXPECT_EQ(ConfigReportStream(), nullptr);
}

TEST_F(ConfigReportTest, AfterCloseRegistrationsWriteNothing) {
    ASSERT_TRUE(OpenConfigReport(Path("report.txt").c_str()));
    RegisterConfigFile();
    CloseConfigReport();
    RegisterRevisionString();
    CloseConfigReport();
    EXPECT_EQ(ConfigReportStream(), nullptr);
    EXPECT_EQ(FileText(Path("report.txt")), kHeading + kConfigFileRow);
}

TEST_F(ConfigReportTest, ReopeningFinishesTheEarlierReport) {
    ASSERT_TRUE(OpenConfigReport(Path("first.txt").c_str()));
    RegisterConfigFile();
    ASSERT_TRUE(OpenConfigReport(Path("second.txt").c_str()));
    // Read while the second report is still open: the first must be complete.
    EXPECT_EQ(FileText(Path("first.txt")), kHeading + kConfigFileRow);
    RegisterRevisionString();
    CloseConfigReport();
    EXPECT_EQ(FileText(Path("first.txt")), kHeading + kConfigFileRow);
    EXPECT_EQ(FileText(Path("second.txt")), kHeading + kRevisionStringRow);
}

TEST_F(ConfigReportTest, FailedReopenStillFinishesTheEarlierReport) {
    ASSERT_TRUE(OpenConfigReport(Path("first.txt").c_str()));
    RegisterConfigFile();
    EXPECT_FALSE(OpenConfigReport(Path("missing/second.txt").c_str()));
    EXPECT_EQ(ConfigReportStream(), nullptr);
    RegisterRevisionString();
    EXPECT_EQ(FileText(Path("first.txt")), kHeading + kConfigFileRow);
}

} // namespace

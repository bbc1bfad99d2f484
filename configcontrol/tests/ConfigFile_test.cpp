#include "configcontrol/ConfigControl.h"
#include "configcontrol/ConfigReportStream.h"
#include "configcontrol/ConfigString.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

const char kConfigFileString[] = "%Z% ConfigControl TS3103:02 ConfigFile $Revision: 1.3 $";
const char kConfigFileRow[] = "        ConfigControl |              TS3103:02 |"
                              "                    ConfigFile |        1.3 | \n";
const char kUnrecognisable[] = "Unrecongnisable Configuration string \n";

// Stands in a scratch stream for the open report and takes it away again.
class ConfigFileTest : public testing::Test {
protected:
    void SetUp() override {
        m_pStream = std::tmpfile();
        ASSERT_NE(m_pStream, nullptr);
        ASSERT_EQ(SetConfigReportStream(m_pStream), nullptr);
    }
    void TearDown() override {
        SetConfigReportStream(nullptr);
        std::fclose(m_pStream);
    }
    std::string Written() {
        std::fflush(m_pStream);
        std::rewind(m_pStream);
        std::string text;
        for (int c; (c = std::fgetc(m_pStream)) != EOF;)
            text.push_back(static_cast<char>(c));
        return text;
    }

    std::FILE* m_pStream = nullptr;
};

TEST_F(ConfigFileTest, BeginAndEndWriteNothingAndKeepTheReport) {
    EXPECT_EQ(BeginConfigComponent("Config Control"), 0);
    EXPECT_EQ(BeginConfigComponent(nullptr), 0);
    EndConfigComponent();
    EXPECT_EQ(ConfigReportStream(), m_pStream);
    EXPECT_EQ(Written(), "");
}

TEST_F(ConfigFileTest, EachRegistrationWritesItsRowOrTheUnrecognisableLine) {
    RegisterConfigString(kConfigFileString);
    RegisterConfigString("");
    RegisterConfigString("OneWord");
    RegisterConfigString("%Z% TextFunctions TS3102:03 Files $Revision: 1.2 $");
    RegisterConfigString(nullptr);
    RegisterConfigString(kConfigFileString);
    EXPECT_EQ(Written(), std::string(kConfigFileRow) + kUnrecognisable + kUnrecognisable +
                             "        TextFunctions |              TS3102:03 |"
                             "                         Files |        1.2 | \n" +
                             kUnrecognisable + kConfigFileRow);
}

TEST_F(ConfigFileTest, ShortStringRowKeepsThePreviousValues) {
    RegisterConfigString(kConfigFileString);
    RegisterConfigString("%Z% Newer TS9");
    EXPECT_EQ(Written(), std::string(kConfigFileRow) +
                             "                Newer |                    TS9 |"
                             "                    ConfigFile |        1.3 | \n");
}

TEST_F(ConfigFileTest, UnrecognisableStringKeepsTheFields) {
    RegisterConfigString(kConfigFileString);
    RegisterConfigString("   ");
    EXPECT_STREQ(ConfigFields().fileName, "ConfigFile");
    EXPECT_STREQ(ConfigFields().revision, "1.3");
}

TEST_F(ConfigFileTest, ModuleRoutinesRegisterTheirOwnStrings) {
    RegisterConfigFile();
    RegisterRevisionString();
    RegisterConfigStringHeader();
    RegisterConfigControlHeader();
    EXPECT_EQ(Written(), std::string(kConfigFileRow) +
                             "        ConfigControl |              TS3103:03 |"
                             "                RevisionString |        1.2 | \n"
                             "        ConfigControl |              TS3103:04 |"
                             "                  ConfigString |        1.2 | \n"
                             "        ConfigControl |              TS3103:05 |"
                             "                 ConfigControl |        1.5 | \n");
}

TEST(ConfigFile, WithoutReportRegistrationOnlyParses) {
    ASSERT_EQ(ConfigReportStream(), nullptr);
    RegisterConfigString("%Z% BaseSharedMemory TS2082:01 BaseSharedMemory $Revision: 1.7 $");
    EXPECT_STREQ(ConfigFields().product, "BaseSharedMemory");
    EXPECT_STREQ(ConfigFields().partNumber, "TS2082:01");
    EXPECT_STREQ(ConfigFields().revision, "1.7");
    EXPECT_EQ(ConfigReportStream(), nullptr);
}

int g_Runs = 0;
void CountRun() {
    ++g_Runs;
}

TEST(RegisterOnce, RunsOnTheFirstCallOnly) {
    ConfigOnceFlag flag = 0;
    g_Runs = 0;
    RegisterOnce(flag, CountRun);
    EXPECT_EQ(g_Runs, 1);
    EXPECT_EQ(flag, 1);
    RegisterOnce(flag, CountRun);
    EXPECT_EQ(g_Runs, 1);
}

} // namespace

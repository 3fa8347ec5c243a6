// Unit tests of KALVORA.INI: reading, writing, defaults, odd values and the search-path lookup, on real files.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "shared/SettingsRecord.h"
#include "res/resource.h"

namespace {

// A private temp folder per test; the current directory is put back when the test ends.
class SettingsFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char szTemp[MAX_PATH];
        ASSERT_GT(::GetTempPathA(MAX_PATH, szTemp), 0u);
        char szName[64];
        wsprintfA(szName, "kvset_%lu_%lu", ::GetCurrentProcessId(), ::GetTickCount());
        m_folder = std::string(szTemp) + szName + "_" + std::to_string(s_nSerial++);
        ASSERT_TRUE(::CreateDirectoryA(m_folder.c_str(), NULL)) << m_folder;
        m_path = m_folder + "\\KALVORA.INI";
        ::GetCurrentDirectoryA(MAX_PATH, m_szOldDir);
    }

    void TearDown() override
    {
        ::SetCurrentDirectoryA(m_szOldDir);
        ::SetFileAttributesA(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(m_path.c_str());
        ::RemoveDirectoryA(m_folder.c_str());
    }

    void WriteRaw(const std::string& text)
    {
        std::ofstream f(m_path.c_str(), std::ios::binary);
        f << text;
    }

    std::string ReadRaw() const
    {
        std::ifstream f(m_path.c_str(), std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }

    // A record as start-up leaves it: constructor values and the path, then the file read.
    void ReadInto(CSettingsRecord& rec)
    {
        rec.m_strIniPath = m_path.c_str();
        rec.ReadSettings();
    }

    std::string m_folder;
    std::string m_path;
    char m_szOldDir[MAX_PATH] = "";
    static int s_nSerial;
};

int SettingsFile::s_nSerial = 0;

std::string Str(const CString& s)
{
    return std::string((LPCSTR)s);
}

} // namespace

TEST_F(SettingsFile, AllSevenValuesSurviveAWriteAndARead)
{
    CSettingsRecord out;
    out.m_strIniPath = m_path.c_str();
    out.m_strBackGround = "D:\\Pictures\\Back";
    out.m_strPattern16 = "E:\\p16";
    out.m_strPattern17 = "F:\\seventeen folder";
    out.m_strPattern22 = "G:\\x\\y\\z";
    out.m_nDynamicUser = 77;
    out.m_nStaticUser = 123;
    out.m_crBackScreen = RGB(10, 20, 30);
    out.WriteSettings();

    CSettingsRecord in;
    ReadInto(in);
    EXPECT_EQ(Str(in.m_strBackGround), "D:\\Pictures\\Back");
    EXPECT_EQ(Str(in.m_strPattern16), "E:\\p16");
    EXPECT_EQ(Str(in.m_strPattern17), "F:\\seventeen folder");
    EXPECT_EQ(Str(in.m_strPattern22), "G:\\x\\y\\z");
    EXPECT_EQ(in.m_nDynamicUser, 77);
    EXPECT_EQ(in.m_nStaticUser, 123);
    EXPECT_EQ(in.m_crBackScreen, RGB(10, 20, 30));
}

TEST_F(SettingsFile, FileListsTheSevenKeysInOrderThenTheTwoSoundKeys)
{
    CSettingsRecord out;
    out.m_strIniPath = m_path.c_str();
    out.m_crBackScreen = RGB(255, 255, 255);
    out.m_strPattern17 = "C:\\";
    out.WriteSettings();

    std::string text = ReadRaw();
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
    }
    const std::vector<std::string> expected = {
        "[Init]", "BackGround=", "Pattern16=", "Pattern17=C:\\", "Pattern22=",
        "DynamicUser=200", "StaticUser=140", "BackScreenColor=16777215", "InputDevice=", "Sensitivity=1",
    };
    EXPECT_EQ(lines, expected) << text;
}

TEST_F(SettingsFile, MissingKeysAndMissingFileHaveDifferentTempoDefaults)
{
    CSettingsRecord noFile;
    ReadInto(noFile);
    EXPECT_EQ(noFile.m_nStaticUser, 140);
    EXPECT_EQ(noFile.m_nDynamicUser, 200);

    WriteRaw("[Init]\r\n");
    CSettingsRecord emptySection;
    emptySection.m_strBackGround = "kept as it was";
    ReadInto(emptySection);
    EXPECT_EQ(emptySection.m_nStaticUser, 30);
    EXPECT_EQ(emptySection.m_nDynamicUser, 200);
    EXPECT_EQ(emptySection.m_crBackScreen, 0u);
    EXPECT_EQ(Str(emptySection.m_strBackGround), "kept as it was");
}

TEST_F(SettingsFile, FoldersOfTwoCharactersAreIgnoredAndThreeAreKept)
{
    WriteRaw("[Init]\r\nBackGround=C:\r\nPattern16=C:\\\r\nPattern17=NG\r\nPattern22=\r\n");
    CSettingsRecord rec;
    ReadInto(rec);
    EXPECT_EQ(Str(rec.m_strBackGround), "");
    EXPECT_EQ(Str(rec.m_strPattern16), "C:\\");
    EXPECT_EQ(Str(rec.m_strPattern17), "");
    EXPECT_EQ(Str(rec.m_strPattern22), "");

    rec.WriteSettings();
    std::string text = ReadRaw();
    EXPECT_NE(text.find("BackGround=\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Pattern16=C:\\\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("BackGround=C:\r"), std::string::npos) << text;
}

TEST_F(SettingsFile, TempoBelowOneBecomesTheDefaultAndNeverZero)
{
    const char* const values[] = { "0", "-5", "-2147483648" };
    for (const char* v : values) {
        WriteRaw(std::string("[Init]\r\nStaticUser=") + v + "\r\n");
        CSettingsRecord rec;
        ReadInto(rec);
        EXPECT_EQ(rec.m_nStaticUser, 140) << "StaticUser=" << v;
    }
    WriteRaw("[Init]\r\nStaticUser=1\r\n");
    CSettingsRecord one;
    ReadInto(one);
    EXPECT_EQ(one.m_nStaticUser, 1);
}

TEST_F(SettingsFile, ColourOutOfRangeOrNotANumberReadsAsBlack)
{
    const char* const bad[] = { "16777216", "-1", "4294967295", "white", "" };
    for (const char* v : bad) {
        WriteRaw(std::string("[Init]\r\nBackScreenColor=") + v + "\r\n");
        CSettingsRecord rec;
        rec.m_crBackScreen = RGB(1, 2, 3);
        ReadInto(rec);
        EXPECT_EQ(rec.m_crBackScreen, 0u) << "BackScreenColor=" << v;
    }
    WriteRaw("[Init]\r\nBackScreenColor=16777215\r\n");
    CSettingsRecord white;
    ReadInto(white);
    EXPECT_EQ(white.m_crBackScreen, 0xFFFFFFu);
}

TEST_F(SettingsFile, ThresholdThatIsNotANumberKeepsTheDefault)
{
    WriteRaw("[Init]\r\nDynamicUser=loud\r\nStaticUser=fast\r\n");
    CSettingsRecord rec;
    rec.m_nDynamicUser = 5;
    ReadInto(rec);
    EXPECT_EQ(rec.m_nDynamicUser, 200);
    EXPECT_EQ(rec.m_nStaticUser, 30);

    WriteRaw("[Init]\r\nDynamicUser=300\r\n");
    CSettingsRecord big;
    ReadInto(big);
    EXPECT_EQ(big.m_nDynamicUser, 300);   // the threshold's range is the dialog's business
}

TEST_F(SettingsFile, RandomBytesReadWithoutCrashAsMissingKeys)
{
    srand(12345);
    std::string junk;
    for (int i = 0; i < 8192; i++)
        junk.push_back((char)(rand() & 0xFF));
    WriteRaw(junk);
    CSettingsRecord rec;
    ReadInto(rec);
    EXPECT_EQ(rec.m_nDynamicUser, 200);
    EXPECT_EQ(rec.m_nStaticUser, 30);
    EXPECT_EQ(rec.m_crBackScreen, 0u);
    EXPECT_TRUE(rec.m_strBackGround.IsEmpty());
    EXPECT_TRUE(rec.m_strPattern22.IsEmpty());
}

TEST_F(SettingsFile, LongFolderValueRoundTripsWhole)
{
    std::string folder = "D:\\";
    while (folder.size() < 300)
        folder += "abcdefghij\\";
    folder.resize(300);

    CSettingsRecord out;
    out.m_strIniPath = m_path.c_str();
    out.m_strPattern16 = folder.c_str();
    out.WriteSettings();

    CSettingsRecord mid;
    ReadInto(mid);
    ASSERT_EQ(Str(mid.m_strPattern16), folder);
    mid.WriteSettings();

    CSettingsRecord back;
    ReadInto(back);
    EXPECT_EQ(Str(back.m_strPattern16), folder);
    EXPECT_EQ(back.m_strPattern16.GetLength(), 300);
}

TEST_F(SettingsFile, ReadOnlyFileIsLeftUntouched)
{
    const std::string original = "[Init]\r\nDynamicUser=11\r\n; a comment the user wrote\r\n";
    WriteRaw(original);
    // Marked read-only by the user: respected even where the system would let the write through
    // (Wine running as root does).
    ASSERT_TRUE(::SetFileAttributesA(m_path.c_str(), FILE_ATTRIBUTE_READONLY));

    CSettingsRecord rec;
    ReadInto(rec);
    EXPECT_EQ(rec.m_nDynamicUser, 11);
    rec.m_nDynamicUser = 99;
    rec.m_strBackGround = "D:\\changed";
    rec.WriteSettings();
    EXPECT_EQ(ReadRaw(), original);
}

TEST_F(SettingsFile, FileInTheCurrentDirectoryIsFoundAndWrittenBackThere)
{
    WriteRaw("[Init]\r\nStaticUser=90\r\n");
    ASSERT_TRUE(::SetCurrentDirectoryA(m_folder.c_str()));

    CSettingsRecord rec;
    rec.m_strIniPath = "Z:\\nowhere\\KALVORA.INI";
    rec.FindSettingsFile();
    char szFound[MAX_PATH], szExpected[MAX_PATH];
    ASSERT_GT(::GetLongPathNameA(rec.m_strIniPath, szFound, MAX_PATH), 0u) << Str(rec.m_strIniPath);
    ASSERT_GT(::GetLongPathNameA(m_path.c_str(), szExpected, MAX_PATH), 0u);
    EXPECT_EQ(lstrcmpiA(szFound, szExpected), 0) << szFound << " vs " << szExpected;

    rec.ReadSettings();
    EXPECT_EQ(rec.m_nStaticUser, 90);
    rec.m_nStaticUser = 91;
    rec.WriteSettings();
    EXPECT_NE(ReadRaw().find("StaticUser=91"), std::string::npos) << ReadRaw();
}

TEST_F(SettingsFile, NoFileOnTheSearchPathKeepsTheProgramFolderPath)
{
    ASSERT_TRUE(::SetCurrentDirectoryA(m_folder.c_str()));   // empty folder
    CSettingsRecord rec;
    rec.m_strIniPath = "Z:\\nowhere\\KALVORA.INI";
    rec.FindSettingsFile();
    EXPECT_EQ(Str(rec.m_strIniPath), "Z:\\nowhere\\KALVORA.INI");
}

// The input is kept by the name the system gives it, exactly: the system cuts names to 31 characters, often just
// after a space, and the profile reader trims spaces and strips one pair of quotes around a value.
TEST_F(SettingsFile, InputNamesRoundTripExactlyAndEarlierFilesStillRead)
{
    const CInputName inputs[] = {
        CInputName::Default(),
        CInputName::Loopback(),
        CInputName::Device("Line In (High Definition Audio "),     // 31 characters, the last a space
        CInputName::Device(" Mic "),
        CInputName::Device("\"Quoted\""),
        CInputName::Device("a=b; c"),
        CInputName::Device("Micr\xF3" "fono (USB) \xE9"),              // non-ASCII, in the system's code page
        CInputName::Device("USB Audio", 2),                         // the second of two equal names
        CInputName::Device("\"x\"#2"),
        CInputName::Device("<what the computer plays, WASAPI"),     // a device cannot take the loopback's text
    };
    for (const CInputName& input : inputs) {
        SCOPED_TRACE((LPCSTR)input.ToText());
        CSettingsRecord out;
        out.m_strIniPath = m_path.c_str();
        out.m_input = input;
        out.WriteSettings();
        CSettingsRecord in;
        ReadInto(in);
        EXPECT_EQ((int)in.m_input.GetKind(), (int)input.GetKind());
        EXPECT_EQ(Str(in.m_input.GetName()), Str(input.GetName()));
        EXPECT_EQ(in.m_input.GetOrdinal(), input.GetOrdinal());
    }
    // Earlier versions wrote the bare name.
    const struct { const char* line; const char* name; } earlier[] = {
        { "InputDevice=Monitor of Music", "Monitor of Music" }, { "InputDevice=  Mic  ", "Mic" },
    };
    for (const auto& c : earlier) {
        WriteRaw(std::string("[Init]\r\n") + c.line + "\r\n");
        CSettingsRecord rec;
        ReadInto(rec);
        EXPECT_TRUE(rec.m_input == CInputName::Device(c.name)) << c.line << " read as " << (LPCSTR)rec.m_input.ToText();
    }
}

// The sensitivity as 1, 2, 4, 8 or Auto, anything else as 1.
TEST_F(SettingsFile, SensitivityRoundTripsAndOddValuesMeanTimesOne)
{
    CSettingsRecord out;
    out.m_strIniPath = m_path.c_str();
    out.m_nSensitivity = 0;
    out.WriteSettings();
    CSettingsRecord in;
    ReadInto(in);
    EXPECT_EQ(in.m_nSensitivity, 0) << ReadRaw();
    EXPECT_NE(ReadRaw().find("Sensitivity=Auto"), std::string::npos);

    const struct { const char* text; int mode; } cases[] = {
        { "1", 1 }, { "2", 2 }, { "4", 4 }, { "8", 8 }, { "auto", 0 },
        { "3", 1 }, { "16", 1 }, { "x4", 1 }, { "", 1 }, { "-8", 1 },
    };
    for (const auto& c : cases) {
        WriteRaw(std::string("[Init]\r\nSensitivity=") + c.text + "\r\n");
        CSettingsRecord rec;
        ReadInto(rec);
        EXPECT_EQ(rec.m_nSensitivity, c.mode) << "'" << c.text << "'";
        EXPECT_TRUE(rec.m_input == CInputName::Default()) << "a missing input is the default";
    }
}

TEST(SettingsSizeModes, EachWindowSizeCommandStandsForItsSavedSize)
{
    // The Window menu's four size commands in order, and the WindowSize values they save.
    EXPECT_EQ(CSettingsRecord::SizeModeOf(ID_SIZE_NONE), -1);
    EXPECT_EQ(CSettingsRecord::SizeModeOf(ID_SIZE_NONE + 1), 0);
    EXPECT_EQ(CSettingsRecord::SizeModeOf(ID_SIZE_NONE + 2), 1);
    EXPECT_EQ(CSettingsRecord::SizeModeOf(ID_SIZE_FIT), 2);
}

// The settings file format: reading what other writers left, and writing
// back without losing entries.
#include "platform/IniFile.h"
#include "tests/cli/CliTestSupport.h"

#include <gmock/gmock.h>

using namespace vorlin;
using namespace vorlin::test;

namespace {

TEST(IniFile, ReadsSectionsAndKeysWithoutRegardToCase) {
    TIniFile ini;
    ini.LoadFromText("; a comment\r\nstray=line\r\n[TimeOut]\r\nTimeOut-Length = 45\r\nNumber Of Tries=7\r\n"
                     "[timeout]\r\nnumber of tries=8\r\n[Advanced]\r\nIdentifyAs=  Robot 1.0  \r\nBroken\r\n");
    EXPECT_EQ(ini.ReadInteger("TIMEOUT", "timeout-length", 0), 45);
    // A repeated section or key: the last value counts.
    EXPECT_EQ(ini.ReadInteger("TimeOut", "Number Of Tries", 0), 8);
    EXPECT_EQ(ini.ReadString("Advanced", "IdentifyAs", ""), "Robot 1.0");
    EXPECT_FALSE(ini.ValueExists("", "stray"));
    EXPECT_EQ(ini.ReadString("Advanced", "Missing", "fallback"), "fallback");
}

TEST(IniFile, AByteOrderMarkHidesNoSection) {
    TIniFile ini;
    ini.LoadFromText("\xEF\xBB\xBF[Settings]\r\nNumberOfThreads=7\r\n");
    EXPECT_EQ(ini.ReadInteger("Settings", "NumberOfThreads", 5), 7);
}

TEST(IniFile, NumbersAndBooleansThatDontParseGiveTheFallback) {
    TIniFile ini;
    ini.LoadFromText("[S]\nn=12x\nm=\nb=yes\nt=1\nf=0\nbig=99999999999\nneg=-3\n");
    EXPECT_EQ(ini.ReadInteger("S", "n", 5), 5);
    EXPECT_EQ(ini.ReadInteger("S", "m", 5), 5);
    EXPECT_EQ(ini.ReadInteger("S", "big", 0), 99999999999LL);
    EXPECT_EQ(ini.ReadInteger("S", "neg", 0), -3);
    EXPECT_TRUE(ini.ReadBool("S", "b", true));
    EXPECT_FALSE(ini.ReadBool("S", "b", false));
    EXPECT_TRUE(ini.ReadBool("S", "t", false));
    EXPECT_FALSE(ini.ReadBool("S", "f", true));
}

TEST(IniFile, WritingKeepsOtherEntriesAndReplacesTheFile) {
    TCliTempDir dir;
    const std::string path = dir.Path() + "HttpVorlin.ini";
    WriteWholeFile(path, "[Own]\nKeep=me\n[Proxy]\nProxy-Port=1\n");
    TIniFile ini;
    ini.LoadFromFile(path);
    ini.WriteString("proxy", "Proxy-Port", "8080");
    ini.WriteBool("New", "Flag", true);
    ini.WriteString("New", "Text", "two\nlines");
    ini.SaveToFile(path);
    EXPECT_EQ(ReadWholeFile(path), "[Own]\nKeep=me\n\n[Proxy]\nProxy-Port=8080\n\n[New]\nFlag=1\nText=two lines\n");
    TIniFile missing;
    missing.LoadFromFile(dir.Path() + "none.ini");
    EXPECT_EQ(missing.ToText(), "");
}

} // namespace

// The update description's format and the version order that keeps old
// versions out.
#include "update/UpdateDescription.h"

#include <gtest/gtest.h>

using namespace vorlin::update;

TEST(UpdateDescriptionTest, KeysValuesAndUpdateExists) {
    const TUpdateFile file = ParseUpdateDescription(
        "newversion = 1.10\r\nChanges=a;b\r\nDATFILE =x.dat\r\nDatFile=second.dat\r\nUpdateExists= yes\r\nnoise\r\n");
    EXPECT_EQ(file.NewVersion, "1.10");
    EXPECT_EQ(file.Changes, "a;b");
    EXPECT_EQ(file.DatFile, "x.dat") << "the first line of a key wins";
    EXPECT_TRUE(file.UpdateExists);
    EXPECT_FALSE(ParseUpdateDescription("UpdateExists = 0\n").UpdateExists);
    EXPECT_FALSE(ParseUpdateDescription("UpdateExists=\n").UpdateExists);
    EXPECT_TRUE(ParseUpdateDescription("UpdateExists=1").UpdateExists);
    EXPECT_FALSE(ParseUpdateDescription("").UpdateExists);
    EXPECT_EQ(ParseUpdateDescription("Changes=x=y").Changes, "x=y");
}

TEST(UpdateDescriptionTest, VersionsCompareNumerically) {
    EXPECT_GT(CompareVersions("1.10", "1.9"), 0);
    EXPECT_EQ(CompareVersions("1.1", "1.1.0"), 0);
    EXPECT_EQ(CompareVersions("01.2", "1.2"), 0);
    EXPECT_LT(CompareVersions("0.9", "1.0"), 0);
    EXPECT_LT(CompareVersions("", "0.1"), 0);
    EXPECT_TRUE(IsPlainFileName("httpvorl32ge-1.1.dat"));
    for (const char* bad : {"", "..", "../x.dat", "a/b", "a\\b", "C:x"}) EXPECT_FALSE(IsPlainFileName(bad)) << bad;
}

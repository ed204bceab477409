#include "platform/StringUtils.h"

#include "platform/Exception.h"

#include <gtest/gtest.h>

using namespace vorlin;

TEST(StringUtils, CaseMappingIsAsciiOnly) {
    EXPECT_EQ(UpperCase("abc\xe4Z"), "ABC\xe4Z");
    EXPECT_EQ(LowerCase("ABC\xc4z"), "abc\xc4z");
    EXPECT_TRUE(SameText("Content-Type", "content-type"));
    EXPECT_FALSE(SameText("a", "ab"));
}

TEST(StringUtils, TrimRemovesBlanksAndControls) {
    EXPECT_EQ(Trim(" \t x y \r\n"), "x y");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a "), "  a");
}

TEST(StringUtils, StrToIntChecksItsInput) {
    EXPECT_EQ(StrToInt(" 42 "), 42);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(StrToInt("$1F"), 31);
    EXPECT_THROW(StrToInt("2147483648"), EConvertError);
    EXPECT_THROW(StrToInt("12a"), EConvertError);
    EXPECT_THROW(StrToInt(""), EConvertError);
    EXPECT_EQ(StrToIntDef("x", 7), 7);
}

TEST(StringUtils, FormatAcceptsStrings) {
    EXPECT_EQ(Format("%s (%d Bytes)", std::string("a"), 5), "a (5 Bytes)");
    EXPECT_EQ(Format("%.3d", 7), "007");
}

#include "platform/Base64.h"

TEST(Base64, RoundTripsAndRejectsBadText) {
    EXPECT_EQ(EncodeBase64("user:pass"), "dXNlcjpwYXNz");
    EXPECT_EQ(EncodeBase64("a"), "YQ==");
    EXPECT_EQ(EncodeBase64("ab"), "YWI=");
    EXPECT_EQ(EncodeBase64(""), "");
    EXPECT_EQ(DecodeBase64("YWI="), "ab");
    EXPECT_EQ(DecodeBase64(EncodeBase64(std::string("\0\xff\x10", 3))), std::string("\0\xff\x10", 3));
    EXPECT_THROW(DecodeBase64("abc"), Exception);
    EXPECT_THROW(DecodeBase64("a=bc"), Exception);
    EXPECT_THROW(DecodeBase64("ab!c"), Exception);
}

#include "platform/DateTime.h"

#include "platform/Exception.h"

#include <gtest/gtest.h>

using namespace vorlin;

TEST(DateTime, DayCountMatchesStoredConvention) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(1970, 1, 1), 25569.0);
    EXPECT_EQ(EncodeDate(2000, 2, 29), 36585.0);
    EXPECT_THROW(EncodeDate(2001, 2, 29), EConvertError);
}

TEST(DateTime, DecodeRoundTripsDateAndTime) {
    TDateTime t = EncodeDate(1994, 11, 6) + EncodeTime(8, 49, 37, 0);
    TDateParts p = DecodeDateTime(t);
    EXPECT_EQ(p.Year, 1994);
    EXPECT_EQ(p.Month, 11);
    EXPECT_EQ(p.Day, 6);
    EXPECT_EQ(p.Hour, 8);
    EXPECT_EQ(p.Minute, 49);
    EXPECT_EQ(p.Second, 37);
    // Day 2 of the count is a Monday, day 1 a Sunday.
    EXPECT_EQ(DayOfWeek(2), 2);
    EXPECT_EQ(DayOfWeek(1), 1);
    EXPECT_EQ(DayOfWeek(EncodeDate(1994, 11, 6)), 1);
}

TEST(DateTime, UnixConversion) {
    EXPECT_EQ(DateTimeToUnix(UnixToDateTime(784111777)), 784111777);
    EXPECT_EQ(UnixToDateTime(0), 25569.0);
}

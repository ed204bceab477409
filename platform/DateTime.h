// Date-times as the stored files keep them: days since 30 December 1899 as a
// double, the fraction being the time of day.
#pragma once

#include <cstdint>

namespace vorlin {

using TDateTime = double;

struct TDateParts {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, MilliSecond = 0;
};

// Calendar date to day count; throws EConvertError for an impossible date.
TDateTime EncodeDate(int year, int month, int day);
// Time of day to a fraction of a day; throws EConvertError when out of range.
TDateTime EncodeTime(int hour, int minute, int second, int milliSecond);
// Splits a day count (negative values included) into its calendar parts.
TDateParts DecodeDateTime(TDateTime value);
// 1 = Sunday ... 7 = Saturday, as the day count's weekday.
int DayOfWeek(TDateTime value);

// Local wall-clock time now, and today's date without time.
TDateTime Now();
TDateTime Date();
// Seconds since the Unix epoch (UTC) to a day count, and back.
TDateTime UnixToDateTime(int64_t seconds);
int64_t DateTimeToUnix(TDateTime value);

} // namespace vorlin

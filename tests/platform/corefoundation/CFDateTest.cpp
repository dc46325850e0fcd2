#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>

namespace {

TEST(CFDate, GregorianBreakdownInAFixedZone) {
    CFTimeZoneRef gmt = CFTimeZoneCreateWithTimeIntervalFromGMT(nullptr, 0);
    CFTimeZoneRef plusTwo = CFTimeZoneCreateWithTimeIntervalFromGMT(nullptr, 7200);
    struct Case {
        CFAbsoluteTime at;
        CFTimeZoneRef zone;
        int year, month, day, hour, minute;
        double second;
    } cases[] = {
        {0.0, gmt, 2001, 1, 1, 0, 0, 0.0},
        {-1.5, gmt, 2000, 12, 31, 23, 59, 58.5},
        {-978307200.0, gmt, 1970, 1, 1, 0, 0, 0.0},
        {4.0 * 365 * 86400 - 86400 * 3 + 0.25, gmt, 2004, 12, 28, 0, 0, 0.25},
        {820454400.0 + 86400 * 59, gmt, 2027, 3, 1, 0, 0, 0.0},
        {0.0, plusTwo, 2001, 1, 1, 2, 0, 0.0},
    };
    for (const Case& c : cases) {
        CFGregorianDate date = CFAbsoluteTimeGetGregorianDate(c.at, c.zone);
        EXPECT_EQ(date.year, c.year) << c.at;
        EXPECT_EQ(date.month, c.month) << c.at;
        EXPECT_EQ(date.day, c.day) << c.at;
        EXPECT_EQ(date.hour, c.hour) << c.at;
        EXPECT_EQ(date.minute, c.minute) << c.at;
        EXPECT_DOUBLE_EQ(date.second, c.second) << c.at;
        EXPECT_DOUBLE_EQ(CFGregorianDateGetAbsoluteTime(date, c.zone), c.at);
    }
    CFRelease(gmt);
    CFRelease(plusTwo);
}

TEST(CFDate, LocalZoneAgreesWithTheCLibrary) {
    CFAbsoluteTime now = std::floor(CFAbsoluteTimeGetCurrent());
    time_t seconds = static_cast<time_t>(now + kCFAbsoluteTimeIntervalSince1970);
    struct tm local;
    localtime_r(&seconds, &local);
    CFGregorianDate date = CFAbsoluteTimeGetGregorianDate(now, nullptr);
    EXPECT_EQ(date.year, local.tm_year + 1900);
    EXPECT_EQ(date.month, local.tm_mon + 1);
    EXPECT_EQ(date.day, local.tm_mday);
    EXPECT_EQ(date.hour, local.tm_hour);
    EXPECT_EQ(date.minute, local.tm_min);
    EXPECT_EQ(date.second, local.tm_sec);
    EXPECT_DOUBLE_EQ(CFGregorianDateGetAbsoluteTime(date, nullptr), now);
}

TEST(CFDate, DatesCompareByTime) {
    CFDateRef a = CFDateCreate(nullptr, 10.0), b = CFDateCreate(nullptr, 10.0),
              c = CFDateCreate(nullptr, 11.0);
    EXPECT_TRUE(CFEqual(a, b));
    EXPECT_EQ(CFDateCompare(a, c, nullptr), kCFCompareLessThan);
    CFRelease(a);
    CFRelease(b);
    CFRelease(c);
}

TEST(CFDate, ValidityOfCalendarFields) {
    EXPECT_TRUE(
        CFGregorianDateIsValid(CFGregorianDate{2024, 2, 29, 23, 59, 59.5}, kCFGregorianAllUnits));
    EXPECT_FALSE(
        CFGregorianDateIsValid(CFGregorianDate{2023, 2, 29, 0, 0, 0}, kCFGregorianAllUnits));
    EXPECT_FALSE(
        CFGregorianDateIsValid(CFGregorianDate{2023, 13, 1, 0, 0, 0}, kCFGregorianAllUnits));
    EXPECT_FALSE(
        CFGregorianDateIsValid(CFGregorianDate{2023, 1, 1, 24, 0, 0}, kCFGregorianAllUnits));
}

} // namespace

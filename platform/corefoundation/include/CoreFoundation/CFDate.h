// Absolute time (seconds since 1 January 2001 00:00:00 GMT), dates and the Gregorian
// calendar in the local time zone.
#pragma once

#include <CoreFoundation/CFBase.h>

typedef double CFTimeInterval;
typedef CFTimeInterval CFAbsoluteTime;
extern const CFTimeInterval kCFAbsoluteTimeIntervalSince1970;
extern const CFTimeInterval kCFAbsoluteTimeIntervalSince1904;

CFAbsoluteTime CFAbsoluteTimeGetCurrent(void);

CFTypeID CFDateGetTypeID(void);
CFDateRef CFDateCreate(CFAllocatorRef allocator, CFAbsoluteTime at);
CFAbsoluteTime CFDateGetAbsoluteTime(CFDateRef theDate);
CFComparisonResult CFDateCompare(CFDateRef theDate, CFDateRef otherDate, void* context);

// A time zone; null stands for the system's local zone wherever a zone is taken.
typedef const struct __CFTimeZone* CFTimeZoneRef;
CFTypeID CFTimeZoneGetTypeID(void);
CFTimeZoneRef CFTimeZoneCopySystem(void);
CFTimeZoneRef CFTimeZoneCopyDefault(void);
// A fixed offset from GMT in seconds.
CFTimeZoneRef CFTimeZoneCreateWithTimeIntervalFromGMT(CFAllocatorRef allocator, CFTimeInterval ti);
CFTimeInterval CFTimeZoneGetSecondsFromGMT(CFTimeZoneRef tz, CFAbsoluteTime at);

struct CFGregorianDate {
    SInt32 year;
    SInt8 month;
    SInt8 day;
    SInt8 hour;
    SInt8 minute;
    double second;
};
CFGregorianDate CFAbsoluteTimeGetGregorianDate(CFAbsoluteTime at, CFTimeZoneRef tz);
CFAbsoluteTime CFGregorianDateGetAbsoluteTime(CFGregorianDate gdate, CFTimeZoneRef tz);
Boolean CFGregorianDateIsValid(CFGregorianDate gdate, CFOptionFlags unitFlags);
enum : CFOptionFlags {
    kCFGregorianUnitsYears = 1 << 0,
    kCFGregorianUnitsMonths = 1 << 1,
    kCFGregorianUnitsDays = 1 << 2,
    kCFGregorianUnitsHours = 1 << 3,
    kCFGregorianUnitsMinutes = 1 << 4,
    kCFGregorianUnitsSeconds = 1 << 5,
    kCFGregorianAllUnits = 0x00FFFFFF,
};

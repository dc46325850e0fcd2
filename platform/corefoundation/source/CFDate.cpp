// Absolute time, date objects, time zones (the local zone or a fixed offset from GMT) and
// the proleptic Gregorian calendar.
#include <CoreFoundation/CFDate.h>
#include <CoreFoundation/CFRuntime.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <sys/time.h>

using namespace orvo_cf;

const CFTimeInterval kCFAbsoluteTimeIntervalSince1970 = 978307200.0;
const CFTimeInterval kCFAbsoluteTimeIntervalSince1904 = 3061152000.0;

namespace {

// Days from 1970-01-01 to a civil date, and back (proleptic Gregorian calendar).
long long DaysFromCivil(long long inYear, unsigned inMonth, unsigned inDay) {
    inYear -= inMonth <= 2;
    const long long era = (inYear >= 0 ? inYear : inYear - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(inYear - era * 400);
    const unsigned dayOfYear = (153 * (inMonth + (inMonth > 2 ? -3 : 9)) + 2) / 5 + inDay - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<long long>(dayOfEra) - 719468;
}

void CivilFromDays(long long inDays, long long& outYear, unsigned& outMonth, unsigned& outDay) {
    inDays += 719468;
    const long long era = (inDays >= 0 ? inDays : inDays - 146096) / 146097;
    const unsigned dayOfEra = static_cast<unsigned>(inDays - era * 146097);
    const unsigned yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned monthIndex = (5 * dayOfYear + 2) / 153;
    outDay = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    outMonth = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    outYear = static_cast<long long>(yearOfEra) + era * 400 + (outMonth <= 2);
}

bool IsLeapYear(long long inYear) {
    return (inYear % 4 == 0 && inYear % 100 != 0) || inYear % 400 == 0;
}

int DaysInMonth(long long inYear, int inMonth) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return inMonth == 2 && IsLeapYear(inYear) ? 29 : kDays[inMonth - 1];
}

} // namespace

struct __CFDate : Object {
    explicit __CFDate(CFAbsoluteTime inTime) : Object(kTypeIDDate), mTime(inTime) {}
    bool Equals(const Object& inOther) const override {
        return mTime == static_cast<const __CFDate&>(inOther).mTime;
    }
    CFHashCode Hash() const override {
        return static_cast<CFHashCode>(static_cast<long long>(mTime));
    }
    void Describe(std::string& ioOut, int, bool) const override {
        CFGregorianDate date = CFAbsoluteTimeGetGregorianDate(mTime, nullptr);
        CFTimeInterval offset = CFTimeZoneGetSecondsFromGMT(nullptr, mTime);
        long minutes = std::lround(offset / 60.0);
        char text[80];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d %c%02ld%02ld",
                      static_cast<int>(date.year), date.month, date.day, date.hour, date.minute,
                      static_cast<int>(date.second), minutes < 0 ? '-' : '+',
                      std::labs(minutes) / 60, std::labs(minutes) % 60);
        ioOut += text;
    }
    const char* TypeName() const override { return "CFDate"; }
    const CFAbsoluteTime mTime;
};

// A zone is either the local zone of the system (the C library's) or a fixed offset.
struct __CFTimeZone : Object {
    __CFTimeZone(bool inLocal, CFTimeInterval inOffset, bool inImmortal = false)
        : Object(kTypeIDTimeZone, inImmortal), mLocal(inLocal), mOffset(inOffset) {}
    bool Equals(const Object& inOther) const override {
        const auto& other = static_cast<const __CFTimeZone&>(inOther);
        return mLocal == other.mLocal && (mLocal || mOffset == other.mOffset);
    }
    CFHashCode Hash() const override { return mLocal ? 1 : static_cast<CFHashCode>(mOffset) + 2; }
    void Describe(std::string& ioOut, int, bool) const override {
        if (mLocal) {
            ioOut += "<CFTimeZone local>";
            return;
        }
        char text[48];
        std::snprintf(text, sizeof text, "<CFTimeZone GMT%+g s>", mOffset);
        ioOut += text;
    }
    const char* TypeName() const override { return "CFTimeZone"; }
    const bool mLocal;
    const CFTimeInterval mOffset;
};

namespace {

const __CFTimeZone* ZoneOf(CFTimeZoneRef inZone) {
    return Cast<__CFTimeZone>(inZone, kTypeIDTimeZone);
}

bool IsLocal(CFTimeZoneRef inZone) {
    const __CFTimeZone* zone = ZoneOf(inZone);
    return zone == nullptr || zone->mLocal;
}

} // namespace

CFAbsoluteTime CFAbsoluteTimeGetCurrent(void) {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<double>(now.tv_sec) - kCFAbsoluteTimeIntervalSince1970 +
           static_cast<double>(now.tv_nsec) * 1e-9;
}

CFTypeID CFDateGetTypeID(void) {
    return kTypeIDDate;
}

CFDateRef CFDateCreate(CFAllocatorRef, CFAbsoluteTime at) {
    return new __CFDate(at);
}

CFAbsoluteTime CFDateGetAbsoluteTime(CFDateRef theDate) {
    const __CFDate* date = Cast<__CFDate>(theDate, kTypeIDDate);
    if (date == nullptr) {
        ReportMisuse("CFDateGetAbsoluteTime", "not a date");
        return 0.0;
    }
    return date->mTime;
}

CFComparisonResult CFDateCompare(CFDateRef theDate, CFDateRef otherDate, void*) {
    CFAbsoluteTime a = CFDateGetAbsoluteTime(theDate), b = CFDateGetAbsoluteTime(otherDate);
    return a < b ? kCFCompareLessThan : (a > b ? kCFCompareGreaterThan : kCFCompareEqualTo);
}

CFTypeID CFTimeZoneGetTypeID(void) {
    return kTypeIDTimeZone;
}

CFTimeZoneRef CFTimeZoneCopySystem(void) {
    static __CFTimeZone sLocal(true, 0.0, true);
    return &sLocal;
}

CFTimeZoneRef CFTimeZoneCopyDefault(void) {
    return CFTimeZoneCopySystem();
}

CFTimeZoneRef CFTimeZoneCreateWithTimeIntervalFromGMT(CFAllocatorRef, CFTimeInterval ti) {
    if (!std::isfinite(ti) || std::fabs(ti) > 18 * 3600.0)
        return nullptr;
    return new __CFTimeZone(false, ti);
}

CFTimeInterval CFTimeZoneGetSecondsFromGMT(CFTimeZoneRef tz, CFAbsoluteTime at) {
    if (!IsLocal(tz))
        return ZoneOf(tz)->mOffset;
    time_t seconds = static_cast<time_t>(std::floor(at + kCFAbsoluteTimeIntervalSince1970));
    struct tm local;
    if (localtime_r(&seconds, &local) == nullptr)
        return 0.0;
    return static_cast<CFTimeInterval>(local.tm_gmtoff);
}

CFGregorianDate CFAbsoluteTimeGetGregorianDate(CFAbsoluteTime at, CFTimeZoneRef tz) {
    CFGregorianDate date{};
    if (!std::isfinite(at))
        return date;
    const double shifted = at + CFTimeZoneGetSecondsFromGMT(tz, at);
    const double wholeSeconds = std::floor(shifted);
    const long long total = static_cast<long long>(wholeSeconds) +
                            static_cast<long long>(kCFAbsoluteTimeIntervalSince1970);
    long long days = total / 86400;
    long long secondOfDay = total % 86400;
    if (secondOfDay < 0) {
        secondOfDay += 86400;
        --days;
    }
    long long year;
    unsigned month, day;
    CivilFromDays(days, year, month, day);
    date.year = static_cast<SInt32>(year);
    date.month = static_cast<SInt8>(month);
    date.day = static_cast<SInt8>(day);
    date.hour = static_cast<SInt8>(secondOfDay / 3600);
    date.minute = static_cast<SInt8>((secondOfDay / 60) % 60);
    date.second = static_cast<double>(secondOfDay % 60) + (shifted - wholeSeconds);
    return date;
}

CFAbsoluteTime CFGregorianDateGetAbsoluteTime(CFGregorianDate gdate, CFTimeZoneRef tz) {
    // Months and days out of range carry over, as with the C library's mktime.
    long long year = gdate.year;
    long long month = gdate.month - 1;
    year += month >= 0 ? month / 12 : (month - 11) / 12;
    month = ((month % 12) + 12) % 12;
    const long long days = DaysFromCivil(year, static_cast<unsigned>(month + 1), 1) + gdate.day - 1;
    const double local = static_cast<double>(days) * 86400.0 + gdate.hour * 3600.0 +
                         gdate.minute * 60.0 + gdate.second - kCFAbsoluteTimeIntervalSince1970;
    if (!IsLocal(tz))
        return local - ZoneOf(tz)->mOffset;
    // The local zone's offset at that moment: guess with the offset at the local time, then
    // correct once for a change of offset in between (daylight saving).
    double guess = local - CFTimeZoneGetSecondsFromGMT(nullptr, local);
    return local - CFTimeZoneGetSecondsFromGMT(nullptr, guess);
}

Boolean CFGregorianDateIsValid(CFGregorianDate gdate, CFOptionFlags unitFlags) {
    if ((unitFlags & kCFGregorianUnitsMonths) && (gdate.month < 1 || gdate.month > 12))
        return false;
    if ((unitFlags & kCFGregorianUnitsDays) &&
        (gdate.day < 1 || gdate.month < 1 || gdate.month > 12 ||
         gdate.day > DaysInMonth(gdate.year, gdate.month)))
        return false;
    if ((unitFlags & kCFGregorianUnitsHours) && (gdate.hour < 0 || gdate.hour > 23))
        return false;
    if ((unitFlags & kCFGregorianUnitsMinutes) && (gdate.minute < 0 || gdate.minute > 59))
        return false;
    if ((unitFlags & kCFGregorianUnitsSeconds) && !(gdate.second >= 0.0 && gdate.second < 60.0))
        return false;
    return true;
}

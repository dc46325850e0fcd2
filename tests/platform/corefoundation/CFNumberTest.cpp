#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

CFNumberRef Integer(SInt64 inValue) {
    return CFNumberCreate(nullptr, kCFNumberSInt64Type, &inValue);
}
CFNumberRef Real(double inValue) {
    return CFNumberCreate(nullptr, kCFNumberFloat64Type, &inValue);
}

TEST(CFNumber, ConversionToSInt32ReportsExactness) {
    struct Case {
        CFNumberRef number;
        SInt32 expected;
        bool exact;
    } cases[] = {
        {Real(2.5), 2, false},
        {Real(-2.5), -2, false},
        {Integer(-7), -7, true},
        {Real(-7.0), -7, true},
        {Integer(0x7FFFFFFF), 0x7FFFFFFF, true},
        {Integer(0x80000000LL), 0x7FFFFFFF, false},
        {Integer(-0x80000001LL), std::numeric_limits<SInt32>::min(), false},
        {Real(1e300), 0x7FFFFFFF, false},
        {Real(std::nan("")), 0, false},
    };
    for (const Case& c : cases) {
        SInt32 value = 12345;
        EXPECT_EQ(static_cast<bool>(CFNumberGetValue(c.number, kCFNumberSInt32Type, &value)),
                  c.exact);
        EXPECT_EQ(value, c.expected);
        CFRelease(c.number);
    }
}

TEST(CFNumber, ConversionToFloats) {
    CFNumberRef three = Integer(3);
    Float32 single = 0;
    EXPECT_TRUE(CFNumberGetValue(three, kCFNumberFloat32Type, &single));
    EXPECT_EQ(single, 3.0f);
    CFNumberRef tenth = Real(0.1);
    EXPECT_FALSE(CFNumberGetValue(tenth, kCFNumberFloat32Type, &single)) << "0.1 is not a float";
    EXPECT_FLOAT_EQ(single, 0.1f);
    CFNumberRef big = Integer((1LL << 53) + 1);
    double real = 0;
    EXPECT_FALSE(CFNumberGetValue(big, kCFNumberFloat64Type, &real));
    CFRelease(three);
    CFRelease(tenth);
    CFRelease(big);
}

TEST(CFNumber, StorageKeepsSixtyFourBitsAndReportsItsKind) {
    SInt64 huge = -9007199254740993LL;
    CFNumberRef number = Integer(huge);
    SInt64 back = 0;
    EXPECT_TRUE(CFNumberGetValue(number, kCFNumberSInt64Type, &back));
    EXPECT_EQ(back, huge);
    EXPECT_FALSE(CFNumberIsFloatType(number));
    Float32 single = 1.25f;
    CFNumberRef fromFloat = CFNumberCreate(nullptr, kCFNumberFloat32Type, &single);
    EXPECT_TRUE(CFNumberIsFloatType(fromFloat));
    EXPECT_EQ(CFNumberGetType(fromFloat), kCFNumberFloat64Type);
    CFRelease(number);
    CFRelease(fromFloat);
}

TEST(CFNumber, EqualityAndHashByValueAcrossStorage) {
    CFNumberRef integer = Integer(3), real = Real(3.0), other = Real(3.5);
    EXPECT_TRUE(CFEqual(integer, real));
    EXPECT_EQ(CFHash(integer), CFHash(real));
    EXPECT_FALSE(CFEqual(integer, other));
    EXPECT_EQ(CFNumberCompare(integer, other, nullptr), kCFCompareLessThan);
    // 2^63 as a real is above every SInt64.
    CFNumberRef max = Integer(std::numeric_limits<SInt64>::max());
    CFNumberRef twoTo63 = Real(9223372036854775808.0);
    EXPECT_FALSE(CFEqual(max, twoTo63));
    EXPECT_EQ(CFNumberCompare(max, twoTo63, nullptr), kCFCompareLessThan);
    for (CFNumberRef n : {integer, real, other, max, twoTo63})
        CFRelease(n);
}

TEST(CFBoolean, IsItsOwnKind) {
    EXPECT_TRUE(CFBooleanGetValue(kCFBooleanTrue));
    EXPECT_FALSE(CFBooleanGetValue(kCFBooleanFalse));
    EXPECT_EQ(CFGetTypeID(kCFBooleanTrue), CFBooleanGetTypeID());
    CFNumberRef one = Integer(1);
    EXPECT_FALSE(CFEqual(one, kCFBooleanTrue));
    EXPECT_NE(CFGetTypeID(one), CFBooleanGetTypeID());
    CFRelease(one);
}

} // namespace

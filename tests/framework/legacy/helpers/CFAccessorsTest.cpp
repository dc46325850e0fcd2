#include "legacy/helpers/CFAccessors.h"

#include "legacy/exception/TarvelException.h"

#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

namespace {

using namespace Tarvel;
using namespace Tarvel::CFAccessors;

std::string Describe(CFTypeRef inValue) {
    CFStringRef description = CFCopyDescription(inValue);
    std::string text(4096, '\0');
    EXPECT_TRUE(CFStringGetCString(description, text.data(), static_cast<CFIndex>(text.size()),
                                   kCFStringEncodingUTF8));
    CFRelease(description);
    text.resize(text.find('\0'));
    return text;
}

CFNumberRef MakeSInt64(int64_t inValue) {
    return CFNumberCreate(nullptr, kCFNumberSInt64Type, &inValue);
}
CFNumberRef MakeFloat64(double inValue) {
    return CFNumberCreate(nullptr, kCFNumberFloat64Type, &inValue);
}

// One dictionary with a value of every kind, and keys that differ only in case.
class CFAccessorsTest : public testing::Test {
protected:
    void SetUp() override {
        mDictionary = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                &kCFTypeDictionaryValueCallBacks);
        mInner = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                           &kCFTypeDictionaryValueCallBacks);
        CFDictionarySetValue(mInner, CFSTR("Depth"), kCFBooleanFalse);
        mArray = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
        CFArrayAppendValue(mArray, CFSTR("Scatter"));
        mString = CFStringCreateWithCString(nullptr, "HP-RTL", kCFStringEncodingUTF8);

        Set("Dictionary", mInner);
        Set("Array", mArray);
        Set("String", mString);
        Set("Boolean", kCFBooleanTrue);
        Set("False", kCFBooleanFalse);
        Adopt("Integer", MakeSInt64(42));
        Adopt("One", MakeSInt64(1));
        Adopt("Negative", MakeSInt64(-7));
        Adopt("Three", MakeSInt64(3));
        Adopt("Half", MakeFloat64(2.5));
        Adopt("WholeReal", MakeFloat64(600.0));
        Adopt("Max", MakeSInt64(INT32_MAX));
        Adopt("Min", MakeSInt64(INT32_MIN));
        Adopt("AboveMax", MakeSInt64(int64_t{INT32_MAX} + 1));
        Adopt("BelowMin", MakeSInt64(int64_t{INT32_MIN} - 1));
        Adopt("Huge", MakeSInt64(int64_t{1} << 40));
        Adopt("Tiny", MakeFloat64(0.1));
        // Same letters, different case, different kinds.
        Set("Speed", CFSTR("fast"));
        Adopt("speed", MakeSInt64(3));
    }
    void TearDown() override {
        CFRelease(mDictionary);
        CFRelease(mInner);
        CFRelease(mArray);
        CFRelease(mString);
    }

    void Set(const char* inKey, CFTypeRef inValue) {
        CFStringRef key = CFStringCreateWithCString(nullptr, inKey, kCFStringEncodingUTF8);
        CFDictionarySetValue(mDictionary, key, inValue);
        CFRelease(key);
    }
    void Adopt(const char* inKey, CFTypeRef inValue) {
        Set(inKey, inValue);
        CFRelease(inValue);
    }

    CFMutableDictionaryRef mDictionary = nullptr;
    CFMutableDictionaryRef mInner = nullptr;
    CFMutableArrayRef mArray = nullptr;
    CFStringRef mString = nullptr;
};

TEST_F(CFAccessorsTest, ReturnTheValueUnderTheKey) {
    EXPECT_EQ(GetDictionaryFromDictionary(mDictionary, CFSTR("Dictionary")), mInner);
    EXPECT_EQ(GetArrayFromDictionary(mDictionary, CFSTR("Array")), mArray);
    EXPECT_EQ(GetStringFromDictionary(mDictionary, CFSTR("String")), mString);
    EXPECT_EQ(GetStringFromDictionary(mDictionary, CFSTR("Speed")), CFSTR("fast"));
    EXPECT_TRUE(GetBooleanFromDictionary(mDictionary, CFSTR("Boolean")));
    EXPECT_FALSE(GetBooleanFromDictionary(mDictionary, CFSTR("False")));
    // Borrowed: nothing is retained on the caller's behalf.
    EXPECT_EQ(CFGetRetainCount(mString), 2);
}

TEST_F(CFAccessorsTest, SInt32AcceptsExactConversionsOnly) {
    struct Case {
        const char* key;
        SInt32 expected;
    };
    const Case cases[] = {
        {"Integer", 42},    {"Negative", -7},   {"WholeReal", 600},
        {"Max", INT32_MAX}, {"Min", INT32_MIN}, {"speed", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        CFStringRef key = CFStringCreateWithCString(nullptr, c.key, kCFStringEncodingUTF8);
        EXPECT_EQ(GetSInt32FromDictionary(mDictionary, key), c.expected);
        CFRelease(key);
    }
}

TEST_F(CFAccessorsTest, FloatConvertsAnyNumber) {
    EXPECT_EQ(GetFloatFromDictionary(mDictionary, CFSTR("Three")), 3.0f);
    EXPECT_EQ(GetFloatFromDictionary(mDictionary, CFSTR("Half")), 2.5f);
    EXPECT_EQ(GetFloatFromDictionary(mDictionary, CFSTR("Negative")), -7.0f);
    EXPECT_EQ(GetFloatFromDictionary(mDictionary, CFSTR("Tiny")), 0.1f); // rounding is fine
    EXPECT_EQ(GetFloatFromDictionary(mDictionary, CFSTR("Huge")), 1099511627776.0f);
}

// Every way each accessor can fail: the message line, then the key and the dictionary.
TEST_F(CFAccessorsTest, FailuresLogMessageKeyAndDictionaryThenThrow) {
    using Call = std::function<void(CFDictionaryRef, CFStringRef)>;
    const Call dictionary = [](CFDictionaryRef d, CFStringRef k) {
        GetDictionaryFromDictionary(d, k);
    };
    const Call string = [](CFDictionaryRef d, CFStringRef k) { GetStringFromDictionary(d, k); };
    const Call array = [](CFDictionaryRef d, CFStringRef k) { GetArrayFromDictionary(d, k); };
    const Call integer = [](CFDictionaryRef d, CFStringRef k) { GetSInt32FromDictionary(d, k); };
    const Call boolean = [](CFDictionaryRef d, CFStringRef k) { GetBooleanFromDictionary(d, k); };
    const Call real = [](CFDictionaryRef d, CFStringRef k) { GetFloatFromDictionary(d, k); };

    enum Target { kDictionary, kNullDictionary, kEmptyDictionary };
    struct Case {
        const Call* call;
        Target target;
        const char* key; // null: a null key
        const char* message;
    };
    const Case cases[] = {
        {&dictionary, kNullDictionary, "Dictionary",
         "GetDictionaryFromDictionary: inDictionary is null."},
        {&dictionary, kDictionary, nullptr, "GetDictionaryFromDictionary: inKey is null."},
        {&dictionary, kDictionary, "Missing", "GetDictionaryFromDictionary: Value is null."},
        {&dictionary, kEmptyDictionary, "Dictionary",
         "GetDictionaryFromDictionary: Value is null."},
        {&dictionary, kDictionary, "dictionary", "GetDictionaryFromDictionary: Value is null."},
        {&dictionary, kDictionary, "Array",
         "GetDictionaryFromDictionary: Value is not a dictionary."},

        {&string, kNullDictionary, nullptr, "GetStringFromDictionary: inDictionary is null."},
        {&string, kDictionary, nullptr, "GetStringFromDictionary: inKey is null."},
        {&string, kDictionary, "Missing", "GetStringFromDictionary: Value is null."},
        {&string, kDictionary, "Integer", "GetStringFromDictionary: Value is not a string."},
        {&string, kDictionary, "speed", "GetStringFromDictionary: Value is not a string."},

        {&array, kNullDictionary, "Array", "GetArrayFromDictionary: inDictionary is null."},
        {&array, kDictionary, nullptr, "GetArrayFromDictionary: inKey is null."},
        {&array, kDictionary, "Missing", "GetArrayFromDictionary: Value is null."},
        {&array, kDictionary, "Dictionary", "GetArrayFromDictionary: Value is not an array."},

        {&integer, kNullDictionary, "Integer", "GetNumberFromDictionary: inDictionary is null."},
        {&integer, kDictionary, nullptr, "GetNumberFromDictionary: inKey is null."},
        {&integer, kDictionary, "Missing", "GetNumberFromDictionary: Value is null."},
        {&integer, kDictionary, "Boolean", "GetNumberFromDictionary: Value is not a number."},
        {&integer, kDictionary, "Speed", "GetNumberFromDictionary: Value is not a number."},
        {&integer, kDictionary, "Half",
         "GetNumberFromDictionary: Numeric information lost in conversion to unsigned integer."},
        {&integer, kDictionary, "Tiny",
         "GetNumberFromDictionary: Numeric information lost in conversion to unsigned integer."},
        {&integer, kDictionary, "AboveMax",
         "GetNumberFromDictionary: Numeric information lost in conversion to unsigned integer."},
        {&integer, kDictionary, "BelowMin",
         "GetNumberFromDictionary: Numeric information lost in conversion to unsigned integer."},
        {&integer, kDictionary, "Huge",
         "GetNumberFromDictionary: Numeric information lost in conversion to unsigned integer."},

        {&boolean, kNullDictionary, "Boolean", "GetBooleanFromDictionary: inDictionary is null."},
        {&boolean, kDictionary, nullptr, "GetBooleanFromDictionary: inKey is null."},
        {&boolean, kDictionary, "Missing", "GetBooleanFromDictionary: Value is null."},
        {&boolean, kDictionary, "One", "GetBooleanFromDictionary: Value is not a number."},
        {&boolean, kDictionary, "String", "GetBooleanFromDictionary: Value is not a number."},

        {&real, kNullDictionary, "Three", "GetFloatFromDictionary: inDictionary is null."},
        {&real, kDictionary, nullptr, "GetFloatFromDictionary: inKey is null."},
        {&real, kDictionary, "Missing", "GetFloatFromDictionary: Value is null."},
        {&real, kDictionary, "Boolean", "GetFloatFromDictionary: Value is not a number."},
        {&real, kDictionary, "Speed", "GetFloatFromDictionary: Value is not a number."},
    };

    CFDictionaryRef empty =
        CFDictionaryCreate(nullptr, nullptr, nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                           &kCFTypeDictionaryValueCallBacks);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.message) + " / key " + (c.key ? c.key : "(null)"));
        CFDictionaryRef target = c.target == kDictionary        ? mDictionary
                                 : c.target == kEmptyDictionary ? empty
                                                                : nullptr;
        CFStringRef key =
            c.key ? CFStringCreateWithCString(nullptr, c.key, kCFStringEncodingUTF8) : nullptr;
        const std::string expected = std::string("KELDOR:  ExCa-") + c.message + "\n" +
                                     "Failed to find key: \n" + (c.key ? c.key : "(null)") + "\n" +
                                     "In dictionary:\n" + Describe(target) + "\n";

        testing::internal::CaptureStderr();
        bool thrown = false;
        try {
            (*c.call)(target, key);
        } catch (const TarvelException& e) {
            thrown = true;
            EXPECT_EQ(e.GetErrorStatus(), 128);
            EXPECT_EQ(e.GetErrorString(), nullptr);
        }
        EXPECT_EQ(testing::internal::GetCapturedStderr(), expected);
        EXPECT_TRUE(thrown);
        if (key != nullptr)
            CFRelease(key);
    }
    CFRelease(empty);
}

// The dictionary is described the platform's way: exactly what CFShow writes for it.
TEST(CFAccessors, FailureShowsTheDictionaryAsWritten) {
    CFMutableDictionaryRef dictionary = CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFDictionarySetValue(dictionary, CFSTR("orvo.engine.name"), CFSTR("Scatter"));
    testing::internal::CaptureStderr();
    EXPECT_THROW(GetBooleanFromDictionary(dictionary, CFSTR("orvo.engine.name")), TarvelException);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "KELDOR:  ExCa-GetBooleanFromDictionary: Value is not a number.\n"
              "Failed to find key: \n"
              "orvo.engine.name\n"
              "In dictionary:\n"
              "{\n"
              "\t\"orvo.engine.name\" = \"Scatter\";\n"
              "}\n");
    CFRelease(dictionary);
}

} // namespace

#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string UTF8(CFStringRef inString) {
    char buffer[1024];
    EXPECT_TRUE(CFStringGetCString(inString, buffer, sizeof buffer, kCFStringEncodingUTF8));
    return buffer;
}

struct Released {
    explicit Released(CFTypeRef inRef) : mRef(inRef) {}
    ~Released() { CFRelease(mRef); }
    CFTypeRef mRef;
};

TEST(CFString, LengthCountsUTF16CodeUnits) {
    // "A", e-acute (2 UTF-8 bytes), the euro sign (3), a musical G clef (4: a surrogate pair).
    CFStringRef string = CFStringCreateWithCString(nullptr, "A\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E",
                                                   kCFStringEncodingUTF8);
    Released hold(string);
    ASSERT_NE(string, nullptr);
    EXPECT_EQ(CFStringGetLength(string), 5);
    EXPECT_EQ(CFStringGetCharacterAtIndex(string, 3), 0xD834);
    EXPECT_EQ(UTF8(string), "A\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E");
}

TEST(CFString, CreationRejectsBytesInvalidForTheEncoding) {
    struct Case {
        const char* bytes;
        CFStringEncoding encoding;
        bool valid;
    } cases[] = {
        {"plain", kCFStringEncodingASCII, true},
        {"caf\xC3\xA9", kCFStringEncodingASCII, false},
        {"caf\xC3\xA9", kCFStringEncodingUTF8, true},
        {"\xC3", kCFStringEncodingUTF8, false},             // truncated sequence
        {"\xC0\xAF", kCFStringEncodingUTF8, false},         // overlong
        {"\xED\xA0\x80", kCFStringEncodingUTF8, false},     // encoded surrogate
        {"\xF4\x90\x80\x80", kCFStringEncodingUTF8, false}, // past U+10FFFF
        {"\xFF", kCFStringEncodingUTF8, false},
        {"\x8E\xA5", kCFStringEncodingMacRoman, true},
    };
    for (const Case& c : cases) {
        CFStringRef string = CFStringCreateWithCString(nullptr, c.bytes, c.encoding);
        EXPECT_EQ(string != nullptr, c.valid) << c.bytes;
        CFRelease(string);
    }
}

TEST(CFString, ConvertsBetweenMacRomanLatin1AndUTF8) {
    // Mac Roman 0x8E is e-acute, 0xDB the euro sign.
    CFStringRef string = CFStringCreateWithCString(nullptr, "\x8E\xDB", kCFStringEncodingMacRoman);
    Released hold(string);
    EXPECT_EQ(UTF8(string), "\xC3\xA9\xE2\x82\xAC");
    char buffer[8];
    EXPECT_TRUE(CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingMacRoman));
    EXPECT_STREQ(buffer, "\x8E\xDB");
    // Latin-1 has e-acute but no euro sign: the conversion fails and writes no partial text.
    EXPECT_FALSE(CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingISOLatin1));
    EXPECT_STREQ(buffer, "");
    EXPECT_FALSE(CFStringGetCString(string, buffer, 3, kCFStringEncodingUTF8))
        << "buffer too small";
}

TEST(CFString, ConstantsAreSharedAndImmortal) {
    CFStringRef a = CFSTR("orvo.engine.framework");
    EXPECT_EQ(a, CFSTR("orvo.engine.framework"));
    CFRelease(a);
    CFRelease(a);
    EXPECT_EQ(CFStringGetLength(a), 21);
    EXPECT_STREQ(CFStringGetCStringPtr(a, kCFStringEncodingASCII), "orvo.engine.framework");
}

TEST(CFString, CompareHonoursCaseOptionAndNumericOrder) {
    EXPECT_EQ(CFStringCompare(CFSTR("scatter"), CFSTR("Scatter"), kCFCompareCaseInsensitive),
              kCFCompareEqualTo);
    EXPECT_NE(CFStringCompare(CFSTR("scatter"), CFSTR("Scatter"), 0), kCFCompareEqualTo);
    EXPECT_EQ(CFStringCompare(CFSTR("\xC3\x89"
                                    "cran"),
                              CFSTR("\xC3\xA9"
                                    "CRAN"),
                              kCFCompareCaseInsensitive),
              kCFCompareEqualTo);
    EXPECT_EQ(CFStringCompare(CFSTR("abc"), CFSTR("abd"), 0), kCFCompareLessThan);
    EXPECT_EQ(CFStringCompare(CFSTR("abc"), CFSTR("ab"), 0), kCFCompareGreaterThan);
    EXPECT_EQ(CFStringCompare(CFSTR("sheet 10"), CFSTR("sheet 9"), kCFCompareNumerically),
              kCFCompareGreaterThan);
    EXPECT_FALSE(CFEqual(CFSTR("HP-RTL"), CFSTR("hp-rtl"))) << "equality is case-sensitive";
}

TEST(CFString, FindForwardsBackwardsAndWithoutCase) {
    CFStringRef path = CFSTR("/Library/Printers/Tarvel/Library/Printers/Orvo.plugin");
    CFRange first = CFStringFind(path, CFSTR("Library/Printers/"), 0);
    CFRange last = CFStringFind(path, CFSTR("Library/Printers/"), kCFCompareBackwards);
    EXPECT_EQ(first.location, 1);
    EXPECT_EQ(last.location, 25);
    EXPECT_EQ(last.length, 17);
    EXPECT_EQ(CFStringFind(path, CFSTR("ORVO"), kCFCompareCaseInsensitive).location, 42);
    EXPECT_EQ(CFStringFind(path, CFSTR("absent"), 0).location, kCFNotFound);
    EXPECT_EQ(CFStringFind(path, CFSTR(""), 0).location, kCFNotFound);
    CFRange found;
    EXPECT_FALSE(CFStringFindWithOptions(path, CFSTR("Library"), CFRangeMake(2, 10), 0, &found));
    EXPECT_TRUE(CFStringHasPrefix(path, CFSTR("/Library")));
    EXPECT_TRUE(CFStringHasSuffix(path, CFSTR(".plugin")));
}

TEST(CFString, MutationOfMutableCopies) {
    CFMutableStringRef text = CFStringCreateMutableCopy(nullptr, 0, CFSTR("Site plan (final)"));
    Released hold(text);
    CFStringDelete(text, CFRangeMake(9, 8));
    EXPECT_EQ(UTF8(text), "Site plan");
    CFStringAppend(text, CFSTR(".pdf"));
    CFStringAppend(text, text);
    EXPECT_EQ(UTF8(text), "Site plan.pdfSite plan.pdf");
    EXPECT_EQ(CFStringFindAndReplace(text, CFSTR("PLAN"), CFSTR("map"),
                                     CFRangeMake(0, CFStringGetLength(text)),
                                     kCFCompareCaseInsensitive),
              2);
    EXPECT_EQ(UTF8(text), "Site map.pdfSite map.pdf");
    CFStringInsert(text, 0, CFSTR("  "));
    CFStringTrimWhitespace(text);
    CFStringUppercase(text, nullptr);
    EXPECT_EQ(UTF8(text), "SITE MAP.PDFSITE MAP.PDF");
}

TEST(CFString, MisuseChangesNothing) {
    CFMutableStringRef text = CFStringCreateMutableCopy(nullptr, 0, CFSTR("abc"));
    Released hold(text);
    testing::internal::CaptureStderr();
    CFStringDelete(text, CFRangeMake(2, 5));
    CFStringAppend(const_cast<CFMutableStringRef>(CFSTR("constant")), CFSTR("x"));
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(UTF8(text), "abc");
    EXPECT_EQ(UTF8(CFSTR("constant")), "constant");
    EXPECT_EQ(errors, "CFStringDelete: range out of bounds\n"
                      "CFStringAppend: attempt to mutate an immutable CFString\n");
}

TEST(CFString, FormatSupportsObjectsAndCConversions) {
    CFNumberRef number = nullptr;
    long year = 2026;
    number = CFNumberCreate(nullptr, kCFNumberLongType, &year);
    Released hold(number);
    struct Case {
        CFStringRef made;
        const char* expected;
    } cases[] = {
        {CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%@ / %@"), CFSTR("text"), number),
         "text / 2026"},
        {CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%ld-%d-%d %d:%d:%lf"), year, 12, 11, 14,
                                  5, 7.25),
         "2026-12-11 14:5:7.250000"},
        {CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%.2f KB|%.0f%%|%s"), 1.5, 44.6, "c"),
         "1.50 KB|45%|c"},
        {CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%5d|%-3s|%x|%@"), 42, "a", 255, nullptr),
         "   42|a  |ff|(null)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UTF8(c.made), c.expected);
        CFRelease(c.made);
    }
}

TEST(CFString, SeparateAndCombine) {
    CFArrayRef parts = CFStringCreateArrayBySeparatingStrings(nullptr, CFSTR("a;;b;"), CFSTR(";"));
    Released hold(parts);
    ASSERT_EQ(CFArrayGetCount(parts), 4);
    EXPECT_TRUE(CFEqual(CFArrayGetValueAtIndex(parts, 2), CFSTR("b")));
    EXPECT_TRUE(CFEqual(CFArrayGetValueAtIndex(parts, 3), CFSTR("")));
    CFStringRef joined = CFStringCreateByCombiningStrings(nullptr, parts, CFSTR("+"));
    Released holdJoined(joined);
    EXPECT_EQ(UTF8(joined), "a++b+");
}

TEST(CFString, NumericValues) {
    EXPECT_EQ(CFStringGetIntValue(CFSTR("  -42abc")), -42);
    EXPECT_EQ(CFStringGetIntValue(CFSTR("99999999999")), 0x7FFFFFFF);
    EXPECT_EQ(CFStringGetIntValue(CFSTR("x")), 0);
    EXPECT_DOUBLE_EQ(CFStringGetDoubleValue(CFSTR("36.5in")), 36.5);
}

} // namespace

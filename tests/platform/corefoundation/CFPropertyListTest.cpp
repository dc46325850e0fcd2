#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace std::string_literals;

namespace {

// An owned reference, released at the end of its scope.
class Ref {
public:
    Ref() = default;
    explicit Ref(CFTypeRef inRef) : mRef(inRef) {}
    Ref(Ref&& ioOther) noexcept : mRef(std::exchange(ioOther.mRef, nullptr)) {}
    Ref& operator=(Ref&& ioOther) noexcept {
        std::swap(mRef, ioOther.mRef);
        return *this;
    }
    ~Ref() { CFRelease(mRef); }
    CFTypeRef get() const { return mRef; }
    template <class T>
    T as() const {
        return static_cast<T>(const_cast<void*>(mRef));
    }

private:
    CFTypeRef mRef = nullptr;
};

Ref Str(const std::string& inUTF8) {
    return Ref(CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(inUTF8.data()),
                                       CFIndex(inUTF8.size()), kCFStringEncodingUTF8, false));
}
Ref Int(SInt64 inValue) {
    return Ref(CFNumberCreate(nullptr, kCFNumberSInt64Type, &inValue));
}
Ref Real(double inValue) {
    return Ref(CFNumberCreate(nullptr, kCFNumberFloat64Type, &inValue));
}
Ref Bool(bool inValue) {
    return Ref(CFRetain(inValue ? kCFBooleanTrue : kCFBooleanFalse));
}
Ref Bytes(const std::string& inBytes) {
    return Ref(CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(inBytes.data()),
                            CFIndex(inBytes.size())));
}
Ref Date(CFAbsoluteTime inTime) {
    return Ref(CFDateCreate(nullptr, inTime));
}
Ref Array(std::initializer_list<Ref> inValues) {
    CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    for (const Ref& value : inValues)
        CFArrayAppendValue(array, value.get());
    return Ref(array);
}
Ref Dict(std::initializer_list<std::pair<const char*, Ref>> inEntries) {
    CFMutableDictionaryRef dictionary = CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    for (const auto& [key, value] : inEntries)
        CFDictionarySetValue(dictionary, Str(key).get(), value.get());
    return Ref(dictionary);
}
// count arrays, each the only element of the one around it.
Ref NestedArrays(int inCount) {
    Ref value = Array({});
    for (int i = 1; i < inCount; ++i) {
        Ref outer = Array({});
        CFArrayAppendValue(outer.as<CFMutableArrayRef>(), value.get());
        value = std::move(outer);
    }
    return value;
}

std::string UTF8(CFStringRef inString) {
    if (inString == nullptr)
        return "(null)";
    CFIndex length = CFStringGetLength(inString);
    std::string text(size_t(CFStringGetMaximumSizeForEncoding(length, kCFStringEncodingUTF8)) + 1,
                     '\0');
    CFStringGetCString(inString, text.data(), CFIndex(text.size()), kCFStringEncodingUTF8);
    text.resize(std::strlen(text.c_str()));
    return text;
}

Ref Parse(const std::string& inXML, CFOptionFlags inOptions = kCFPropertyListImmutable,
          std::string* outError = nullptr) {
    Ref data = Bytes(inXML);
    CFStringRef error = nullptr;
    Ref value(CFPropertyListCreateFromXMLData(nullptr, data.as<CFDataRef>(), inOptions, &error));
    EXPECT_TRUE((value.get() == nullptr) != (error == nullptr)) << UTF8(error);
    if (outError != nullptr)
        *outError = UTF8(error);
    CFRelease(error);
    return value;
}

// The XML text, or "(null)" when the writer refuses the value.
std::string Write(CFTypeRef inValue) {
    Ref data(CFPropertyListCreateXMLData(nullptr, inValue));
    if (data.get() == nullptr)
        return "(null)";
    return std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(data.as<CFDataRef>())),
                       size_t(CFDataGetLength(data.as<CFDataRef>())));
}

const std::string kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                            "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                            "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                            "<plist version=\"1.0\">\n";
// A document whose body starts on line 4.
std::string Document(const std::string& inBody) {
    return kHeader + inBody + "\n</plist>\n";
}

// Equal, and with the same kinds of number and the same bits of every real: CFEqual alone
// takes 3 and 3.0, or 0.0 and -0.0, for equal, the XML text does not.
void ExpectIdentical(CFTypeRef inActual, CFTypeRef inExpected) {
    EXPECT_TRUE(CFEqual(inActual, inExpected));
    EXPECT_EQ(Write(inActual), Write(inExpected));
}

TEST(CFPropertyList, WritesTheStandardDocument) {
    Ref value = Dict({
        {"zeta", Str("a & b < c > d")},
        {"Alpha", Int(-9223372036854775807 - 1)},
        {"alpha", Array({Bool(true), Bool(false), Real(2.5), Real(3), Int(4294967297)})},
        {"empty", Dict({})},
        {"none", Array({})},
        {"data", Bytes("\x00\x01\x02\xff"s)},
        {"date", Date(730943999)},
        {"nested", Dict({{"long", Bytes(std::string(60, 'x'))}, {"s", Str("")}})},
    });
    EXPECT_EQ(Write(value.get()),
              kHeader + "<dict>\n"
                        "\t<key>Alpha</key>\n"
                        "\t<integer>-9223372036854775808</integer>\n"
                        "\t<key>alpha</key>\n"
                        "\t<array>\n"
                        "\t\t<true/>\n"
                        "\t\t<false/>\n"
                        "\t\t<real>2.5</real>\n"
                        "\t\t<real>3</real>\n"
                        "\t\t<integer>4294967297</integer>\n"
                        "\t</array>\n"
                        "\t<key>data</key>\n"
                        "\t<data>\n"
                        "\tAAEC/w==\n"
                        "\t</data>\n"
                        "\t<key>date</key>\n"
                        "\t<date>2024-02-29T23:59:59Z</date>\n"
                        "\t<key>empty</key>\n"
                        "\t<dict/>\n"
                        "\t<key>nested</key>\n"
                        "\t<dict>\n"
                        "\t\t<key>long</key>\n"
                        "\t\t<data>\n"
                        "\t\teHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4eHh4\n"
                        "\t\teHh4eHh4eHh4eHh4eHh4\n"
                        "\t\t</data>\n"
                        "\t\t<key>s</key>\n"
                        "\t\t<string></string>\n"
                        "\t</dict>\n"
                        "\t<key>none</key>\n"
                        "\t<array/>\n"
                        "\t<key>zeta</key>\n"
                        "\t<string>a &amp; b &lt; c &gt; d</string>\n"
                        "</dict>\n"
                        "</plist>\n");
}

TEST(CFPropertyList, KeysSortByUTF16CodeUnits) {
    // By code point U+FF21 would come before U+1F600; in UTF-16 the surrogate 0xD83D of
    // U+1F600 comes before 0xFF21.
    Ref value = Dict({{"\xEF\xBC\xA1", Int(1)}, {"\xF0\x9F\x98\x80", Int(2)}, {"b", Int(3)}});
    EXPECT_EQ(Write(value.get()), kHeader + "<dict>\n"
                                            "\t<key>b</key>\n"
                                            "\t<integer>3</integer>\n"
                                            "\t<key>\xF0\x9F\x98\x80</key>\n"
                                            "\t<integer>2</integer>\n"
                                            "\t<key>\xEF\xBC\xA1</key>\n"
                                            "\t<integer>1</integer>\n"
                                            "</dict>\n"
                                            "</plist>\n");
}

TEST(CFPropertyList, RoundTripsAreExact) {
    std::string allBytes;
    for (int i = 0; i < 256; ++i)
        allBytes += char(i);
    const double kNaN = std::numeric_limits<double>::quiet_NaN();
    const double kInf = std::numeric_limits<double>::infinity();
    Ref value = Dict({
        {"integers", Array({Int(0), Int(-1), Int(2147483647), Int(2147483648), Int(-2147483649),
                            Int(9223372036854775807), Int(-9223372036854775807 - 1)})},
        {"reals", Array({Real(0.1), Real(-0.0), Real(5e-324), Real(2.2250738585072014e-308),
                         Real(1.7976931348623157e308), Real(1e21), Real(123456789.125),
                         Real(-1.5e-7), Real(3), Real(kNaN), Real(kInf), Real(-kInf)})},
        {"strings",
         Array({Str(""), Str("tab\tnew line\ncarriage return\r\r\nend"), Str("&amp; <![CDATA[x]]>"),
                Str("caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80"), Str("  padded  ")})},
        {"data", Array({Bytes(""), Bytes("a"), Bytes("ab"), Bytes("abc"), Bytes(allBytes)})},
        {"dates", Array({Date(0), Date(-978307200), Date(-63113904000), Date(252423993599)})},
        {"", Bool(false)},
        {"deep", NestedArrays(kCFPropertyListMaxDepth - 1)},
    });
    for (CFOptionFlags option : {kCFPropertyListImmutable, kCFPropertyListMutableContainers,
                                 kCFPropertyListMutableContainersAndLeaves}) {
        SCOPED_TRACE(option);
        const std::string xml = Write(value.get());
        ASSERT_NE(xml, "(null)");
        std::string error;
        Ref back = Parse(xml, option, &error);
        ASSERT_NE(back.get(), nullptr) << error;
        ExpectIdentical(back.get(), value.get());
    }
}

TEST(CFPropertyList, ReaderAcceptsTheFormsOtherWritersUse) {
    struct Case {
        const char* xml;
        Ref expected;
    };
    Case cases[] = {
        {"<integer>0x7fffFFFFffffffff</integer>", Int(9223372036854775807)},
        {"<integer>-0x8000000000000000</integer>", Int(-9223372036854775807 - 1)},
        {"<integer> +42\n</integer>", Int(42)},
        {"<integer>-0</integer>", Int(0)},
        {"<real>1e3</real>", Real(1000)},
        {"<real>.5</real>", Real(0.5)},
        {"<real>+2.5E-1</real>", Real(0.25)},
        {"<real>-inf</real>", Real(-std::numeric_limits<double>::infinity())},
        {"<real>nan</real>", Real(std::numeric_limits<double>::quiet_NaN())},
        {"<true></true>", Bool(true)},
        {"<data>\n\tAAEC\n\t/w==\n</data>", Bytes("\x00\x01\x02\xff"s)},
        {"<data>AAEC/w</data>", Bytes("\x00\x01\x02\xff"s)},
        {"<data/>", Bytes("")},
        {"<date> 2001-01-01T00:00:00Z </date>", Date(0)},
        {"<string/>", Str("")},
        {"<string>\n  kept  \n</string>", Str("\n  kept  \n")},
        {"<string>&lt;&amp;&gt;&quot;&apos;&#x1F600;&#233;</string>",
         Str("<&>\"'\xF0\x9F\x98\x80\xC3\xA9")},
        {"<string><![CDATA[<not> &markup;]]> and text</string>", Str("<not> &markup; and text")},
        {"<string>a<!-- comment -->b<?pi x?>c</string>", Str("abc")},
        {"<array/>", Array({})},
        {"<dict/>", Dict({})},
        {"<dict>\n<key>k</key><integer>1</integer>\n<key>k</key><integer>2</integer>\n</dict>",
         Dict({{"k", Int(2)}})}, // a repeated key: the last value wins
        {"<dict> <!-- c --> <key></key> <array> <true/> </array> </dict>",
         Dict({{"", Array({Bool(true)})}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xml);
        std::string error;
        Ref value = Parse(Document(c.xml), kCFPropertyListImmutable, &error);
        ASSERT_NE(value.get(), nullptr) << error;
        ExpectIdentical(value.get(), c.expected.get());
    }

    // Without DOCTYPE and version, and with an XML declaration alone.
    for (const char* xml : {"<plist><true/></plist>",
                            "<?xml version=\"1.0\"?><plist version=\"1.0\"><true/></plist>"}) {
        SCOPED_TRACE(xml);
        ExpectIdentical(Parse(xml).get(), kCFBooleanTrue);
    }
}

TEST(CFPropertyList, MalformedInputGivesNullAndAnErrorWithTheLine) {
    struct Case {
        const char* name;
        std::string xml;
        int line;
        const char* fault; // a part of the description
    };
    std::string tooDeep;
    for (CFIndex i = 0; i <= kCFPropertyListMaxDepth; ++i)
        tooDeep += "<array>";
    const Case cases[] = {
        {"empty document", "", 1, "no element found"},
        {"only whitespace", "\n\n  ", 3, "no element found"},
        {"not XML", "plist", 1, "syntax error"},
        {"truncated", kHeader + "<array>\n<string>abc", 5, "no element found"},
        {"wrong root", "\n<dict/>", 2, "the root element is <dict>"},
        {"unknown element", Document("<dict>\n<key>a</key>\n<float>1</float>\n</dict>"), 6,
         "unknown element <float>"},
        {"mismatched tags", Document("<array>\n<string>x</array>"), 5, "mismatched tag"},
        {"junk after the document", Document("<true/>") + "<plist/>", 6, "junk after document"},
        {"text outside a leaf", Document("<array>\n\n stray text \n</array>"), 6,
         "text \"stray text\" outside a value"},
        {"key without value", Document("<dict>\n<key>a</key>\n</dict>"), 6,
         "key \"a\" has no value"},
        {"two keys in a row", Document("<dict>\n<key>a</key>\n<key>b</key>\n<true/></dict>"), 6,
         "key \"a\" has no value"},
        {"value without key", Document("<dict>\n<string>x</string>\n</dict>"), 5,
         "<string> in a <dict> without a <key>"},
        {"two top-level values", Document("<true/>\n<false/>"), 5, "more than one value"},
        {"no value", Document(""), 5, "<plist> holds no value"},
        {"key outside dict", Document("<array><key>a</key></array>"), 4, "<key> outside a <dict>"},
        {"element in a leaf", Document("<string>a\n<true/></string>"), 5,
         "element <true> inside a leaf"},
        {"plist in plist", Document("<array><plist/></array>"), 4, "<plist> inside <plist>"},
        {"integer beyond SInt64", Document("<integer>9223372036854775808</integer>"), 4,
         "is not an integer within 64 bits"},
        {"integer below SInt64", Document("<integer>-9223372036854775809</integer>"), 4,
         "\"-9223372036854775809\" is not an integer"},
        {"UInt64 integer", Document("<integer>18446744073709551615</integer>"), 4,
         "is not an integer"},
        {"hex beyond SInt64", Document("<integer>0x8000000000000000</integer>"), 4,
         "is not an integer"},
        {"integer with junk", Document("\n<integer>\n12a</integer>"), 5, "\"12a\" is not"},
        {"empty integer", Document("<integer/>"), 4, "\"\" is not an integer"},
        {"bare hex prefix", Document("<integer>0x</integer>"), 4, "is not an integer"},
        {"two signs", Document("<integer>--1</integer>"), 4, "is not an integer"},
        {"real with junk", Document("<real>1.2.3</real>"), 4, "\"1.2.3\" is not a number"},
        {"real with two signs", Document("<real>+-1</real>"), 4, "is not a number"},
        {"empty real", Document("<real></real>"), 4, "is not a number"},
        {"hex real", Document("<real>0x10</real>"), 4, "is not a number"},
        {"real out of range", Document("<real>1e999</real>"), 4, "out of range"},
        {"base64 with a bad character", Document("<data>AB$D</data>"), 4, "not valid base64"},
        {"truncated base64", Document("<data>QUJDR</data>"), 4, "not valid base64"},
        {"base64 after padding", Document("<data>QQ==QUJD</data>"), 4, "not valid base64"},
        {"too much padding", Document("<data>QQ===</data>"), 4, "not valid base64"},
        {"month 13", Document("<date>2024-13-01T00:00:00Z</date>"), 4, "is not a date"},
        {"29 February 2023", Document("<date>2023-02-29T00:00:00Z</date>"), 4, "is not a date"},
        {"hour 24", Document("<date>2024-01-01T24:00:00Z</date>"), 4, "is not a date"},
        {"date without zone", Document("<date>2024-01-01T00:00:00</date>"), 4, "is not a date"},
        {"date with a space", Document("<date>2024-01-01 00:00:00Z</date>"), 4, "is not a date"},
        {"true with text", Document("<true>yes</true>"), 4, "<true> holds text \"yes\""},
        {"invalid UTF-8", Document("<string>\xC3\x28</string>"), 4, "not well-formed"},
        {"truncated UTF-8", Document("<string>\xF0\x9F\x98</string>"), 4, "not well-formed"},
        {"undefined entity", Document("<string>&bomb;</string>"), 4, "undefined entity"},
        {"internal subset",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE plist [\n<!ENTITY a \"aaaaaaaaaa\">\n"
         "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n]>\n<plist><string>&b;</string></plist>",
         2, "internal subset"},
        {"nesting too deep", Document("\n" + tooDeep), 5, "nested deeper than 512"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        Ref value = Parse(c.xml, kCFPropertyListImmutable, &error);
        EXPECT_EQ(value.get(), nullptr);
        EXPECT_EQ(error.rfind("XML parser error at line " + std::to_string(c.line) + ": ", 0), 0u)
            << error;
        EXPECT_NE(error.find(c.fault), std::string::npos) << error;
    }

    // The error string is optional.
    Ref data = Bytes("<plist>");
    EXPECT_EQ(CFPropertyListCreateFromXMLData(nullptr, data.as<CFDataRef>(),
                                              kCFPropertyListImmutable, nullptr),
              nullptr);
    CFStringRef error = nullptr;
    EXPECT_EQ(CFPropertyListCreateFromXMLData(nullptr, nullptr, kCFPropertyListImmutable, &error),
              nullptr);
    EXPECT_EQ(UTF8(error), "XML parser error at line 1: no element found");
    CFRelease(error);
}

TEST(CFPropertyList, DepthIsLimitedEverywhere) {
    auto nestedDocument = [](long inDepth) {
        std::string xml = kHeader;
        for (long i = 0; i < inDepth; ++i)
            xml += "<array>";
        for (long i = 0; i < inDepth; ++i)
            xml += "</array>";
        return xml + "</plist>\n";
    };
    std::string error;
    Ref deepest = Parse(nestedDocument(kCFPropertyListMaxDepth));
    ASSERT_NE(deepest.get(), nullptr);
    ExpectIdentical(deepest.get(), NestedArrays(kCFPropertyListMaxDepth).get());
    EXPECT_EQ(Parse(nestedDocument(kCFPropertyListMaxDepth + 1)).get(), nullptr);
    EXPECT_EQ(Parse(nestedDocument(100000), kCFPropertyListImmutable, &error).get(), nullptr);
    EXPECT_NE(error.find("nested deeper than"), std::string::npos) << error;

    // Values built in code are held to the same limit by the writer and the deep copy.
    Ref tooDeep = NestedArrays(kCFPropertyListMaxDepth + 1);
    EXPECT_EQ(Write(tooDeep.get()), "(null)");
    EXPECT_EQ(CFPropertyListCreateDeepCopy(nullptr, tooDeep.get(), kCFPropertyListImmutable),
              nullptr);
    Ref copy(CFPropertyListCreateDeepCopy(nullptr, deepest.get(), kCFPropertyListImmutable));
    EXPECT_TRUE(CFEqual(copy.get(), deepest.get()));

    // A container that holds itself is refused, not followed forever.
    Ref loop = Array({});
    CFArrayAppendValue(loop.as<CFMutableArrayRef>(), loop.get());
    EXPECT_EQ(Write(loop.get()), "(null)");
    EXPECT_EQ(CFPropertyListCreateDeepCopy(nullptr, loop.get(), kCFPropertyListImmutable), nullptr);
    CFArrayRemoveAllValues(loop.as<CFMutableArrayRef>());
}

TEST(CFPropertyList, HugeDocumentsReadBackWhole) {
    // Far more than the reader's 1 MiB slices, with multi-byte characters across the seams.
    std::string text;
    while (text.size() < (size_t(5) << 20))
        text += "x\xC3\xA9\xF0\x9F\x98\x80";
    std::string bytes(size_t(3) << 20, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 2654435761u) >> 13);
    CFMutableArrayRef many = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    for (SInt64 i = 0; i < 100000; ++i)
        CFArrayAppendValue(many, Int(i * 1000003 - 50000000).get());
    Ref value = Dict({{"text", Str(text)}, {"bytes", Bytes(bytes)}, {"many", Ref(many)}});

    const std::string xml = Write(value.get());
    ASSERT_GT(xml.size(), size_t(10) << 20);
    std::string error;
    Ref back = Parse(xml, kCFPropertyListImmutable, &error);
    ASSERT_NE(back.get(), nullptr) << error;
    EXPECT_TRUE(CFEqual(back.get(), value.get()));
}

TEST(CFPropertyList, MutabilityOptionsDecideWhatCanChange) {
    const std::string xml = Document("<dict><key>list</key><array><string>s</string>"
                                     "<data>QUI=</data></array></dict>");
    Ref parsedImmutable = Parse(xml, kCFPropertyListImmutable);
    ASSERT_NE(parsedImmutable.get(), nullptr);
    struct Case {
        CFOptionFlags option;
        bool containers;
        bool leaves;
    } cases[] = {
        {kCFPropertyListImmutable, false, false},
        {kCFPropertyListMutableContainers, true, false},
        {kCFPropertyListMutableContainersAndLeaves, true, true},
    };
    for (const Case& c : cases) {
        for (bool viaCopy : {false, true}) {
            SCOPED_TRACE(std::to_string(c.option) + (viaCopy ? " deep copy" : " parse"));
            Ref value =
                viaCopy
                    ? Ref(CFPropertyListCreateDeepCopy(nullptr, parsedImmutable.get(), c.option))
                    : Parse(xml, c.option);
            ASSERT_NE(value.get(), nullptr);
            auto dictionary = value.as<CFMutableDictionaryRef>();
            auto list = static_cast<CFMutableArrayRef>(
                const_cast<void*>(CFDictionaryGetValue(dictionary, Str("list").get())));
            auto string =
                static_cast<CFMutableStringRef>(const_cast<void*>(CFArrayGetValueAtIndex(list, 0)));
            auto data =
                static_cast<CFMutableDataRef>(const_cast<void*>(CFArrayGetValueAtIndex(list, 1)));

            // Changes to immutable values are refused with a line on standard error.
            testing::internal::CaptureStderr();
            CFDictionarySetValue(dictionary, Str("new").get(), kCFBooleanTrue);
            CFArrayAppendValue(list, kCFBooleanTrue);
            CFStringAppend(string, Str("!").as<CFStringRef>());
            CFDataAppendBytes(data, reinterpret_cast<const UInt8*>("C"), 1);
            testing::internal::GetCapturedStderr();

            EXPECT_EQ(CFDictionaryGetCount(dictionary), c.containers ? 2 : 1);
            EXPECT_EQ(CFArrayGetCount(list), c.containers ? 3 : 2);
            EXPECT_EQ(UTF8(string), c.leaves ? "s!" : "s");
            EXPECT_EQ(CFDataGetLength(data), c.leaves ? 3 : 2);
        }
    }
    // The source of a deep copy is untouched by changes to the copy.
    EXPECT_TRUE(CFEqual(parsedImmutable.get(), Parse(xml).get()));
}

TEST(CFPropertyList, WriterRefusesValuesWithoutAnXMLForm) {
    struct Case {
        const char* name;
        Ref value;
    };
    CFMutableDictionaryRef numberKey = CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFDictionarySetValue(numberKey, Int(1).get(), Str("one").get());
    const UniChar loneSurrogate[] = {'a', 0xD800, 'b'};
    const UniChar reversedPair[] = {0xDE00, 0xD83D};
    Case cases[] = {
        {"a number as key", Dict({{"ok", Array({Ref(numberKey)})}})},
        {"a time zone", Array({Ref(CFTimeZoneCreateWithTimeIntervalFromGMT(nullptr, 3600))})},
        {"a control character", Str("bell \x07")},
        {"NUL", Array({Str(std::string("a\0b", 3))})},
        {"U+FFFE", Str("\xEF\xBF\xBE")},
        {"a lone surrogate", Ref(CFStringCreateWithCharacters(nullptr, loneSurrogate, 3))},
        {"a reversed surrogate pair", Ref(CFStringCreateWithCharacters(nullptr, reversedPair, 2))},
        {"a control character in a key", Dict({{"\x1b", Int(1)}})},
        {"a date after 9999", Date(252423993600)},
        {"a date before year 1", Date(-63113904001)},
        {"a date at NaN", Date(std::numeric_limits<double>::quiet_NaN())},
        {"null", Ref()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::internal::CaptureStderr();
        EXPECT_EQ(Write(c.value.get()), "(null)");
        const std::string stderrText = testing::internal::GetCapturedStderr();
        EXPECT_EQ(stderrText.rfind("CFPropertyListCreateXMLData: no XML form for ", 0), 0u)
            << stderrText;
    }
    // The same values a deep copy refuses when they are not property-list kinds.
    EXPECT_EQ(CFPropertyListCreateDeepCopy(nullptr, cases[0].value.get(), 0), nullptr);
    EXPECT_EQ(CFPropertyListCreateDeepCopy(nullptr, cases[1].value.get(), 0), nullptr);
}

// Runs Python's plistlib on files in a fresh directory under the build tree.
class PlistlibInterop : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = std::string(ORVO_TEST_BINARY_DIR) + "/plistlib-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        mDirectory = pattern;
        WriteFile("interop.py", kScript);
    }
    void TearDown() override { std::filesystem::remove_all(mDirectory); }

    std::string PathOf(const std::string& inName) const { return mDirectory + "/" + inName; }
    void WriteFile(const std::string& inName, const std::string& inBytes) const {
        std::ofstream(PathOf(inName), std::ios::binary) << inBytes;
    }
    std::string ReadFile(const std::string& inName) const {
        std::ostringstream bytes;
        bytes << std::ifstream(PathOf(inName), std::ios::binary).rdbuf();
        return bytes.str();
    }
    // Runs the script with the arguments; the script's output and its exit status.
    std::pair<std::string, int> Python(const std::string& inArguments) const {
        const std::string command =
            "python3 '" + PathOf("interop.py") + "' " + inArguments + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr)
            return {"popen failed", -1};
        std::string output;
        char buffer[4096];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
            output.append(buffer, n);
        int status = pclose(pipe);
        return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
    }

    // "check FILE LITERAL": loads FILE with plistlib and compares it with the Python
    // literal, types and float bits included. "dump FILE LITERAL": writes the literal.
    static constexpr const char* kScript = R"PY(
import datetime, math, plistlib, sys

def same(a, b):
    if type(a) is not type(b):
        return False
    if isinstance(a, float):
        return (math.isnan(a) and math.isnan(b)) or a.hex() == b.hex()
    if isinstance(a, list):
        return len(a) == len(b) and all(same(x, y) for x, y in zip(a, b))
    if isinstance(a, dict):
        return a.keys() == b.keys() and all(same(a[k], b[k]) for k in a)
    return a == b

mode, path, literal = sys.argv[1], sys.argv[2], sys.argv[3]
with open(literal, encoding="utf-8") as f:
    expected = eval(f.read(), {"datetime": datetime.datetime, "nan": math.nan, "inf": math.inf})
if mode == "dump":
    with open(path, "wb") as f:
        plistlib.dump(expected, f, fmt=plistlib.FMT_XML, sort_keys=False)
    sys.exit(0)
with open(path, "rb") as f:
    loaded = plistlib.load(f)
if not same(loaded, expected):
    print("plistlib read:", ascii(loaded))
    sys.exit(1)
)PY";

    std::string mDirectory;
};

// The same values as a Python literal and built here.
const char* const kInteropLiteral = R"PY({
    "integers": [0, -1, 2**31 - 1, 2**31, -2**31 - 1, 2**32 + 1, 2**63 - 1, -2**63],
    "reals": [0.1, -0.0, 5e-324, 1.7976931348623157e308, 1e21, -1.5e-07, 3.0, 1e100,
              nan, inf, -inf],
    "strings": ["", "plain", "a & b < c > d", "tab\there\nline\nend", "caf\u00e9",
                "\u65e5\u672c\u8a9e", "\U0001F600 \U0001D11E", "  spaces  "],
    "booleans": [True, False],
    "data": [b"", b"\x00\xff", bytes(range(256)) * 3],
    "dates": [datetime(2001, 1, 1), datetime(1970, 1, 1), datetime(2024, 2, 29, 23, 59, 59),
              datetime(1, 1, 1), datetime(9999, 12, 31, 23, 59, 59)],
    "empty dict": {},
    "empty array": [],
    "nested": {"\u00e9t\u00e9": {"deeper": [[1, [2, {"x": "y"}]]]}},
}
)PY";

Ref InteropValue() {
    std::string allBytes;
    for (int i = 0; i < 256; ++i)
        allBytes += char(i);
    const double kInf = std::numeric_limits<double>::infinity();
    return Dict({
        {"integers",
         Array({Int(0), Int(-1), Int(2147483647), Int(2147483648), Int(-2147483649),
                Int(4294967297), Int(9223372036854775807), Int(-9223372036854775807 - 1)})},
        {"reals", Array({Real(0.1), Real(-0.0), Real(5e-324), Real(1.7976931348623157e308),
                         Real(1e21), Real(-1.5e-07), Real(3.0), Real(1e100),
                         Real(std::numeric_limits<double>::quiet_NaN()), Real(kInf), Real(-kInf)})},
        {"strings", Array({Str(""), Str("plain"), Str("a & b < c > d"), Str("tab\there\nline\nend"),
                           Str("caf\xC3\xA9"), Str("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"),
                           Str("\xF0\x9F\x98\x80 \xF0\x9D\x84\x9E"), Str("  spaces  ")})},
        {"booleans", Array({Bool(true), Bool(false)})},
        {"data", Array({Bytes(""), Bytes(std::string("\x00\xff", 2)),
                        Bytes(allBytes + allBytes + allBytes)})},
        {"dates", Array({Date(0), Date(-978307200), Date(730943999), Date(-63113904000),
                         Date(252423993599)})},
        {"empty dict", Dict({})},
        {"empty array", Array({})},
        {"nested",
         Dict({{"\xC3\xA9t\xC3\xA9",
                Dict({{"deeper",
                       Array({Array({Int(1), Array({Int(2), Dict({{"x", Str("y")}})})})})}})}})},
    });
}

TEST_F(PlistlibInterop, PlistlibReadsWhatWeWrite) {
    WriteFile("expected.txt", kInteropLiteral);
    WriteFile("ours.plist", Write(InteropValue().get()));
    auto [output, status] =
        Python("check '" + PathOf("ours.plist") + "' '" + PathOf("expected.txt") + "'");
    EXPECT_EQ(status, 0) << output;

    // A carriage return survives too (plistlib's own writer turns it into a line feed).
    WriteFile("expected.txt", R"PY(["\r", "a\r\nb"])PY");
    WriteFile("ours.plist", Write(Array({Str("\r"), Str("a\r\nb")}).get()));
    std::tie(output, status) =
        Python("check '" + PathOf("ours.plist") + "' '" + PathOf("expected.txt") + "'");
    EXPECT_EQ(status, 0) << output;
}

TEST_F(PlistlibInterop, WeReadWhatPlistlibWrites) {
    WriteFile("expected.txt", kInteropLiteral);
    auto [output, status] =
        Python("dump '" + PathOf("theirs.plist") + "' '" + PathOf("expected.txt") + "'");
    ASSERT_EQ(status, 0) << output;
    std::string error;
    Ref value = Parse(ReadFile("theirs.plist"), kCFPropertyListImmutable, &error);
    ASSERT_NE(value.get(), nullptr) << error;
    ExpectIdentical(value.get(), InteropValue().get());
}

} // namespace

#include <CoreFoundation/CoreFoundation.h>

#include "FileFixtureSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <thread>
#include <vector>

namespace {

using orvo_test::MakeString;
using orvo_test::Text;

CFUUIDRef Parse(const std::string& inText) {
    CFStringRef text = MakeString(inText);
    CFUUIDRef uuid = CFUUIDCreateFromString(nullptr, text);
    CFRelease(text);
    return uuid;
}

std::string Format(CFUUIDRef inUUID) {
    CFStringRef text = CFUUIDCreateString(nullptr, inUUID);
    std::string result = Text(text);
    if (text != nullptr)
        CFRelease(text);
    return result;
}

TEST(CFUUID, ParsesTheCanonicalFormAndWritesItInUpperCase) {
    const std::pair<const char*, const char*> cases[] = {
        {"BDB091F4-E57F-11D3-B5CC-0050E4603277", "BDB091F4-E57F-11D3-B5CC-0050E4603277"},
        {"a996fd7e-b738-11d3-8519-0050e4603277", "A996FD7E-B738-11D3-8519-0050E4603277"},
        {"012cF5B2-d52D-11D6-b6E1-003065b8daAA", "012CF5B2-D52D-11D6-B6E1-003065B8DAAA"},
        {"00000000-0000-0000-C000-000000000046", "00000000-0000-0000-C000-000000000046"},
        {"FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF", "FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF"},
    };
    for (const auto& [text, canonical] : cases) {
        CFUUIDRef uuid = Parse(text);
        ASSERT_NE(uuid, nullptr) << text;
        EXPECT_EQ(Format(uuid), canonical);
        CFRelease(uuid);
    }

    CFUUIDRef panel = Parse("BDB091F4-E57F-11D3-B5CC-0050E4603277");
    CFUUIDBytes bytes = CFUUIDGetUUIDBytes(panel);
    const UInt8 expected[16] = {0xBD, 0xB0, 0x91, 0xF4, 0xE5, 0x7F, 0x11, 0xD3,
                                0xB5, 0xCC, 0x00, 0x50, 0xE4, 0x60, 0x32, 0x77};
    EXPECT_EQ(std::memcmp(&bytes, expected, 16), 0);
    CFRelease(panel);
}

TEST(CFUUID, RefusesEverythingButTheCanonicalForm) {
    const char* cases[] = {
        "{BDB091F4-E57F-11D3-B5CC-0050E4603277}", // braces
        "BDB091F4E57F11D3B5CC0050E4603277",       // no dashes
        "BDB091F4-E57F-11D3-B5CC-0050E460327",    // a digit short
        "BDB091F4-E57F-11D3-B5CC-0050E46032777",  // a digit long
        "BDB091F-4E57F-11D3-B5CC-0050E4603277",   // dash out of place
        "BDB091F4-E57F-11D3-B5CC_0050E4603277",   // other separator
        "BDB091G4-E57F-11D3-B5CC-0050E4603277",   // not hexadecimal
        " BDB091F4-E57F-11D3-B5CC-0050E460327",   // leading space
        "BDB091F4-E57F-11D3-B5CC-0050E460327 ",   // trailing space
        "+DB091F4-E57F-11D3-B5CC-0050E4603277",   "",
    };
    for (const char* text : cases) {
        CFUUIDRef uuid = Parse(text);
        EXPECT_EQ(uuid, nullptr) << text;
        if (uuid != nullptr)
            CFRelease(uuid);
    }
    EXPECT_EQ(CFUUIDCreateFromString(nullptr, nullptr), nullptr);
}

TEST(CFUUID, RandomUUIDsAreVersion4AndDistinct) {
    std::set<std::string> seen;
    for (int i = 0; i < 64; ++i) {
        CFUUIDRef uuid = CFUUIDCreate(nullptr);
        CFUUIDBytes bytes = CFUUIDGetUUIDBytes(uuid);
        EXPECT_EQ(bytes.byte6 >> 4, 4);
        EXPECT_EQ(bytes.byte8 >> 6, 2);
        std::string text = Format(uuid);
        EXPECT_EQ(text[14], '4');
        seen.insert(text);
        CFUUIDRef reparsed = Parse(text);
        EXPECT_TRUE(CFEqual(uuid, reparsed));
        CFRelease(reparsed);
        CFRelease(uuid);
    }
    EXPECT_EQ(seen.size(), 64u);
}

TEST(CFUUID, EqualityIsByBytes) {
    CFUUIDRef fromString = Parse("AC9D524C-AAD5-11D4-8D35-0030656DE360");
    CFUUIDRef fromBytes =
        CFUUIDCreateWithBytes(nullptr, 0xAC, 0x9D, 0x52, 0x4C, 0xAA, 0xD5, 0x11, 0xD4, 0x8D, 0x35,
                              0x00, 0x30, 0x65, 0x6D, 0xE3, 0x60);
    CFUUIDRef fromRecord = CFUUIDCreateFromUUIDBytes(nullptr, CFUUIDGetUUIDBytes(fromString));
    CFUUIDRef other = CFUUIDCreateWithBytes(nullptr, 0xAC, 0x9D, 0x52, 0x4C, 0xAA, 0xD5, 0x11, 0xD4,
                                            0x8D, 0x35, 0x00, 0x30, 0x65, 0x6D, 0xE3, 0x61);
    EXPECT_TRUE(CFEqual(fromString, fromBytes));
    EXPECT_TRUE(CFEqual(fromString, fromRecord));
    EXPECT_EQ(CFHash(fromString), CFHash(fromBytes));
    EXPECT_FALSE(CFEqual(fromString, other));
    EXPECT_FALSE(CFEqual(fromString, CFSTR("AC9D524C-AAD5-11D4-8D35-0030656DE360")));
    EXPECT_EQ(CFGetTypeID(fromString), CFUUIDGetTypeID());

    CFStringRef description = CFCopyDescription(fromBytes);
    std::string text = Text(description);
    EXPECT_NE(text.find("{AC9D524C-AAD5-11D4-8D35-0030656DE360}"), std::string::npos) << text;
    CFRelease(description);
    for (CFUUIDRef uuid : {fromString, fromBytes, fromRecord, other})
        CFRelease(uuid);

    CFUUIDBytes none = CFUUIDGetUUIDBytes(nullptr);
    const UInt8 zero[16] = {};
    EXPECT_EQ(std::memcmp(&none, zero, 16), 0);
}

TEST(CFUUID, ConstantsAreInternedAndImmortalAcrossThreads) {
    auto get = [] {
        return CFUUIDGetConstantUUIDWithBytes(nullptr, 0xEE, 0x5A, 0x5E, 0x5C, 0xC2, 0xDD, 0x11,
                                              0xD3, 0x84, 0xB5, 0x00, 0x05, 0x02, 0x09, 0xD9, 0xC1);
    };
    std::vector<CFUUIDRef> results(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < results.size(); ++i)
        threads.emplace_back([&, i] { results[i] = get(); });
    for (std::thread& thread : threads)
        thread.join();
    for (CFUUIDRef result : results)
        EXPECT_EQ(result, results[0]);
    EXPECT_EQ(Format(results[0]), "EE5A5E5C-C2DD-11D3-84B5-00050209D9C1");

    // Releasing a constant more often than it was retained leaves it intact.
    CFIndex count = CFGetRetainCount(results[0]);
    CFRelease(results[0]);
    CFRelease(results[0]);
    EXPECT_EQ(CFGetRetainCount(results[0]), count);
    EXPECT_EQ(get(), results[0]);

    CFUUIDRef created = CFUUIDCreateWithBytes(nullptr, 0xEE, 0x5A, 0x5E, 0x5C, 0xC2, 0xDD, 0x11,
                                              0xD3, 0x84, 0xB5, 0x00, 0x05, 0x02, 0x09, 0xD9, 0xC1);
    EXPECT_TRUE(CFEqual(created, get()));
    CFRelease(created);
}

} // namespace

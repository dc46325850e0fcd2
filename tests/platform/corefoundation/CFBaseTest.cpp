#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Shown(CFTypeRef inValue) {
    testing::internal::CaptureStderr();
    CFShow(inValue);
    return testing::internal::GetCapturedStderr();
}

TEST(CFShow, WritesReadableDescriptionsToStandardError) {
    SInt32 width = 914;
    double scale = 0.5;
    CFNumberRef widthNumber = CFNumberCreate(nullptr, kCFNumberSInt32Type, &width);
    CFNumberRef scaleNumber = CFNumberCreate(nullptr, kCFNumberFloat64Type, &scale);
    const UInt8 bytes[] = {0xde, 0xad, 0xbe, 0xef, 0x01};
    CFDataRef data = CFDataCreate(nullptr, bytes, 5);
    const void* items[] = {CFSTR("say \"hi\""), kCFBooleanFalse, data};
    CFArrayRef array = CFArrayCreate(nullptr, items, 3, &kCFTypeArrayCallBacks);
    CFMutableDictionaryRef dictionary = CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFDictionarySetValue(dictionary, CFSTR("width"), widthNumber);
    CFDictionarySetValue(dictionary, CFSTR("scale"), scaleNumber);
    CFDictionarySetValue(dictionary, CFSTR("list"), array);
    CFMutableDictionaryRef empty = CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFDictionarySetValue(dictionary, CFSTR("empty"), empty);

    EXPECT_EQ(Shown(CFSTR("Failed to find key: ")), "Failed to find key: \n");
    EXPECT_EQ(Shown(nullptr), "(null)\n");
    EXPECT_EQ(Shown(widthNumber), "914\n");
    EXPECT_EQ(Shown(dictionary), "{\n"
                                 "\t\"empty\" = {};\n"
                                 "\t\"list\" = (\n"
                                 "\t\t\"say \\\"hi\\\"\",\n"
                                 "\t\tfalse,\n"
                                 "\t\t<deadbeef 01>\n"
                                 "\t);\n"
                                 "\t\"scale\" = 0.5;\n"
                                 "\t\"width\" = 914;\n"
                                 "}\n");
    CFStringRef description = CFCopyDescription(array);
    char text[128];
    ASSERT_TRUE(CFStringGetCString(description, text, sizeof text, kCFStringEncodingUTF8));
    EXPECT_STREQ(text, "(\n\t\"say \\\"hi\\\"\",\n\tfalse,\n\t<deadbeef 01>\n)");
    for (CFTypeRef ref :
         {(CFTypeRef)description, (CFTypeRef)dictionary, (CFTypeRef)empty, (CFTypeRef)array,
          (CFTypeRef)data, (CFTypeRef)scaleNumber, (CFTypeRef)widthNumber})
        CFRelease(ref);
}

TEST(CFBase, NullIsToleratedAndOverReleaseIsRefused) {
    EXPECT_EQ(CFRetain(nullptr), nullptr);
    CFRelease(nullptr);
    EXPECT_TRUE(CFEqual(nullptr, nullptr));
    EXPECT_FALSE(CFEqual(CFSTR("a"), nullptr));
    EXPECT_EQ(CFGetTypeID(CFSTR("a")), CFStringGetTypeID());
    EXPECT_NE(CFStringGetTypeID(), CFDictionaryGetTypeID());
}

TEST(CFBase, ReferenceCountsAreAtomic) {
    CFStringRef shared = CFStringCreateWithCString(nullptr, "shared", kCFStringEncodingUTF8);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([shared] {
            for (int i = 0; i < 100000; ++i) {
                CFRetain(shared);
                CFRelease(shared);
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(CFGetRetainCount(shared), 1);
    CFRelease(shared);
}

} // namespace

#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

CFNumberRef Integer(SInt32 inValue) {
    return CFNumberCreate(nullptr, kCFNumberSInt32Type, &inValue);
}

TEST(CFArray, RetainsWhatItHoldsAndCopiesShallowly) {
    CFMutableStringRef text = CFStringCreateMutableCopy(nullptr, 0, CFSTR("x"));
    CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    CFArrayAppendValue(array, text);
    EXPECT_EQ(CFGetRetainCount(text), 2);
    CFMutableArrayRef copy = CFArrayCreateMutableCopy(nullptr, 0, array);
    EXPECT_EQ(CFArrayGetValueAtIndex(copy, 0), text) << "shallow: the same reference";
    EXPECT_EQ(CFGetRetainCount(text), 3);
    CFStringAppend(text, CFSTR("y"));
    EXPECT_TRUE(CFEqual(array, copy));
    CFArraySetValueAtIndex(copy, 0, CFSTR("z"));
    EXPECT_EQ(CFGetRetainCount(text), 2);
    EXPECT_FALSE(CFEqual(array, copy));
    CFArraySetValueAtIndex(copy, 1, text); // the index equal to the count appends
    EXPECT_EQ(CFArrayGetCount(copy), 2);
    CFRelease(copy);
    CFRelease(array);
    EXPECT_EQ(CFGetRetainCount(text), 1);
    CFRelease(text);
}

TEST(CFArray, ContainsValueComparesWithCFEqual) {
    CFNumberRef three = Integer(3);
    double realThree = 3.0;
    CFNumberRef otherThree = CFNumberCreate(nullptr, kCFNumberFloat64Type, &realThree);
    const void* values[] = {CFSTR("a"), three};
    CFArrayRef array = CFArrayCreate(nullptr, values, 2, &kCFTypeArrayCallBacks);
    EXPECT_TRUE(CFArrayContainsValue(array, CFRangeMake(0, 2), otherThree));
    EXPECT_FALSE(CFArrayContainsValue(array, CFRangeMake(0, 1), otherThree));
    EXPECT_FALSE(CFArrayContainsValue(array, CFRangeMake(0, 2), CFSTR("A")));
    EXPECT_EQ(CFArrayGetFirstIndexOfValue(array, CFRangeMake(0, 2), CFSTR("a")), 0);
    CFRelease(array);
    CFRelease(three);
    CFRelease(otherThree);
}

TEST(CFArray, AppendArrayOfItselfAndOutOfRangeAccess) {
    const void* values[] = {CFSTR("a"), CFSTR("b")};
    CFArrayRef source = CFArrayCreate(nullptr, values, 2, &kCFTypeArrayCallBacks);
    CFMutableArrayRef array = CFArrayCreateMutableCopy(nullptr, 0, source);
    CFArrayAppendArray(array, array, CFRangeMake(0, 2));
    EXPECT_EQ(CFArrayGetCount(array), 4);
    testing::internal::CaptureStderr();
    EXPECT_EQ(CFArrayGetValueAtIndex(array, 4), nullptr);
    CFArrayAppendValue(const_cast<CFMutableArrayRef>(source), CFSTR("c"));
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors, "CFArrayGetValueAtIndex: index out of bounds\n"
                      "CFArrayAppendValue: attempt to mutate an immutable CFArray\n");
    EXPECT_EQ(CFArrayGetCount(source), 2);
    CFRelease(array);
    CFRelease(source);
}

TEST(CFDictionary, KeysMatchExactlyAndOperationsKeepTheirContracts) {
    CFMutableDictionaryRef dictionary = CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFDictionarySetValue(dictionary, CFSTR("Resolution"), CFSTR("300"));
    EXPECT_EQ(CFDictionaryGetValue(dictionary, CFSTR("resolution")), nullptr);
    CFStringRef sameKey = CFStringCreateWithCString(nullptr, "Resolution", kCFStringEncodingUTF8);
    EXPECT_TRUE(CFEqual(CFDictionaryGetValue(dictionary, sameKey), CFSTR("300")));

    CFDictionaryAddValue(dictionary, sameKey, CFSTR("600"));           // present: unchanged
    CFDictionaryReplaceValue(dictionary, CFSTR("Absent"), CFSTR("1")); // absent: not added
    EXPECT_EQ(CFDictionaryGetCount(dictionary), 1);
    EXPECT_TRUE(CFEqual(CFDictionaryGetValue(dictionary, sameKey), CFSTR("300")));
    CFDictionaryReplaceValue(dictionary, sameKey, CFSTR("720"));
    CFDictionaryAddValue(dictionary, CFSTR("Colour"), kCFBooleanTrue);
    EXPECT_EQ(CFDictionaryGetCountOfKey(dictionary, CFSTR("Colour")), 1);

    const void* keys[2];
    const void* values[2];
    CFDictionaryGetKeysAndValues(dictionary, keys, values);
    std::vector<std::pair<const void*, const void*>> entries{{keys[0], values[0]},
                                                             {keys[1], values[1]}};
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](auto& e) {
        return CFEqual(e.first, CFSTR("Resolution")) && CFEqual(e.second, CFSTR("720"));
    }));
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(),
                            [](auto& e) { return e.second == kCFBooleanTrue; }));

    CFDictionaryRemoveValue(dictionary, CFSTR("Colour"));
    EXPECT_FALSE(CFDictionaryContainsKey(dictionary, CFSTR("Colour")));
    CFDictionaryRemoveAllValues(dictionary);
    EXPECT_EQ(CFDictionaryGetCount(dictionary), 0);
    CFRelease(sameKey);
    CFRelease(dictionary);
}

TEST(CFDictionary, MutableCopyIsShallowAndEqualityIsDeep) {
    CFMutableDictionaryRef inner = CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFNumberRef number = Integer(36);
    CFDictionarySetValue(inner, CFSTR("Width"), number);
    CFMutableDictionaryRef outer = CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFDictionarySetValue(outer, CFSTR("Paper"), inner);

    CFMutableDictionaryRef copy = CFDictionaryCreateMutableCopy(nullptr, 0, outer);
    EXPECT_EQ(CFDictionaryGetValue(copy, CFSTR("Paper")), inner);
    EXPECT_TRUE(CFEqual(copy, outer));

    // A structurally equal tree made separately compares equal; a changed leaf does not.
    CFMutableDictionaryRef innerTwin = CFDictionaryCreateMutableCopy(nullptr, 0, inner);
    CFMutableDictionaryRef outerTwin = CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFDictionarySetValue(outerTwin, CFSTR("Paper"), innerTwin);
    EXPECT_TRUE(CFEqual(outer, outerTwin));
    CFDictionarySetValue(innerTwin, CFSTR("Width"), CFSTR("36"));
    EXPECT_FALSE(CFEqual(outer, outerTwin));

    for (CFTypeRef ref : {(CFTypeRef)copy, (CFTypeRef)outer, (CFTypeRef)outerTwin,
                          (CFTypeRef)innerTwin, (CFTypeRef)inner})
        CFRelease(ref);
    EXPECT_EQ(CFGetRetainCount(number), 1);
    CFRelease(number);
}

TEST(CFDictionary, CopyStringKeyCallbacksCopyMutableKeys) {
    CFMutableStringRef key = CFStringCreateMutableCopy(nullptr, 0, CFSTR("key"));
    CFMutableDictionaryRef dictionary = CFDictionaryCreateMutable(
        nullptr, 0, &kCFCopyStringDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFDictionarySetValue(dictionary, key, kCFBooleanTrue);
    CFStringAppend(key, CFSTR("-changed"));
    EXPECT_TRUE(CFDictionaryContainsKey(dictionary, CFSTR("key")));
    CFRelease(dictionary);
    CFRelease(key);
}

TEST(CFData, HoldsAndEditsBytes) {
    const UInt8 bytes[] = {0x41, 0x00, 0x00};
    CFDataRef data = CFDataCreate(nullptr, bytes, 3);
    CFMutableDataRef editable = CFDataCreateMutableCopy(nullptr, 0, data);
    EXPECT_TRUE(CFEqual(data, editable));
    CFDataAppendBytes(editable, bytes, 1);
    CFDataDeleteBytes(editable, CFRangeMake(1, 2));
    ASSERT_EQ(CFDataGetLength(editable), 2);
    EXPECT_EQ(CFDataGetBytePtr(editable)[1], 0x41);
    CFDataReplaceBytes(editable, CFRangeMake(0, 1), CFDataGetBytePtr(editable), 2);
    EXPECT_EQ(CFDataGetLength(editable), 3);
    CFDataSetLength(editable, 5);
    EXPECT_EQ(CFDataGetBytePtr(editable)[4], 0);
    EXPECT_FALSE(CFEqual(data, editable));
    CFRelease(editable);
    CFRelease(data);
}

} // namespace

#include "performance/PerformanceComponent.h"

#include <CoreFoundation/CFNumber.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace Tarvel;

namespace {

class Component : public PerformanceComponent {
public:
    Component() : PerformanceComponent(CFSTR("test.component")) {}
    void UpdateComponentDetails() override {}
};

std::string Text(CFTypeRef inValue) {
    char buffer[128] = "";
    if (inValue != nullptr && CFGetTypeID(inValue) == CFStringGetTypeID())
        CFStringGetCString(static_cast<CFStringRef>(inValue), buffer, sizeof buffer,
                           kCFStringEncodingUTF8);
    return buffer;
}

CFDictionaryRef Attributes(const PerformanceComponent& inComponent) {
    return static_cast<CFDictionaryRef>(
        CFDictionaryGetValue(inComponent.GetComponentData(), CFSTR("orvo.attributes")));
}

} // namespace

TEST(PerformanceComponentTest, DataAlwaysHoldsTheAttributeDictionary) {
    Component component;
    EXPECT_TRUE(CFEqual(component.GetUniqueComponentName(), CFSTR("test.component")));
    CFDictionaryRef attributes = Attributes(component);
    ASSERT_NE(attributes, nullptr);
    EXPECT_EQ(CFDictionaryGetCount(attributes), 0);
    EXPECT_EQ(CFDictionaryGetCount(component.GetComponentData()), 1);
}

TEST(PerformanceComponentTest, ValuesAndAttributesGoToTheirDictionaries) {
    Component component;
    component.SetPerformanceValue_SInt32(CFSTR("status"), 2);
    component.SetPerformanceValue_CFString(CFSTR("name"), CFSTR("x"));
    component.SetPerformanceAttribute_SInt32(CFSTR("count"), -7);
    component.SetPerformanceAttribute_CFString(CFSTR("label"), CFSTR("y"));

    SInt32 value = 0;
    CFNumberGetValue(static_cast<CFNumberRef>(
                         CFDictionaryGetValue(component.GetComponentData(), CFSTR("status"))),
                     kCFNumberSInt32Type, &value);
    EXPECT_EQ(value, 2);
    EXPECT_EQ(Text(CFDictionaryGetValue(component.GetComponentData(), CFSTR("name"))), "x");
    CFNumberGetValue(
        static_cast<CFNumberRef>(CFDictionaryGetValue(Attributes(component), CFSTR("count"))),
        kCFNumberSInt32Type, &value);
    EXPECT_EQ(value, -7);
    EXPECT_EQ(Text(CFDictionaryGetValue(Attributes(component), CFSTR("label"))), "y");
    EXPECT_EQ(CFDictionaryGetValue(component.GetComponentData(), CFSTR("count")), nullptr);
}

TEST(PerformanceComponentTest, TimesAreGregorianTextInTheDefaultZone) {
    CFTimeZoneRef zone = CFTimeZoneCopyDefault();
    // 2 January 2001 03:04:05.25 in the default zone, whatever it is.
    const CFGregorianDate date{2001, 1, 2, 3, 4, 5.25};
    const CFAbsoluteTime time = CFGregorianDateGetAbsoluteTime(date, zone);
    CFRelease(zone);

    Component component;
    component.SetPerformanceAttribute_CFAbsoluteTime(CFSTR("ImageProcessor started"), time);
    EXPECT_EQ(Text(CFDictionaryGetValue(Attributes(component), CFSTR("ImageProcessor started"))),
              "2001-1-2 3:4:5.250000");

    component.SetPerformanceAttribute_CFAbsoluteTimeCurrent(CFSTR("now"));
    const std::string now = Text(CFDictionaryGetValue(Attributes(component), CFSTR("now")));
    EXPECT_GE(std::atoi(now.c_str()), 2024) << now;
}

TEST(PerformanceComponentTest, SnapshotIsNotChangedByLaterWrites) {
    Component component;
    component.SetPerformanceAttribute_SInt32(CFSTR("a"), 1);
    CFDictionaryRef snapshot = component.CopyComponentData();
    component.SetPerformanceAttribute_SInt32(CFSTR("b"), 2);
    component.SetPerformanceValue_SInt32(CFSTR("c"), 3);

    CFDictionaryRef attributes =
        static_cast<CFDictionaryRef>(CFDictionaryGetValue(snapshot, CFSTR("orvo.attributes")));
    ASSERT_NE(attributes, nullptr);
    EXPECT_NE(attributes, Attributes(component));
    EXPECT_EQ(CFDictionaryGetCount(attributes), 1);
    EXPECT_EQ(CFDictionaryGetCount(snapshot), 1);
    EXPECT_EQ(CFDictionaryGetCount(Attributes(component)), 2);
    CFRelease(snapshot);
}

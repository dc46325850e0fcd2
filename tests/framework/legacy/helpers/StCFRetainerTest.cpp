#include "legacy/helpers/StCFRetainer.h"

#include <CoreFoundation/CFString.h>

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <type_traits>

namespace {

using Tarvel::StCFRetainer;

class StCFRetainerTest : public testing::Test {
protected:
    void SetUp() override {
        mObject = CFStringCreateWithCString(nullptr, "bundle", kCFStringEncodingUTF8);
    }
    void TearDown() override { CFRelease(mObject); }

    CFStringRef mObject = nullptr;
};

TEST_F(StCFRetainerTest, HoldsItsOwnReferenceForTheScope) {
    for (bool nullOnRelease : {false, true}) {
        {
            StCFRetainer retainer(mObject, nullOnRelease);
            EXPECT_EQ(CFGetRetainCount(mObject), 2);
            EXPECT_EQ(retainer.GetTypeRef(), mObject);
            EXPECT_EQ(static_cast<CFTypeRef>(retainer.GetBundleRef()), mObject);
        }
        EXPECT_EQ(CFGetRetainCount(mObject), 1);
    }
}

// The field's value once the destructor has run: with null-on-release no stale reference
// is left in the object's memory; without it the released reference stays.
TEST_F(StCFRetainerTest, NullOnReleaseClearsTheField) {
    static_assert(std::is_standard_layout_v<StCFRetainer>, "the field is read at offset 0");
    CFRetain(mObject); // keeps the object alive past the retainer's release
    for (bool nullOnRelease : {true, false}) {
        SCOPED_TRACE(nullOnRelease);
        alignas(StCFRetainer) unsigned char storage[sizeof(StCFRetainer)];
        StCFRetainer* retainer = new (storage) StCFRetainer(mObject, nullOnRelease);
        EXPECT_EQ(CFGetRetainCount(mObject), 3);
        retainer->~StCFRetainer();
        EXPECT_EQ(CFGetRetainCount(mObject), 2);
        CFTypeRef field;
        std::memcpy(&field, storage, sizeof field);
        EXPECT_EQ(field, nullOnRelease ? nullptr : static_cast<CFTypeRef>(mObject));
    }
    CFRelease(mObject);
}

TEST(StCFRetainer, NullObjectIsHeldAsNull) {
    StCFRetainer retainer(nullptr, true);
    EXPECT_EQ(retainer.GetTypeRef(), nullptr);
}

} // namespace

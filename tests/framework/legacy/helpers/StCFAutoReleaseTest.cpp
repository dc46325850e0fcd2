#include "legacy/helpers/StCFAutoRelease.h"

#include <CoreFoundation/CFString.h>

#include <gtest/gtest.h>

namespace {

using Tarvel::StCFAutoRelease;

TEST(StCFAutoRelease, ReleasesTheAdoptedReferenceAndAddsNone) {
    CFStringRef object = CFStringCreateWithCString(nullptr, "owned", kCFStringEncodingUTF8);
    CFRetain(object); // the test's own reference, to watch the count
    {
        StCFAutoRelease release(object);
        EXPECT_EQ(CFGetRetainCount(object), 2);
    }
    EXPECT_EQ(CFGetRetainCount(object), 1);
    CFRelease(object);

    StCFAutoRelease nothing(nullptr); // tolerated
}

} // namespace

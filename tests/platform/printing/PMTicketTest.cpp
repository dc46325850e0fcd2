#include <PrintCore/PMTicket.h>

#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>

#include <gtest/gtest.h>

#include <string>

namespace {

CFIndex RetainCount(PMTicketRef inTicket) {
    CFIndex count = -1;
    EXPECT_EQ(PMTicketGetRetainCount(inTicket, &count), kPMNoError);
    return count;
}

class PMTicketTest : public testing::Test {
protected:
    void SetUp() override {
        mType = CFStringCreateWithCString(nullptr, "orvo.test.ticket", kCFStringEncodingUTF8);
        ASSERT_EQ(PMTicketCreate(kCFAllocatorDefault, mType, &mTicket), kPMNoError);
        ASSERT_NE(mTicket, nullptr);
    }
    void TearDown() override {
        if (mTicket != nullptr)
            PMTicketRelease(mTicket);
        CFRelease(mType);
    }

    CFStringRef mType = nullptr;
    PMTicketRef mTicket = nullptr;
};

TEST_F(PMTicketTest, IsAPlatformObjectHoldingItsType) {
    EXPECT_EQ(RetainCount(mTicket), 1);
    EXPECT_EQ(CFGetTypeID(mTicket), PMTicketGetTypeID());
    EXPECT_NE(PMTicketGetTypeID(), CFStringGetTypeID());

    CFStringRef type = nullptr;
    ASSERT_EQ(PMTicketGetType(mTicket, &type), kPMNoError);
    EXPECT_EQ(type, mType);
    EXPECT_EQ(CFGetRetainCount(mType), 2); // the ticket holds its own reference

    PMTicketRelease(mTicket);
    mTicket = nullptr;
    EXPECT_EQ(CFGetRetainCount(mType), 1); // given back when the ticket goes
}

TEST_F(PMTicketTest, RetainAndReleaseCount) {
    ASSERT_EQ(PMTicketRetain(mTicket), kPMNoError);
    EXPECT_EQ(RetainCount(mTicket), 2);
    CFRetain(mTicket); // the platform's own calls work on tickets too
    EXPECT_EQ(RetainCount(mTicket), 3);
    CFRelease(mTicket);
    ASSERT_EQ(PMTicketRelease(mTicket), kPMNoError);
    EXPECT_EQ(RetainCount(mTicket), 1);
}

TEST_F(PMTicketTest, ReleaseAndClearNullsTheCallersReference) {
    PMTicketRetain(mTicket);
    PMTicketRef ref = mTicket;
    ASSERT_EQ(PMTicketReleaseAndClear(&ref), kPMNoError);
    EXPECT_EQ(ref, nullptr);
    EXPECT_EQ(RetainCount(mTicket), 1);

    EXPECT_EQ(PMTicketReleaseAndClear(&ref), kPMInvalidTicket);
    EXPECT_EQ(PMTicketReleaseAndClear(nullptr), kPMInvalidParameter);
}

TEST_F(PMTicketTest, DescribesItself) {
    CFStringRef description = CFCopyDescription(mTicket);
    char text[128] = {};
    ASSERT_TRUE(CFStringGetCString(description, text, sizeof text, kCFStringEncodingUTF8));
    CFRelease(description);
    std::string s = text;
    EXPECT_EQ(s.rfind("<PMTicket 0x", 0), 0u) << s;
    EXPECT_NE(s.find(">{orvo.test.ticket}"), std::string::npos) << s;
}

TEST(PMTicket, MisuseIsReportedAsAStatus) {
    CFStringRef notATicketType = CFSTR("orvo.test.ticket");
    PMTicketRef ticket = nullptr;
    EXPECT_EQ(PMTicketCreate(nullptr, notATicketType, nullptr), kPMInvalidParameter);
    EXPECT_EQ(PMTicketCreate(nullptr, nullptr, &ticket), kPMInvalidParameter);
    CFTypeRef boolean = kCFBooleanTrue;
    EXPECT_EQ(PMTicketCreate(nullptr, static_cast<CFStringRef>(boolean), &ticket),
              kPMInvalidParameter);
    EXPECT_EQ(ticket, nullptr);

    // A value that is not a ticket is refused, not released.
    CFStringRef string = CFStringCreateWithCString(nullptr, "not a ticket", kCFStringEncodingUTF8);
    PMTicketRef impostor = reinterpret_cast<PMTicketRef>(const_cast<__CFString*>(string));
    CFIndex count = 0;
    for (PMTicketRef bad : {static_cast<PMTicketRef>(nullptr), impostor}) {
        EXPECT_EQ(PMTicketRetain(bad), kPMInvalidTicket);
        EXPECT_EQ(PMTicketRelease(bad), kPMInvalidTicket);
        EXPECT_EQ(PMTicketGetRetainCount(bad, &count), kPMInvalidTicket);
        CFStringRef type = nullptr;
        EXPECT_EQ(PMTicketGetType(bad, &type), kPMInvalidTicket);
    }
    PMTicketRef ref = impostor;
    EXPECT_EQ(PMTicketReleaseAndClear(&ref), kPMInvalidTicket);
    EXPECT_EQ(ref, impostor);
    EXPECT_EQ(CFGetRetainCount(string), 1);
    CFRelease(string);
}

} // namespace

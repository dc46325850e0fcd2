#include <PrintCore/PMPrintSession.h>

#include "PrintingTestSupport.h"

#include <PrintCore/PMTemplate.h>
#include <PrintCore/PMTicket.h>

#include <gtest/gtest.h>

#include <cstdint>

using orvo_test::CreateString;
using orvo_test::Owned;
using orvo_test::Text;

namespace {

// Reads a ticket or template item back the way the panels do.
CFTypeRef ReferenceIn(PMPrintSession inSession, CFStringRef inKey) {
    CFTypeRef data = nullptr;
    if (PMSessionGetDataFromSession(inSession, inKey, &data) != kPMNoError ||
        CFGetTypeID(data) != CFNumberGetTypeID())
        return nullptr;
    SInt64 address = 0;
    if (!CFNumberGetValue(static_cast<CFNumberRef>(data), kCFNumberSInt64Type, &address))
        return nullptr;
    return reinterpret_cast<CFTypeRef>(intptr_t(address));
}

class PMPrintSessionTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(PMSessionCreate(mSession.Out()), kPMNoError); }
    Owned<PMPrintSession> mSession;
};

TEST_F(PMPrintSessionTest, HoldsDataByName) {
    Owned<CFStringRef> value(CreateString("some data"));
    ASSERT_EQ(PMSessionSetDataInSession(mSession, CFSTR("orvo.test.data"), value), kPMNoError);
    EXPECT_EQ(CFGetRetainCount(value), 2);
    CFTypeRef data = nullptr;
    ASSERT_EQ(PMSessionGetDataFromSession(mSession, CFSTR("orvo.test.data"), &data), kPMNoError);
    EXPECT_EQ(data, value.Get());
    EXPECT_EQ(PMSessionGetDataFromSession(mSession, CFSTR("orvo.test.other"), &data),
              kPMItemNotFound);
    // Null removes the item and gives its reference back.
    ASSERT_EQ(PMSessionSetDataInSession(mSession, CFSTR("orvo.test.data"), nullptr), kPMNoError);
    EXPECT_EQ(CFGetRetainCount(value), 1);
    EXPECT_EQ(PMSessionGetDataFromSession(mSession, CFSTR("orvo.test.data"), &data),
              kPMItemNotFound);
}

TEST_F(PMPrintSessionTest, HandsOutTheDialogsTicketsAsReferences) {
    Owned<PMTicketRef> settings;
    ASSERT_EQ(PMTicketCreate(nullptr, CFSTR("com.apple.print.PrintSettingsTicket"), settings.Out()),
              0);
    Owned<PMTemplateRef> jobTemplate;
    ASSERT_EQ(PMTemplateCreate(jobTemplate.Out()), 0);
    ASSERT_EQ(PMSessionSetTicketInSession(mSession, CFSTR("PMPrintSettingsTicket"), settings), 0);
    ASSERT_EQ(PMSessionSetTicketInSession(mSession, kPMJobTemplateTicketKey, jobTemplate), 0);

    // The session keeps both alive after their creator lets go.
    PMTicketRef ticket = settings.Get();
    settings.Reset();
    EXPECT_EQ(ReferenceIn(mSession, kPMPrintSettingsTicketKey), ticket);
    EXPECT_EQ(ReferenceIn(mSession, CFSTR("PMJobTemplateTicket")), jobTemplate.Get());
    EXPECT_EQ(PMTicketSetSInt32(ticket, CFSTR("orvo.test.panel"), CFSTR("copies"), 2, false), 0);

    // Replacing the item lets go of the old object.
    EXPECT_EQ(CFGetRetainCount(jobTemplate), 2);
    ASSERT_EQ(PMSessionSetDataInSession(mSession, kPMJobTemplateTicketKey, kCFBooleanTrue), 0);
    EXPECT_EQ(CFGetRetainCount(jobTemplate), 1);

    EXPECT_EQ(PMSessionSetTicketInSession(mSession, CFSTR("x"), CFSTR("not a ticket")),
              kPMInvalidParameter);
}

TEST(PMPrintSession, MisuseIsReportedAsAStatus) {
    Owned<CFStringRef> string(CreateString("not a session"));
    PMPrintSession impostor =
        reinterpret_cast<PMPrintSession>(const_cast<__CFString*>(string.Get()));
    CFTypeRef data = nullptr;
    for (PMPrintSession bad : {static_cast<PMPrintSession>(nullptr), impostor}) {
        EXPECT_EQ(PMSessionRetain(bad), kPMInvalidSession);
        EXPECT_EQ(PMSessionRelease(bad), kPMInvalidSession);
        EXPECT_EQ(PMSessionSetDataInSession(bad, CFSTR("k"), kCFBooleanTrue), kPMInvalidSession);
        EXPECT_EQ(PMSessionGetDataFromSession(bad, CFSTR("k"), &data), kPMInvalidSession);
    }
    EXPECT_EQ(CFGetRetainCount(string), 1);
    Owned<PMPrintSession> session;
    ASSERT_EQ(PMSessionCreate(session.Out()), kPMNoError);
    EXPECT_EQ(PMSessionCreate(nullptr), kPMInvalidParameter);
    EXPECT_EQ(PMSessionGetDataFromSession(session, nullptr, &data), kPMInvalidParameter);
    EXPECT_EQ(PMSessionGetDataFromSession(session, CFSTR("k"), nullptr), kPMInvalidParameter);
    EXPECT_EQ(PMSessionSetDataInSession(session, nullptr, kCFBooleanTrue), kPMInvalidParameter);
}

} // namespace

#include "legacy/helpers/StPMTicketRelease.h"

#include <CoreFoundation/CFString.h>

#include <gtest/gtest.h>

namespace {

using Tarvel::StPMTicketRelease;

class StPMTicketReleaseTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(PMTicketCreate(nullptr, CFSTR("orvo.test.ticket"), &mTicket), kPMNoError);
        PMTicketRetain(mTicket); // the test's own reference, to watch the count
    }
    void TearDown() override { PMTicketRelease(mTicket); }

    CFIndex Count() const {
        CFIndex count = 0;
        PMTicketGetRetainCount(mTicket, &count);
        return count;
    }

    PMTicketRef mTicket = nullptr;
};

TEST_F(StPMTicketReleaseTest, ReleasesTheTicketAtTheEndOfTheScope) {
    { StPMTicketRelease release(mTicket); }
    EXPECT_EQ(Count(), 1);
}

TEST_F(StPMTicketReleaseTest, ReleasesNothingAfterNullify) {
    {
        StPMTicketRelease release(mTicket);
        release.Nullify();
    }
    EXPECT_EQ(Count(), 2);
    PMTicketRelease(mTicket); // the reference that was handed on
}

TEST(StPMTicketRelease, NullTicketIsTolerated) {
    StPMTicketRelease release(nullptr);
}

} // namespace

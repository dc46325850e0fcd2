#include "legacy/exception/TarvelException.h"

#include <CoreFoundation/CFString.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using Tarvel::TarvelException;

class TarvelExceptionTest : public testing::Test {
protected:
    void SetUp() override {
        mText = CFStringCreateWithCString(nullptr, "Paper jam in tray 2", kCFStringEncodingUTF8);
    }
    void TearDown() override { CFRelease(mText); }

    CFStringRef mText = nullptr;
};

TEST_F(TarvelExceptionTest, Constructors) {
    TarvelException none;
    EXPECT_EQ(none.GetErrorStatus(), 0);
    EXPECT_EQ(none.GetErrorString(), nullptr);

    TarvelException status(128L);
    EXPECT_EQ(status.GetErrorStatus(), 128);
    EXPECT_EQ(status.GetErrorString(), nullptr);

    TarvelException negative(-30870L);
    EXPECT_EQ(negative.GetErrorStatus(), -30870);

    {
        TarvelException text(mText);
        EXPECT_EQ(text.GetErrorStatus(), 0);
        EXPECT_EQ(text.GetErrorString(), mText);
        EXPECT_EQ(CFGetRetainCount(mText), 1); // not retained...
    }
    EXPECT_EQ(CFGetRetainCount(mText), 1); // ...and not released
}

TEST_F(TarvelExceptionTest, LogToConsoleWritesTheStringOnly) {
    testing::internal::CaptureStderr();
    TarvelException(mText).LogToConsole();
    TarvelException(128L).LogToConsole();
    TarvelException().LogToConsole();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Paper jam in tray 2\n");
}

TEST(TarvelExceptionRaise, WritesThePrefixedLineAndThrowsStatus128) {
    struct Case {
        const char* message;
        const char* line;
    };
    const Case cases[] = {
        {"GetOptions: PDE options is not a dictionary.",
         "KELDOR:  ExCa-GetOptions: PDE options is not a dictionary.\n"},
        {"The Option's options list is null", "KELDOR:  ExCa-The Option's options list is null\n"},
        {"", "KELDOR:  ExCa-\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        testing::internal::CaptureStderr();
        try {
            TarvelException::Raise(c.message);
            ADD_FAILURE() << "nothing thrown";
        } catch (const TarvelException& e) {
            EXPECT_EQ(e.GetErrorStatus(), 128);
            EXPECT_EQ(e.GetErrorString(), nullptr);
        }
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.line);
    }
}

} // namespace

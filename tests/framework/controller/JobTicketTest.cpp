#include "controller/JobTicket.h"

#include "legacy/settings/EngineSettings.h"

#include "../legacy/PrinterBundleFixture.h"

#include <gtest/gtest.h>

namespace {

using namespace orvo_config_test;
using Tarvel::JobTicket;

// A job ticket of a fixed page size.
class FixedPageTicket : public JobTicket {
public:
    FixedPageTicket(CFBundleRef inPrinter, UInt32 inWidth, UInt32 inHeight)
        : JobTicket(inPrinter), mWidth(inWidth), mHeight(inHeight) {}
    UInt32 GetPageWidthInPSPoints() const override { return mWidth; }
    UInt32 GetPageHeightInPSPoints() const override { return mHeight; }
    UInt32 GetPageWidthInPixels() const override { return 0; }
    UInt32 GetPageHeightInPixels() const override { return 0; }
    using JobTicket::ApplyOptionOverlays;

private:
    UInt32 mWidth;
    UInt32 mHeight;
};

TEST(JobTicket, EngineSettingsOfThePrinter) {
    PrinterBundleFixture fixture;
    auto printer = fixture.PrinterBundle();
    CFIndex references = CFGetRetainCount(printer.get());
    {
        FixedPageTicket ticket(printer.get(), 612, 2591);
        EXPECT_EQ(CFGetRetainCount(printer.get()), references + 1);
        EXPECT_EQ(Text(ticket.GetJobName()), "");
        // The printer's engine file over the universal one.
        EXPECT_EQ(ticket.GetHorizontalResolution(), 600u);
        EXPECT_EQ(ticket.GetVerticalResolution(), 300u);
        ASSERT_NE(ticket.GetEngineSettings(), nullptr);
        EXPECT_EQ(Text(ticket.GetEngineSettings()->GetDitherAlgorithmName()), "Scatter");
        EXPECT_EQ(ticket.GetPageWidthInInches(), 8u);   // 8.5
        EXPECT_EQ(ticket.GetPageHeightInInches(), 35u); // 35.99

        auto overlays =
            Plist("<array><string>Fine</string><string>Universal Draft</string></array>");
        ticket.ApplyOptionOverlays(static_cast<CFArrayRef>(overlays.get()));
        EXPECT_EQ(ticket.GetHorizontalResolution(), 720u);
        EXPECT_EQ(ticket.GetVerticalResolution(), 150u);
    }
    EXPECT_EQ(CFGetRetainCount(printer.get()), references);
}

TEST(JobTicket, DescriptionFaultsPassThrough) {
    PrinterBundleFixture fixture;
    fixture.WritePrinterResource("Engine.xml", PlistDocument("<array/>"));
    auto printer = fixture.PrinterBundle();
    CFIndex references = CFGetRetainCount(printer.get());
    EXPECT_EQ(RaisedLine([&] { FixedPageTicket ticket(printer.get(), 612, 792); }),
              Line("The printer engine files root is not a dictionary."));
    EXPECT_EQ(CFGetRetainCount(printer.get()), references);
    EXPECT_EQ(RaisedLine([] { FixedPageTicket ticket(nullptr, 612, 792); }),
              Line("Source bundle is null."));
}

} // namespace

#include "entry-points/rarer-framework/RarerJobTicket.h"

#include "legacy/settings/EngineSettings.h"

#include "../../legacy/PrinterBundleFixture.h"

#include <PrintCore/PrintCore.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using namespace orvo_config_test;
using Tarvel::RarerJobTicket;

const CFStringRef kClient = CFSTR("orvo.test.print-system");

CFPtr<PMTicketRef> Ticket(const char* inType) {
    PMTicketRef ticket = nullptr;
    EXPECT_EQ(PMTicketCreate(nullptr, String(inType).get(), &ticket), kPMNoError);
    return CFPtr<PMTicketRef>(ticket);
}

// What a job ticket holds; each part may be left out.
struct Job {
    bool printSettings = true;
    bool paper = true;
    std::optional<PMRect> page = PMRect{0, 0, 792, 612};
    std::string selections; // a dictionary's XML; none when empty
    const char* name = nullptr;
};

CFPtr<PMTicketRef> MakeJob(const Job& inJob) {
    auto job = Ticket("com.apple.print.JobTicket");
    if (inJob.name != nullptr)
        PMTicketSetCFString(job.get(), kClient, CFSTR("com.apple.print.JobInfo.PMJobName"),
                            String(inJob.name).get(), false);
    if (!inJob.printSettings)
        return job;
    auto settings = Ticket("com.apple.print.PrintSettingsTicket");
    if (!inJob.selections.empty()) {
        auto selections = Dictionary(inJob.selections);
        PMTicketSetCFDictionary(settings.get(), kClient, CFSTR("orvo.engine.pde-selections"),
                                selections.get(), false);
    }
    if (inJob.paper) {
        auto paper = Ticket("com.apple.print.PaperInfoTicket");
        if (inJob.page)
            PMTicketSetPMRect(paper.get(), kClient,
                              CFSTR("com.apple.print.PaperInfo.PMUnadjustedPageRect"), &*inJob.page,
                              true);
        EXPECT_EQ(PMTicketSetTicket(settings.get(), paper.get(), 0), kPMNoError);
    }
    EXPECT_EQ(PMTicketSetTicket(job.get(), settings.get(), 0), kPMNoError);
    return job;
}

std::string Choose(const char* inOverlays) {
    return std::string("<dict><key>orvo.pde.quality</key><dict><key>orvo.option.quality</key>"
                       "<dict><key>Overlay</key>") +
           inOverlays + "</dict></dict></dict>";
}

class RarerJobTicketTest : public testing::Test {
protected:
    PrinterBundleFixture mFixture;
    CFPtr<CFBundleRef> mPrinter = mFixture.PrinterBundle();
};

TEST_F(RarerJobTicketTest, LetterAt300DotsPerInch) {
    Job job;
    job.selections = Choose("<string>Draft</string>");
    job.name = "Site plan";
    auto jobTicket = MakeJob(job);
    RarerJobTicket ticket(mPrinter.get(), jobTicket.get());
    EXPECT_EQ(ticket.GetPageWidthInPSPoints(), 612u);
    EXPECT_EQ(ticket.GetPageHeightInPSPoints(), 792u);
    EXPECT_EQ(ticket.GetHorizontalResolution(), 300u);
    EXPECT_EQ(ticket.GetVerticalResolution(), 300u);
    EXPECT_EQ(ticket.GetPageWidthInPixels(), 2550u);
    EXPECT_EQ(ticket.GetPageHeightInPixels(), 3300u);
    EXPECT_EQ(ticket.GetPageWidthInInches(), 8u);
    EXPECT_EQ(Text(ticket.GetJobName()), "Site plan");

    // The name is read anew on each request.
    PMTicketSetCFString(jobTicket.get(), kClient, CFSTR("com.apple.print.JobInfo.PMJobName"),
                        CFSTR("Renamed"), false);
    EXPECT_EQ(Text(ticket.GetJobName()), "Renamed");
}

TEST_F(RarerJobTicketTest, PageSizesAreTruncated) {
    struct Case {
        PMRect page;
        const char* overlays;
        UInt32 points;
        UInt32 pixels;
    };
    const Case cases[] = {
        {{0, 0, 792, 612.9}, "<string>Draft</string>", 612, 2550},
        {{10, 20, 802, 632.5}, "<string>Draft</string>", 612, 2550},
        {{0, 0, 3000, 2592},
         "<array><string>Fine</string><string>Vivid</string></array>",
         2592,
         25920},                                                 // 36 inches at 720 dots per inch
        {{0, 0, 3000, 100}, "<string>Fine</string>", 100, 1000}, // 100 x 720 / 72
        {{0, 0, 3000, 1}, "<string>Draft</string>", 1, 4},       // 4.17 pixels
    };
    for (const Case& test : cases) {
        Job job;
        job.page = test.page;
        job.selections = Choose(test.overlays);
        auto jobTicket = MakeJob(job);
        RarerJobTicket ticket(mPrinter.get(), jobTicket.get());
        EXPECT_EQ(ticket.GetPageWidthInPSPoints(), test.points) << test.page.right;
        EXPECT_EQ(ticket.GetPageWidthInPixels(), test.pixels) << test.page.right;
    }
}

TEST_F(RarerJobTicketTest, SelectionsAreApplied) {
    Job job;
    job.selections = Choose("<array><string>Fine</string><string>Vivid</string></array>");
    auto jobTicket = MakeJob(job);
    RarerJobTicket ticket(mPrinter.get(), jobTicket.get());
    EXPECT_EQ(ticket.GetHorizontalResolution(), 720u);
    EXPECT_TRUE(ticket.GetEngineSettings()->HasSaturationBoost());

    // Without selections the base settings stand; there is no name.
    auto plain = MakeJob(Job{});
    RarerJobTicket base(mPrinter.get(), plain.get());
    EXPECT_EQ(base.GetHorizontalResolution(), 600u);
    EXPECT_EQ(base.GetVerticalResolution(), 300u);
    EXPECT_FALSE(base.GetEngineSettings()->HasSaturationBoost());
    EXPECT_EQ(base.GetJobName(), nullptr);
}

TEST_F(RarerJobTicketTest, HoldsTheJobTicket) {
    auto jobTicket = MakeJob(Job{});
    CFIndex references = 0;
    PMTicketGetRetainCount(jobTicket.get(), &references);
    {
        RarerJobTicket ticket(mPrinter.get(), jobTicket.get());
        CFIndex held = 0;
        PMTicketGetRetainCount(jobTicket.get(), &held);
        EXPECT_EQ(held, references + 1);
    }
    CFIndex after = 0;
    PMTicketGetRetainCount(jobTicket.get(), &after);
    EXPECT_EQ(after, references);
}

TEST_F(RarerJobTicketTest, IncompleteJobTicketsAreRefused) {
    struct Case {
        Job job;
        const char* message;
    };
    Job noSettings;
    noSettings.printSettings = false;
    Job noPaper;
    noPaper.paper = false;
    Job noPage;
    noPage.page.reset();
    Job empty;
    empty.page = PMRect{0, 0, 792, 0.5};
    Job inverted;
    inverted.page = PMRect{792, 612, 0, 0};
    Job huge;
    huge.page = PMRect{0, 0, 792, 1e12};
    Job notAName;
    notAName.selections = Choose("<array><string>Fine</string><integer>7</integer></array>");
    const Case cases[] = {
        {noSettings, "PrepareGetRequests: the job ticket has no print settings ticket."},
        {noPaper, "PrepareGetRequests: the print settings ticket has no paper ticket."},
        {noPage, "PrepareGetRequests: the paper ticket has no page rectangle."},
        {empty, "PrepareGetRequests: the page rectangle is not a usable size."},
        {inverted, "PrepareGetRequests: the page rectangle is not a usable size."},
        {huge, "PrepareGetRequests: the page rectangle is not a usable size."},
        {notAName, "Apply: Overlay key is not a string."},
    };
    for (const Case& test : cases) {
        auto jobTicket = MakeJob(test.job);
        CFIndex references = 0;
        PMTicketGetRetainCount(jobTicket.get(), &references);
        EXPECT_EQ(RaisedLine([&] { RarerJobTicket ticket(mPrinter.get(), jobTicket.get()); }),
                  Line(test.message));
        CFIndex after = 0;
        PMTicketGetRetainCount(jobTicket.get(), &after);
        EXPECT_EQ(after, references) << test.message; // not kept by the failed ticket
    }
    EXPECT_EQ(RaisedLine([&] { RarerJobTicket ticket(mPrinter.get(), nullptr); }),
              Line("RarerJobTicket: the job ticket is not a ticket."));
}

TEST_F(RarerJobTicketTest, PixelSizesThatDoNotFitAreRefused) {
    Job job;
    job.page = PMRect{0, 0, 792, 4000000000.0};
    job.selections = Choose("<string>Fine</string>");
    auto jobTicket = MakeJob(job);
    RarerJobTicket ticket(mPrinter.get(), jobTicket.get());
    EXPECT_EQ(ticket.GetPageWidthInPSPoints(), 4000000000u);
    EXPECT_EQ(RaisedLine([&] { ticket.GetPageWidthInPixels(); }),
              Line("GetPageSizeInPixels: the page is too large at this resolution."));
}

} // namespace

#include "legacy/settings/JobSettings.h"

#include "../ConfigurationTestSupport.h"

#include <PrintCore/PrintCore.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace orvo_config_test;
using Tarvel::JobSettings;

const CFStringRef kSelections = CFSTR("orvo.engine.pde-selections");

// A print settings ticket holding inSelections (any value) under the selections key, or
// nothing when it is null.
CFPtr<PMTicketRef> PrintSettings(CFTypeRef inSelections) {
    PMTicketRef ticket = nullptr;
    EXPECT_EQ(PMTicketCreate(nullptr, CFSTR("com.apple.print.PrintSettingsTicket"), &ticket),
              kPMNoError);
    if (inSelections != nullptr) {
        EXPECT_EQ(PMTicketSetItem(ticket, CFSTR("orvo.pde.test"), kSelections, inSelections, false),
                  kPMNoError);
    }
    return CFPtr<PMTicketRef>(ticket);
}

std::vector<std::string> Overlays(const JobSettings& inSettings) {
    CFPtr<CFArrayRef> overlays(inSettings.CopySelectedOptionOverlays());
    std::vector<std::string> names;
    for (CFIndex index = 0; index < CFArrayGetCount(overlays.get()); ++index) {
        CFTypeRef name = CFArrayGetValueAtIndex(overlays.get(), index);
        names.push_back(CFGetTypeID(name) == CFStringGetTypeID()
                            ? Text(static_cast<CFStringRef>(name))
                            : "<not a string>");
    }
    return names;
}

std::vector<std::string> OverlaysOf(const std::string& inSelections) {
    auto selections = Dictionary(inSelections);
    auto ticket = PrintSettings(selections.get());
    return Overlays(JobSettings(ticket.get()));
}

using Names = std::vector<std::string>;

TEST(JobSettings, OverlaysOfTheSelections) {
    struct Case {
        const char* what;
        std::string selections;
        Names overlays;
    };
    const Case cases[] = {
        {"an option entry of a template panel",
         R"(<dict><key>orvo.pde.quality</key><dict><key>orvo.option.quality</key><dict>
              <key>Name</key><string>Fine</string>
              <key>Option Name</key><string>Print Quality</string>
              <key>Summary</key><string>Fine, 720 dpi</string>
              <key>Option Index</key><integer>1</integer>
              <key>Overlay</key><string>Fine</string>
            </dict></dict></dict>)",
         {"Fine"}},
        {"several names in array order, whatever their kind",
         R"(<dict><key>p</key><dict><key>Overlay</key>
              <array><string>Fine</string><string>Vivid</string><integer>3</integer></array>
            </dict></dict>)",
         {"Fine", "Vivid", "<not a string>"}},
        {"the key compared without regard to case",
         "<dict><key>OVERLAY</key><string>Draft</string></dict>",
         {"Draft"}},
        {"a number or a dictionary under the key names nothing",
         R"(<dict><key>Overlay</key><integer>1</integer>
              <key>p</key><dict><key>overlay</key><dict><key>Overlay</key><string>Hidden</string></dict></dict>
            </dict>)",
         {}},
        {"a name found twice is applied twice",
         R"(<dict><key>a</key><dict><key>Overlay</key><string>Draft</string></dict>
              <key>b</key><dict><key>Overlay</key><string>Draft</string></dict></dict>)",
         {"Draft", "Draft"}},
        {"the one-setting entries of the DesignJet 100 panel",
         R"(<dict><key>Quality</key><dict><key>Overlay</key><string>Best</string></dict>
              <key>Colour</key><dict><key>Overlay</key><string>Greyscale</string></dict></dict>)",
         {"Greyscale", "Best"}},
        {"siblings in the order of their keys, each searched depth first",
         R"(<dict>
              <key>b</key><dict><key>Overlay</key><string>B</string></dict>
              <key>a</key><dict>
                <key>x</key><dict><key>y</key><dict><key>Overlay</key><string>A-deep</string></dict></dict>
                <key>Overlay</key><array><string>A1</string><string>A2</string></array>
              </dict>
              <key>Overlay</key><string>Top</string>
              <key>B</key><dict><key>Overlay</key><string>Upper B</string></dict>
            </dict>)",
         {"Upper B", "Top", "A1", "A2", "A-deep", "B"}},
        {"no names at all",
         "<dict><key>p</key><dict><key>Summary</key><string>s</string></dict></dict>",
         {}},
    };
    for (const Case& test : cases)
        EXPECT_EQ(OverlaysOf(test.selections), test.overlays) << test.what;
}

TEST(JobSettings, OverlaysAtAnyDepth) {
    std::string selections = "<dict><key>Overlay</key><string>Top</string>";
    std::string close;
    for (int depth = 0; depth < 100; ++depth) {
        selections += "<key>level</key><dict>";
        close += "</dict>";
    }
    selections += "<key>Overlay</key><string>Deepest</string>" + close + "</dict>";
    EXPECT_EQ(OverlaysOf(selections), (Names{"Top", "Deepest"}));
}

TEST(JobSettings, TheSameSelectionsAlwaysGiveTheSameOrder) {
    // The same entries added in two different orders.
    auto forward =
        Dictionary("<dict><key>m</key><dict><key>Overlay</key><string>M</string></dict>"
                   "<key>z</key><dict><key>Overlay</key><string>Z</string></dict>"
                   "<key>c</key><dict><key>Overlay</key><string>C</string></dict></dict>");
    CFMutableDictionaryRef backward = CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFPtr<CFDictionaryRef> ownBackward(backward);
    for (const char* key : {"z", "c", "m"}) {
        auto name = String(key);
        CFDictionarySetValue(backward, name.get(), CFDictionaryGetValue(forward.get(), name.get()));
    }
    auto one = PrintSettings(forward.get());
    auto other = PrintSettings(backward);
    EXPECT_EQ(Overlays(JobSettings(one.get())), (Names{"C", "M", "Z"}));
    EXPECT_EQ(Overlays(JobSettings(other.get())), (Names{"C", "M", "Z"}));
}

TEST(JobSettings, NoSelectionsNoOverlays) {
    auto ticket = PrintSettings(nullptr);
    EXPECT_EQ(QuietOutput([&] { EXPECT_EQ(Overlays(JobSettings(ticket.get())), Names{}); }), "");
    EXPECT_EQ(Overlays(JobSettings(static_cast<PMTicketRef>(nullptr))), Names{});
    // Selections only count at the top level of the print settings.
    PMTicketRef outer = nullptr;
    PMTicketCreate(nullptr, CFSTR("com.apple.print.JobTicket"), &outer);
    CFPtr<PMTicketRef> ownOuter(outer);
    auto selections = Dictionary("<dict><key>Overlay</key><string>Draft</string></dict>");
    auto inner = PrintSettings(selections.get());
    PMTicketSetTicket(outer, inner.get(), 0);
    EXPECT_EQ(Overlays(JobSettings(outer)), Names{});
}

TEST(JobSettings, SelectionsOfAnotherKind) {
    auto ticket = PrintSettings(CFSTR("Draft"));
    EXPECT_EQ(RaisedLine([&] { JobSettings settings(ticket.get()); }),
              Line("GetOptions: PMTicketGetCFDictionary returned an OS error."));
}

TEST(JobSettings, HeldForItsLifetime) {
    auto selections = Dictionary("<dict><key>Overlay</key><string>Draft</string></dict>");
    auto ticket = PrintSettings(selections.get());
    JobSettings settings(ticket.get());
    // The ticket's item is replaced and the ticket released: the selections stay readable.
    PMTicketSetItem(ticket.get(), CFSTR("orvo.pde.test"), kSelections, kCFBooleanTrue, false);
    ticket.reset();
    EXPECT_EQ(Overlays(settings), (Names{"Draft"}));
}

TEST(JobSettings, FromAPrintSession) {
    PMPrintSession session = nullptr;
    ASSERT_EQ(PMSessionCreate(&session), kPMNoError);
    EXPECT_EQ(RaisedLine([&] { JobSettings settings(session); }),
              Line("JobSettings: Unable to get print settings ticket."));
    PMSessionSetDataInSession(session, kPMPrintSettingsTicketKey, CFSTR("not a ticket"));
    EXPECT_EQ(RaisedLine([&] { JobSettings settings(session); }),
              Line("JobSettings: Unable to get print settings ticket."));

    auto selections = Dictionary("<dict><key>Overlay</key><string>Draft</string></dict>");
    auto ticket = PrintSettings(selections.get());
    ASSERT_EQ(PMSessionSetTicketInSession(session, kPMPrintSettingsTicketKey, ticket.get()),
              kPMNoError);
    EXPECT_EQ(Overlays(JobSettings(session)), (Names{"Draft"}));
    PMSessionRelease(session);
}

} // namespace

#include "legacy/printerconfiguration/PrinterInfo.h"

#include "../PrinterBundleFixture.h"

#include <PrintCore/PrintCore.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace orvo_config_test;
using Tarvel::PrinterInfo;

const CFStringRef kClient = CFSTR("orvo.engine.framework");
const CFStringRef kPaperList = CFSTR("com.apple.print.TemplateSpecific.PMTemplatePaperInfoTicket");
const CFStringRef kPaperType = CFSTR("com.apple.print.PaperInfoTicket");

std::string Bytes(CFDataRef inData) {
    return std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(inData)),
                       static_cast<size_t>(CFDataGetLength(inData)));
}

CFPtr<CFNumberRef> Number(double inValue) {
    return CFPtr<CFNumberRef>(CFNumberCreate(nullptr, kCFNumberFloat64Type, &inValue));
}
CFPtr<CFNumberRef> Integer(SInt64 inValue) {
    return CFPtr<CFNumberRef>(CFNumberCreate(nullptr, kCFNumberSInt64Type, &inValue));
}

// A rectangle dictionary of four edges in the given unit.
CFPtr<CFMutableDictionaryRef> Rect(double inTop, double inLeft, double inBottom, double inRight,
                                   const char* inUnits) {
    CFMutableDictionaryRef rect = CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFDictionarySetValue(rect, CFSTR("Top"), Number(inTop).get());
    CFDictionarySetValue(rect, CFSTR("Left"), Number(inLeft).get());
    CFDictionarySetValue(rect, CFSTR("Bottom"), Number(inBottom).get());
    CFDictionarySetValue(rect, CFSTR("Right"), Number(inRight).get());
    if (inUnits != nullptr)
        CFDictionarySetValue(rect, CFSTR("Units"), String(inUnits).get());
    return CFPtr<CFMutableDictionaryRef>(rect);
}

void ExpectRect(const PMRect& inRect, double inTop, double inLeft, double inBottom, double inRight,
                double inTolerance = 1e-9) {
    EXPECT_NEAR(inRect.top, inTop, inTolerance);
    EXPECT_NEAR(inRect.left, inLeft, inTolerance);
    EXPECT_NEAR(inRect.bottom, inBottom, inTolerance);
    EXPECT_NEAR(inRect.right, inRight, inTolerance);
}

class PrinterInfoTest : public testing::Test {
protected:
    PMRect Margins() {
        auto bundle = mFixture.PrinterBundle();
        PrinterInfo info(bundle.get());
        PMRect margins{};
        info.GetPrinterMargins(margins);
        return margins;
    }
    void SetMargins(CFTypeRef inMargins) {
        mFixture.EditProperties([&](CFMutableDictionaryRef ioProperties) {
            if (inMargins == nullptr)
                CFDictionaryRemoveValue(ioProperties, CFSTR("Printer Margins"));
            else
                CFDictionarySetValue(ioProperties, CFSTR("Printer Margins"), inMargins);
        });
    }
    // The message line written by a failing call of inCall on a fresh PrinterInfo.
    template <class Call>
    std::string Fails(Call inCall) {
        auto bundle = mFixture.PrinterBundle();
        return FirstRaisedLine(RaisedOutput([&] {
            PrinterInfo info(bundle.get());
            inCall(info);
        }));
    }
    CFPtr<PMTemplateRef> Template(std::string* outStderr = nullptr) {
        auto bundle = mFixture.PrinterBundle();
        PrinterInfo info(bundle.get());
        testing::internal::CaptureStderr();
        PMTemplateRef printerTemplate = info.CopyPrinterTemplate();
        std::string output = testing::internal::GetCapturedStderr();
        if (outStderr != nullptr)
            *outStderr = output;
        return CFPtr<PMTemplateRef>(printerTemplate);
    }
    // The names of the papers of a template's list, by index from 1.
    static std::vector<std::string> PaperNames(PMTemplateRef inTemplate) {
        PMTicketRef list = nullptr;
        EXPECT_EQ(PMTemplateGetPMTicketListConstraint(inTemplate, kPaperList, &list), kPMNoError);
        CFArrayRef indexes = nullptr;
        EXPECT_EQ(PMTicketCopyTicketIndexes(list, kPaperType, &indexes), kPMNoError);
        CFPtr<CFArrayRef> ownIndexes(indexes);
        std::vector<std::string> names;
        for (CFIndex position = 0; position < CFArrayGetCount(indexes); ++position) {
            SInt64 index = 0;
            CFNumberGetValue(static_cast<CFNumberRef>(CFArrayGetValueAtIndex(indexes, position)),
                             kCFNumberSInt64Type, &index);
            EXPECT_EQ(index, position + 1); // numbered without gaps
            PMTicketRef paper = nullptr;
            EXPECT_EQ(PMTicketGetTicket(list, kPaperType, static_cast<UInt32>(index), &paper),
                      kPMNoError);
            CFStringRef name = nullptr;
            PMTicketGetCFString(paper, kPMTopLevel, kPMTopLevel,
                                CFSTR("com.apple.print.PaperInfo.PMPaperName"), &name);
            names.push_back(Text(name));
        }
        return names;
    }

    PrinterBundleFixture mFixture;
};

TEST_F(PrinterInfoTest, NamesAndMargins) {
    auto bundle = mFixture.PrinterBundle();
    PrinterInfo info(bundle.get());
    EXPECT_EQ(Text(info.GetMakeAndModelName()), "Orvo TestJet 500");
    EXPECT_EQ(Text(info.GetPrinterLongName()), "Orvo TestJet 500 Wide Format");
    EXPECT_EQ(Text(info.GetPrinterShortName()), "TestJet 500");
    EXPECT_EQ(Text(info.GetPrinterKind()), "Wide-format inkjet");
    EXPECT_EQ(Text(info.GetPrinterIconName()), "TestJet");
    PMRect margins{};
    info.GetPrinterMargins(margins);
    ExpectRect(margins, 5, 5, 5, 5);

    // A name that is missing or not a string is no error.
    mFixture.EditProperties([](CFMutableDictionaryRef ioProperties) {
        CFDictionaryRemoveValue(ioProperties, CFSTR("Printer Kind"));
        CFDictionarySetValue(ioProperties, CFSTR("Printer Long Name"), kCFBooleanTrue);
    });
    PrinterInfo edited(bundle.get());
    EXPECT_EQ(QuietOutput([&] {
                  EXPECT_EQ(edited.GetPrinterKind(), nullptr);
                  EXPECT_EQ(edited.GetPrinterLongName(), nullptr);
              }),
              "");
}

TEST_F(PrinterInfoTest, RectanglesAreConvertedToMillimetres) {
    struct Case {
        const char* units;
        double right;
        double millimetres;
    };
    const Case cases[] = {
        {"inches", 8.5, 215.9},
        {"Inches", 8.5, 215.9},
        {"decipoints", 6120, 215.9},
        {"postscript-points", 612, 215.9},
        {"POSTSCRIPT-POINTS", 72, 25.4},
        {"mm", 215.9, 215.9},
        {"cm", 21.59, 21.59}, // not a unit the driver knows: millimetres
        {"furlongs", 3, 3},
    };
    for (const Case& test : cases) {
        SetMargins(Rect(0, 0, 0, test.right, test.units).get());
        EXPECT_NEAR(Margins().right, test.millimetres, 1e-9) << test.units;
    }
}

TEST_F(PrinterInfoTest, RectangleFaults) {
    auto margins = Rect(5, 5, 5, 5, "mm");
    auto withoutBottom = Rect(5, 5, 5, 5, "mm");
    CFDictionaryRemoveValue(withoutBottom.get(), CFSTR("Bottom"));
    auto stringEdge = Rect(5, 5, 5, 5, "mm");
    CFDictionarySetValue(stringEdge.get(), CFSTR("Left"), CFSTR("5"));
    auto inexact = Rect(5, 5, 5, 5, "mm");
    CFDictionarySetValue(inexact.get(), CFSTR("Right"), Integer((SInt64{1} << 53) + 1).get());
    auto noUnits = Rect(5, 5, 5, 5, nullptr);
    auto numericUnits = Rect(5, 5, 5, 5, nullptr);
    CFDictionarySetValue(numericUnits.get(), CFSTR("Units"), Integer(1).get());

    struct Case {
        CFTypeRef margins;
        const char* message;
    };
    const Case cases[] = {
        {nullptr, "Printer margin dictionary is missing from the properties file."},
        {CFSTR("5 mm"), "Printer margin information is not a dictionary as expected."},
        {withoutBottom.get(), "Printer margin key returned null on GetValue."},
        {stringEdge.get(), "Printer margin information is not a number as expected."},
        {inexact.get(), "Conversion of a margin number to a double is lossy or out of range."},
        {noUnits.get(), "Units element must be a string."},
        {numericUnits.get(), "Units element must be a string."},
    };
    for (const Case& test : cases) {
        SetMargins(test.margins);
        EXPECT_EQ(Fails([](PrinterInfo& info) {
                      PMRect margins;
                      info.GetPrinterMargins(margins);
                  }),
                  Line(test.message));
    }
    SetMargins(margins.get());
    ExpectRect(Margins(), 5, 5, 5, 5);
}

TEST_F(PrinterInfoTest, PropertiesFileFaults) {
    struct Case {
        const char* content; // null: no file
        const char* message;
    };
    const Case cases[] = {
        {"<plist><dict><key>Printer Kind</key>",
         "The printer's property file is not a valid XML file."},
        {"this is not XML", "The printer's property file is not a valid XML file."},
        {nullptr, "CopyResourceData: CopyResourceURL returned NULL."},
    };
    for (const Case& test : cases) {
        if (test.content != nullptr)
            mFixture.WritePrinterResource("Properties.plist", test.content);
        else
            mFixture.RemovePrinterResource("Properties.plist");
        auto bundle = mFixture.PrinterBundle();
        std::string output = RaisedOutput([&] { PrinterInfo info(bundle.get()); });
        EXPECT_EQ(FirstRaisedLine(output), Line(test.message));
        // A file that does not parse is described by the parser first.
        EXPECT_EQ(output.rfind("XML parser error", 0) == 0, test.content != nullptr) << output;
    }
    mFixture.WritePrinterResource("Properties.plist", PlistDocument("<array/>"));
    auto bundle = mFixture.PrinterBundle();
    EXPECT_EQ(RaisedLine([&] { PrinterInfo info(bundle.get()); }),
              Line("The printer plug-in's property files root is not a dictionary."));
    EXPECT_EQ(RaisedLine([] { PrinterInfo info(nullptr); }), Line("Source bundle is null."));
}

TEST_F(PrinterInfoTest, PrinterTicketHoldsTheNamesAndLocatedProfiles) {
    auto bundle = mFixture.PrinterBundle();
    PrinterInfo info(bundle.get());
    testing::internal::CaptureStderr();
    CFPtr<PMTicketRef> ticket(info.CopyPrinterTicket());
    std::string output = testing::internal::GetCapturedStderr();
    EXPECT_EQ(output, "TestJet Glossy\nTestJet Plain\n");
    ASSERT_NE(ticket, nullptr);

    const char* const names[][2] = {
        {"com.apple.print.PrinterInfo.PMMakeAndModelName", "Orvo TestJet 500"},
        {"com.apple.print.PrinterInfo.PMPrinterLongName", "Orvo TestJet 500 Wide Format"},
        {"com.apple.print.PrinterInfo.PMPrinterShortName", "TestJet 500"},
    };
    for (const auto& name : names) {
        auto key = String(name[0]);
        CFStringRef value = nullptr;
        ASSERT_EQ(PMTicketGetCFString(ticket.get(), kPMTopLevel, kPMTopLevel, key.get(), &value),
                  kPMNoError);
        EXPECT_EQ(Text(value), name[1]);
        CFStringRef client = nullptr;
        Boolean locked = false;
        PMTicketGetItemAttributes(ticket.get(), kPMTopLevel, kPMTopLevel, key.get(), &client,
                                  nullptr, &locked);
        EXPECT_EQ(Text(client), "orvo.engine.framework");
        EXPECT_TRUE(locked);
        // Another client cannot change it.
        EXPECT_EQ(
            PMTicketSetCFString(ticket.get(), CFSTR("someone.else"), key.get(), CFSTR("x"), false),
            kPMTicketLocked);
    }
    // The item of Ticket.xml is still there.
    Boolean colour = false;
    EXPECT_EQ(PMTicketGetBoolean(ticket.get(), kPMTopLevel, kPMTopLevel,
                                 CFSTR("com.apple.print.PrinterInfo.PMSupportsColor"), &colour),
              kPMNoError);
    EXPECT_TRUE(colour);

    CFArrayRef profiles = nullptr;
    ASSERT_EQ(PMTicketGetCFArray(ticket.get(), kPMTopLevel, kPMTopLevel,
                                 CFSTR("com.apple.print.PrinterInfo.PMColorSyncProfiles"),
                                 &profiles),
              kPMNoError);
    ASSERT_EQ(CFArrayGetCount(profiles), 2);
    auto glossy = static_cast<CFDictionaryRef>(CFArrayGetValueAtIndex(profiles, 0));
    EXPECT_EQ(Text(static_cast<CFStringRef>(
                  CFDictionaryGetValue(glossy, CFSTR("PMColorDeviceProfileURL")))),
              "file:///Library/Printers/Tarvel/TestJet.plugin/Contents/Resources/Profiles/"
              "TestJet%20Glossy.icc");
    EXPECT_EQ(Text(static_cast<CFStringRef>(CFDictionaryGetValue(glossy, CFSTR("Description")))),
              "Glossy photo paper"); // other keys pass unchanged
    auto plain = static_cast<CFDictionaryRef>(CFArrayGetValueAtIndex(profiles, 1));
    EXPECT_TRUE(CFDictionaryContainsKey(plain, CFSTR("PMColorDeviceProfileURL")));
}

TEST_F(PrinterInfoTest, PrinterTicketFaults) {
    auto copyTicket = [](PrinterInfo& info) {
        CFPtr<PMTicketRef> ticket(info.CopyPrinterTicket());
    };

    mFixture.WritePrinterResource("Ticket.xml",
                                  PlistDocument("<dict><key>Items</key><dict/></dict>"));
    EXPECT_EQ(Fails(copyTicket), Line("")); // the prefix alone
    mFixture.WritePrinterResource("Ticket.xml", "not xml");
    EXPECT_EQ(Fails(copyTicket), Line(""));
    mFixture.RemovePrinterResource("Ticket.xml");
    EXPECT_EQ(Fails(copyTicket), Line("CopyResourceData: CopyResourceURL returned NULL."));
}

TEST_F(PrinterInfoTest, PrinterTicketNameFaults) {
    struct Case {
        const char* key;
        const char* message;
    };
    const Case cases[] = {
        {"Make and Model Name", "Unable to set the make and model name for this printer."},
        {"Printer Long Name", "Unable to set the long name for this printer."},
        {"Printer Short Name", "Unable to set the short name for this printer."},
    };
    for (const Case& test : cases) {
        PrinterBundleFixture fixture;
        fixture.EditProperties([&](CFMutableDictionaryRef ioProperties) {
            CFDictionarySetValue(ioProperties, String(test.key).get(), Integer(3).get());
        });
        auto bundle = fixture.PrinterBundle();
        EXPECT_EQ(RaisedLine([&] {
                      PrinterInfo info(bundle.get());
                      CFPtr<PMTicketRef> ticket(info.CopyPrinterTicket());
                  }),
                  Line(test.message));
    }
}

TEST_F(PrinterInfoTest, ColourFileFaults) {
    struct Case {
        std::string content;
        const char* message;
    };
    const Case cases[] = {
        {"<dict>", "colourProperties could not be converted from XML."},
        {PlistDocument("<array/>"), "Colour.xml must start with a dictionary."},
        {PlistDocument("<dict/>"), "ColorSync profile array is missing from Colour.xml."},
        {PlistDocument("<dict><key>ColorSync Profiles</key><dict/></dict>"),
         "Colour list must be an array."},
        {PlistDocument(
             "<dict><key>ColorSync Profiles</key><array><string>x</string></array></dict>"),
         "The ColorSync profile is not a dictionary."},
        {PlistDocument("<dict><key>ColorSync Profiles</key><array><dict/></array></dict>"),
         "The ColorSync profile file name returned null."},
        {PlistDocument("<dict><key>ColorSync Profiles</key><array><dict><key>File Name</key>"
                       "<integer>1</integer></dict></array></dict>"),
         "The ColorSync profile file name is not a string."},
        {PlistDocument("<dict><key>ColorSync Profiles</key><array><dict><key>File Name</key>"
                       "<string>Missing</string></dict></array></dict>"),
         "Missing\nKELDOR:  ExCa-The ColorSync profile file path returned null."},
    };
    for (const Case& test : cases) {
        mFixture.WritePrinterResource("Colour.xml", test.content);
        auto bundle = mFixture.PrinterBundle();
        std::string output = RaisedOutput([&] {
            PrinterInfo info(bundle.get());
            CFPtr<PMTicketRef> ticket(info.CopyPrinterTicket());
        });
        std::string expected = test.message;
        if (expected.rfind("Missing", 0) != 0) {
            EXPECT_EQ(FirstRaisedLine(output), Line(expected)) << test.content;
        } else {
            EXPECT_EQ(output.substr(0, expected.size() + 1), expected + "\n");
        }
    }
}

TEST_F(PrinterInfoTest, EmptyProfileListAddsNoProfiles) {
    mFixture.WritePrinterResource(
        "Colour.xml", PlistDocument("<dict><key>ColorSync Profiles</key><array/></dict>"));
    auto bundle = mFixture.PrinterBundle();
    PrinterInfo info(bundle.get());
    CFPtr<PMTicketRef> ticket(info.CopyPrinterTicket());
    EXPECT_FALSE(PMTicketContainsItem(ticket.get(), kPMTopLevel, kPMTopLevel,
                                      CFSTR("com.apple.print.PrinterInfo.PMColorSyncProfiles")));
    auto printerTemplate = Template();
    ASSERT_NE(printerTemplate, nullptr);
    EXPECT_FALSE(PMTemplateContainsEntry(
        printerTemplate.get(), CFSTR("com.apple.print.PrintSettings.PMColorSyncProfileID")));
}

TEST_F(PrinterInfoTest, TemplateListsTheAcceptedPapersFromOne) {
    auto printerTemplate = Template();
    ASSERT_NE(printerTemplate, nullptr);
    // The universal papers, then the printer's; too wide and too short are left out.
    EXPECT_EQ(PaperNames(printerTemplate.get()),
              (std::vector<std::string>{"na-letter", "iso-a4", "36-inch-roll", "testjet-banner"}));

    PMValueType kind = 0;
    PMConstraintType constraint = 0;
    PMTemplateGetValueType(printerTemplate.get(), kPaperList, &kind);
    PMTemplateGetConstraintType(printerTemplate.get(), kPaperList, &constraint);
    EXPECT_EQ(kind, 14u);
    EXPECT_EQ(constraint, 2u);
    PMTicketRef first = nullptr;
    ASSERT_EQ(PMTemplateGetPMTicketDefaultValue(printerTemplate.get(), kPaperList, &first),
              kPMNoError);
    CFStringRef name = nullptr;
    PMTicketGetCFString(first, kPMTopLevel, kPMTopLevel,
                        CFSTR("com.apple.print.PaperInfo.PMPaperName"), &name);
    EXPECT_EQ(Text(name), "na-letter");

    // A4 with 5 mm margins, in points.
    PMTicketRef list = nullptr;
    PMTemplateGetPMTicketListConstraint(printerTemplate.get(), kPaperList, &list);
    PMTicketRef a4 = nullptr;
    ASSERT_EQ(PMTicketGetTicket(list, kPaperType, 2, &a4), kPMNoError);
    PMRect paper{};
    PMRect page{};
    ASSERT_EQ(PMTicketGetPMRect(a4, kPMTopLevel, kPMTopLevel,
                                CFSTR("com.apple.print.PaperInfo.PMUnadjustedPaperRect"), &paper),
              kPMNoError);
    ASSERT_EQ(PMTicketGetPMRect(a4, kPMTopLevel, kPMTopLevel,
                                CFSTR("com.apple.print.PaperInfo.PMUnadjustedPageRect"), &page),
              kPMNoError);
    ExpectRect(paper, -14.17, -14.17, 827.72, 581.10, 0.005);
    ExpectRect(page, 0, 0, 813.54, 566.93, 0.005);
    CFStringRef client = nullptr;
    Boolean locked = false;
    PMTicketGetItemAttributes(a4, kPMTopLevel, kPMTopLevel,
                              CFSTR("com.apple.print.PaperInfo.PMUnadjustedPageRect"), &client,
                              nullptr, &locked);
    EXPECT_EQ(Text(client), "orvo.engine.framework");
    EXPECT_TRUE(locked);
}

TEST_F(PrinterInfoTest, TemplateEntriesBesideThePapers) {
    auto printerTemplate = Template();
    ASSERT_NE(printerTemplate, nullptr);
    PMTemplateRef t = printerTemplate.get();

    // From Template.xml.
    EXPECT_TRUE(PMTemplateContainsEntry(t, CFSTR("com.apple.print.PageFormat.PMOrientation")));

    struct Range {
        const char* key;
        double maximum;
    };
    for (const Range& range :
         {Range{"com.apple.print.TemplateSpecific.CustomPaperWidth", 4320},
          Range{"com.apple.print.TemplateSpecific.CustomPaperHeight", 129600}}) {
        double minimum = 0;
        double maximum = 0;
        ASSERT_EQ(
            PMTemplateGetDoubleRangeConstraint(t, String(range.key).get(), &minimum, &maximum),
            kPMNoError)
            << range.key;
        EXPECT_EQ(minimum, 144);
        EXPECT_EQ(maximum, range.maximum);
        Boolean valid = false;
        PMTemplateValidateItem(t, String(range.key).get(), Number(range.maximum + 1).get(), &valid);
        EXPECT_FALSE(valid);
    }
    PMRect margins{};
    ASSERT_EQ(PMTemplateGetPMRectDefaultValue(
                  t, CFSTR("com.apple.print.TemplateSpecific.PMCustomPageMargins"), &margins),
              kPMNoError);
    double point5mm = 5 / 25.4 * 72;
    ExpectRect(margins, point5mm, point5mm, point5mm, point5mm);
    PMConstraintType constraint = 0;
    PMTemplateGetConstraintType(t, CFSTR("com.apple.print.TemplateSpecific.PMCustomPageMargins"),
                                &constraint);
    EXPECT_EQ(constraint, 3u);

    // One profile identifier per profile, 1 by default.
    CFStringRef profileID = CFSTR("com.apple.print.PrintSettings.PMColorSyncProfileID");
    SInt32 defaultID = 0;
    ASSERT_EQ(PMTemplateGetSInt32DefaultValue(t, profileID, &defaultID), kPMNoError);
    EXPECT_EQ(defaultID, 1);
    CFArrayRef identifiers = nullptr;
    ASSERT_EQ(PMTemplateGetCFArrayConstraintValue(t, profileID, &identifiers), kPMNoError);
    auto expected = Plist("<array><integer>1</integer><integer>2</integer></array>");
    EXPECT_TRUE(CFEqual(identifiers, expected.get()));

    // The option template of the engine dictionary.
    CFDictionaryRef options = nullptr;
    ASSERT_EQ(PMTemplateGetCFDictionaryDefaultValue(t, CFSTR("orvo.engine.options"), &options),
              kPMNoError);
    EXPECT_TRUE(CFDictionaryContainsKey(options, CFSTR("orvo.engine.pdes")));
    EXPECT_TRUE(CFDictionaryContainsKey(options, CFSTR("orvo.engine.options")));
}

TEST_F(PrinterInfoTest, PrinterPapersAreOptionalUniversalPapersAreNot) {
    // No printer paper file: the lookup's line, and the universal papers alone.
    mFixture.RemovePrinterResource("Default Paper.orvopapers");
    std::string output;
    auto printerTemplate = Template(&output);
    ASSERT_NE(printerTemplate, nullptr);
    EXPECT_EQ(output.substr(0, output.find('\n')), Line("Bundle resource URL is null."));
    EXPECT_EQ(PaperNames(printerTemplate.get()).size(), 3u);

    // A printer paper file that does not parse is left out silently.
    mFixture.WritePrinterResource("Default Paper.orvopapers", "<dict>");
    printerTemplate = Template(&output);
    ASSERT_NE(printerTemplate, nullptr);
    EXPECT_EQ(output, "");
    EXPECT_EQ(PaperNames(printerTemplate.get()).size(), 3u);

    // Without the universal list there is no template.
    mFixture.RemoveFrameworkResource("Default Paper.orvopapers");
    EXPECT_EQ(Fails([](PrinterInfo& info) { CFPtr<PMTemplateRef> t(info.CopyPrinterTemplate()); }),
              Line("Bundle resource URL is null."));
    // Bundles are looked up once and kept: a root without the framework from the start.
    PrinterBundleFixture bare;
    bare.RemoveFramework();
    auto bundle = bare.PrinterBundle();
    EXPECT_EQ(RaisedLine([&] {
                  PrinterInfo info(bundle.get());
                  CFPtr<PMTemplateRef> t(info.CopyPrinterTemplate());
              }),
              Line("Unable to find the printer bundle by identifier."));
}

TEST_F(PrinterInfoTest, PaperFileFaults) {
    const std::string paper =
        "<dict><key>Name</key><string>p</string><key>Top</key><integer>0</integer>"
        "<key>Left</key><integer>0</integer><key>Bottom</key>"
        "<integer>300</integer><key>Right</key><integer>200</integer>";
    struct Case {
        std::string content;
        const char* message;
    };
    const Case cases[] = {
        {"<plist", "paperProperties could not be converted from XML."},
        {PlistDocument("<string>papers</string>"), "Paper.xml must start with a dictionary."},
        {PlistDocument("<dict/>"), "Paper array is missing from Paper.xml."},
        {PlistDocument("<dict><key>Paper Sizes</key><string>A4</string></dict>"),
         "Paper list must be an array."},
        {PlistDocument("<dict><key>Paper Sizes</key><array><true/></array></dict>"),
         "Paper entry must be a dictionary."},
        {PlistDocument("<dict><key>Paper Sizes</key><array/></dict>"),
         "Unable to extract the first paper ticket. No papers set up?"},
        {PlistDocument("<dict><key>Paper Sizes</key><array>" + paper +
                       "<key>Units</key><string>mm</string><key>Name</key><integer>4</integer>"
                       "</dict></array></dict>"),
         "Paper name is missing."},
        {PlistDocument("<dict><key>Paper Sizes</key><array>" + paper +
                       "<key>Units</key><string>inches</string></dict></array></dict>"),
         "Unable to extract the first paper ticket. No papers set up?"}, // 200 inches wide
        {PlistDocument("<dict><key>Paper Sizes</key><array>" + paper + "</dict></array></dict>"),
         "Units element must be a string."},
    };
    // The printer's own list adds nothing.
    mFixture.WritePrinterResource("Default Paper.orvopapers",
                                  PlistDocument("<dict><key>Paper Sizes</key><array/></dict>"));
    for (const Case& test : cases) {
        mFixture.WriteFrameworkResource("Default Paper.orvopapers", test.content);
        EXPECT_EQ(
            Fails([](PrinterInfo& info) { CFPtr<PMTemplateRef> t(info.CopyPrinterTemplate()); }),
            Line(test.message))
            << test.content;
    }
}

TEST_F(PrinterInfoTest, LimitFaults) {
    auto max = Rect(-1, -1, -1, 914.4, "mm");
    auto min = Rect(-1, -1, 100, 100, "mm");
    auto limits = [&](CFTypeRef inMaximum, CFTypeRef inMinimum) {
        CFMutableDictionaryRef dictionary = CFDictionaryCreateMutable(
            nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
        if (inMaximum != nullptr)
            CFDictionarySetValue(dictionary, CFSTR("Maximum Paper Size"), inMaximum);
        if (inMinimum != nullptr)
            CFDictionarySetValue(dictionary, CFSTR("Minimum Paper Size"), inMinimum);
        return CFPtr<CFDictionaryRef>(dictionary);
    };
    auto withoutMinimum = limits(max.get(), nullptr);
    auto stringMaximum = limits(CFSTR("big"), min.get());
    auto everyEdgeFree = Rect(-1, -1, -1, -1, "mm");
    auto noneOnlyMaximum = limits(everyEdgeFree.get(), nullptr);
    struct Case {
        CFTypeRef limits;
        const char* message;
    };
    const Case cases[] = {
        {nullptr, "Printer limits property is missing."},
        {Integer(1).release(), "Printer limits property list entry must be a dictionary."},
        {withoutMinimum.get(), "Paper size limit property is missing."},
        {noneOnlyMaximum.get(), "Paper size limit property is missing."},
        {stringMaximum.get(), "A limiting paper size entry must be a dictionary."},
    };
    for (const Case& test : cases) {
        mFixture.EditProperties([&](CFMutableDictionaryRef ioProperties) {
            if (test.limits == nullptr)
                CFDictionaryRemoveValue(ioProperties, CFSTR("Printer Limits"));
            else
                CFDictionarySetValue(ioProperties, CFSTR("Printer Limits"), test.limits);
        });
        EXPECT_EQ(
            Fails([](PrinterInfo& info) { CFPtr<PMTemplateRef> t(info.CopyPrinterTemplate()); }),
            Line(test.message));
    }
    CFRelease(cases[1].limits);

    // Limits given in inches: -1 inch is a real limit, not "none".
    auto inchMaximum = Rect(-1, -1, -1, 36, "inches");
    auto inchMinimum = Rect(-1, -1, -1, -1, "inches");
    auto inchLimits = limits(inchMaximum.get(), inchMinimum.get());
    mFixture.EditProperties([&](CFMutableDictionaryRef ioProperties) {
        CFDictionarySetValue(ioProperties, CFSTR("Printer Limits"), inchLimits.get());
    });
    EXPECT_EQ(Fails([](PrinterInfo& info) { CFPtr<PMTemplateRef> t(info.CopyPrinterTemplate()); }),
              Line("Unable to extract the first paper ticket. No papers set up?"));
}

TEST_F(PrinterInfoTest, TemplateFileAndEngineFaults) {
    auto copyTemplate = [](PrinterInfo& info) {
        CFPtr<PMTemplateRef> t(info.CopyPrinterTemplate());
    };
    mFixture.WritePrinterResource("Template.xml",
                                  PlistDocument("<dict><key>Entries</key><array/></dict>"));
    EXPECT_EQ(Fails(copyTemplate), Line("Unable to load the printer template from XML."));

    PrinterBundleFixture fixture;
    fixture.WritePrinterResource("Engine.xml", PlistDocument("<dict><key>orvo.engine.base</key>"
                                                             "<dict/></dict>"));
    auto bundle = fixture.PrinterBundle();
    EXPECT_EQ(RaisedLine([&] {
                  PrinterInfo info(bundle.get());
                  copyTemplate(info);
              }),
              Line("Printer engine PDE templates are null."));
}

TEST_F(PrinterInfoTest, EngineDictionaryIsMergedOverTheUniversalOne) {
    auto bundle = mFixture.PrinterBundle();
    PrinterInfo info(bundle.get());
    CFPtr<CFDictionaryRef> engine(info.CopyEngineDictionary());
    auto base =
        static_cast<CFDictionaryRef>(CFDictionaryGetValue(engine.get(), CFSTR("orvo.engine.base")));
    auto resolution = static_cast<CFDictionaryRef>(CFDictionaryGetValue(base, CFSTR("Resolution")));
    auto expected = Dictionary("<dict><key>Horizontal</key><integer>600</integer>"
                               "<key>Vertical</key><integer>300</integer></dict>");
    EXPECT_TRUE(CFEqual(resolution, expected.get())); // the printer's value wins, key by key
    EXPECT_TRUE(CFDictionaryContainsKey(base, CFSTR("Banding Allocation")));
    auto dithering =
        static_cast<CFDictionaryRef>(CFDictionaryGetValue(base, CFSTR("Dithering Algorithm")));
    EXPECT_EQ(Text(static_cast<CFStringRef>(CFDictionaryGetValue(dithering, CFSTR("Selected")))),
              "Scatter");
    EXPECT_TRUE(CFDictionaryContainsKey(dithering, CFSTR("Gamma Multiplier")));
    auto overlays = static_cast<CFDictionaryRef>(
        CFDictionaryGetValue(engine.get(), CFSTR("orvo.engine.overlays")));
    EXPECT_TRUE(CFDictionaryContainsKey(overlays, CFSTR("Universal Draft")));
    EXPECT_TRUE(CFDictionaryContainsKey(overlays, CFSTR("Draft")));
}

TEST_F(PrinterInfoTest, UniversalEngineFileIsOptional) {
    auto printerOnly = [&] {
        auto bundle = PrinterBundleFixture::BundleAt(PrinterBundleFixture::kPrinterPath);
        PrinterInfo info(bundle.get());
        CFPtr<CFDictionaryRef> engine;
        std::string output = QuietOutput([&] { engine.reset(info.CopyEngineDictionary()); });
        auto base = static_cast<CFDictionaryRef>(
            CFDictionaryGetValue(engine.get(), CFSTR("orvo.engine.base")));
        EXPECT_FALSE(CFDictionaryContainsKey(base, CFSTR("Banding Allocation")));
        return output;
    };
    mFixture.WriteFrameworkResource("Engine.xml", PlistDocument("<array/>"));
    EXPECT_EQ(printerOnly(), Line("The printer engine files root is not a dictionary.") + "\n");
    mFixture.WriteFrameworkResource("Engine.xml", "<plist><dict>");
    std::string output = printerOnly();
    EXPECT_NE(output.find(Line("The engine is not a valid XML file.")), std::string::npos);
    EXPECT_NE(output.find('\n'), output.rfind('\n')); // the parser's description first
    mFixture.RemoveFrameworkResource("Engine.xml");
    EXPECT_EQ(printerOnly(), Line("Bundle resource URL is null.") + "\n");
    PrinterBundleFixture bare;
    bare.RemoveFramework();
    EXPECT_EQ(printerOnly(), Line("Unable to find the printer bundle by identifier.") + "\n");
}

TEST_F(PrinterInfoTest, PrinterEngineFileFaults) {
    auto copyEngine = [](PrinterInfo& info) {
        CFPtr<CFDictionaryRef> e(info.CopyEngineDictionary());
    };
    mFixture.WritePrinterResource("Engine.xml", "<plist><dict><key>a</key></dict></plist>");
    EXPECT_NE(RaisedOutput([&] {
                  auto bundle = mFixture.PrinterBundle();
                  PrinterInfo info(bundle.get());
                  copyEngine(info);
              }).find(Line("The engine is not a valid XML file.")),
              std::string::npos);
    mFixture.WritePrinterResource("Engine.xml", PlistDocument("<string>engine</string>"));
    EXPECT_EQ(Fails(copyEngine), Line("The printer engine files root is not a dictionary."));
    mFixture.RemovePrinterResource("Engine.xml");
    EXPECT_EQ(Fails(copyEngine), Line("CopyResourceData: CopyResourceURL returned NULL."));
}

TEST_F(PrinterInfoTest, PanelPathsFollowTheLastPrintersFolder) {
    auto paths = [&] {
        auto bundle = PrinterBundleFixture::BundleAt(PrinterBundleFixture::kPrinterPath);
        PrinterInfo info(bundle.get());
        CFPtr<CFArrayRef> array(info.CopyPDExtensionPaths());
        std::vector<std::string> result;
        for (CFIndex index = 0; index < CFArrayGetCount(array.get()); ++index)
            result.push_back(
                Text(static_cast<CFStringRef>(CFArrayGetValueAtIndex(array.get(), index))));
        return result;
    };
    EXPECT_EQ(paths(), (std::vector<std::string>{
                           "Tarvel/Orvo/Orvo.framework/Contents/Resources/Options.plugin",
                           "Tarvel/Orvo/Orvo.framework/Contents/Resources/Quality.plugin"}));

    // Installed elsewhere (and found by its identifier), below two printers folders.
    PrinterBundleFixture moved;
    moved.MoveFramework("/Library/Printers/Vendor/Library/Printers/Orvo.framework");
    EXPECT_EQ(paths()[0], "Orvo.framework/Contents/Resources/Options.plugin");
}

TEST_F(PrinterInfoTest, PanelPathFaults) {
    auto copyPaths = [](PrinterInfo& info) {
        CFPtr<CFArrayRef> paths(info.CopyPDExtensionPaths());
    };
    struct Case {
        CFTypeRef value;
        const char* message;
    };
    auto withNumber = Plist("<array><string>Options.plugin</string><integer>2</integer></array>");
    const Case cases[] = {
        {nullptr, "The PDE supported paths is null."},
        {CFSTR("Options.plugin"), "The PDE supported paths is not an array."},
        {withNumber.get(), "Supported PDE name is not a string."},
    };
    for (const Case& test : cases) {
        mFixture.EditProperties([&](CFMutableDictionaryRef ioProperties) {
            if (test.value == nullptr)
                CFDictionaryRemoveValue(ioProperties, CFSTR("Supported Extension Paths"));
            else
                CFDictionarySetValue(ioProperties, CFSTR("Supported Extension Paths"), test.value);
        });
        EXPECT_EQ(Fails(copyPaths), Line(test.message));
    }

    PrinterBundleFixture elsewhere;
    elsewhere.MoveFramework("/Library/Frameworks/Orvo.framework");
    auto moved = elsewhere.PrinterBundle();
    EXPECT_EQ(RaisedLine([&] {
                  PrinterInfo info(moved.get());
                  copyPaths(info);
              }),
              Line("We are not installed within a Library/Printers/ path!"));
    PrinterBundleFixture bare;
    bare.RemoveFramework();
    auto bundle = bare.PrinterBundle();
    EXPECT_EQ(RaisedLine([&] {
                  PrinterInfo info(bundle.get());
                  copyPaths(info);
              }),
              Line("Unable to get the printer bundle."));
}

TEST_F(PrinterInfoTest, BrowserInformation) {
    auto bundle = mFixture.PrinterBundle();
    PrinterInfo info(bundle.get());
    CFPtr<CFDictionaryRef> usb(info.CopyPrinterBrowserModuleInfo(CFSTR("USB")));
    ASSERT_NE(usb, nullptr);
    auto string = [&](CFStringRef inKey) {
        return Text(static_cast<CFStringRef>(CFDictionaryGetValue(usb.get(), inKey)));
    };
    EXPECT_EQ(string(Tarvel::kOrvo_PBMAddress_BrowserPath), "Usbline.plugin");
    EXPECT_EQ(string(CFSTR("Orvo Browser Path")), "Usbline.plugin");
    EXPECT_EQ(string(CFSTR("Printer Browser Kind")), "Wide-format inkjet");
    EXPECT_EQ(string(CFSTR("Orvo Printer Short Name")), "TestJet 500");
    EXPECT_TRUE(CFDictionaryContainsKey(usb.get(), CFSTR("Orvo USB Class")));
    auto icon =
        static_cast<CFDataRef>(CFDictionaryGetValue(usb.get(), CFSTR("Printer Browser Icons")));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(Bytes(icon), std::string("icns\0\0\0\x10"
                                       "fixture!",
                                       16));

    // A connection the printer does not offer: nothing, and no error.
    EXPECT_EQ(QuietOutput([&] {
                  EXPECT_EQ(info.CopyPrinterBrowserModuleInfo(CFSTR("AppleTalk")), nullptr);
                  EXPECT_EQ(info.CopyPrinterBrowserModuleInfo(CFSTR("usb")), nullptr);
              }),
              "");
}

TEST_F(PrinterInfoTest, BrowserInformationFaults) {
    auto usb = [](PrinterInfo& info) {
        CFPtr<CFDictionaryRef> usbInfo(info.CopyPrinterBrowserModuleInfo(CFSTR("USB")));
    };
    EXPECT_EQ(Fails([](PrinterInfo& info) {
                  CFPtr<CFDictionaryRef> i(
                      info.CopyPrinterBrowserModuleInfo(CFSTR("BrokenConnection")));
              }),
              Line("The connection detail's root is not a dictionary."));

    mFixture.RemovePrinterResource("TestJet.icns");
    EXPECT_EQ(Fails(usb), Line("CopyResourceData: CopyResourceURL returned NULL."));
    mFixture.EditProperties([](CFMutableDictionaryRef ioProperties) {
        CFDictionaryRemoveValue(ioProperties, CFSTR("Printer Icon"));
    });
    EXPECT_EQ(Fails(usb), Line("CopyBundleResourceURL: resource name is zero bytes long."));
    mFixture.EditProperties([](CFMutableDictionaryRef ioProperties) {
        CFDictionaryRemoveValue(ioProperties, CFSTR("Supported Connections"));
    });
    EXPECT_EQ(Fails(usb), Line("Unable to find the supported connections information."));
}

} // namespace

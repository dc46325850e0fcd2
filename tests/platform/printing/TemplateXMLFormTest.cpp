// The template's XML form: round trips and malformed documents.
#include <PrintCore/PMTemplate.h>

#include "PrintingTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using orvo_test::CreateData;
using orvo_test::CreateInteger;
using orvo_test::Owned;
using orvo_test::PlistDocument;
using orvo_test::TextOfData;

namespace {

const CFStringRef kClient = CFSTR("orvo.engine.framework");

std::string Entry(const std::string& inKey, int inKind, int inConstraint,
                  const std::string& inRest = "") {
    return "<key>" + inKey + "</key><dict><key>ValueType</key><integer>" + std::to_string(inKind) +
           "</integer><key>ConstraintType</key><integer>" + std::to_string(inConstraint) +
           "</integer>" + inRest + "</dict>";
}

std::string Template(const std::string& inEntries) {
    return PlistDocument("<dict><key>Entries</key><dict>" + inEntries + "</dict></dict>");
}

const std::string kPaperTicket =
    "<dict><key>TicketType</key><string>com.apple.print.PaperInfoTicket</string>"
    "<key>Items</key><dict><key>com.apple.print.PaperInfo.PMPaperName</key><dict>"
    "<key>Value</key><string>A4</string><key>Client</key><string>orvo.engine.framework</string>"
    "<key>ModDate</key><date>2024-05-01T12:00:00Z</date><key>Locked</key><true/></dict></dict>"
    "<key>Tickets</key><array/></dict>";

// A printer template as a printer bundle's Template.xml might hold it: every kind of
// entry, constraint and default.
const std::string kPrinterTemplate = Template(
    Entry("com.apple.print.TemplateSpecific.CustomPaperWidth", 8, 1,
          "<key>Default</key><real>612</real>"
          "<key>Constraint</key><array><real>144</real><real>4320</real></array>") +
    Entry("orvo.test.copies", 4, 1,
          "<key>Constraint</key><array><integer>1</integer><integer>99</integer></array>") +
    Entry("com.apple.print.PrintSettings.PMColorSyncProfileID", 4, 2,
          "<key>Default</key><integer>1</integer>"
          "<key>Constraint</key><array><integer>1</integer></array>") +
    Entry("com.apple.print.TemplateSpecific.PMCustomPageMargins", 10, 3,
          "<key>Default</key><array><real>14.17</real><real>14.17</real><real>14.17</real>"
          "<real>14.17</real></array>") +
    Entry("orvo.engine.options", 13, 3,
          "<key>Default</key><dict><key>orvo.engine.pdes</key><dict/></dict>") +
    Entry("com.apple.print.TemplateSpecific.PMTemplatePaperInfoTicket", 14, 2,
          "<key>Default</key>" + kPaperTicket +
              "<key>Constraint</key><dict><key>TicketType</key>"
              "<string>com.apple.print.TicketList</string><key>Items</key><dict/>"
              "<key>Tickets</key><array><dict><key>Index</key><integer>1</integer>"
              "<key>Ticket</key>" +
              kPaperTicket + "</dict></array></dict>") +
    Entry("orvo.test.name", 3, 0, "<key>Default</key><string>x</string>") +
    Entry("orvo.test.flag", 1, 0) +
    Entry("orvo.test.data", 2, 3, "<key>Default</key><data>AA==</data>") +
    Entry("orvo.test.when", 11, 0, "<key>Default</key><date>2024-05-01T12:00:00Z</date>") +
    Entry("orvo.test.list", 12, 2,
          "<key>Default</key><array/><key>Constraint</key><array><array/></array>"));

CFPropertyListRef Parse(CFDataRef inXML) {
    return CFPropertyListCreateFromXMLData(nullptr, inXML, kCFPropertyListImmutable, nullptr);
}

TEST(TemplateXMLForm, APrinterTemplateFileReadsAndWritesBackUnchanged) {
    Owned<CFDataRef> xml(CreateData(kPrinterTemplate));
    Owned<PMTemplateRef> pmTemplate;
    ASSERT_EQ(PMTemplateLoadFromXML(xml, pmTemplate.Out()), kPMNoError);

    double minimum = 0, maximum = 0;
    ASSERT_EQ(PMTemplateGetDoubleRangeConstraint(
                  pmTemplate, CFSTR("com.apple.print.TemplateSpecific.CustomPaperWidth"), &minimum,
                  &maximum),
              kPMNoError);
    EXPECT_EQ(maximum, 4320);
    PMTicketRef paper = nullptr;
    ASSERT_EQ(PMTemplateGetPMTicketDefaultValue(
                  pmTemplate, CFSTR("com.apple.print.TemplateSpecific.PMTemplatePaperInfoTicket"),
                  &paper),
              kPMNoError);
    Boolean valid = false;
    ASSERT_EQ(PMTemplateValidateItem(
                  pmTemplate, CFSTR("com.apple.print.TemplateSpecific.PMTemplatePaperInfoTicket"),
                  paper, &valid),
              kPMNoError);
    EXPECT_TRUE(valid);

    Owned<CFDataRef> rewritten;
    ASSERT_EQ(PMTemplateCreateXML(pmTemplate, rewritten.Out()), kPMNoError);
    Owned<CFPropertyListRef> original(Parse(xml)), again(Parse(rewritten));
    EXPECT_TRUE(CFEqual(original, again)) << TextOfData(rewritten);
    Owned<PMTemplateRef> reread;
    ASSERT_EQ(PMTemplateLoadFromXML(rewritten, reread.Out()), kPMNoError);
    EXPECT_TRUE(CFEqual(reread, pmTemplate));
    Owned<CFDataRef> third;
    ASSERT_EQ(PMTemplateCreateXML(reread, third.Out()), kPMNoError);
    EXPECT_EQ(TextOfData(third), TextOfData(rewritten));
}

TEST(TemplateXMLForm, AMadeTemplateRoundTripsUnchanged) {
    Owned<PMTemplateRef> made;
    ASSERT_EQ(PMTemplateCreate(made.Out()), kPMNoError);
    const CFStringRef papers = CFSTR("papers"), margins = CFSTR("margins"), id = CFSTR("id");
    ASSERT_EQ(PMTemplateMakeEntry(made, papers, kPMValueTicket, kPMConstraintList), 0);
    Owned<PMTicketRef> list, paper;
    ASSERT_EQ(PMTicketCreate(nullptr, CFSTR("com.apple.print.TicketList"), list.Out()), 0);
    ASSERT_EQ(PMTicketCreate(nullptr, CFSTR("com.apple.print.PaperInfoTicket"), paper.Out()), 0);
    const PMRect page{0, 0, 813.5433070866142, 566.9291338582677};
    ASSERT_EQ(PMTicketSetPMRect(paper, kClient, CFSTR("page"), &page, true), 0);
    ASSERT_EQ(PMTicketSetTicket(list, paper, 1), 0);
    ASSERT_EQ(PMTemplateSetPMTicketListConstraint(made, papers, list), 0);
    ASSERT_EQ(PMTemplateSetPMTicketDefaultValue(made, papers, paper), 0);
    ASSERT_EQ(PMTemplateMakeEntry(made, margins, kPMValuePMRect, kPMConstraintPrivate), 0);
    ASSERT_EQ(PMTemplateSetPMRectDefaultValue(made, margins, &page), 0);
    ASSERT_EQ(PMTemplateMakeEntry(made, id, kPMValueSInt32, kPMConstraintList), 0); // bare

    Owned<CFDataRef> xml;
    ASSERT_EQ(PMTemplateCreateXML(made, xml.Out()), kPMNoError);
    Owned<PMTemplateRef> back;
    ASSERT_EQ(PMTemplateLoadFromXML(xml, back.Out()), kPMNoError) << TextOfData(xml);
    EXPECT_TRUE(CFEqual(back, made)) << TextOfData(xml);

    // A changed default makes the templates differ.
    const PMRect other{1, 1, 1, 1};
    ASSERT_EQ(PMTemplateSetPMRectDefaultValue(back, margins, &other), 0);
    EXPECT_FALSE(CFEqual(back, made));
}

TEST(TemplateXMLForm, MalformedDocumentsMakeNoTemplate) {
    struct Case {
        const char* what;
        std::string xml;
    };
    const std::vector<Case> cases = {
        {"not XML", "Entries"},
        {"an array root", PlistDocument("<array/>")},
        {"an unknown root key", PlistDocument("<dict><key>Other</key><dict/></dict>")},
        {"entries in an array", PlistDocument("<dict><key>Entries</key><array/></dict>")},
        {"an entry that is a number", Template("<key>e</key><integer>8</integer>")},
        {"no value type",
         Template("<key>e</key><dict><key>ConstraintType</key><integer>0</integer></dict>")},
        {"no constraint type",
         Template("<key>e</key><dict><key>ValueType</key><integer>8</integer></dict>")},
        {"an unknown value type", Template(Entry("e", 5, 0))},
        {"a value type out of range", Template(Entry("e", -8, 0))},
        {"an unknown constraint type", Template(Entry("e", 8, 4))},
        {"a range of strings", Template(Entry("e", 3, 1))},
        {"a fractional value type",
         Template("<key>e</key><dict><key>ValueType</key><real>8.5</real>"
                  "<key>ConstraintType</key><integer>0</integer></dict>")},
        {"an extra key", Template(Entry("e", 8, 0, "<key>Note</key><true/>"))},
        {"a default of another kind",
         Template(Entry("e", 8, 0, "<key>Default</key><string>1</string>"))},
        {"a fractional SInt32 default",
         Template(Entry("e", 4, 0, "<key>Default</key><real>1.5</real>"))},
        {"a rectangle of three", Template(Entry("e", 10, 3,
                                                "<key>Default</key><array><real>1</real>"
                                                "<real>1</real><real>1</real></array>"))},
        {"a constraint on a private entry",
         Template(Entry("e", 8, 3, "<key>Constraint</key><array/>"))},
        {"a reversed range",
         Template(
             Entry("e", 8, 1, "<key>Constraint</key><array><real>2</real><real>1</real></array>"))},
        {"a range of one",
         Template(Entry("e", 4, 1, "<key>Constraint</key><array><integer>2</integer></array>"))},
        {"a list with another kind",
         Template(Entry("e", 4, 2,
                        "<key>Constraint</key><array><integer>1</integer>"
                        "<string>2</string></array>"))},
        {"a ticket list that is an array",
         Template(Entry("e", 14, 2, "<key>Constraint</key><array/>"))},
        {"a ticket default that is no ticket",
         Template(
             Entry("e", 14, 3,
                   "<key>Default</key><dict><key>TicketType</key><integer>1</integer></dict>"))},
    };
    for (const Case& c : cases) {
        Owned<CFDataRef> xml(CreateData(c.xml));
        PMTemplateRef pmTemplate = nullptr;
        EXPECT_EQ(PMTemplateLoadFromXML(xml, &pmTemplate), kPMInvalidXML) << c.what;
        EXPECT_EQ(pmTemplate, nullptr) << c.what;
    }
    Owned<CFDataRef> empty(CreateData(PlistDocument("<dict/>")));
    Owned<PMTemplateRef> pmTemplate;
    EXPECT_EQ(PMTemplateLoadFromXML(empty, pmTemplate.Out()), kPMNoError);
    PMTemplateRef none = nullptr;
    EXPECT_EQ(PMTemplateLoadFromXML(nullptr, &none), kPMInvalidParameter);
    EXPECT_EQ(PMTemplateLoadFromXML(empty, nullptr), kPMInvalidParameter);
}

} // namespace

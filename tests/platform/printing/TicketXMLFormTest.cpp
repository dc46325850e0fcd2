// The ticket's XML form: round trips and malformed documents.
#include <PrintCore/PMTicket.h>

#include "PrintingTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using orvo_test::CreateData;
using orvo_test::Owned;
using orvo_test::PlistDocument;
using orvo_test::Text;
using orvo_test::TextOfData;

namespace {

const CFStringRef kClient = CFSTR("orvo.engine.framework");

// An item in the XML form.
std::string Item(const std::string& inKey, const std::string& inValue, bool inLocked = true) {
    return "<key>" + inKey + "</key><dict><key>Value</key>" + inValue +
           "<key>Client</key><string>orvo.engine.framework</string>"
           "<key>ModDate</key><date>2024-05-01T12:00:00Z</date>"
           "<key>Locked</key>" +
           (inLocked ? "<true/>" : "<false/>") + "</dict>";
}

// A printer information ticket as a printer bundle's Ticket.xml holds it, with a paper list.
const std::string kPrinterTicket = PlistDocument(
    "<dict><key>TicketType</key><string>com.apple.print.PrinterInfoTicket</string>"
    "<key>Items</key><dict>" +
    Item("com.apple.print.PrinterInfo.PMPrinterShortName", "<string>DesignJet 500</string>") +
    Item("orvo.test.resolutions", "<array><integer>300</integer><real>600.5</real></array>",
         false) +
    Item("orvo.test.flags",
         "<dict><key>banding</key><true/><key>data</key><data>AAEC</data></dict>") +
    "</dict>"
    "<key>Tickets</key><array>"
    "<dict><key>Index</key><integer>0</integer><key>Ticket</key>"
    "<dict><key>TicketType</key><string>com.apple.print.TicketList</string>"
    "<key>Items</key><dict/><key>Tickets</key><array>"
    "<dict><key>Index</key><integer>1</integer><key>Ticket</key>"
    "<dict><key>TicketType</key><string>com.apple.print.PaperInfoTicket</string>"
    "<key>Items</key><dict>" +
    Item("com.apple.print.PaperInfo.PMUnadjustedPageRect",
         "<array><real>0</real><real>0</real><real>792</real><real>612</real></array>") +
    "</dict><key>Tickets</key><array/></dict></dict>"
    "</array></dict></dict>"
    "</array></dict>");

CFPropertyListRef Parse(CFDataRef inXML) {
    return CFPropertyListCreateFromXMLData(nullptr, inXML, kCFPropertyListImmutable, nullptr);
}

TEST(TicketXMLForm, APrinterTicketFileReadsAndWritesBackUnchanged) {
    Owned<CFDataRef> xml(CreateData(kPrinterTicket));
    Owned<PMTicketRef> ticket;
    ASSERT_EQ(PMXMLToTicket(xml, ticket.Out()), kPMNoError);

    CFStringRef type = nullptr;
    ASSERT_EQ(PMTicketGetType(ticket, &type), kPMNoError);
    EXPECT_EQ(Text(type), "com.apple.print.PrinterInfoTicket");
    PMRect page{};
    ASSERT_EQ(PMTicketGetPMRect(ticket, 0, 1,
                                CFSTR("com.apple.print.PaperInfo.PMUnadjustedPageRect"), &page),
              kPMNoError);
    EXPECT_EQ(page.bottom, 792);
    // Stamps come from the file: the lock holds against another client.
    EXPECT_EQ(PMTicketSetCFString(ticket, CFSTR("orvo.test.other"),
                                  CFSTR("com.apple.print.PrinterInfo.PMPrinterShortName"),
                                  CFSTR("x"), false),
              kPMTicketLocked);
    CFDateRef date = nullptr;
    Boolean locked = true;
    ASSERT_EQ(PMTicketGetItemAttributes(ticket, kPMTopLevel, kPMTopLevel,
                                        CFSTR("orvo.test.resolutions"), nullptr, &date, &locked),
              kPMNoError);
    EXPECT_FALSE(locked);
    CFGregorianDate written = CFAbsoluteTimeGetGregorianDate(CFDateGetAbsoluteTime(date), nullptr);
    EXPECT_EQ(written.year, 2024);

    // Written back, the document holds the same tree; read again, the same ticket.
    Owned<CFDataRef> rewritten;
    ASSERT_EQ(PMTicketToXML(ticket, rewritten.Out()), kPMNoError);
    Owned<CFPropertyListRef> original(Parse(xml)), again(Parse(rewritten));
    EXPECT_TRUE(CFEqual(original, again)) << TextOfData(rewritten);
    Owned<PMTicketRef> reread;
    ASSERT_EQ(PMXMLToTicket(rewritten, reread.Out()), kPMNoError);
    EXPECT_TRUE(CFEqual(reread, ticket));
}

TEST(TicketXMLForm, AMadeTicketRoundTripsUnchanged) {
    Owned<PMTicketRef> job, settings, paper, list;
    ASSERT_EQ(PMTicketCreate(nullptr, CFSTR("orvo.test.JobTicket"), job.Out()), 0);
    ASSERT_EQ(PMTicketCreate(nullptr, CFSTR("com.apple.print.PrintSettingsTicket"), settings.Out()),
              0);
    ASSERT_EQ(PMTicketCreate(nullptr, CFSTR("com.apple.print.PaperInfoTicket"), paper.Out()), 0);
    const PMRect page{0, 0, 827.7165354330708, 581.1023622047244};
    ASSERT_EQ(PMTicketSetPMRect(paper, kClient, CFSTR("page"), &page, true), 0);
    ASSERT_EQ(PMTicketSetDouble(settings, kClient, CFSTR("scale"), 0.1, false), 0);
    ASSERT_EQ(PMTicketSetSInt32(settings, CFSTR("orvo.test.panel"), CFSTR("quality"), -2, true), 0);
    ASSERT_EQ(PMTicketSetTicket(settings, paper, 0), 0);
    ASSERT_EQ(PMTicketSetTicket(job, settings, 0), 0);
    ASSERT_EQ(PMTicketSetTicket(job, paper, 7), 0);
    ASSERT_EQ(PMTicketSetCFString(job, kClient, CFSTR("com.apple.print.JobInfo.PMJobName"),
                                  CFSTR("Plan <A&B> \u00e9"), false),
              0);
    Owned<CFDateRef> date(CFDateCreate(nullptr, 123456789));
    ASSERT_EQ(PMTicketSetCFDate(job, kClient, CFSTR("when"), date, false), 0);

    Owned<CFDataRef> xml;
    ASSERT_EQ(PMTicketToXML(job, xml.Out()), kPMNoError);
    Owned<PMTicketRef> back;
    ASSERT_EQ(PMXMLToTicket(xml, back.Out()), kPMNoError) << TextOfData(xml);
    EXPECT_TRUE(CFEqual(back, job)) << TextOfData(xml);
    Owned<CFDataRef> again;
    ASSERT_EQ(PMTicketToXML(back, again.Out()), kPMNoError);
    EXPECT_EQ(TextOfData(again), TextOfData(xml)); // the written form is a fixed point

    // An empty ticket too.
    Owned<PMTicketRef> empty;
    ASSERT_EQ(PMTicketCreate(nullptr, CFSTR("orvo.test.empty"), empty.Out()), 0);
    ASSERT_EQ(PMTicketToXML(empty, xml.Out()), kPMNoError);
    ASSERT_EQ(PMXMLToTicket(xml, back.Out()), kPMNoError);
    EXPECT_TRUE(CFEqual(back, empty));
}

TEST(TicketXMLForm, MalformedDocumentsMakeNoTicket) {
    const std::string type = "<key>TicketType</key><string>t</string>";
    const std::string good = Item("k", "<integer>1</integer>");
    auto nested = [](const std::string& inIndex, const std::string& inTicket) {
        return "<dict><key>Index</key>" + inIndex + "<key>Ticket</key>" + inTicket + "</dict>";
    };
    const std::string child = "<dict><key>TicketType</key><string>c</string></dict>";
    struct Case {
        const char* what;
        std::string xml;
    };
    const std::vector<Case> cases = {
        {"empty data", ""},
        {"not XML", "TicketType = t"},
        {"truncated", PlistDocument("<dict>" + type).substr(0, 150)},
        {"an array root", PlistDocument("<array/>")},
        {"no type", PlistDocument("<dict><key>Items</key><dict/></dict>")},
        {"a type that is a number",
         PlistDocument("<dict><key>TicketType</key><integer>1</integer></dict>")},
        {"an unknown root key", PlistDocument("<dict>" + type + "<key>Extra</key><true/></dict>")},
        {"items in an array", PlistDocument("<dict>" + type + "<key>Items</key><array/></dict>")},
        {"an item that is a string",
         PlistDocument("<dict>" + type +
                       "<key>Items</key><dict><key>k</key><string>v</string></dict></dict>")},
        {"an item without a value",
         PlistDocument("<dict>" + type +
                       "<key>Items</key><dict><key>k</key><dict><key>Client</key><string>c</string>"
                       "<key>ModDate</key><date>2024-05-01T12:00:00Z</date><key>Locked</key><true/>"
                       "</dict></dict></dict>")},
        {"an item without a client",
         PlistDocument("<dict>" + type +
                       "<key>Items</key><dict><key>k</key><dict><key>Value</key><true/>"
                       "<key>ModDate</key><date>2024-05-01T12:00:00Z</date><key>Locked</key><true/>"
                       "</dict></dict></dict>")},
        {"a lock flag that is a number",
         PlistDocument("<dict>" + type +
                       "<key>Items</key><dict><key>k</key><dict><key>Value</key><true/>"
                       "<key>Client</key><string>c</string><key>ModDate</key>"
                       "<date>2024-05-01T12:00:00Z</date><key>Locked</key><integer>1</integer>"
                       "</dict></dict></dict>")},
        {"a date that is a string",
         PlistDocument("<dict>" + type +
                       "<key>Items</key><dict><key>k</key><dict><key>Value</key><true/>"
                       "<key>Client</key><string>c</string><key>ModDate</key><string>today</string>"
                       "<key>Locked</key><true/></dict></dict></dict>")},
        {"an item with an extra key", PlistDocument("<dict>" + type + "<key>Items</key><dict>" +
                                                    good.substr(0, good.size() - 7) +
                                                    "<key>Note</key><true/></dict></dict></dict>")},
        {"nested tickets in a dictionary",
         PlistDocument("<dict>" + type + "<key>Tickets</key><dict/></dict>")},
        {"a nested entry that is a string",
         PlistDocument("<dict>" + type + "<key>Tickets</key><array><string/></array></dict>")},
        {"a nested ticket without an index",
         PlistDocument("<dict>" + type + "<key>Tickets</key><array><dict><key>Ticket</key>" +
                       child + "</dict></array></dict>")},
        {"a negative index",
         PlistDocument("<dict>" + type + "<key>Tickets</key><array>" +
                       nested("<integer>-1</integer>", child) + "</array></dict>")},
        {"the top-level index",
         PlistDocument("<dict>" + type + "<key>Tickets</key><array>" +
                       nested("<integer>4294967295</integer>", child) + "</array></dict>")},
        {"a fractional index",
         PlistDocument("<dict>" + type + "<key>Tickets</key><array>" +
                       nested("<real>1.5</real>", child) + "</array></dict>")},
        {"an index that is a string",
         PlistDocument("<dict>" + type + "<key>Tickets</key><array>" +
                       nested("<string>1</string>", child) + "</array></dict>")},
        {"two nested tickets of one type at one index",
         PlistDocument("<dict>" + type + "<key>Tickets</key><array>" +
                       nested("<integer>1</integer>", child) +
                       nested("<integer>1</integer>", child) + "</array></dict>")},
        {"a malformed ticket two levels down",
         PlistDocument("<dict>" + type + "<key>Items</key><dict>" + good +
                       "</dict><key>Tickets</key><array>" +
                       nested("<integer>0</integer>",
                              "<dict><key>TicketType</key><string>c</string><key>Tickets</key>"
                              "<array>" +
                                  nested("<integer>0</integer>", "<dict/>") + "</array></dict>") +
                       "</array></dict>")},
    };
    for (const Case& c : cases) {
        Owned<CFDataRef> xml(CreateData(c.xml));
        PMTicketRef ticket = nullptr;
        EXPECT_EQ(PMXMLToTicket(xml, &ticket), kPMInvalidXML) << c.what;
        EXPECT_EQ(ticket, nullptr) << c.what;
    }

    // The same body with the faults removed reads.
    Owned<CFDataRef> xml(CreateData(
        PlistDocument("<dict>" + type + "<key>Items</key><dict>" + good +
                      "</dict><key>Tickets</key><array>" + nested("<integer>1</integer>", child) +
                      nested("<integer>2</integer>", child) + "</array></dict>")));
    Owned<PMTicketRef> ticket;
    EXPECT_EQ(PMXMLToTicket(xml, ticket.Out()), kPMNoError);

    PMTicketRef none = nullptr;
    EXPECT_EQ(PMXMLToTicket(nullptr, &none), kPMInvalidParameter);
    EXPECT_EQ(PMXMLToTicket(xml, nullptr), kPMInvalidParameter);
    EXPECT_EQ(PMXMLToTicket(reinterpret_cast<CFDataRef>(kClient), &none), kPMInvalidParameter);
}

} // namespace

#include <PrintCore/PMTicket.h>

#include "PrintingTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using orvo_test::CreateString;
using orvo_test::Owned;
using orvo_test::Text;

namespace {

const CFStringRef kClient = CFSTR("orvo.engine.framework");
const CFStringRef kOtherClient = CFSTR("orvo.test.panel");

CFIndex RetainCount(PMTicketRef inTicket) {
    CFIndex count = -1;
    EXPECT_EQ(PMTicketGetRetainCount(inTicket, &count), kPMNoError);
    return count;
}

Owned<PMTicketRef> MakeTicket(CFStringRef inType) {
    Owned<PMTicketRef> ticket;
    EXPECT_EQ(PMTicketCreate(kCFAllocatorDefault, inType, ticket.Out()), kPMNoError);
    return ticket;
}

class PMTicketTest : public testing::Test {
protected:
    void SetUp() override {
        mType = CreateString("orvo.test.ticket");
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
    EXPECT_TRUE(CFEqual(type, mType));

    PMTicketRelease(mTicket);
    mTicket = nullptr;
    EXPECT_EQ(CFGetRetainCount(mType), 1); // nothing of the type is kept once the ticket goes
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

TEST_F(PMTicketTest, DescribesItselfWithItsItems) {
    ASSERT_EQ(PMTicketSetSInt32(mTicket, kClient, CFSTR("orvo.test.copies"), 3, false), kPMNoError);
    Owned<CFStringRef> description(CFCopyDescription(mTicket));
    std::string s = Text(description);
    EXPECT_EQ(s.rfind("<PMTicket 0x", 0), 0u) << s;
    EXPECT_NE(s.find(">{orvo.test.ticket}"), std::string::npos) << s;
    EXPECT_NE(s.find("\"orvo.test.copies\""), std::string::npos) << s;
}

// Every typed reader against every kind of item: each kind reads back through its own
// reader, integers also read as doubles, integral reals as integers and rectangles as
// arrays; every other pairing is refused as a wrong kind and leaves the out value alone.
TEST_F(PMTicketTest, TypedItemsReadBackOnlyAsTheirKind) {
    Owned<CFStringRef> string(CreateString("DesignJet 500"));
    const UInt8 bytes[] = {0, 1, 2};
    Owned<CFDataRef> data(CFDataCreate(nullptr, bytes, 3));
    Owned<CFDateRef> date(CFDateCreate(nullptr, 700000000));
    CFTypeRef elements[] = {string.Get(), kCFBooleanTrue};
    Owned<CFArrayRef> array(CFArrayCreate(nullptr, elements, 2, &kCFTypeArrayCallBacks));
    CFTypeRef keys[] = {CFSTR("k")};
    Owned<CFDictionaryRef> dictionary(CFDictionaryCreate(nullptr, keys, elements, 1,
                                                         &kCFTypeDictionaryKeyCallBacks,
                                                         &kCFTypeDictionaryValueCallBacks));
    const PMRect rect{0, 0, 792, 612.5};

    enum Item { Dict, String, Array, Data, Date, Int, Real, IntegralReal, Bool, Rect, kItems };
    const char* names[kItems] = {"dict", "string", "array", "data", "date",
                                 "int",  "real",   "3.0",   "bool", "rect"};
    auto key = [&](int inItem) {
        return CFStringCreateWithCString(nullptr, names[inItem], kCFStringEncodingUTF8);
    };
    std::vector<Owned<CFStringRef>> itemKeys;
    for (int i = 0; i < kItems; ++i)
        itemKeys.emplace_back(key(i));
    ASSERT_EQ(PMTicketSetCFDictionary(mTicket, kClient, itemKeys[Dict], dictionary, true), 0);
    ASSERT_EQ(PMTicketSetCFString(mTicket, kClient, itemKeys[String], string, true), 0);
    ASSERT_EQ(PMTicketSetCFArray(mTicket, kClient, itemKeys[Array], array, true), 0);
    ASSERT_EQ(PMTicketSetCFData(mTicket, kClient, itemKeys[Data], data, true), 0);
    ASSERT_EQ(PMTicketSetCFDate(mTicket, kClient, itemKeys[Date], date, true), 0);
    ASSERT_EQ(PMTicketSetSInt32(mTicket, kClient, itemKeys[Int], -7, true), 0);
    ASSERT_EQ(PMTicketSetDouble(mTicket, kClient, itemKeys[Real], 2.5, true), 0);
    ASSERT_EQ(PMTicketSetDouble(mTicket, kClient, itemKeys[IntegralReal], 3.0, true), 0);
    ASSERT_EQ(PMTicketSetBoolean(mTicket, kClient, itemKeys[Bool], true, true), 0);
    ASSERT_EQ(PMTicketSetPMRect(mTicket, kClient, itemKeys[Rect], &rect, true), 0);

    // Each reader returns its status and, on success, checks what it read.
    struct Reader {
        const char* name;
        std::function<OSStatus(CFStringRef, bool& outRight)> read;
    };
    const PMTicketRef t = mTicket;
    const std::vector<Reader> readers = {
        {"dictionary",
         [&](CFStringRef k, bool& ok) {
             CFDictionaryRef v = nullptr;
             OSStatus s = PMTicketGetCFDictionary(t, kPMTopLevel, kPMTopLevel, k, &v);
             ok = s != 0 ? v == nullptr : bool(CFEqual(v, dictionary));
             return s;
         }},
        {"string",
         [&](CFStringRef k, bool& ok) {
             CFStringRef v = nullptr;
             OSStatus s = PMTicketGetCFString(t, kPMTopLevel, kPMTopLevel, k, &v);
             ok = s != 0 ? v == nullptr : bool(CFEqual(v, string));
             return s;
         }},
        {"array",
         [&](CFStringRef k, bool& ok) {
             CFArrayRef v = nullptr;
             OSStatus s = PMTicketGetCFArray(t, kPMTopLevel, kPMTopLevel, k, &v);
             ok = s != 0 ? v == nullptr : v != nullptr;
             return s;
         }},
        {"data",
         [&](CFStringRef k, bool& ok) {
             CFDataRef v = nullptr;
             OSStatus s = PMTicketGetCFData(t, kPMTopLevel, kPMTopLevel, k, &v);
             ok = s != 0 ? v == nullptr : bool(CFEqual(v, data));
             return s;
         }},
        {"date",
         [&](CFStringRef k, bool& ok) {
             CFDateRef v = nullptr;
             OSStatus s = PMTicketGetCFDate(t, kPMTopLevel, kPMTopLevel, k, &v);
             ok = s != 0 ? v == nullptr : bool(CFEqual(v, date));
             return s;
         }},
        {"SInt32",
         [&](CFStringRef k, bool& ok) {
             SInt32 v = 99;
             OSStatus s = PMTicketGetSInt32(t, kPMTopLevel, kPMTopLevel, k, &v);
             ok = s != 0 ? v == 99 : (v == -7 || v == 3);
             return s;
         }},
        {"double",
         [&](CFStringRef k, bool& ok) {
             double v = 99;
             OSStatus s = PMTicketGetDouble(t, kPMTopLevel, kPMTopLevel, k, &v);
             ok = s != 0 ? v == 99 : (v == -7 || v == 2.5 || v == 3.0);
             return s;
         }},
        {"Boolean",
         [&](CFStringRef k, bool& ok) {
             Boolean v = 7;
             OSStatus s = PMTicketGetBoolean(t, kPMTopLevel, kPMTopLevel, k, &v);
             ok = s != 0 ? v == 7 : v == 1;
             return s;
         }},
        {"PMRect",
         [&](CFStringRef k, bool& ok) {
             PMRect v{9, 9, 9, 9};
             OSStatus s = PMTicketGetPMRect(t, kPMTopLevel, kPMTopLevel, k, &v);
             ok = s != 0 ? v.top == 9
                         : (v.top == 0 && v.left == 0 && v.bottom == 792 && v.right == 612.5);
             return s;
         }},
    };
    // readers[r] succeeds on these items only.
    const std::vector<std::vector<int>> accepted = {{Dict},
                                                    {String},
                                                    {Array, Rect},
                                                    {Data},
                                                    {Date},
                                                    {Int, IntegralReal},
                                                    {Int, Real, IntegralReal},
                                                    {Bool},
                                                    {Rect}};
    for (size_t r = 0; r < readers.size(); ++r) {
        for (int item = 0; item < kItems; ++item) {
            const bool accepts =
                std::find(accepted[r].begin(), accepted[r].end(), item) != accepted[r].end();
            bool right = false;
            EXPECT_EQ(readers[r].read(itemKeys[size_t(item)], right),
                      accepts ? kPMNoError : kPMWrongValueKind)
                << readers[r].name << " reader on the " << names[item] << " item";
            EXPECT_TRUE(right) << readers[r].name << " reader on the " << names[item] << " item";
        }
        bool right = false;
        EXPECT_EQ(readers[r].read(CFSTR("missing"), right), kPMItemNotFound) << readers[r].name;
        EXPECT_TRUE(right) << readers[r].name;
    }
    EXPECT_FALSE(PMTicketContainsItem(mTicket, kPMTopLevel, kPMTopLevel, CFSTR("missing")));
    EXPECT_TRUE(PMTicketContainsItem(mTicket, kPMTopLevel, kPMTopLevel, itemKeys[Rect]));

    Owned<CFArrayRef> sortedKeys;
    ASSERT_EQ(PMTicketCopyItemKeys(mTicket, sortedKeys.Out()), kPMNoError);
    ASSERT_EQ(CFArrayGetCount(sortedKeys), kItems);
    EXPECT_EQ(Text(static_cast<CFStringRef>(CFArrayGetValueAtIndex(sortedKeys, 0))), "3.0");
    EXPECT_EQ(Text(static_cast<CFStringRef>(CFArrayGetValueAtIndex(sortedKeys, kItems - 1))),
              "string");
}

TEST_F(PMTicketTest, StoresAnImmutableCopyOfWhatItIsGiven) {
    Owned<CFMutableDictionaryRef> selections(CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
    CFDictionarySetValue(selections, CFSTR("Overlay"), CFSTR("Glossy"));
    const CFStringRef key = CFSTR("orvo.engine.pde-selections");
    ASSERT_EQ(PMTicketSetCFDictionary(mTicket, kOtherClient, key, selections, false), kPMNoError);
    CFDictionarySetValue(selections, CFSTR("Overlay"), CFSTR("Plain"));

    CFDictionaryRef stored = nullptr;
    ASSERT_EQ(PMTicketGetCFDictionary(mTicket, kPMTopLevel, kPMTopLevel, key, &stored), 0);
    EXPECT_NE(stored, static_cast<CFDictionaryRef>(selections.Get()));
    EXPECT_EQ(Text(static_cast<CFStringRef>(CFDictionaryGetValue(stored, CFSTR("Overlay")))),
              "Glossy");

    // Only property-list values can be stored; a ticket is not one.
    EXPECT_EQ(PMTicketSetItem(mTicket, kClient, CFSTR("orvo.test.x"), mTicket, false),
              kPMInvalidValue);
    EXPECT_FALSE(PMTicketContainsItem(mTicket, kPMTopLevel, kPMTopLevel, CFSTR("orvo.test.x")));
    // A typed setter refuses a value of another kind.
    EXPECT_EQ(
        PMTicketSetCFString(mTicket, kClient, key, reinterpret_cast<CFStringRef>(stored), false),
        kPMInvalidValue);
}

TEST_F(PMTicketTest, ItemsAreStampedWithClientDateAndLock) {
    const CFAbsoluteTime before = CFAbsoluteTimeGetCurrent();
    const CFStringRef key = CFSTR("com.apple.print.PrinterInfo.PMPrinterShortName");
    ASSERT_EQ(PMTicketSetCFString(mTicket, kClient, key, CFSTR("DJ 500"), true), kPMNoError);
    CFStringRef client = nullptr;
    CFDateRef date = nullptr;
    Boolean locked = false;
    ASSERT_EQ(
        PMTicketGetItemAttributes(mTicket, kPMTopLevel, kPMTopLevel, key, &client, &date, &locked),
        kPMNoError);
    EXPECT_EQ(Text(client), "orvo.engine.framework");
    EXPECT_TRUE(locked);
    const CFAbsoluteTime stamped = CFDateGetAbsoluteTime(date);
    EXPECT_EQ(stamped, std::floor(stamped)); // whole seconds, as the XML form holds them
    EXPECT_GE(stamped, std::floor(before));
    EXPECT_LE(stamped, CFAbsoluteTimeGetCurrent());
    EXPECT_EQ(PMTicketGetItemAttributes(mTicket, kPMTopLevel, kPMTopLevel, key, nullptr, nullptr,
                                        nullptr),
              kPMNoError);
}

TEST_F(PMTicketTest, ALockedItemRefusesOtherClientsOnly) {
    const CFStringRef key = CFSTR("com.apple.print.PrinterInfo.PMMakeAndModelName");
    ASSERT_EQ(PMTicketSetCFString(mTicket, kClient, key, CFSTR("HP DesignJet 500"), true), 0);

    // Another client can neither overwrite (in any kind) nor delete it; it is unchanged.
    EXPECT_EQ(PMTicketSetCFString(mTicket, kOtherClient, key, CFSTR("Forged"), false),
              kPMTicketLocked);
    EXPECT_EQ(PMTicketSetSInt32(mTicket, kOtherClient, key, 1, true), kPMTicketLocked);
    EXPECT_EQ(PMTicketDeleteItem(mTicket, kOtherClient, key), kPMTicketLocked);
    CFStringRef value = nullptr;
    CFStringRef client = nullptr;
    ASSERT_EQ(PMTicketGetCFString(mTicket, kPMTopLevel, kPMTopLevel, key, &value), 0);
    EXPECT_EQ(Text(value), "HP DesignJet 500");

    // The writing client (compared by value, not by reference) may rewrite it...
    Owned<CFStringRef> sameClient(CreateString("orvo.engine.framework"));
    EXPECT_EQ(PMTicketSetCFString(mTicket, sameClient, key, CFSTR("HP DesignJet 800"), true), 0);
    ASSERT_EQ(PMTicketGetCFString(mTicket, kPMTopLevel, kPMTopLevel, key, &value), 0);
    EXPECT_EQ(Text(value), "HP DesignJet 800");
    // ...and unlock it, after which anyone may change it, and the new writer owns it.
    EXPECT_EQ(PMTicketSetCFString(mTicket, kClient, key, CFSTR("HP DesignJet 800"), false), 0);
    EXPECT_EQ(PMTicketSetCFString(mTicket, kOtherClient, key, CFSTR("Panel's"), true), 0);
    ASSERT_EQ(PMTicketGetItemAttributes(mTicket, kPMTopLevel, kPMTopLevel, key, &client, nullptr,
                                        nullptr),
              0);
    EXPECT_EQ(Text(client), "orvo.test.panel");
    EXPECT_EQ(PMTicketSetCFString(mTicket, kClient, key, CFSTR("Framework's"), true),
              kPMTicketLocked);
    EXPECT_EQ(PMTicketDeleteItem(mTicket, kOtherClient, key), kPMNoError);
    EXPECT_EQ(PMTicketDeleteItem(mTicket, kOtherClient, key), kPMItemNotFound);
}

// A job ticket holding the print settings at index 0, which hold the paper at index 0:
// the node indexes reach items one and two levels down.
TEST_F(PMTicketTest, NodeIndexesReachNestedTickets) {
    const CFStringRef rectKey = CFSTR("com.apple.print.PaperInfo.PMUnadjustedPageRect");
    const CFStringRef settingsType = CFSTR("com.apple.print.PrintSettingsTicket");
    const CFStringRef paperType = CFSTR("com.apple.print.PaperInfoTicket");
    Owned<PMTicketRef> settings = MakeTicket(settingsType);
    Owned<PMTicketRef> paper = MakeTicket(paperType);
    const PMRect page{0, 0, 792, 612};
    ASSERT_EQ(PMTicketSetPMRect(paper, kClient, rectKey, &page, true), 0);
    ASSERT_EQ(PMTicketSetSInt32(settings, kClient, CFSTR("copies"), 2, false), 0);
    ASSERT_EQ(PMTicketSetTicket(settings, paper, 0), 0);
    ASSERT_EQ(PMTicketSetTicket(mTicket, settings, 0), 0);

    PMRect rect{};
    EXPECT_EQ(PMTicketGetPMRect(mTicket, 0, 0, rectKey, &rect), kPMNoError);
    EXPECT_EQ(rect.bottom, 792);
    EXPECT_EQ(rect.right, 612);
    SInt32 copies = 0;
    EXPECT_EQ(PMTicketGetSInt32(mTicket, 0, kPMTopLevel, CFSTR("copies"), &copies), kPMNoError);
    EXPECT_EQ(copies, 2);
    // Each address looks at its own level only.
    EXPECT_EQ(PMTicketGetPMRect(mTicket, kPMTopLevel, kPMTopLevel, rectKey, &rect),
              kPMItemNotFound);
    EXPECT_EQ(PMTicketGetPMRect(mTicket, 0, kPMTopLevel, rectKey, &rect), kPMItemNotFound);
    EXPECT_EQ(PMTicketGetPMRect(mTicket, 1, 0, rectKey, &rect), kPMItemNotFound);
    EXPECT_EQ(PMTicketGetSInt32(mTicket, kPMTopLevel, 0, CFSTR("copies"), &copies),
              kPMInvalidParameter);

    // The same by type and index, borrowed: a change through it changes the job ticket.
    PMTicketRef nestedSettings = nullptr, nestedPaper = nullptr;
    ASSERT_EQ(PMTicketGetTicket(mTicket, settingsType, 0, &nestedSettings), kPMNoError);
    ASSERT_EQ(PMTicketGetTicket(nestedSettings, paperType, 0, &nestedPaper), kPMNoError);
    EXPECT_NE(nestedPaper, paper.Get()); // the parent keeps a copy of its own
    const PMRect wider{0, 0, 792, 1000};
    ASSERT_EQ(PMTicketSetPMRect(nestedPaper, kClient, rectKey, &wider, true), 0);
    ASSERT_EQ(PMTicketGetPMRect(mTicket, 0, 0, rectKey, &rect), kPMNoError);
    EXPECT_EQ(rect.right, 1000);
    // The caller's own ticket is not affected either way.
    ASSERT_EQ(PMTicketGetPMRect(paper, kPMTopLevel, kPMTopLevel, rectKey, &rect), kPMNoError);
    EXPECT_EQ(rect.right, 612);

    EXPECT_EQ(PMTicketGetTicket(mTicket, settingsType, 1, &nestedSettings), kPMItemNotFound);
    EXPECT_EQ(PMTicketGetTicket(mTicket, paperType, 0, &nestedSettings), kPMItemNotFound);
    EXPECT_EQ(PMTicketSetTicket(mTicket, settings, kPMTopLevel), kPMInvalidParameter);
}

TEST_F(PMTicketTest, ListTicketsHoldTicketsByIndex) {
    const CFStringRef paperType = CFSTR("com.apple.print.PaperInfoTicket");
    const CFStringRef nameKey = CFSTR("com.apple.print.PaperInfo.PMPaperName");
    Owned<PMTicketRef> list = MakeTicket(CFSTR("com.apple.print.TicketList"));
    for (UInt32 index : {3u, 1u, 2u}) {
        Owned<PMTicketRef> paper = MakeTicket(paperType);
        Owned<CFStringRef> name(
            CFStringCreateWithFormat(nullptr, nullptr, CFSTR("Paper %u"), unsigned(index)));
        ASSERT_EQ(PMTicketSetCFString(paper, kClient, nameKey, name, true), 0);
        ASSERT_EQ(PMTicketSetTicket(list, paper, index), 0);
    }
    Owned<CFArrayRef> indexes;
    ASSERT_EQ(PMTicketCopyTicketIndexes(list, paperType, indexes.Out()), kPMNoError);
    ASSERT_EQ(CFArrayGetCount(indexes), 3);
    for (CFIndex i = 0; i < 3; ++i) {
        SInt32 index = 0;
        CFNumberGetValue(static_cast<CFNumberRef>(CFArrayGetValueAtIndex(indexes, i)),
                         kCFNumberSInt32Type, &index);
        EXPECT_EQ(index, i + 1);
    }
    PMTicketRef second = nullptr;
    ASSERT_EQ(PMTicketGetTicket(list, paperType, 2, &second), kPMNoError);
    CFStringRef name = nullptr;
    ASSERT_EQ(PMTicketGetCFString(second, kPMTopLevel, kPMTopLevel, nameKey, &name), 0);
    EXPECT_EQ(Text(name), "Paper 2");
    EXPECT_EQ(PMTicketGetCFString(list, 2, kPMTopLevel, nameKey, &name), kPMNoError);
    EXPECT_EQ(Text(name), "Paper 2");

    // Replacing an entry keeps a borrowed one valid (a sanitizer build would see it freed).
    Owned<PMTicketRef> replacement = MakeTicket(paperType);
    ASSERT_EQ(PMTicketSetTicket(list, replacement, 2), kPMNoError);
    EXPECT_EQ(Text(name), "Paper 2");
    EXPECT_EQ(PMTicketGetCFString(second, kPMTopLevel, kPMTopLevel, nameKey, &name), 0);
    EXPECT_FALSE(PMTicketContainsItem(list, 2, kPMTopLevel, nameKey));

    ASSERT_EQ(PMTicketRemoveTicket(list, paperType, 1), kPMNoError);
    EXPECT_EQ(PMTicketRemoveTicket(list, paperType, 1), kPMItemNotFound);
    ASSERT_EQ(PMTicketCopyTicketIndexes(list, CFSTR("com.apple.print.Other"), indexes.Out()), 0);
    EXPECT_EQ(CFArrayGetCount(indexes), 0);
}

TEST_F(PMTicketTest, CopiesAreDeepAndEqual) {
    ASSERT_EQ(PMTicketSetBoolean(mTicket, kClient, CFSTR("banding"), true, true), 0);
    Owned<PMTicketRef> child = MakeTicket(CFSTR("orvo.test.child"));
    ASSERT_EQ(PMTicketSetDouble(child, kClient, CFSTR("resolution"), 300, false), 0);
    ASSERT_EQ(PMTicketSetTicket(mTicket, child, 0), 0);

    Owned<PMTicketRef> copy;
    ASSERT_EQ(PMTicketCopy(nullptr, mTicket, copy.Out()), kPMNoError);
    EXPECT_TRUE(CFEqual(copy, mTicket));
    EXPECT_EQ(CFHash(copy), CFHash(mTicket));
    // The copy's item keeps its stamp: the lock still holds against other clients.
    EXPECT_EQ(PMTicketSetBoolean(copy, kOtherClient, CFSTR("banding"), false, false),
              kPMTicketLocked);

    PMTicketRef copiedChild = nullptr;
    ASSERT_EQ(PMTicketGetTicket(copy, CFSTR("orvo.test.child"), 0, &copiedChild), 0);
    ASSERT_EQ(PMTicketSetDouble(copiedChild, kClient, CFSTR("resolution"), 600, false), 0);
    EXPECT_FALSE(CFEqual(copy, mTicket));
    double resolution = 0;
    ASSERT_EQ(PMTicketGetDouble(mTicket, 0, kPMTopLevel, CFSTR("resolution"), &resolution), 0);
    EXPECT_EQ(resolution, 300);
}

TEST_F(PMTicketTest, ABorrowedValueOutlivesItsReplacement) {
    const CFStringRef key = CFSTR("com.apple.print.JobInfo.PMJobName");
    Owned<CFStringRef> first(CreateString("first job name, long enough to live on the heap"));
    ASSERT_EQ(PMTicketSetCFString(mTicket, kClient, key, first, false), 0);
    CFStringRef borrowed = nullptr;
    ASSERT_EQ(PMTicketGetCFString(mTicket, kPMTopLevel, kPMTopLevel, key, &borrowed), 0);
    first.Reset();
    ASSERT_EQ(PMTicketSetCFString(mTicket, kClient, key, CFSTR("second"), false), 0);
    ASSERT_EQ(PMTicketDeleteItem(mTicket, kClient, key), 0);
    EXPECT_EQ(Text(borrowed), "first job name, long enough to live on the heap");
}

// Readers on several threads while a writer keeps replacing the items they read.
TEST_F(PMTicketTest, ConcurrentReadersAndAWriter) {
    const CFStringRef key = CFSTR("orvo.test.name");
    const CFStringRef childType = CFSTR("orvo.test.child");
    ASSERT_EQ(PMTicketSetCFString(mTicket, kClient, key, CFSTR("name 0"), false), 0);
    std::atomic<bool> stop{false};
    std::atomic<int> failures{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 3; ++r) {
        readers.emplace_back([&] {
            while (!stop.load()) {
                CFStringRef name = nullptr;
                if (PMTicketGetCFString(mTicket, kPMTopLevel, kPMTopLevel, key, &name) != 0 ||
                    Text(name).rfind("name ", 0) != 0)
                    failures.fetch_add(1);
                SInt32 value = 0;
                PMTicketGetSInt32(mTicket, 0, kPMTopLevel, CFSTR("n"), &value);
                CFDataRef xml = nullptr;
                if (PMTicketToXML(mTicket, &xml) != 0)
                    failures.fetch_add(1);
                CFRelease(xml);
            }
        });
    }
    for (int i = 1; i <= 300; ++i) {
        Owned<CFStringRef> name(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("name %d"), i));
        ASSERT_EQ(PMTicketSetCFString(mTicket, kClient, key, name, false), 0);
        Owned<PMTicketRef> child = MakeTicket(childType);
        ASSERT_EQ(PMTicketSetSInt32(child, kClient, CFSTR("n"), i, false), 0);
        ASSERT_EQ(PMTicketSetTicket(mTicket, child, 0), 0);
    }
    stop.store(true);
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(failures.load(), 0);
}

TEST(PMTicket, MisuseIsReportedAsAStatus) {
    CFStringRef type = CFSTR("orvo.test.ticket");
    PMTicketRef ticket = nullptr;
    EXPECT_EQ(PMTicketCreate(nullptr, type, nullptr), kPMInvalidParameter);
    EXPECT_EQ(PMTicketCreate(nullptr, nullptr, &ticket), kPMInvalidParameter);
    CFTypeRef boolean = kCFBooleanTrue;
    EXPECT_EQ(PMTicketCreate(nullptr, static_cast<CFStringRef>(boolean), &ticket),
              kPMInvalidParameter);
    EXPECT_EQ(ticket, nullptr);

    // A value that is not a ticket is refused, not used or released.
    CFStringRef string = CFStringCreateWithCString(nullptr, "not a ticket", kCFStringEncodingUTF8);
    PMTicketRef impostor = reinterpret_cast<PMTicketRef>(const_cast<__CFString*>(string));
    const PMRect rect{};
    for (PMTicketRef bad : {static_cast<PMTicketRef>(nullptr), impostor}) {
        CFIndex count = 0;
        CFStringRef stringOut = nullptr;
        CFDictionaryRef dictionary = nullptr;
        SInt32 integer = 0;
        double real = 0;
        Boolean flag = false;
        PMRect rectOut{};
        PMTicketRef nested = nullptr;
        CFDataRef xml = nullptr;
        CFArrayRef keys = nullptr;
        EXPECT_EQ(PMTicketRetain(bad), kPMInvalidTicket);
        EXPECT_EQ(PMTicketRelease(bad), kPMInvalidTicket);
        EXPECT_EQ(PMTicketGetRetainCount(bad, &count), kPMInvalidTicket);
        EXPECT_EQ(PMTicketGetType(bad, &stringOut), kPMInvalidTicket);
        EXPECT_EQ(PMTicketCopy(nullptr, bad, &nested), kPMInvalidTicket);
        EXPECT_EQ(PMTicketSetSInt32(bad, kClient, type, 1, false), kPMInvalidTicket);
        EXPECT_EQ(PMTicketSetPMRect(bad, kClient, type, &rect, false), kPMInvalidTicket);
        EXPECT_EQ(PMTicketSetPMRect(bad, kClient, type, nullptr, false), kPMInvalidTicket);
        EXPECT_EQ(PMTicketDeleteItem(bad, kClient, type), kPMInvalidTicket);
        EXPECT_FALSE(PMTicketContainsItem(bad, kPMTopLevel, kPMTopLevel, type));
        EXPECT_EQ(PMTicketGetCFString(bad, kPMTopLevel, kPMTopLevel, type, &stringOut),
                  kPMInvalidTicket);
        EXPECT_EQ(PMTicketGetCFDictionary(bad, 0, 0, type, &dictionary), kPMInvalidTicket);
        EXPECT_EQ(PMTicketGetSInt32(bad, 0, 0, type, &integer), kPMInvalidTicket);
        EXPECT_EQ(PMTicketGetSInt32(bad, 0, 0, type, nullptr), kPMInvalidTicket);
        EXPECT_EQ(PMTicketGetDouble(bad, 0, 0, type, &real), kPMInvalidTicket);
        EXPECT_EQ(PMTicketGetBoolean(bad, 0, 0, type, &flag), kPMInvalidTicket);
        EXPECT_EQ(PMTicketGetPMRect(bad, 0, 0, type, &rectOut), kPMInvalidTicket);
        EXPECT_EQ(PMTicketGetItemAttributes(bad, 0, 0, type, nullptr, nullptr, nullptr),
                  kPMInvalidTicket);
        EXPECT_EQ(PMTicketCopyItemKeys(bad, &keys), kPMInvalidTicket);
        EXPECT_EQ(PMTicketGetTicket(bad, type, 0, &nested), kPMInvalidTicket);
        EXPECT_EQ(PMTicketSetTicket(bad, bad, 0), kPMInvalidTicket);
        EXPECT_EQ(PMTicketToXML(bad, &xml), kPMInvalidTicket);
    }
    PMTicketRef ref = impostor;
    EXPECT_EQ(PMTicketReleaseAndClear(&ref), kPMInvalidTicket);
    EXPECT_EQ(ref, impostor);

    // Null or non-string clients and keys, null values and out pointers.
    Owned<PMTicketRef> good = MakeTicket(type);
    EXPECT_EQ(PMTicketSetSInt32(good, nullptr, type, 1, false), kPMInvalidParameter);
    EXPECT_EQ(PMTicketSetSInt32(good, kClient, nullptr, 1, false), kPMInvalidParameter);
    EXPECT_EQ(PMTicketSetSInt32(good, static_cast<CFStringRef>(boolean), type, 1, false),
              kPMInvalidParameter);
    EXPECT_EQ(PMTicketSetCFString(good, kClient, type, nullptr, false), kPMInvalidParameter);
    EXPECT_EQ(PMTicketSetPMRect(good, kClient, type, nullptr, false), kPMInvalidParameter);
    EXPECT_EQ(PMTicketSetTicket(good, impostor, 0), kPMInvalidTicket);
    EXPECT_EQ(PMTicketGetSInt32(good, kPMTopLevel, kPMTopLevel, type, nullptr),
              kPMInvalidParameter);
    EXPECT_EQ(PMTicketGetTicket(good, nullptr, 0, &ref), kPMInvalidParameter);
    EXPECT_EQ(PMTicketDeleteItem(good, nullptr, type), kPMInvalidParameter);
    EXPECT_EQ(PMTicketToXML(good, nullptr), kPMInvalidParameter);
    EXPECT_EQ(CFGetRetainCount(string), 1);
    CFRelease(string);
}

} // namespace

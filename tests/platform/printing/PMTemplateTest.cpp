#include <PrintCore/PMTemplate.h>

#include "PrintingTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

using orvo_test::CreateInteger;
using orvo_test::CreateNumber;
using orvo_test::CreateString;
using orvo_test::Owned;
using orvo_test::Text;

namespace {

const CFStringRef kClient = CFSTR("orvo.engine.framework");
const CFStringRef kWidth = CFSTR("com.apple.print.TemplateSpecific.CustomPaperWidth");
const CFStringRef kMargins = CFSTR("com.apple.print.TemplateSpecific.PMCustomPageMargins");
const CFStringRef kProfileID = CFSTR("com.apple.print.PrintSettings.PMColorSyncProfileID");
const CFStringRef kOptions = CFSTR("orvo.engine.options");
const CFStringRef kPapers = CFSTR("com.apple.print.TemplateSpecific.PMTemplatePaperInfoTicket");
const CFStringRef kPaperType = CFSTR("com.apple.print.PaperInfoTicket");
const CFStringRef kPaperName = CFSTR("com.apple.print.PaperInfo.PMPaperName");

Owned<PMTicketRef> MakePaper(const char* inName) {
    Owned<PMTicketRef> paper;
    EXPECT_EQ(PMTicketCreate(nullptr, kPaperType, paper.Out()), kPMNoError);
    Owned<CFStringRef> name(CreateString(inName));
    EXPECT_EQ(PMTicketSetCFString(paper, kClient, kPaperName, name, true), kPMNoError);
    return paper;
}

class PMTemplateTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(PMTemplateCreate(mTemplate.Out()), kPMNoError); }

    Owned<PMTemplateRef> mTemplate;
};

TEST_F(PMTemplateTest, EntriesHaveAKindAndAConstraint) {
    EXPECT_EQ(CFGetTypeID(mTemplate), PMTemplateGetTypeID());
    ASSERT_EQ(PMTemplateMakeEntry(mTemplate, kWidth, kPMValueDouble, kPMConstraintRange), 0);
    ASSERT_EQ(PMTemplateMakeEntry(mTemplate, kOptions, kPMValueDict, kPMConstraintPrivate), 0);
    PMValueType kind = 0;
    PMConstraintType constraint = 0;
    ASSERT_EQ(PMTemplateGetValueType(mTemplate, kWidth, &kind), kPMNoError);
    ASSERT_EQ(PMTemplateGetConstraintType(mTemplate, kWidth, &constraint), kPMNoError);
    EXPECT_EQ(kind, 8u);
    EXPECT_EQ(constraint, 1u);
    EXPECT_TRUE(PMTemplateContainsEntry(mTemplate, kOptions));
    EXPECT_FALSE(PMTemplateContainsEntry(mTemplate, kMargins));
    EXPECT_EQ(PMTemplateGetValueType(mTemplate, kMargins, &kind), kPMItemNotFound);

    Owned<CFArrayRef> keys;
    ASSERT_EQ(PMTemplateCopyEntryKeys(mTemplate, keys.Out()), kPMNoError);
    ASSERT_EQ(CFArrayGetCount(keys), 2);
    EXPECT_TRUE(CFEqual(CFArrayGetValueAtIndex(keys, 0), kWidth)); // sorted

    // Unknown kinds and constraints, and ranges of kinds without an order, are refused.
    EXPECT_EQ(PMTemplateMakeEntry(mTemplate, kMargins, 5, kPMConstraintUndefined),
              kPMInvalidParameter);
    EXPECT_EQ(PMTemplateMakeEntry(mTemplate, kMargins, kPMValuePMRect, 4), kPMInvalidParameter);
    EXPECT_EQ(PMTemplateMakeEntry(mTemplate, kMargins, kPMValueString, kPMConstraintRange),
              kPMInvalidParameter);
    EXPECT_FALSE(PMTemplateContainsEntry(mTemplate, kMargins));

    // Remaking an entry starts it afresh; removing it takes it away.
    ASSERT_EQ(PMTemplateSetDoubleDefaultValue(mTemplate, kWidth, 612), 0);
    ASSERT_EQ(PMTemplateMakeEntry(mTemplate, kWidth, kPMValueSInt32, kPMConstraintList), 0);
    CFTypeRef value = nullptr;
    EXPECT_EQ(PMTemplateGetDefaultValue(mTemplate, kWidth, &value), kPMItemNotFound);
    ASSERT_EQ(PMTemplateRemoveEntry(mTemplate, kWidth), kPMNoError);
    EXPECT_EQ(PMTemplateRemoveEntry(mTemplate, kWidth), kPMItemNotFound);
}

// A default of each kind reads back through its own getter; a getter of another kind, an
// entry without a default and a default of the wrong kind are refused.
TEST_F(PMTemplateTest, DefaultsAreOfTheEntrysKind) {
    const PMRect margins{14.17, 14.17, 14.17, 14.17};
    Owned<CFDictionaryRef> options(CFDictionaryCreate(nullptr, nullptr, nullptr, 0,
                                                      &kCFTypeDictionaryKeyCallBacks,
                                                      &kCFTypeDictionaryValueCallBacks));
    Owned<PMTicketRef> paper = MakePaper("A4");
    struct Case {
        const char* key;
        PMValueType kind;
        std::function<OSStatus(CFStringRef)> set;
        std::function<OSStatus(CFStringRef, bool& outRight)> get;
    };
    const PMTemplateRef t = mTemplate;
    const std::vector<Case> cases = {
        {"bool", kPMValueBoolean,
         [&](CFStringRef k) { return PMTemplateSetBooleanDefaultValue(t, k, true); },
         [&](CFStringRef k, bool& ok) {
             Boolean v = false;
             OSStatus s = PMTemplateGetBooleanDefaultValue(t, k, &v);
             ok = v == true;
             return s;
         }},
        {"int", kPMValueSInt32,
         [&](CFStringRef k) { return PMTemplateSetSInt32DefaultValue(t, k, 1); },
         [&](CFStringRef k, bool& ok) {
             SInt32 v = 0;
             OSStatus s = PMTemplateGetSInt32DefaultValue(t, k, &v);
             ok = v == 1;
             return s;
         }},
        {"double", kPMValueDouble,
         [&](CFStringRef k) { return PMTemplateSetDoubleDefaultValue(t, k, 612.5); },
         [&](CFStringRef k, bool& ok) {
             double v = 0;
             OSStatus s = PMTemplateGetDoubleDefaultValue(t, k, &v);
             ok = v == 612.5;
             return s;
         }},
        {"string", kPMValueString,
         [&](CFStringRef k) { return PMTemplateSetCFStringDefaultValue(t, k, CFSTR("A4")); },
         [&](CFStringRef k, bool& ok) {
             CFStringRef v = nullptr;
             OSStatus s = PMTemplateGetCFStringDefaultValue(t, k, &v);
             ok = Text(v) == "A4";
             return s;
         }},
        {"dict", kPMValueDict,
         [&](CFStringRef k) { return PMTemplateSetCFDictionaryDefaultValue(t, k, options); },
         [&](CFStringRef k, bool& ok) {
             CFDictionaryRef v = nullptr;
             OSStatus s = PMTemplateGetCFDictionaryDefaultValue(t, k, &v);
             ok = CFEqual(v, options);
             return s;
         }},
        {"rect", kPMValuePMRect,
         [&](CFStringRef k) { return PMTemplateSetPMRectDefaultValue(t, k, &margins); },
         [&](CFStringRef k, bool& ok) {
             PMRect v{};
             OSStatus s = PMTemplateGetPMRectDefaultValue(t, k, &v);
             ok = v.top == 14.17 && v.right == 14.17;
             return s;
         }},
        {"ticket", kPMValueTicket,
         [&](CFStringRef k) { return PMTemplateSetPMTicketDefaultValue(t, k, paper); },
         [&](CFStringRef k, bool& ok) {
             PMTicketRef v = nullptr;
             OSStatus s = PMTemplateGetPMTicketDefaultValue(t, k, &v);
             ok = v != paper.Get() && CFEqual(v, paper); // a copy of its own
             return s;
         }},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        Owned<CFStringRef> key(CreateString(cases[i].key));
        ASSERT_EQ(PMTemplateMakeEntry(mTemplate, key, cases[i].kind, kPMConstraintPrivate), 0);
        bool right = false;
        EXPECT_EQ(cases[i].get(key, right), kPMItemNotFound) << cases[i].key;
        ASSERT_EQ(cases[i].set(key), kPMNoError) << cases[i].key;
        EXPECT_EQ(cases[i].get(key, right), kPMNoError) << cases[i].key;
        EXPECT_TRUE(right) << cases[i].key;
        // Another kind's setter and getter are refused; the default stays.
        const Case& other = cases[(i + 1) % cases.size()];
        EXPECT_EQ(other.set(key), kPMWrongValueKind) << cases[i].key;
        EXPECT_EQ(other.get(key, right), kPMWrongValueKind) << cases[i].key;
        EXPECT_EQ(cases[i].get(key, right), kPMNoError) << cases[i].key;
        EXPECT_TRUE(right) << cases[i].key;
    }
    EXPECT_EQ(PMTemplateSetSInt32DefaultValue(mTemplate, CFSTR("missing"), 1), kPMItemNotFound);
    // A non-integral number is no SInt32 default.
    Owned<CFNumberRef> half(CreateNumber(0.5));
    EXPECT_EQ(PMTemplateSetDefaultValue(mTemplate, CFSTR("int"), half), kPMWrongValueKind);
}

TEST_F(PMTemplateTest, RangesBoundTheValuesTheyAccept) {
    ASSERT_EQ(PMTemplateMakeEntry(mTemplate, kWidth, kPMValueDouble, kPMConstraintRange), 0);
    double minimum = 0, maximum = 0;
    EXPECT_EQ(PMTemplateGetDoubleRangeConstraint(mTemplate, kWidth, &minimum, &maximum),
              kPMItemNotFound);
    ASSERT_EQ(PMTemplateSetDoubleRangeConstraint(mTemplate, kWidth, 144, 4320), kPMNoError);
    ASSERT_EQ(PMTemplateGetDoubleRangeConstraint(mTemplate, kWidth, &minimum, &maximum), 0);
    EXPECT_EQ(minimum, 144);
    EXPECT_EQ(maximum, 4320);

    struct Case {
        double value;
        bool valid;
    };
    for (Case c : {Case{144, true}, Case{4320, true}, Case{612, true}, Case{143.999, false},
                   Case{4320.001, false}, Case{-1, false}}) {
        Owned<CFNumberRef> number(CreateNumber(c.value));
        Boolean valid = !c.valid;
        ASSERT_EQ(PMTemplateValidateItem(mTemplate, kWidth, number, &valid), kPMNoError);
        EXPECT_EQ(bool(valid), c.valid) << c.value;
    }
    Boolean valid = true;
    ASSERT_EQ(PMTemplateValidateItem(mTemplate, kWidth, CFSTR("612"), &valid), kPMNoError);
    EXPECT_FALSE(valid);

    ASSERT_EQ(PMTemplateMakeEntry(mTemplate, CFSTR("copies"), kPMValueSInt32, kPMConstraintRange),
              0);
    ASSERT_EQ(PMTemplateSetSInt32RangeConstraint(mTemplate, CFSTR("copies"), 1, 99), 0);
    SInt32 low = 0, high = 0;
    ASSERT_EQ(PMTemplateGetSInt32RangeConstraint(mTemplate, CFSTR("copies"), &low, &high), 0);
    EXPECT_EQ(low, 1);
    EXPECT_EQ(high, 99);
    Owned<CFNumberRef> fraction(CreateNumber(1.5)), hundred(CreateInteger(100));
    ASSERT_EQ(PMTemplateValidateItem(mTemplate, CFSTR("copies"), fraction, &valid), 0);
    EXPECT_FALSE(valid);
    ASSERT_EQ(PMTemplateValidateItem(mTemplate, CFSTR("copies"), hundred, &valid), 0);
    EXPECT_FALSE(valid);

    // Reversed or NaN bounds, the other kind's range and a range on a list entry: refused.
    EXPECT_EQ(PMTemplateSetDoubleRangeConstraint(mTemplate, kWidth, 4320, 144),
              kPMInvalidParameter);
    EXPECT_EQ(PMTemplateSetDoubleRangeConstraint(mTemplate, kWidth, NAN, 144), kPMInvalidParameter);
    EXPECT_EQ(PMTemplateSetSInt32RangeConstraint(mTemplate, kWidth, 1, 2), kPMWrongValueKind);
    EXPECT_EQ(PMTemplateGetSInt32RangeConstraint(mTemplate, kWidth, &low, &high),
              kPMWrongValueKind);
    ASSERT_EQ(PMTemplateMakeEntry(mTemplate, kProfileID, kPMValueSInt32, kPMConstraintList), 0);
    EXPECT_EQ(PMTemplateSetSInt32RangeConstraint(mTemplate, kProfileID, 1, 2), kPMWrongValueKind);
    ASSERT_EQ(PMTemplateGetDoubleRangeConstraint(mTemplate, kWidth, &minimum, &maximum), 0);
    EXPECT_EQ(maximum, 4320);
}

TEST_F(PMTemplateTest, ListsNameTheValuesTheyAccept) {
    ASSERT_EQ(PMTemplateMakeEntry(mTemplate, kProfileID, kPMValueSInt32, kPMConstraintList), 0);
    ASSERT_EQ(PMTemplateSetSInt32DefaultValue(mTemplate, kProfileID, 1), 0);
    Owned<CFNumberRef> one(CreateInteger(1)), two(CreateInteger(2)), three(CreateInteger(3));
    // Before the list is set, any value of the kind passes.
    Boolean valid = false;
    ASSERT_EQ(PMTemplateValidateItem(mTemplate, kProfileID, three, &valid), kPMNoError);
    EXPECT_TRUE(valid);

    CFTypeRef values[] = {one.Get(), two.Get()};
    Owned<CFArrayRef> list(CFArrayCreate(nullptr, values, 2, &kCFTypeArrayCallBacks));
    ASSERT_EQ(PMTemplateSetCFArrayConstraintValue(mTemplate, kProfileID, list), kPMNoError);
    CFArrayRef stored = nullptr;
    ASSERT_EQ(PMTemplateGetCFArrayConstraintValue(mTemplate, kProfileID, &stored), 0);
    EXPECT_TRUE(CFEqual(stored, list));
    Owned<CFNumberRef> realTwo(CreateNumber(2.0));
    for (auto [value, expected] : {std::pair<CFTypeRef, bool>{one.Get(), true},
                                   {realTwo.Get(), true},
                                   {three.Get(), false},
                                   {CFSTR("1"), false}}) {
        ASSERT_EQ(PMTemplateValidateItem(mTemplate, kProfileID, value, &valid), kPMNoError);
        EXPECT_EQ(bool(valid), expected);
    }
    // A list holding a value of another kind is refused.
    CFTypeRef mixed[] = {one.Get(), CFSTR("two")};
    Owned<CFArrayRef> bad(CFArrayCreate(nullptr, mixed, 2, &kCFTypeArrayCallBacks));
    EXPECT_EQ(PMTemplateSetCFArrayConstraintValue(mTemplate, kProfileID, bad), kPMWrongValueKind);
    ASSERT_EQ(PMTemplateGetCFArrayConstraintValue(mTemplate, kProfileID, &stored), 0);
    EXPECT_TRUE(CFEqual(stored, list));
    // A private entry takes no list.
    ASSERT_EQ(PMTemplateMakeEntry(mTemplate, kOptions, kPMValueDict, kPMConstraintPrivate), 0);
    EXPECT_EQ(PMTemplateSetCFArrayConstraintValue(mTemplate, kOptions, list), kPMWrongValueKind);
}

// The paper list: a ticket entry whose list is a list ticket, defaulting to its first paper.
TEST_F(PMTemplateTest, ATicketListConstrainsATicketEntry) {
    ASSERT_EQ(PMTemplateMakeEntry(mTemplate, kPapers, kPMValueTicket, kPMConstraintList), 0);
    Owned<PMTicketRef> list;
    ASSERT_EQ(PMTicketCreate(nullptr, CFSTR("com.apple.print.TicketList"), list.Out()), 0);
    Owned<PMTicketRef> a4 = MakePaper("A4"), letter = MakePaper("Letter"), a0 = MakePaper("A0");
    ASSERT_EQ(PMTicketSetTicket(list, a4, 1), 0);
    ASSERT_EQ(PMTicketSetTicket(list, letter, 2), 0);
    PMTicketRef first = nullptr;
    ASSERT_EQ(PMTicketGetTicket(list, kPaperType, 1, &first), 0);
    ASSERT_EQ(PMTemplateSetPMTicketDefaultValue(mTemplate, kPapers, first), kPMNoError);
    ASSERT_EQ(PMTemplateSetPMTicketListConstraint(mTemplate, kPapers, list), kPMNoError);

    PMTicketRef stored = nullptr;
    ASSERT_EQ(PMTemplateGetPMTicketListConstraint(mTemplate, kPapers, &stored), kPMNoError);
    EXPECT_TRUE(CFEqual(stored, list));
    CFArrayRef values = nullptr;
    EXPECT_EQ(PMTemplateGetCFArrayConstraintValue(mTemplate, kPapers, &values), kPMWrongValueKind);
    PMTicketRef paper = nullptr;
    ASSERT_EQ(PMTemplateGetPMTicketDefaultValue(mTemplate, kPapers, &paper), kPMNoError);
    CFStringRef name = nullptr;
    ASSERT_EQ(PMTicketGetCFString(paper, kPMTopLevel, kPMTopLevel, kPaperName, &name), 0);
    EXPECT_EQ(Text(name), "A4");

    Boolean valid = false;
    for (auto [ticket, expected] :
         {std::pair<PMTicketRef, bool>{letter.Get(), true}, {paper, true}, {a0.Get(), false}}) {
        ASSERT_EQ(PMTemplateValidateItem(mTemplate, kPapers, ticket, &valid), kPMNoError);
        EXPECT_EQ(bool(valid), expected);
    }
    ASSERT_EQ(PMTemplateValidateItem(mTemplate, kPapers, CFSTR("A4"), &valid), kPMNoError);
    EXPECT_FALSE(valid);
}

TEST(PMTemplate, MisuseIsReportedAsAStatus) {
    Owned<CFStringRef> string(CreateString("not a template"));
    PMTemplateRef impostor = reinterpret_cast<PMTemplateRef>(const_cast<__CFString*>(string.Get()));
    Owned<PMTemplateRef> good;
    ASSERT_EQ(PMTemplateCreate(good.Out()), kPMNoError);
    ASSERT_EQ(PMTemplateMakeEntry(good, kWidth, kPMValueDouble, kPMConstraintRange), 0);
    for (PMTemplateRef bad : {static_cast<PMTemplateRef>(nullptr), impostor}) {
        double value = 0;
        Boolean valid = false;
        CFDataRef xml = nullptr;
        EXPECT_EQ(PMTemplateRetain(bad), kPMInvalidTemplate);
        EXPECT_EQ(PMTemplateRelease(bad), kPMInvalidTemplate);
        EXPECT_EQ(PMTemplateMakeEntry(bad, kWidth, kPMValueDouble, kPMConstraintRange),
                  kPMInvalidTemplate);
        EXPECT_EQ(PMTemplateSetDoubleDefaultValue(bad, kWidth, 1), kPMInvalidTemplate);
        EXPECT_EQ(PMTemplateGetDoubleDefaultValue(bad, kWidth, &value), kPMInvalidTemplate);
        EXPECT_EQ(PMTemplateSetDoubleRangeConstraint(bad, kWidth, 1, 2), kPMInvalidTemplate);
        EXPECT_EQ(PMTemplateSetDoubleRangeConstraint(bad, kWidth, 2, 1), kPMInvalidTemplate);
        EXPECT_EQ(PMTemplateValidateItem(bad, kWidth, kCFBooleanTrue, &valid), kPMInvalidTemplate);
        EXPECT_EQ(PMTemplateCreateXML(bad, &xml), kPMInvalidTemplate);
        EXPECT_FALSE(PMTemplateContainsEntry(bad, kWidth));
    }
    EXPECT_EQ(CFGetRetainCount(string), 1);
    double value = 0;
    Boolean valid = false;
    EXPECT_EQ(PMTemplateCreate(nullptr), kPMInvalidParameter);
    EXPECT_EQ(PMTemplateMakeEntry(good, nullptr, kPMValueDouble, kPMConstraintRange),
              kPMInvalidParameter);
    EXPECT_EQ(PMTemplateGetDoubleDefaultValue(good, kWidth, nullptr), kPMInvalidParameter);
    EXPECT_EQ(PMTemplateGetDoubleRangeConstraint(good, kWidth, &value, nullptr),
              kPMInvalidParameter);
    EXPECT_EQ(PMTemplateValidateItem(good, kWidth, kCFBooleanTrue, nullptr), kPMInvalidParameter);
    EXPECT_EQ(PMTemplateValidateItem(good, CFSTR("missing"), kCFBooleanTrue, &valid),
              kPMItemNotFound);
    EXPECT_EQ(PMTemplateSetCFStringDefaultValue(good, kWidth, nullptr), kPMInvalidParameter);
    EXPECT_EQ(PMTemplateSetPMRectDefaultValue(good, kWidth, nullptr), kPMInvalidParameter);
    EXPECT_EQ(
        PMTemplateSetPMTicketDefaultValue(good, kWidth, reinterpret_cast<PMTicketRef>(impostor)),
        kPMInvalidTicket);
}

} // namespace

// Converting templates to and from their XML form.
#include "TemplateXMLForm.h"

#include "PMValueKind.h"
#include "TicketXMLForm.h"

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>

#include <vector>

namespace orvo_pm {

namespace {

const CFStringRef kEntriesKey = CFSTR("Entries");
const CFStringRef kValueTypeKey = CFSTR("ValueType");
const CFStringRef kConstraintTypeKey = CFSTR("ConstraintType");
const CFStringRef kDefaultKey = CFSTR("Default");
const CFStringRef kConstraintKey = CFSTR("Constraint");

bool IsA(CFTypeRef inValue, CFTypeID inType) {
    return inValue != nullptr && CFGetTypeID(inValue) == inType;
}

bool IsRange(PMValueType inKind, CFTypeRef inValue) {
    if (!IsA(inValue, CFArrayGetTypeID()) || CFArrayGetCount(static_cast<CFArrayRef>(inValue)) != 2)
        return false;
    CFTypeRef minimum = CFArrayGetValueAtIndex(static_cast<CFArrayRef>(inValue), 0);
    CFTypeRef maximum = CFArrayGetValueAtIndex(static_cast<CFArrayRef>(inValue), 1);
    if (inKind == kPMValueSInt32) {
        SInt32 low = 0, high = 0;
        return GetSInt32(minimum, low) && GetSInt32(maximum, high) && low <= high;
    }
    double low = 0, high = 0;
    // NaN compares false, so a range with a NaN edge is refused.
    return GetDouble(minimum, low) && GetDouble(maximum, high) && low <= high;
}

bool IsList(PMValueType inKind, CFTypeRef inValue) {
    if (inKind == kPMValueTicket)
        return IsA(inValue, PMTicketGetTypeID());
    if (!IsA(inValue, CFArrayGetTypeID()))
        return false;
    CFArrayRef list = static_cast<CFArrayRef>(inValue);
    for (CFIndex i = 0, count = CFArrayGetCount(list); i < count; ++i) {
        if (!IsValueOfKind(CFArrayGetValueAtIndex(list, i), inKind))
            return false;
    }
    return true;
}

// An exact 32-bit unsigned integer.
bool GetUInt32(CFTypeRef inValue, UInt32& outValue) {
    if (!IsA(inValue, CFNumberGetTypeID()))
        return false;
    SInt64 value = 0;
    if (!CFNumberGetValue(static_cast<CFNumberRef>(inValue), kCFNumberSInt64Type, &value) ||
        value < 0 || value > SInt64(0xFFFFFFFF))
        return false;
    outValue = UInt32(value);
    return true;
}

// A value of the tree as the template holds it: a ticket for a ticket tree, else itself.
// A new reference, or null when it does not have the form.
CFTypeRef CreateValueFromTree(bool inIsTicket, CFTypeRef inTree) {
    if (inIsTicket)
        return CreateTicketFromTree(inTree);
    return CFRetain(inTree);
}

CFTypeRef CreateTreeFromValue(CFTypeRef inValue) {
    if (IsA(inValue, PMTicketGetTypeID()))
        return CreateTicketTree(*TicketOf(inValue));
    return CFRetain(inValue);
}

bool AddEntry(__PMTemplate& ioTemplate, CFTypeRef inKey, CFTypeRef inEntry) {
    if (!IsA(inKey, CFStringGetTypeID()) || !IsA(inEntry, CFDictionaryGetTypeID()))
        return false;
    CFStringRef key = static_cast<CFStringRef>(inKey);
    CFDictionaryRef entry = static_cast<CFDictionaryRef>(inEntry);
    PMValueType kind = 0;
    PMConstraintType constraint = 0;
    if (!GetUInt32(CFDictionaryGetValue(entry, kValueTypeKey), kind) ||
        !GetUInt32(CFDictionaryGetValue(entry, kConstraintTypeKey), constraint) ||
        !IsKnownValueType(kind) || !IsValidConstraint(kind, constraint))
        return false;
    CFTypeRef defaultTree = CFDictionaryGetValue(entry, kDefaultKey);
    CFTypeRef constraintTree = CFDictionaryGetValue(entry, kConstraintKey);
    const CFIndex expectedKeys = 2 + (defaultTree != nullptr) + (constraintTree != nullptr);
    if (CFDictionaryGetCount(entry) != expectedKeys)
        return false;

    ioTemplate.MakeEntry(key, kind, constraint);
    if (defaultTree != nullptr) {
        CFTypeRef value = CreateValueFromTree(kind == kPMValueTicket, defaultTree);
        if (value == nullptr || ioTemplate.StoreValue(key, __PMTemplate::Part::Default, value,
                                                      AcceptsDefault) != kPMNoError)
            return false;
    }
    if (constraintTree != nullptr) {
        const bool isTicket = kind == kPMValueTicket && constraint == kPMConstraintList;
        CFTypeRef value = CreateValueFromTree(isTicket, constraintTree);
        if (value == nullptr || ioTemplate.StoreValue(key, __PMTemplate::Part::Constraint, value,
                                                      AcceptsConstraint) != kPMNoError)
            return false;
    }
    return true;
}

} // namespace

bool IsValidConstraint(PMValueType inKind, PMConstraintType inConstraint) {
    switch (inConstraint) {
    case kPMConstraintUndefined:
    case kPMConstraintList:
    case kPMConstraintPrivate:
        return true;
    case kPMConstraintRange:
        return inKind == kPMValueSInt32 || inKind == kPMValueDouble;
    default:
        return false;
    }
}

bool AcceptsDefault(const __PMTemplate::Entry& inEntry, CFTypeRef inValue) {
    return IsValueOfKind(inValue, inEntry.kind);
}

bool AcceptsConstraint(const __PMTemplate::Entry& inEntry, CFTypeRef inValue) {
    if (inEntry.constraint == kPMConstraintRange)
        return IsRange(inEntry.kind, inValue);
    if (inEntry.constraint == kPMConstraintList)
        return IsList(inEntry.kind, inValue);
    return false;
}

CFDictionaryRef CreateTemplateTree(const __PMTemplate& inTemplate) {
    __PMTemplate::Snapshot snapshot;
    inTemplate.TakeSnapshot(snapshot);
    CFMutableDictionaryRef entries = CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    for (const auto& [key, entry] : snapshot.entries) {
        CFMutableDictionaryRef tree = CFDictionaryCreateMutable(
            nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
        const SInt64 kind = entry.kind, constraint = entry.constraint;
        CFNumberRef kindNumber = CFNumberCreate(nullptr, kCFNumberSInt64Type, &kind);
        CFNumberRef constraintNumber = CFNumberCreate(nullptr, kCFNumberSInt64Type, &constraint);
        CFDictionarySetValue(tree, kValueTypeKey, kindNumber);
        CFDictionarySetValue(tree, kConstraintTypeKey, constraintNumber);
        CFRelease(kindNumber);
        CFRelease(constraintNumber);
        for (auto [part, value] : {std::pair{kDefaultKey, entry.defaultValue},
                                   std::pair{kConstraintKey, entry.constraintValue}}) {
            if (value == nullptr)
                continue;
            CFTypeRef valueTree = CreateTreeFromValue(value);
            CFDictionarySetValue(tree, part, valueTree);
            CFRelease(valueTree);
        }
        CFDictionarySetValue(entries, key, tree);
        CFRelease(tree);
    }
    CFTypeRef keys[] = {kEntriesKey};
    CFTypeRef values[] = {entries};
    CFDictionaryRef root = CFDictionaryCreate(
        nullptr, keys, values, 1, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFRelease(entries);
    return root;
}

__PMTemplate* CreateTemplateFromTree(CFTypeRef inTree) {
    if (!IsA(inTree, CFDictionaryGetTypeID()))
        return nullptr;
    CFDictionaryRef root = static_cast<CFDictionaryRef>(inTree);
    CFTypeRef entries = CFDictionaryGetValue(root, kEntriesKey);
    if (CFDictionaryGetCount(root) != (entries != nullptr ? 1 : 0))
        return nullptr;
    __PMTemplate* pmTemplate = new __PMTemplate();
    if (entries == nullptr)
        return pmTemplate;
    bool valid = IsA(entries, CFDictionaryGetTypeID());
    if (valid) {
        CFDictionaryRef dictionary = static_cast<CFDictionaryRef>(entries);
        const CFIndex count = CFDictionaryGetCount(dictionary);
        std::vector<const void*> keys(static_cast<size_t>(count)),
            values(static_cast<size_t>(count));
        CFDictionaryGetKeysAndValues(dictionary, keys.data(), values.data());
        for (size_t i = 0; valid && i < size_t(count); ++i)
            valid = AddEntry(*pmTemplate, keys[i], values[i]);
    }
    if (!valid) {
        CFRelease(pmTemplate);
        return nullptr;
    }
    return pmTemplate;
}

} // namespace orvo_pm

// The template calls: entries, defaults, constraints, validation and the XML form.
#include "PMTemplateObject.h"
#include "PMTicketObject.h"
#include "PMValueKind.h"
#include "TemplateXMLForm.h"

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFPropertyList.h>
#include <CoreFoundation/CFString.h>

using namespace orvo_pm;
using Entry = __PMTemplate::Entry;
using Part = __PMTemplate::Part;

namespace {

bool IsString(CFTypeRef inValue) {
    return inValue != nullptr && CFGetTypeID(inValue) == CFStringGetTypeID();
}

OSStatus CheckArguments(PMTemplateRef inTemplate, CFStringRef inKey, const void* inPointer) {
    if (TemplateOf(inTemplate) == nullptr)
        return kPMInvalidTemplate;
    if (!IsString(inKey) || inPointer == nullptr)
        return kPMInvalidParameter;
    return kPMNoError;
}

// Stores the default or constraint value: a ticket as a copy, any other value as an
// immutable deep copy, or (inOwned) a value the call made itself.
OSStatus Store(PMTemplateRef inTemplate, CFStringRef inKey, Part inPart, CFTypeRef inValue,
               bool inOwned, bool (*inAccepts)(const Entry&, CFTypeRef)) {
    OSStatus status = CheckArguments(inTemplate, inKey, inValue);
    CFTypeRef value = nullptr;
    if (status == kPMNoError) {
        if (inOwned)
            value = CFRetain(inValue);
        else if (const __PMTicket* ticket = TicketOf(inValue))
            value = ticket->CreateCopy();
        else
            value = CFPropertyListCreateDeepCopy(nullptr, inValue, kCFPropertyListImmutable);
        if (value == nullptr)
            status = kPMInvalidValue;
    }
    if (inOwned)
        CFRelease(inValue);
    if (status != kPMNoError)
        return status;
    return TemplateOf(inTemplate)->StoreValue(inKey, inPart, value, inAccepts);
}

// The entry for reading, its values borrowed.
OSStatus Find(PMTemplateRef inTemplate, CFStringRef inKey, const void* inOut, Entry& outEntry) {
    OSStatus status = CheckArguments(inTemplate, inKey, inOut);
    if (status == kPMNoError && !TemplateOf(inTemplate)->GetEntry(inKey, outEntry))
        status = kPMItemNotFound;
    return status;
}

// The default of an entry of the given kind.
OSStatus FindDefault(PMTemplateRef inTemplate, CFStringRef inKey, PMValueType inKind,
                     const void* inOut, CFTypeRef& outValue) {
    Entry entry;
    OSStatus status = Find(inTemplate, inKey, inOut, entry);
    if (status != kPMNoError)
        return status;
    if (entry.kind != inKind)
        return kPMWrongValueKind;
    if (entry.defaultValue == nullptr)
        return kPMItemNotFound;
    outValue = entry.defaultValue;
    return kPMNoError;
}

template <class Ref>
OSStatus GetObjectDefault(PMTemplateRef inTemplate, CFStringRef inKey, PMValueType inKind,
                          Ref* outValue) {
    CFTypeRef value = nullptr;
    OSStatus status = FindDefault(inTemplate, inKey, inKind, outValue, value);
    if (status == kPMNoError)
        *outValue = static_cast<Ref>(value);
    return status;
}

// The range of an entry of the given kind: [minimum, maximum].
OSStatus FindRange(PMTemplateRef inTemplate, CFStringRef inKey, PMValueType inKind,
                   const void* inMinimum, const void* inMaximum, CFTypeRef& outMinimum,
                   CFTypeRef& outMaximum) {
    Entry entry;
    OSStatus status = Find(inTemplate, inKey, inMinimum, entry);
    if (status == kPMNoError && inMaximum == nullptr)
        status = kPMInvalidParameter;
    if (status != kPMNoError)
        return status;
    if (entry.kind != inKind || entry.constraint != kPMConstraintRange)
        return kPMWrongValueKind;
    if (entry.constraintValue == nullptr)
        return kPMItemNotFound;
    CFArrayRef range = static_cast<CFArrayRef>(entry.constraintValue);
    outMinimum = CFArrayGetValueAtIndex(range, 0);
    outMaximum = CFArrayGetValueAtIndex(range, 1);
    return kPMNoError;
}

// Setting a range or list constraint: the entry's constraint kind must match as well.
bool AcceptsSInt32Range(const Entry& inEntry, CFTypeRef inValue) {
    return inEntry.constraint == kPMConstraintRange && inEntry.kind == kPMValueSInt32 &&
           AcceptsConstraint(inEntry, inValue);
}
bool AcceptsDoubleRange(const Entry& inEntry, CFTypeRef inValue) {
    return inEntry.constraint == kPMConstraintRange && inEntry.kind == kPMValueDouble &&
           AcceptsConstraint(inEntry, inValue);
}
bool AcceptsValueList(const Entry& inEntry, CFTypeRef inValue) {
    return inEntry.constraint == kPMConstraintList && inEntry.kind != kPMValueTicket &&
           AcceptsConstraint(inEntry, inValue);
}
bool AcceptsTicketList(const Entry& inEntry, CFTypeRef inValue) {
    return inEntry.constraint == kPMConstraintList && inEntry.kind == kPMValueTicket &&
           AcceptsConstraint(inEntry, inValue);
}

CFArrayRef CreatePair(CFTypeRef inFirst, CFTypeRef inSecond) {
    CFTypeRef values[] = {inFirst, inSecond};
    CFArrayRef pair = CFArrayCreate(nullptr, values, 2, &kCFTypeArrayCallBacks);
    CFRelease(inFirst);
    CFRelease(inSecond);
    return pair;
}

bool InRange(const Entry& inEntry, CFTypeRef inValue) {
    CFArrayRef range = static_cast<CFArrayRef>(inEntry.constraintValue);
    if (inEntry.kind == kPMValueSInt32) {
        SInt32 value = 0, low = 0, high = 0;
        return GetSInt32(inValue, value) && GetSInt32(CFArrayGetValueAtIndex(range, 0), low) &&
               GetSInt32(CFArrayGetValueAtIndex(range, 1), high) && low <= value && value <= high;
    }
    double value = 0, low = 0, high = 0;
    return GetDouble(inValue, value) && GetDouble(CFArrayGetValueAtIndex(range, 0), low) &&
           GetDouble(CFArrayGetValueAtIndex(range, 1), high) && low <= value && value <= high;
}

bool InList(const Entry& inEntry, CFTypeRef inValue) {
    if (inEntry.kind == kPMValueTicket) {
        __PMTicket::Snapshot list;
        TicketOf(inEntry.constraintValue)->TakeSnapshot(list);
        for (const __PMTicket::Nested& nested : list.tickets) {
            if (CFEqual(nested.ticket, inValue))
                return true;
        }
        return false;
    }
    CFArrayRef list = static_cast<CFArrayRef>(inEntry.constraintValue);
    for (CFIndex i = 0, count = CFArrayGetCount(list); i < count; ++i) {
        if (CFEqual(CFArrayGetValueAtIndex(list, i), inValue))
            return true;
    }
    return false;
}

} // namespace

CFTypeID PMTemplateGetTypeID(void) {
    return kTypeIDTemplate;
}

OSStatus PMTemplateCreate(PMTemplateRef* outTemplate) {
    if (outTemplate == nullptr)
        return kPMInvalidParameter;
    *outTemplate = new __PMTemplate();
    return kPMNoError;
}

OSStatus PMTemplateRetain(PMTemplateRef pmTemplate) {
    if (TemplateOf(pmTemplate) == nullptr)
        return kPMInvalidTemplate;
    CFRetain(pmTemplate);
    return kPMNoError;
}

OSStatus PMTemplateRelease(PMTemplateRef pmTemplate) {
    if (TemplateOf(pmTemplate) == nullptr)
        return kPMInvalidTemplate;
    CFRelease(pmTemplate);
    return kPMNoError;
}

OSStatus PMTemplateMakeEntry(PMTemplateRef pmTemplate, CFStringRef key, PMValueType valueType,
                             PMConstraintType constraintType) {
    OSStatus status = CheckArguments(pmTemplate, key, key);
    if (status != kPMNoError)
        return status;
    if (!IsKnownValueType(valueType) || !IsValidConstraint(valueType, constraintType))
        return kPMInvalidParameter;
    TemplateOf(pmTemplate)->MakeEntry(key, valueType, constraintType);
    return kPMNoError;
}

OSStatus PMTemplateRemoveEntry(PMTemplateRef pmTemplate, CFStringRef key) {
    OSStatus status = CheckArguments(pmTemplate, key, key);
    if (status == kPMNoError && !TemplateOf(pmTemplate)->RemoveEntry(key))
        status = kPMItemNotFound;
    return status;
}

Boolean PMTemplateContainsEntry(PMTemplateRef pmTemplate, CFStringRef key) {
    Entry entry;
    return Find(pmTemplate, key, key, entry) == kPMNoError;
}

OSStatus PMTemplateCopyEntryKeys(PMTemplateRef pmTemplate, CFArrayRef* outKeys) {
    const __PMTemplate* object = TemplateOf(pmTemplate);
    if (object == nullptr)
        return kPMInvalidTemplate;
    if (outKeys == nullptr)
        return kPMInvalidParameter;
    __PMTemplate::Snapshot snapshot;
    object->TakeSnapshot(snapshot);
    std::vector<const void*> keys;
    for (const auto& [key, entry] : snapshot.entries)
        keys.push_back(key);
    *outKeys = CFArrayCreate(nullptr, keys.data(), CFIndex(keys.size()), &kCFTypeArrayCallBacks);
    return kPMNoError;
}

OSStatus PMTemplateGetValueType(PMTemplateRef pmTemplate, CFStringRef key,
                                PMValueType* outValueType) {
    Entry entry;
    OSStatus status = Find(pmTemplate, key, outValueType, entry);
    if (status == kPMNoError)
        *outValueType = entry.kind;
    return status;
}

OSStatus PMTemplateGetConstraintType(PMTemplateRef pmTemplate, CFStringRef key,
                                     PMConstraintType* outConstraintType) {
    Entry entry;
    OSStatus status = Find(pmTemplate, key, outConstraintType, entry);
    if (status == kPMNoError)
        *outConstraintType = entry.constraint;
    return status;
}

// ---- Defaults ----

OSStatus PMTemplateSetDefaultValue(PMTemplateRef pmTemplate, CFStringRef key, CFTypeRef value) {
    return Store(pmTemplate, key, Part::Default, value, false, AcceptsDefault);
}

OSStatus PMTemplateSetBooleanDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                          Boolean value) {
    return Store(pmTemplate, key, Part::Default, value ? kCFBooleanTrue : kCFBooleanFalse, false,
                 AcceptsDefault);
}

OSStatus PMTemplateSetSInt32DefaultValue(PMTemplateRef pmTemplate, CFStringRef key, SInt32 value) {
    return Store(pmTemplate, key, Part::Default, CreateSInt32Value(value), true, AcceptsDefault);
}

OSStatus PMTemplateSetDoubleDefaultValue(PMTemplateRef pmTemplate, CFStringRef key, double value) {
    return Store(pmTemplate, key, Part::Default, CreateDoubleValue(value), true, AcceptsDefault);
}

OSStatus PMTemplateSetCFStringDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                           CFStringRef value) {
    return Store(pmTemplate, key, Part::Default, value, false, AcceptsDefault);
}

OSStatus PMTemplateSetCFDataDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                         CFDataRef value) {
    return Store(pmTemplate, key, Part::Default, value, false, AcceptsDefault);
}

OSStatus PMTemplateSetCFArrayDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                          CFArrayRef value) {
    return Store(pmTemplate, key, Part::Default, value, false, AcceptsDefault);
}

OSStatus PMTemplateSetCFDictionaryDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                               CFDictionaryRef value) {
    return Store(pmTemplate, key, Part::Default, value, false, AcceptsDefault);
}

OSStatus PMTemplateSetPMRectDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                         const PMRect* value) {
    if (value == nullptr)
        return CheckArguments(pmTemplate, key, value);
    return Store(pmTemplate, key, Part::Default, CreateRectValue(*value), true, AcceptsDefault);
}

OSStatus PMTemplateSetPMTicketDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                           PMTicketRef value) {
    if (value != nullptr && TicketOf(value) == nullptr)
        return kPMInvalidTicket;
    return Store(pmTemplate, key, Part::Default, value, false, AcceptsDefault);
}

OSStatus PMTemplateGetDefaultValue(PMTemplateRef pmTemplate, CFStringRef key, CFTypeRef* outValue) {
    Entry entry;
    OSStatus status = Find(pmTemplate, key, outValue, entry);
    if (status == kPMNoError && entry.defaultValue == nullptr)
        status = kPMItemNotFound;
    if (status == kPMNoError)
        *outValue = entry.defaultValue;
    return status;
}

OSStatus PMTemplateGetBooleanDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                          Boolean* outValue) {
    CFTypeRef value = nullptr;
    OSStatus status = FindDefault(pmTemplate, key, kPMValueBoolean, outValue, value);
    if (status == kPMNoError)
        *outValue = CFBooleanGetValue(static_cast<CFBooleanRef>(value));
    return status;
}

OSStatus PMTemplateGetSInt32DefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                         SInt32* outValue) {
    CFTypeRef value = nullptr;
    OSStatus status = FindDefault(pmTemplate, key, kPMValueSInt32, outValue, value);
    if (status == kPMNoError)
        GetSInt32(value, *outValue);
    return status;
}

OSStatus PMTemplateGetDoubleDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                         double* outValue) {
    CFTypeRef value = nullptr;
    OSStatus status = FindDefault(pmTemplate, key, kPMValueDouble, outValue, value);
    if (status == kPMNoError)
        GetDouble(value, *outValue);
    return status;
}

OSStatus PMTemplateGetCFStringDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                           CFStringRef* outValue) {
    return GetObjectDefault(pmTemplate, key, kPMValueString, outValue);
}

OSStatus PMTemplateGetCFDataDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                         CFDataRef* outValue) {
    return GetObjectDefault(pmTemplate, key, kPMValueData, outValue);
}

OSStatus PMTemplateGetCFArrayDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                          CFArrayRef* outValue) {
    return GetObjectDefault(pmTemplate, key, kPMValueArray, outValue);
}

OSStatus PMTemplateGetCFDictionaryDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                               CFDictionaryRef* outValue) {
    return GetObjectDefault(pmTemplate, key, kPMValueDict, outValue);
}

OSStatus PMTemplateGetPMRectDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                         PMRect* outValue) {
    CFTypeRef value = nullptr;
    OSStatus status = FindDefault(pmTemplate, key, kPMValuePMRect, outValue, value);
    if (status == kPMNoError)
        GetRect(value, *outValue);
    return status;
}

OSStatus PMTemplateGetPMTicketDefaultValue(PMTemplateRef pmTemplate, CFStringRef key,
                                           PMTicketRef* outValue) {
    CFTypeRef value = nullptr;
    OSStatus status = FindDefault(pmTemplate, key, kPMValueTicket, outValue, value);
    if (status == kPMNoError)
        *outValue = TicketOf(value);
    return status;
}

// ---- Constraints ----

OSStatus PMTemplateSetSInt32RangeConstraint(PMTemplateRef pmTemplate, CFStringRef key,
                                            SInt32 minimum, SInt32 maximum) {
    if (minimum > maximum)
        return TemplateOf(pmTemplate) == nullptr ? kPMInvalidTemplate : kPMInvalidParameter;
    CFArrayRef range = CreatePair(CreateSInt32Value(minimum), CreateSInt32Value(maximum));
    return Store(pmTemplate, key, Part::Constraint, range, true, AcceptsSInt32Range);
}

OSStatus PMTemplateGetSInt32RangeConstraint(PMTemplateRef pmTemplate, CFStringRef key,
                                            SInt32* outMinimum, SInt32* outMaximum) {
    CFTypeRef minimum = nullptr, maximum = nullptr;
    OSStatus status =
        FindRange(pmTemplate, key, kPMValueSInt32, outMinimum, outMaximum, minimum, maximum);
    if (status == kPMNoError) {
        GetSInt32(minimum, *outMinimum);
        GetSInt32(maximum, *outMaximum);
    }
    return status;
}

OSStatus PMTemplateSetDoubleRangeConstraint(PMTemplateRef pmTemplate, CFStringRef key,
                                            double minimum, double maximum) {
    if (!(minimum <= maximum))
        return TemplateOf(pmTemplate) == nullptr ? kPMInvalidTemplate : kPMInvalidParameter;
    CFArrayRef range = CreatePair(CreateDoubleValue(minimum), CreateDoubleValue(maximum));
    return Store(pmTemplate, key, Part::Constraint, range, true, AcceptsDoubleRange);
}

OSStatus PMTemplateGetDoubleRangeConstraint(PMTemplateRef pmTemplate, CFStringRef key,
                                            double* outMinimum, double* outMaximum) {
    CFTypeRef minimum = nullptr, maximum = nullptr;
    OSStatus status =
        FindRange(pmTemplate, key, kPMValueDouble, outMinimum, outMaximum, minimum, maximum);
    if (status == kPMNoError) {
        GetDouble(minimum, *outMinimum);
        GetDouble(maximum, *outMaximum);
    }
    return status;
}

OSStatus PMTemplateSetCFArrayConstraintValue(PMTemplateRef pmTemplate, CFStringRef key,
                                             CFArrayRef values) {
    if (values != nullptr && CFGetTypeID(values) != CFArrayGetTypeID())
        return TemplateOf(pmTemplate) == nullptr ? kPMInvalidTemplate : kPMWrongValueKind;
    return Store(pmTemplate, key, Part::Constraint, values, false, AcceptsValueList);
}

OSStatus PMTemplateGetCFArrayConstraintValue(PMTemplateRef pmTemplate, CFStringRef key,
                                             CFArrayRef* outValues) {
    Entry entry;
    OSStatus status = Find(pmTemplate, key, outValues, entry);
    if (status != kPMNoError)
        return status;
    if (entry.constraint != kPMConstraintList || entry.kind == kPMValueTicket)
        return kPMWrongValueKind;
    if (entry.constraintValue == nullptr)
        return kPMItemNotFound;
    *outValues = static_cast<CFArrayRef>(entry.constraintValue);
    return kPMNoError;
}

OSStatus PMTemplateSetPMTicketListConstraint(PMTemplateRef pmTemplate, CFStringRef key,
                                             PMTicketRef listTicket) {
    if (listTicket != nullptr && TicketOf(listTicket) == nullptr)
        return kPMInvalidTicket;
    return Store(pmTemplate, key, Part::Constraint, listTicket, false, AcceptsTicketList);
}

OSStatus PMTemplateGetPMTicketListConstraint(PMTemplateRef pmTemplate, CFStringRef key,
                                             PMTicketRef* outListTicket) {
    Entry entry;
    OSStatus status = Find(pmTemplate, key, outListTicket, entry);
    if (status != kPMNoError)
        return status;
    if (entry.constraint != kPMConstraintList || entry.kind != kPMValueTicket)
        return kPMWrongValueKind;
    if (entry.constraintValue == nullptr)
        return kPMItemNotFound;
    *outListTicket = TicketOf(entry.constraintValue);
    return kPMNoError;
}

OSStatus PMTemplateValidateItem(PMTemplateRef pmTemplate, CFStringRef key, CFTypeRef value,
                                Boolean* outValid) {
    Entry entry;
    OSStatus status = Find(pmTemplate, key, outValid, entry);
    if (status != kPMNoError)
        return status;
    // The entry's values stay alive while the template lives, so they are read unlocked.
    bool valid = IsValueOfKind(value, entry.kind);
    if (valid && entry.constraintValue != nullptr) {
        if (entry.constraint == kPMConstraintRange)
            valid = InRange(entry, value);
        else if (entry.constraint == kPMConstraintList)
            valid = InList(entry, value);
    }
    *outValid = valid;
    return kPMNoError;
}

// ---- XML form ----

OSStatus PMTemplateLoadFromXML(CFDataRef xmlData, PMTemplateRef* outTemplate) {
    if (xmlData == nullptr || CFGetTypeID(xmlData) != CFDataGetTypeID() || outTemplate == nullptr)
        return kPMInvalidParameter;
    CFPropertyListRef tree =
        CFPropertyListCreateFromXMLData(nullptr, xmlData, kCFPropertyListImmutable, nullptr);
    if (tree == nullptr)
        return kPMInvalidXML;
    __PMTemplate* pmTemplate = CreateTemplateFromTree(tree);
    CFRelease(tree);
    if (pmTemplate == nullptr)
        return kPMInvalidXML;
    *outTemplate = pmTemplate;
    return kPMNoError;
}

OSStatus PMTemplateCreateXML(PMTemplateRef pmTemplate, CFDataRef* outXMLData) {
    const __PMTemplate* object = TemplateOf(pmTemplate);
    if (object == nullptr)
        return kPMInvalidTemplate;
    if (outXMLData == nullptr)
        return kPMInvalidParameter;
    CFDictionaryRef tree = CreateTemplateTree(*object);
    CFDataRef xml = CFPropertyListCreateXMLData(nullptr, tree);
    CFRelease(tree);
    if (xml == nullptr)
        return kPMInvalidValue;
    *outXMLData = xml;
    return kPMNoError;
}

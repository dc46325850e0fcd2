// The ticket calls: creation, reference counting, typed items, nested tickets, XML form.
#include "PMTicketObject.h"
#include "PMValueKind.h"
#include "TicketXMLForm.h"

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFDate.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFPropertyList.h>
#include <CoreFoundation/CFString.h>

#include <cmath>

using namespace orvo_pm;

namespace {

bool IsString(CFTypeRef inValue) {
    return inValue != nullptr && CFGetTypeID(inValue) == CFStringGetTypeID();
}

// Stores a value that the call made itself (taking over its reference) or a copy of one
// the caller passed.
OSStatus StoreValue(PMTicketRef inTicket, CFStringRef inClient, CFStringRef inKey,
                    CFTypeRef inValue, Boolean inLocked, bool inOwned) {
    __PMTicket* ticket = TicketOf(inTicket);
    OSStatus status = kPMNoError;
    CFTypeRef value = nullptr;
    if (ticket == nullptr)
        status = kPMInvalidTicket;
    else if (!IsString(inClient) || !IsString(inKey) || inValue == nullptr)
        status = kPMInvalidParameter;
    else if (inOwned)
        value = CFRetain(inValue);
    else if ((value = CFPropertyListCreateDeepCopy(nullptr, inValue, kCFPropertyListImmutable)) ==
             nullptr)
        status = kPMInvalidValue;
    if (inOwned)
        CFRelease(inValue);
    if (status != kPMNoError)
        return status;

    // Dates in the XML form hold whole seconds; stamping whole seconds keeps a ticket equal
    // to itself read back from its XML form.
    CFDateRef now = CFDateCreate(nullptr, std::floor(CFAbsoluteTimeGetCurrent()));
    CFStringRef client = CFStringCreateCopy(nullptr, inClient);
    CFTypeRef keys[] = {kItemValueKey, kItemClientKey, kItemModDateKey, kItemLockedKey};
    CFTypeRef values[] = {value, client, now, inLocked ? kCFBooleanTrue : kCFBooleanFalse};
    CFDictionaryRef item = CFDictionaryCreate(
        nullptr, keys, values, 4, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFRelease(client);
    CFRelease(now);
    CFRelease(value);
    CFStringRef key = CFStringCreateCopy(nullptr, inKey);
    status = ticket->StoreItem(key, item);
    CFRelease(key);
    return status;
}

// The item dictionary that answers for the key at the address, borrowed; or a status.
OSStatus FindItem(PMTicketRef inTicket, UInt32 inIndex1, UInt32 inIndex2, CFStringRef inKey,
                  CFDictionaryRef& outItem) {
    __PMTicket* ticket = TicketOf(inTicket);
    if (ticket == nullptr)
        return kPMInvalidTicket;
    if (!IsString(inKey) || (inIndex1 == kPMTopLevel && inIndex2 != kPMTopLevel))
        return kPMInvalidParameter;
    if (inIndex1 == kPMTopLevel) {
        outItem = ticket->LendItem(inKey);
        return outItem != nullptr ? kPMNoError : kPMItemNotFound;
    }
    // Nested tickets reached are lent too, so that an item borrowed from one outlives the
    // nested ticket's replacement in its parent.
    CFDictionaryRef found = nullptr;
    for (PMTicketRef child : ticket->LendTicketsAt(inIndex1)) {
        if (found == nullptr && inIndex2 == kPMTopLevel) {
            found = TicketOf(child)->LendItem(inKey);
        } else if (found == nullptr) {
            for (PMTicketRef grandchild : TicketOf(child)->LendTicketsAt(inIndex2)) {
                if (found == nullptr)
                    found = TicketOf(grandchild)->LendItem(inKey);
                CFRelease(grandchild);
            }
        }
        CFRelease(child);
    }
    outItem = found;
    return found != nullptr ? kPMNoError : kPMItemNotFound;
}

OSStatus GetValue(PMTicketRef inTicket, UInt32 inIndex1, UInt32 inIndex2, CFStringRef inKey,
                  const void* inOut, CFTypeRef& outValue) {
    if (inOut == nullptr)
        return TicketOf(inTicket) == nullptr ? kPMInvalidTicket : kPMInvalidParameter;
    CFDictionaryRef item = nullptr;
    OSStatus status = FindItem(inTicket, inIndex1, inIndex2, inKey, item);
    if (status == kPMNoError)
        outValue = CFDictionaryGetValue(item, kItemValueKey);
    return status;
}

// Reads an object value of one type into *outValue.
template <class Ref>
OSStatus GetObject(PMTicketRef inTicket, UInt32 inIndex1, UInt32 inIndex2, CFStringRef inKey,
                   CFTypeID inType, Ref* outValue) {
    CFTypeRef value = nullptr;
    OSStatus status = GetValue(inTicket, inIndex1, inIndex2, inKey, outValue, value);
    if (status != kPMNoError)
        return status;
    if (CFGetTypeID(value) != inType)
        return kPMWrongValueKind;
    *outValue = static_cast<Ref>(value);
    return kPMNoError;
}

OSStatus CopyToArray(const std::vector<CFTypeRef>& inValues, CFArrayRef* outArray) {
    *outArray = CFArrayCreate(nullptr, const_cast<const void**>(inValues.data()),
                              CFIndex(inValues.size()), &kCFTypeArrayCallBacks);
    for (CFTypeRef value : inValues)
        CFRelease(value);
    return kPMNoError;
}

} // namespace

CFTypeID PMTicketGetTypeID(void) {
    return kTypeIDTicket;
}

OSStatus PMTicketCreate(CFAllocatorRef, CFStringRef ticketType, PMTicketRef* outTicket) {
    if (outTicket == nullptr || !IsString(ticketType))
        return kPMInvalidParameter;
    CFStringRef type = CFStringCreateCopy(nullptr, ticketType);
    *outTicket = new __PMTicket(type);
    CFRelease(type);
    return kPMNoError;
}

OSStatus PMTicketCopy(CFAllocatorRef, PMTicketRef source, PMTicketRef* outCopy) {
    const __PMTicket* ticket = TicketOf(source);
    if (ticket == nullptr)
        return kPMInvalidTicket;
    if (outCopy == nullptr)
        return kPMInvalidParameter;
    *outCopy = ticket->CreateCopy();
    return kPMNoError;
}

OSStatus PMTicketRetain(PMTicketRef ticket) {
    if (TicketOf(ticket) == nullptr)
        return kPMInvalidTicket;
    CFRetain(ticket);
    return kPMNoError;
}

OSStatus PMTicketRelease(PMTicketRef ticket) {
    if (TicketOf(ticket) == nullptr)
        return kPMInvalidTicket;
    CFRelease(ticket);
    return kPMNoError;
}

OSStatus PMTicketReleaseAndClear(PMTicketRef* ticket) {
    if (ticket == nullptr)
        return kPMInvalidParameter;
    OSStatus status = PMTicketRelease(*ticket);
    if (status == kPMNoError)
        *ticket = nullptr;
    return status;
}

OSStatus PMTicketGetRetainCount(PMTicketRef ticket, CFIndex* outCount) {
    if (TicketOf(ticket) == nullptr)
        return kPMInvalidTicket;
    if (outCount == nullptr)
        return kPMInvalidParameter;
    *outCount = CFGetRetainCount(ticket);
    return kPMNoError;
}

OSStatus PMTicketGetType(PMTicketRef ticket, CFStringRef* outType) {
    const __PMTicket* object = TicketOf(ticket);
    if (object == nullptr)
        return kPMInvalidTicket;
    if (outType == nullptr)
        return kPMInvalidParameter;
    *outType = object->mType;
    return kPMNoError;
}

// ---- Writing items ----

OSStatus PMTicketSetItem(PMTicketRef ticket, CFStringRef clientID, CFStringRef key, CFTypeRef value,
                         Boolean locked) {
    return StoreValue(ticket, clientID, key, value, locked, false);
}

OSStatus PMTicketSetCFDictionary(PMTicketRef ticket, CFStringRef clientID, CFStringRef key,
                                 CFDictionaryRef value, Boolean locked) {
    if (value != nullptr && CFGetTypeID(value) != CFDictionaryGetTypeID())
        return kPMInvalidValue;
    return StoreValue(ticket, clientID, key, value, locked, false);
}

OSStatus PMTicketSetCFString(PMTicketRef ticket, CFStringRef clientID, CFStringRef key,
                             CFStringRef value, Boolean locked) {
    if (value != nullptr && CFGetTypeID(value) != CFStringGetTypeID())
        return kPMInvalidValue;
    return StoreValue(ticket, clientID, key, value, locked, false);
}

OSStatus PMTicketSetCFArray(PMTicketRef ticket, CFStringRef clientID, CFStringRef key,
                            CFArrayRef value, Boolean locked) {
    if (value != nullptr && CFGetTypeID(value) != CFArrayGetTypeID())
        return kPMInvalidValue;
    return StoreValue(ticket, clientID, key, value, locked, false);
}

OSStatus PMTicketSetCFData(PMTicketRef ticket, CFStringRef clientID, CFStringRef key,
                           CFDataRef value, Boolean locked) {
    if (value != nullptr && CFGetTypeID(value) != CFDataGetTypeID())
        return kPMInvalidValue;
    return StoreValue(ticket, clientID, key, value, locked, false);
}

OSStatus PMTicketSetCFDate(PMTicketRef ticket, CFStringRef clientID, CFStringRef key,
                           CFDateRef value, Boolean locked) {
    if (value != nullptr && CFGetTypeID(value) != CFDateGetTypeID())
        return kPMInvalidValue;
    return StoreValue(ticket, clientID, key, value, locked, false);
}

OSStatus PMTicketSetSInt32(PMTicketRef ticket, CFStringRef clientID, CFStringRef key, SInt32 value,
                           Boolean locked) {
    return StoreValue(ticket, clientID, key, CreateSInt32Value(value), locked, true);
}

OSStatus PMTicketSetDouble(PMTicketRef ticket, CFStringRef clientID, CFStringRef key, double value,
                           Boolean locked) {
    return StoreValue(ticket, clientID, key, CreateDoubleValue(value), locked, true);
}

OSStatus PMTicketSetBoolean(PMTicketRef ticket, CFStringRef clientID, CFStringRef key,
                            Boolean value, Boolean locked) {
    return StoreValue(ticket, clientID, key, value ? kCFBooleanTrue : kCFBooleanFalse, locked,
                      false);
}

OSStatus PMTicketSetPMRect(PMTicketRef ticket, CFStringRef clientID, CFStringRef key,
                           const PMRect* value, Boolean locked) {
    if (value == nullptr)
        return TicketOf(ticket) == nullptr ? kPMInvalidTicket : kPMInvalidParameter;
    return StoreValue(ticket, clientID, key, CreateRectValue(*value), locked, true);
}

OSStatus PMTicketDeleteItem(PMTicketRef ticket, CFStringRef clientID, CFStringRef key) {
    __PMTicket* object = TicketOf(ticket);
    if (object == nullptr)
        return kPMInvalidTicket;
    if (!IsString(clientID) || !IsString(key))
        return kPMInvalidParameter;
    return object->DeleteItem(clientID, key);
}

// ---- Reading items ----

Boolean PMTicketContainsItem(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                             CFStringRef key) {
    CFDictionaryRef item = nullptr;
    return FindItem(ticket, nodeIndex1, nodeIndex2, key, item) == kPMNoError;
}

OSStatus PMTicketGetItem(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2, CFStringRef key,
                         CFTypeRef* outValue) {
    CFTypeRef value = nullptr;
    OSStatus status = GetValue(ticket, nodeIndex1, nodeIndex2, key, outValue, value);
    if (status == kPMNoError)
        *outValue = value;
    return status;
}

OSStatus PMTicketGetCFDictionary(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                                 CFStringRef key, CFDictionaryRef* outValue) {
    return GetObject(ticket, nodeIndex1, nodeIndex2, key, CFDictionaryGetTypeID(), outValue);
}

OSStatus PMTicketGetCFString(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                             CFStringRef key, CFStringRef* outValue) {
    return GetObject(ticket, nodeIndex1, nodeIndex2, key, CFStringGetTypeID(), outValue);
}

OSStatus PMTicketGetCFArray(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                            CFStringRef key, CFArrayRef* outValue) {
    return GetObject(ticket, nodeIndex1, nodeIndex2, key, CFArrayGetTypeID(), outValue);
}

OSStatus PMTicketGetCFData(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                           CFStringRef key, CFDataRef* outValue) {
    return GetObject(ticket, nodeIndex1, nodeIndex2, key, CFDataGetTypeID(), outValue);
}

OSStatus PMTicketGetCFDate(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                           CFStringRef key, CFDateRef* outValue) {
    return GetObject(ticket, nodeIndex1, nodeIndex2, key, CFDateGetTypeID(), outValue);
}

OSStatus PMTicketGetSInt32(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                           CFStringRef key, SInt32* outValue) {
    CFTypeRef value = nullptr;
    OSStatus status = GetValue(ticket, nodeIndex1, nodeIndex2, key, outValue, value);
    if (status == kPMNoError && !GetSInt32(value, *outValue))
        status = kPMWrongValueKind;
    return status;
}

OSStatus PMTicketGetDouble(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                           CFStringRef key, double* outValue) {
    CFTypeRef value = nullptr;
    OSStatus status = GetValue(ticket, nodeIndex1, nodeIndex2, key, outValue, value);
    if (status == kPMNoError && !GetDouble(value, *outValue))
        status = kPMWrongValueKind;
    return status;
}

OSStatus PMTicketGetBoolean(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                            CFStringRef key, Boolean* outValue) {
    CFTypeRef value = nullptr;
    OSStatus status = GetValue(ticket, nodeIndex1, nodeIndex2, key, outValue, value);
    if (status != kPMNoError)
        return status;
    if (CFGetTypeID(value) != CFBooleanGetTypeID())
        return kPMWrongValueKind;
    *outValue = CFBooleanGetValue(static_cast<CFBooleanRef>(value));
    return kPMNoError;
}

OSStatus PMTicketGetPMRect(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                           CFStringRef key, PMRect* outValue) {
    CFTypeRef value = nullptr;
    OSStatus status = GetValue(ticket, nodeIndex1, nodeIndex2, key, outValue, value);
    if (status == kPMNoError && !GetRect(value, *outValue))
        status = kPMWrongValueKind;
    return status;
}

OSStatus PMTicketGetItemAttributes(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                                   CFStringRef key, CFStringRef* outClientID, CFDateRef* outModDate,
                                   Boolean* outLocked) {
    CFDictionaryRef item = nullptr;
    OSStatus status = FindItem(ticket, nodeIndex1, nodeIndex2, key, item);
    if (status != kPMNoError)
        return status;
    if (outClientID != nullptr)
        *outClientID = static_cast<CFStringRef>(CFDictionaryGetValue(item, kItemClientKey));
    if (outModDate != nullptr)
        *outModDate = static_cast<CFDateRef>(CFDictionaryGetValue(item, kItemModDateKey));
    if (outLocked != nullptr)
        *outLocked = CFDictionaryGetValue(item, kItemLockedKey) == kCFBooleanTrue;
    return kPMNoError;
}

OSStatus PMTicketCopyItemKeys(PMTicketRef ticket, CFArrayRef* outKeys) {
    const __PMTicket* object = TicketOf(ticket);
    if (object == nullptr)
        return kPMInvalidTicket;
    if (outKeys == nullptr)
        return kPMInvalidParameter;
    __PMTicket::Snapshot snapshot;
    object->TakeSnapshot(snapshot);
    const CFIndex count = CFDictionaryGetCount(snapshot.items);
    std::vector<const void*> keys(static_cast<size_t>(count));
    CFDictionaryGetKeysAndValues(snapshot.items, keys.data(), nullptr);
    CFMutableArrayRef sorted = CFArrayCreateMutable(nullptr, count, &kCFTypeArrayCallBacks);
    for (const void* key : keys)
        CFArrayAppendValue(sorted, key);
    CFArraySortValues(
        sorted, CFRangeMake(0, count),
        [](const void* inA, const void* inB, void*) {
            return CFStringCompare(static_cast<CFStringRef>(inA), static_cast<CFStringRef>(inB), 0);
        },
        nullptr);
    *outKeys = sorted;
    return kPMNoError;
}

// ---- Nested tickets ----

OSStatus PMTicketSetTicket(PMTicketRef ticket, PMTicketRef subTicket, UInt32 index) {
    __PMTicket* object = TicketOf(ticket);
    const __PMTicket* sub = TicketOf(subTicket);
    if (object == nullptr || sub == nullptr)
        return kPMInvalidTicket;
    if (index == kPMTopLevel)
        return kPMInvalidParameter;
    // A private copy: the parent's contents change only through the parent, and a ticket
    // can never end up inside itself.
    object->AdoptTicket(sub->CreateCopy(), index);
    return kPMNoError;
}

OSStatus PMTicketGetTicket(PMTicketRef ticket, CFStringRef ticketType, UInt32 index,
                           PMTicketRef* outTicket) {
    __PMTicket* object = TicketOf(ticket);
    if (object == nullptr)
        return kPMInvalidTicket;
    if (!IsString(ticketType) || outTicket == nullptr)
        return kPMInvalidParameter;
    PMTicketRef found = object->LendTicket(ticketType, index);
    if (found == nullptr)
        return kPMItemNotFound;
    *outTicket = found;
    return kPMNoError;
}

OSStatus PMTicketRemoveTicket(PMTicketRef ticket, CFStringRef ticketType, UInt32 index) {
    __PMTicket* object = TicketOf(ticket);
    if (object == nullptr)
        return kPMInvalidTicket;
    if (!IsString(ticketType))
        return kPMInvalidParameter;
    return object->RemoveTicket(ticketType, index) ? kPMNoError : kPMItemNotFound;
}

OSStatus PMTicketCopyTicketIndexes(PMTicketRef ticket, CFStringRef ticketType,
                                   CFArrayRef* outIndexes) {
    const __PMTicket* object = TicketOf(ticket);
    if (object == nullptr)
        return kPMInvalidTicket;
    if (!IsString(ticketType) || outIndexes == nullptr)
        return kPMInvalidParameter;
    std::vector<CFTypeRef> numbers;
    for (UInt32 index : object->IndexesOf(ticketType)) {
        const SInt64 value = index;
        numbers.push_back(CFNumberCreate(nullptr, kCFNumberSInt64Type, &value));
    }
    return CopyToArray(numbers, outIndexes);
}

// ---- XML form ----

OSStatus PMXMLToTicket(CFDataRef xmlData, PMTicketRef* outTicket) {
    if (xmlData == nullptr || CFGetTypeID(xmlData) != CFDataGetTypeID() || outTicket == nullptr)
        return kPMInvalidParameter;
    CFPropertyListRef tree =
        CFPropertyListCreateFromXMLData(nullptr, xmlData, kCFPropertyListImmutable, nullptr);
    if (tree == nullptr)
        return kPMInvalidXML;
    __PMTicket* ticket = CreateTicketFromTree(tree);
    CFRelease(tree);
    if (ticket == nullptr)
        return kPMInvalidXML;
    *outTicket = ticket;
    return kPMNoError;
}

OSStatus PMTicketToXML(PMTicketRef ticket, CFDataRef* outXMLData) {
    const __PMTicket* object = TicketOf(ticket);
    if (object == nullptr)
        return kPMInvalidTicket;
    if (outXMLData == nullptr)
        return kPMInvalidParameter;
    CFDictionaryRef tree = CreateTicketTree(*object);
    CFDataRef xml = CFPropertyListCreateXMLData(nullptr, tree);
    CFRelease(tree);
    if (xml == nullptr)
        return kPMInvalidValue;
    *outXMLData = xml;
    return kPMNoError;
}

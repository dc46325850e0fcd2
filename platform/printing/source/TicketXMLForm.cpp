// Converting tickets to and from their XML form.
#include "TicketXMLForm.h"

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFDate.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>

#include <set>
#include <vector>

namespace orvo_pm {

namespace {

const CFStringRef kTicketTypeKey = CFSTR("TicketType");
const CFStringRef kItemsKey = CFSTR("Items");
const CFStringRef kTicketsKey = CFSTR("Tickets");
const CFStringRef kIndexKey = CFSTR("Index");
const CFStringRef kTicketKey = CFSTR("Ticket");

bool IsA(CFTypeRef inValue, CFTypeID inType) {
    return inValue != nullptr && CFGetTypeID(inValue) == inType;
}

// Whether the dictionary holds no keys beyond the given ones.
bool HasOnlyKeys(CFDictionaryRef inDictionary, std::initializer_list<CFStringRef> inKeys) {
    CFIndex known = 0;
    for (CFStringRef key : inKeys)
        known += CFDictionaryContainsKey(inDictionary, key) ? 1 : 0;
    return CFDictionaryGetCount(inDictionary) == known;
}

bool IsItem(CFTypeRef inItem) {
    if (!IsA(inItem, CFDictionaryGetTypeID()))
        return false;
    CFDictionaryRef item = static_cast<CFDictionaryRef>(inItem);
    return HasOnlyKeys(item, {kItemValueKey, kItemClientKey, kItemModDateKey, kItemLockedKey}) &&
           CFDictionaryGetValue(item, kItemValueKey) != nullptr &&
           IsA(CFDictionaryGetValue(item, kItemClientKey), CFStringGetTypeID()) &&
           IsA(CFDictionaryGetValue(item, kItemModDateKey), CFDateGetTypeID()) &&
           IsA(CFDictionaryGetValue(item, kItemLockedKey), CFBooleanGetTypeID());
}

// The index of a nested ticket: an exact integer from 0 to kPMTopLevel - 1.
bool GetIndex(CFTypeRef inValue, UInt32& outIndex) {
    if (!IsA(inValue, CFNumberGetTypeID()))
        return false;
    SInt64 index = 0;
    if (!CFNumberGetValue(static_cast<CFNumberRef>(inValue), kCFNumberSInt64Type, &index) ||
        index < 0 || index >= SInt64(kPMTopLevel))
        return false;
    outIndex = UInt32(index);
    return true;
}

bool AddItems(__PMTicket& ioTicket, CFTypeRef inItems) {
    if (!IsA(inItems, CFDictionaryGetTypeID()))
        return false;
    CFDictionaryRef items = static_cast<CFDictionaryRef>(inItems);
    const CFIndex count = CFDictionaryGetCount(items);
    std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
    CFDictionaryGetKeysAndValues(items, keys.data(), values.data());
    for (size_t i = 0; i < size_t(count); ++i) {
        if (!IsA(keys[i], CFStringGetTypeID()) || !IsItem(values[i]))
            return false;
        CFRetain(values[i]);
        if (ioTicket.StoreItem(static_cast<CFStringRef>(keys[i]),
                               static_cast<CFDictionaryRef>(values[i])) != kPMNoError)
            return false;
    }
    return true;
}

bool AddTickets(__PMTicket& ioTicket, CFTypeRef inTickets) {
    if (!IsA(inTickets, CFArrayGetTypeID()))
        return false;
    CFArrayRef tickets = static_cast<CFArrayRef>(inTickets);
    std::set<std::pair<CFStringRef, UInt32>, NestedTicketKeyLess> seen;
    for (CFIndex i = 0, count = CFArrayGetCount(tickets); i < count; ++i) {
        CFTypeRef entry = CFArrayGetValueAtIndex(tickets, i);
        if (!IsA(entry, CFDictionaryGetTypeID()))
            return false;
        CFDictionaryRef nested = static_cast<CFDictionaryRef>(entry);
        UInt32 index = 0;
        if (!HasOnlyKeys(nested, {kIndexKey, kTicketKey}) ||
            !GetIndex(CFDictionaryGetValue(nested, kIndexKey), index))
            return false;
        __PMTicket* child = CreateTicketFromTree(CFDictionaryGetValue(nested, kTicketKey));
        if (child == nullptr)
            return false;
        if (!seen.insert({child->mType, index}).second) {
            CFRelease(child);
            return false;
        }
        ioTicket.AdoptTicket(child, index);
    }
    return true;
}

} // namespace

CFDictionaryRef CreateTicketTree(const __PMTicket& inTicket) {
    __PMTicket::Snapshot snapshot;
    inTicket.TakeSnapshot(snapshot);
    CFMutableArrayRef tickets = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    for (const __PMTicket::Nested& nested : snapshot.tickets) {
        const SInt64 index = nested.index;
        CFTypeRef keys[] = {kIndexKey, kTicketKey};
        CFTypeRef values[] = {CFNumberCreate(nullptr, kCFNumberSInt64Type, &index),
                              CreateTicketTree(*TicketOf(nested.ticket))};
        CFDictionaryRef entry =
            CFDictionaryCreate(nullptr, keys, values, 2, &kCFTypeDictionaryKeyCallBacks,
                               &kCFTypeDictionaryValueCallBacks);
        CFRelease(values[0]);
        CFRelease(values[1]);
        CFArrayAppendValue(tickets, entry);
        CFRelease(entry);
    }
    CFTypeRef keys[] = {kTicketTypeKey, kItemsKey, kTicketsKey};
    CFTypeRef values[] = {inTicket.mType, snapshot.items, tickets};
    CFDictionaryRef tree = CFDictionaryCreate(
        nullptr, keys, values, 3, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFRelease(tickets);
    return tree;
}

__PMTicket* CreateTicketFromTree(CFTypeRef inTree) {
    if (!IsA(inTree, CFDictionaryGetTypeID()))
        return nullptr;
    CFDictionaryRef tree = static_cast<CFDictionaryRef>(inTree);
    CFTypeRef type = CFDictionaryGetValue(tree, kTicketTypeKey);
    if (!HasOnlyKeys(tree, {kTicketTypeKey, kItemsKey, kTicketsKey}) ||
        !IsA(type, CFStringGetTypeID()))
        return nullptr;
    __PMTicket* ticket = new __PMTicket(static_cast<CFStringRef>(type));
    CFTypeRef items = CFDictionaryGetValue(tree, kItemsKey);
    CFTypeRef tickets = CFDictionaryGetValue(tree, kTicketsKey);
    if ((items != nullptr && !AddItems(*ticket, items)) ||
        (tickets != nullptr && !AddTickets(*ticket, tickets))) {
        CFRelease(ticket);
        return nullptr;
    }
    return ticket;
}

} // namespace orvo_pm

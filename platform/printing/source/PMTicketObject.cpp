// The ticket object: items, nested tickets, snapshots, copies and equality.
#include "PMTicketObject.h"

#include "TicketXMLForm.h"

#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>

#include <cstdio>

namespace orvo_pm {

const CFStringRef kItemValueKey = CFSTR("Value");
const CFStringRef kItemClientKey = CFSTR("Client");
const CFStringRef kItemModDateKey = CFSTR("ModDate");
const CFStringRef kItemLockedKey = CFSTR("Locked");

bool NestedTicketKeyLess::operator()(const std::pair<CFStringRef, UInt32>& inA,
                                     const std::pair<CFStringRef, UInt32>& inB) const {
    const CFComparisonResult order = CFStringCompare(inA.first, inB.first, 0);
    if (order != kCFCompareEqualTo)
        return order == kCFCompareLessThan;
    return inA.second < inB.second;
}

namespace {

void ReleaseAll(const std::vector<CFTypeRef>& inObjects) {
    for (CFTypeRef object : inObjects)
        CFRelease(object);
}

} // namespace

} // namespace orvo_pm

using namespace orvo_pm;

__PMTicket::Snapshot::~Snapshot() {
    if (items != nullptr)
        CFRelease(items);
    for (const Nested& nested : tickets)
        CFRelease(nested.ticket);
}

__PMTicket::__PMTicket(CFStringRef inType)
    : orvo_cf::Object(kTypeIDTicket), mType(static_cast<CFStringRef>(CFRetain(inType))),
      mItems(CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                       &kCFTypeDictionaryValueCallBacks)) {}

__PMTicket::~__PMTicket() {
    for (auto& [key, ticket] : mTickets)
        CFRelease(ticket);
    ReleaseAll(mRetired);
    CFRelease(mItems);
    CFRelease(mType);
}

bool __PMTicket::Equals(const orvo_cf::Object& inOther) const {
    const __PMTicket& other = static_cast<const __PMTicket&>(inOther);
    if (!CFEqual(mType, other.mType))
        return false;
    // Compare snapshots, so that no two tickets' locks are ever held together.
    Snapshot mine, theirs;
    TakeSnapshot(mine);
    other.TakeSnapshot(theirs);
    if (!CFEqual(mine.items, theirs.items) || mine.tickets.size() != theirs.tickets.size())
        return false;
    for (size_t i = 0; i < mine.tickets.size(); ++i) {
        if (mine.tickets[i].index != theirs.tickets[i].index ||
            !CFEqual(mine.tickets[i].ticket, theirs.tickets[i].ticket))
            return false;
    }
    return true;
}

CFHashCode __PMTicket::Hash() const {
    return CFHash(mType);
}

void __PMTicket::Describe(std::string& ioOut, int inIndent, bool) const {
    char address[64];
    std::snprintf(address, sizeof address, "<PMTicket %p>{", static_cast<const void*>(this));
    ioOut += address;
    ioOut += orvo_cf::UTF8FromString(mType);
    ioOut += "} ";
    CFDictionaryRef tree = CreateTicketTree(*this);
    orvo_cf::DescribeValue(ioOut, tree, inIndent);
    CFRelease(tree);
}

void __PMTicket::RetireIfLent(CFTypeRef inObject, std::vector<CFTypeRef>& ioRelease) {
    if (mLent.erase(inObject) > 0)
        mRetired.push_back(inObject);
    else
        ioRelease.push_back(inObject);
}

OSStatus __PMTicket::StoreItem(CFStringRef inKey, CFDictionaryRef inItem) {
    std::vector<CFTypeRef> release;
    OSStatus status = kPMNoError;
    {
        std::lock_guard<std::mutex> lock(mMutex);
        CFTypeRef old = CFDictionaryGetValue(mItems, inKey);
        if (old != nullptr) {
            CFDictionaryRef oldItem = static_cast<CFDictionaryRef>(old);
            if (CFDictionaryGetValue(oldItem, kItemLockedKey) == kCFBooleanTrue &&
                !CFEqual(CFDictionaryGetValue(oldItem, kItemClientKey),
                         CFDictionaryGetValue(inItem, kItemClientKey)))
                status = kPMTicketLocked;
        }
        if (status == kPMNoError) {
            if (old != nullptr)
                RetireIfLent(CFRetain(old), release);
            CFDictionarySetValue(mItems, inKey, inItem);
        }
    }
    release.push_back(inItem);
    ReleaseAll(release);
    return status;
}

OSStatus __PMTicket::DeleteItem(CFStringRef inClient, CFStringRef inKey) {
    std::vector<CFTypeRef> release;
    OSStatus status = kPMNoError;
    {
        std::lock_guard<std::mutex> lock(mMutex);
        CFTypeRef old = CFDictionaryGetValue(mItems, inKey);
        if (old == nullptr) {
            status = kPMItemNotFound;
        } else {
            CFDictionaryRef oldItem = static_cast<CFDictionaryRef>(old);
            if (CFDictionaryGetValue(oldItem, kItemLockedKey) == kCFBooleanTrue &&
                !CFEqual(CFDictionaryGetValue(oldItem, kItemClientKey), inClient)) {
                status = kPMTicketLocked;
            } else {
                RetireIfLent(CFRetain(old), release);
                CFDictionaryRemoveValue(mItems, inKey);
            }
        }
    }
    ReleaseAll(release);
    return status;
}

CFDictionaryRef __PMTicket::LendItem(CFStringRef inKey) {
    std::lock_guard<std::mutex> lock(mMutex);
    CFTypeRef item = CFDictionaryGetValue(mItems, inKey);
    if (item != nullptr)
        mLent.insert(item);
    return static_cast<CFDictionaryRef>(item);
}

void __PMTicket::AdoptTicket(PMTicketRef inTicket, UInt32 inIndex) {
    std::vector<CFTypeRef> release;
    {
        std::lock_guard<std::mutex> lock(mMutex);
        const NestedKey key{TicketOf(inTicket)->mType, inIndex};
        auto found = mTickets.find(key);
        if (found != mTickets.end()) {
            RetireIfLent(found->second, release);
            mTickets.erase(found);
        }
        mTickets.emplace(key, inTicket);
    }
    ReleaseAll(release);
}

PMTicketRef __PMTicket::LendTicket(CFStringRef inType, UInt32 inIndex) {
    std::lock_guard<std::mutex> lock(mMutex);
    auto found = mTickets.find(NestedKey{inType, inIndex});
    if (found == mTickets.end())
        return nullptr;
    mLent.insert(found->second);
    return found->second;
}

bool __PMTicket::RemoveTicket(CFStringRef inType, UInt32 inIndex) {
    std::vector<CFTypeRef> release;
    {
        std::lock_guard<std::mutex> lock(mMutex);
        auto found = mTickets.find(NestedKey{inType, inIndex});
        if (found == mTickets.end())
            return false;
        RetireIfLent(found->second, release);
        mTickets.erase(found);
    }
    ReleaseAll(release);
    return true;
}

std::vector<PMTicketRef> __PMTicket::LendTicketsAt(UInt32 inIndex) {
    std::vector<PMTicketRef> tickets;
    std::lock_guard<std::mutex> lock(mMutex);
    for (auto& [key, ticket] : mTickets) {
        if (key.second != inIndex)
            continue;
        mLent.insert(ticket);
        CFRetain(ticket);
        tickets.push_back(ticket);
    }
    return tickets;
}

std::vector<UInt32> __PMTicket::IndexesOf(CFStringRef inType) const {
    std::vector<UInt32> indexes;
    std::lock_guard<std::mutex> lock(mMutex);
    for (auto found = mTickets.lower_bound(NestedKey{inType, 0});
         found != mTickets.end() && CFEqual(found->first.first, inType); ++found)
        indexes.push_back(found->first.second);
    return indexes;
}

void __PMTicket::TakeSnapshot(Snapshot& outSnapshot) const {
    std::lock_guard<std::mutex> lock(mMutex);
    outSnapshot.items = CFDictionaryCreateCopy(nullptr, mItems);
    outSnapshot.tickets.reserve(mTickets.size());
    for (auto& [key, ticket] : mTickets) {
        CFRetain(ticket);
        outSnapshot.tickets.push_back(Nested{key.second, ticket});
    }
}

__PMTicket* __PMTicket::CreateCopy() const {
    Snapshot snapshot;
    TakeSnapshot(snapshot);
    __PMTicket* copy = new __PMTicket(mType);
    // Item dictionaries are immutable: the copy shares them.
    CFIndex count = CFDictionaryGetCount(snapshot.items);
    std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
    CFDictionaryGetKeysAndValues(snapshot.items, keys.data(), values.data());
    for (size_t i = 0; i < size_t(count); ++i)
        CFDictionarySetValue(copy->mItems, keys[i], values[i]);
    for (const Nested& nested : snapshot.tickets) {
        __PMTicket* child = TicketOf(nested.ticket)->CreateCopy();
        copy->mTickets.emplace(NestedKey{child->mType, nested.index}, child);
    }
    return copy;
}

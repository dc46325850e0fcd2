// The ticket object behind a PMTicketRef.
//
// Items are held as item dictionaries in the XML form (Value, Client, ModDate, Locked),
// immutable and replaced whole on every write, so that a snapshot of the items is a shallow
// copy. Nested tickets are owned (each a private copy of what was handed in) and keyed by
// their type and index. One mutex guards the state; it is never held while another
// ticket's mutex is taken, nor while an object is released.
#pragma once

#include "PrintingTypeIDs.h"

#include <PrintCore/PMTicket.h>

#include <map>
#include <mutex>
#include <unordered_set>
#include <utility>
#include <vector>

namespace orvo_pm {

// Keys of an item dictionary.
extern const CFStringRef kItemValueKey;
extern const CFStringRef kItemClientKey;
extern const CFStringRef kItemModDateKey;
extern const CFStringRef kItemLockedKey;

// Orders nested tickets by type (CFStringCompare), then index.
struct NestedTicketKeyLess {
    bool operator()(const std::pair<CFStringRef, UInt32>& inA,
                    const std::pair<CFStringRef, UInt32>& inB) const;
};

} // namespace orvo_pm

struct __PMTicket : orvo_cf::Object {
    // A nested ticket with its index.
    struct Nested {
        UInt32 index;
        PMTicketRef ticket;
    };
    // The state at one moment, with references of its own: released by the destructor.
    struct Snapshot {
        Snapshot() = default;
        Snapshot(const Snapshot&) = delete;
        Snapshot& operator=(const Snapshot&) = delete;
        ~Snapshot();
        CFDictionaryRef items = nullptr; // key -> item dictionary
        std::vector<Nested> tickets;     // by type, then index
    };

    // Retains inType.
    explicit __PMTicket(CFStringRef inType);
    ~__PMTicket() override;

    bool Equals(const orvo_cf::Object& inOther) const override;
    CFHashCode Hash() const override;
    void Describe(std::string& ioOut, int inIndent, bool inTopLevel) const override;
    const char* TypeName() const override { return "PMTicket"; }

    // Stores an item dictionary (taking over the caller's reference) under the key, unless
    // the item there is locked by another client: then kPMTicketLocked, and the dictionary
    // is released.
    OSStatus StoreItem(CFStringRef inKey, CFDictionaryRef inItem);
    OSStatus DeleteItem(CFStringRef inClient, CFStringRef inKey);
    // The item dictionary under the key, borrowed and kept alive for the ticket's lifetime;
    // null when there is none.
    CFDictionaryRef LendItem(CFStringRef inKey);

    // Takes over a ticket that nobody else holds and keeps it at the index, replacing one of
    // its type held there before.
    void AdoptTicket(PMTicketRef inTicket, UInt32 inIndex);
    // The nested ticket, borrowed and kept alive for this ticket's lifetime; null when none.
    PMTicketRef LendTicket(CFStringRef inType, UInt32 inIndex);
    bool RemoveTicket(CFStringRef inType, UInt32 inIndex);
    // The nested tickets at an index (of any type, by type), retained for the caller and
    // kept alive for this ticket's lifetime.
    std::vector<PMTicketRef> LendTicketsAt(UInt32 inIndex);
    std::vector<UInt32> IndexesOf(CFStringRef inType) const;

    void TakeSnapshot(Snapshot& outSnapshot) const;
    // A new ticket equal to this one, its nested tickets copied deeply.
    __PMTicket* CreateCopy() const;

    const CFStringRef mType;

private:
    using NestedKey = std::pair<CFStringRef, UInt32>; // the nested ticket's own type
    // Keeps a borrowed object alive once it is no longer held (under mMutex).
    void RetireIfLent(CFTypeRef inObject, std::vector<CFTypeRef>& ioRelease);

    mutable std::mutex mMutex;
    CFMutableDictionaryRef mItems; // key -> item dictionary
    std::map<NestedKey, PMTicketRef, orvo_pm::NestedTicketKeyLess> mTickets;
    std::unordered_set<CFTypeRef> mLent; // held objects that were handed out borrowed
    std::vector<CFTypeRef> mRetired;     // lent objects no longer held; released at the end
};

namespace orvo_pm {

// The ticket behind a reference, or null when the reference is null or not a ticket.
inline __PMTicket* TicketOf(CFTypeRef inTicket) {
    return orvo_cf::CastMutable<__PMTicket>(inTicket, kTypeIDTicket);
}

} // namespace orvo_pm

// The template object behind a PMTemplateRef: entries by key, each with a value kind, a
// constraint kind, an optional default and an optional range or list. One mutex guards the
// entries; it is never held while a ticket's mutex is taken, nor while an object is
// released. Values that an entry stops holding are kept until the template goes, so that
// borrowed values never dangle.
#pragma once

#include "PrintingTypeIDs.h"

#include <PrintCore/PMTemplate.h>

#include <map>
#include <mutex>
#include <vector>

namespace orvo_pm {

// Orders keys by CFStringCompare.
struct StringLess {
    bool operator()(CFStringRef inA, CFStringRef inB) const;
};

} // namespace orvo_pm

struct __PMTemplate : orvo_cf::Object {
    struct Entry {
        PMValueType kind = kPMValueUndefined;
        PMConstraintType constraint = kPMConstraintUndefined;
        CFTypeRef defaultValue = nullptr;    // a property-list value, or a PMTicketRef
        CFTypeRef constraintValue = nullptr; // [minimum, maximum], the list, or a list ticket
    };
    // The entries at one moment, with references of its own: released by the destructor.
    struct Snapshot {
        Snapshot() = default;
        Snapshot(const Snapshot&) = delete;
        Snapshot& operator=(const Snapshot&) = delete;
        ~Snapshot();
        std::vector<std::pair<CFStringRef, Entry>> entries; // sorted by key
    };
    // Which part of an entry a value is meant for.
    enum class Part { Default, Constraint };

    __PMTemplate();
    ~__PMTemplate() override;

    bool Equals(const orvo_cf::Object& inOther) const override;
    CFHashCode Hash() const override;
    void Describe(std::string& ioOut, int inIndent, bool inTopLevel) const override;
    const char* TypeName() const override { return "PMTemplate"; }

    // Makes (or remakes) an entry with neither default nor constraint values. The key is
    // copied; kind and constraint are trusted to be valid.
    void MakeEntry(CFStringRef inKey, PMValueType inKind, PMConstraintType inConstraint);
    bool RemoveEntry(CFStringRef inKey);
    // The entry, its values borrowed; false when there is none.
    bool GetEntry(CFStringRef inKey, Entry& outEntry) const;
    // Stores a value (taking over the caller's reference) as the entry's default or
    // constraint value once inAccepts(entry) says it fits: kPMItemNotFound without an entry,
    // kPMWrongValueKind when it does not fit (the value is then released).
    OSStatus StoreValue(CFStringRef inKey, Part inPart, CFTypeRef inValue,
                        bool (*inAccepts)(const Entry& inEntry, CFTypeRef inValue));

    void TakeSnapshot(Snapshot& outSnapshot) const;

private:
    mutable std::mutex mMutex;
    std::map<CFStringRef, Entry, orvo_pm::StringLess> mEntries; // keys and values retained
    std::vector<CFTypeRef> mRetired; // keys and values no longer held; released at the end
};

namespace orvo_pm {

// The template behind a reference, or null when the reference is null or not a template.
inline __PMTemplate* TemplateOf(CFTypeRef inTemplate) {
    return orvo_cf::CastMutable<__PMTemplate>(inTemplate, kTypeIDTemplate);
}

} // namespace orvo_pm

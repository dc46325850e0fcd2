// The template object: entries, snapshots and equality.
#include "PMTemplateObject.h"

#include "TemplateXMLForm.h"

#include <CoreFoundation/CFString.h>

#include <cstdio>

namespace orvo_pm {

bool StringLess::operator()(CFStringRef inA, CFStringRef inB) const {
    return CFStringCompare(inA, inB, 0) == kCFCompareLessThan;
}

} // namespace orvo_pm

using namespace orvo_pm;

namespace {

void RetainEntry(const __PMTemplate::Entry& inEntry) {
    CFRetain(inEntry.defaultValue);
    CFRetain(inEntry.constraintValue);
}

void ReleaseEntry(const __PMTemplate::Entry& inEntry) {
    CFRelease(inEntry.defaultValue);
    CFRelease(inEntry.constraintValue);
}

} // namespace

__PMTemplate::Snapshot::~Snapshot() {
    for (auto& [key, entry] : entries) {
        CFRelease(key);
        ReleaseEntry(entry);
    }
}

__PMTemplate::__PMTemplate() : orvo_cf::Object(kTypeIDTemplate) {}

__PMTemplate::~__PMTemplate() {
    for (auto& [key, entry] : mEntries) {
        CFRelease(key);
        ReleaseEntry(entry);
    }
    for (CFTypeRef retired : mRetired)
        CFRelease(retired);
}

bool __PMTemplate::Equals(const orvo_cf::Object& inOther) const {
    Snapshot mine, theirs;
    TakeSnapshot(mine);
    static_cast<const __PMTemplate&>(inOther).TakeSnapshot(theirs);
    if (mine.entries.size() != theirs.entries.size())
        return false;
    for (size_t i = 0; i < mine.entries.size(); ++i) {
        const auto& [keyA, a] = mine.entries[i];
        const auto& [keyB, b] = theirs.entries[i];
        if (!CFEqual(keyA, keyB) || a.kind != b.kind || a.constraint != b.constraint ||
            !CFEqual(a.defaultValue, b.defaultValue) ||
            !CFEqual(a.constraintValue, b.constraintValue))
            return false;
    }
    return true;
}

CFHashCode __PMTemplate::Hash() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return CFHashCode(mEntries.size());
}

void __PMTemplate::Describe(std::string& ioOut, int inIndent, bool) const {
    char address[64];
    std::snprintf(address, sizeof address, "<PMTemplate %p> ", static_cast<const void*>(this));
    ioOut += address;
    CFDictionaryRef tree = CreateTemplateTree(*this);
    orvo_cf::DescribeValue(ioOut, tree, inIndent);
    CFRelease(tree);
}

void __PMTemplate::MakeEntry(CFStringRef inKey, PMValueType inKind, PMConstraintType inConstraint) {
    CFStringRef key = CFStringCreateCopy(nullptr, inKey);
    std::lock_guard<std::mutex> lock(mMutex);
    auto found = mEntries.find(key);
    if (found != mEntries.end()) {
        mRetired.push_back(found->first);
        if (found->second.defaultValue != nullptr)
            mRetired.push_back(found->second.defaultValue);
        if (found->second.constraintValue != nullptr)
            mRetired.push_back(found->second.constraintValue);
        mEntries.erase(found);
    }
    mEntries.emplace(key, Entry{inKind, inConstraint, nullptr, nullptr});
}

bool __PMTemplate::RemoveEntry(CFStringRef inKey) {
    std::lock_guard<std::mutex> lock(mMutex);
    auto found = mEntries.find(inKey);
    if (found == mEntries.end())
        return false;
    mRetired.push_back(found->first);
    if (found->second.defaultValue != nullptr)
        mRetired.push_back(found->second.defaultValue);
    if (found->second.constraintValue != nullptr)
        mRetired.push_back(found->second.constraintValue);
    mEntries.erase(found);
    return true;
}

bool __PMTemplate::GetEntry(CFStringRef inKey, Entry& outEntry) const {
    std::lock_guard<std::mutex> lock(mMutex);
    auto found = mEntries.find(inKey);
    if (found == mEntries.end())
        return false;
    outEntry = found->second;
    return true;
}

OSStatus __PMTemplate::StoreValue(CFStringRef inKey, Part inPart, CFTypeRef inValue,
                                  bool (*inAccepts)(const Entry&, CFTypeRef)) {
    OSStatus status = kPMNoError;
    {
        std::lock_guard<std::mutex> lock(mMutex);
        auto found = mEntries.find(inKey);
        if (found == mEntries.end()) {
            status = kPMItemNotFound;
        } else if (!inAccepts(found->second, inValue)) {
            status = kPMWrongValueKind;
        } else {
            CFTypeRef& slot = inPart == Part::Default ? found->second.defaultValue
                                                      : found->second.constraintValue;
            if (slot != nullptr)
                mRetired.push_back(slot);
            slot = inValue;
        }
    }
    if (status != kPMNoError)
        CFRelease(inValue);
    return status;
}

void __PMTemplate::TakeSnapshot(Snapshot& outSnapshot) const {
    std::lock_guard<std::mutex> lock(mMutex);
    outSnapshot.entries.reserve(mEntries.size());
    for (auto& [key, entry] : mEntries) {
        CFRetain(key);
        RetainEntry(entry);
        outSnapshot.entries.emplace_back(key, entry);
    }
}

// Unordered maps from keys to values, held and matched according to their callbacks.
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFRuntime.h>
#include <CoreFoundation/CFString.h>

#include <algorithm>
#include <cstdio>
#include <unordered_map>
#include <utility>
#include <vector>

using namespace orvo_cf;

namespace {

CFHashCode HashValue(const void* inValue) {
    return CFHash(inValue);
}
const void* CopyStringKey(CFAllocatorRef, const void* inValue) {
    if (CFGetTypeID(inValue) == CFStringGetTypeID())
        return CFStringCreateCopy(nullptr, static_cast<CFStringRef>(inValue));
    return CFRetain(inValue);
}

} // namespace

const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {
    0, RetainCallBack, ReleaseCallBack, CFCopyDescription, EqualCallBack, HashValue};
const CFDictionaryKeyCallBacks kCFCopyStringDictionaryKeyCallBacks = {
    0, CopyStringKey, ReleaseCallBack, CFCopyDescription, EqualCallBack, HashValue};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {
    0, RetainCallBack, ReleaseCallBack, CFCopyDescription, EqualCallBack};

struct __CFDictionary : Object {
    struct KeyHash {
        const CFDictionaryKeyCallBacks* mCallBacks;
        size_t operator()(const void* inKey) const {
            return mCallBacks->hash ? mCallBacks->hash(inKey) : std::hash<const void*>()(inKey);
        }
    };
    struct KeyEqual {
        const CFDictionaryKeyCallBacks* mCallBacks;
        bool operator()(const void* inA, const void* inB) const {
            if (inA == inB)
                return true;
            return mCallBacks->equal ? mCallBacks->equal(inA, inB) : false;
        }
    };
    using Map = std::unordered_map<const void*, const void*, KeyHash, KeyEqual>;

    __CFDictionary(const CFDictionaryKeyCallBacks* inKeyCallBacks,
                   const CFDictionaryValueCallBacks* inValueCallBacks, bool inMutable)
        : Object(kTypeIDDictionary),
          mKeyCallBacks(inKeyCallBacks ? *inKeyCallBacks : CFDictionaryKeyCallBacks{}),
          mValueCallBacks(inValueCallBacks ? *inValueCallBacks : CFDictionaryValueCallBacks{}),
          mMutable(inMutable), mMap(0, KeyHash{&mKeyCallBacks}, KeyEqual{&mKeyCallBacks}) {}
    ~__CFDictionary() override { Clear(); }

    const void* HoldKey(const void* inKey) const {
        return mKeyCallBacks.retain ? mKeyCallBacks.retain(nullptr, inKey) : inKey;
    }
    void DropKey(const void* inKey) const {
        if (mKeyCallBacks.release)
            mKeyCallBacks.release(nullptr, inKey);
    }
    const void* HoldValue(const void* inValue) const {
        return mValueCallBacks.retain ? mValueCallBacks.retain(nullptr, inValue) : inValue;
    }
    void DropValue(const void* inValue) const {
        if (mValueCallBacks.release)
            mValueCallBacks.release(nullptr, inValue);
    }
    bool SameValue(const void* inA, const void* inB) const {
        return inA == inB || (mValueCallBacks.equal && mValueCallBacks.equal(inA, inB));
    }

    void Insert(const void* inKey, const void* inValue) {
        mMap.emplace(HoldKey(inKey), HoldValue(inValue));
    }
    void Replace(Map::iterator inEntry, const void* inValue) {
        const void* held = HoldValue(inValue);
        const void* old = inEntry->second;
        inEntry->second = held;
        DropValue(old);
    }
    void Clear() {
        Map removed(0, KeyHash{&mKeyCallBacks}, KeyEqual{&mKeyCallBacks});
        removed.swap(mMap);
        for (auto& entry : removed) {
            DropKey(entry.first);
            DropValue(entry.second);
        }
    }

    bool Equals(const Object& inOther) const override {
        const auto& other = static_cast<const __CFDictionary&>(inOther);
        if (mMap.size() != other.mMap.size())
            return false;
        for (const auto& entry : mMap) {
            auto found = other.mMap.find(entry.first);
            if (found == other.mMap.end() || !SameValue(entry.second, found->second))
                return false;
        }
        return true;
    }
    CFHashCode Hash() const override { return mMap.size(); }
    void Describe(std::string& ioOut, int inIndent, bool) const override;
    const char* TypeName() const override { return "CFDictionary"; }

    const CFDictionaryKeyCallBacks mKeyCallBacks;
    const CFDictionaryValueCallBacks mValueCallBacks;
    const bool mMutable;
    Map mMap;
};

void __CFDictionary::Describe(std::string& ioOut, int inIndent, bool) const {
    if (mMap.empty()) {
        ioOut += "{}";
        return;
    }
    const bool describeKeys = mKeyCallBacks.copyDescription == CFCopyDescription;
    const bool describeValues = mValueCallBacks.copyDescription == CFCopyDescription;
    auto describe = [&](const void* inItem, bool inDescribable, int inDepth) {
        std::string text;
        if (inDescribable) {
            DescribeValue(text, inItem, inDepth);
        } else {
            char pointer[32];
            std::snprintf(pointer, sizeof pointer, "<%p>", inItem);
            text = pointer;
        }
        return text;
    };
    // Entries in the order of their key descriptions, so that output is reproducible.
    std::vector<std::pair<std::string, const void*>> entries;
    entries.reserve(mMap.size());
    for (const auto& entry : mMap)
        entries.emplace_back(describe(entry.first, describeKeys, inIndent + 1), entry.second);
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    ioOut += "{\n";
    for (const auto& entry : entries) {
        AppendIndent(ioOut, inIndent + 1);
        ioOut += entry.first;
        ioOut += " = ";
        ioOut += describe(entry.second, describeValues, inIndent + 1);
        ioOut += ";\n";
    }
    AppendIndent(ioOut, inIndent);
    ioOut += "}";
}

namespace {

const __CFDictionary* DictionaryOf(CFDictionaryRef inDictionary, const char* inFunction) {
    return CheckedCast<__CFDictionary>(inDictionary, kTypeIDDictionary, inFunction, "CFDictionary");
}

__CFDictionary* MutableDictionaryOf(CFMutableDictionaryRef inDictionary, const char* inFunction) {
    return CheckedMutableCast<__CFDictionary>(inDictionary, kTypeIDDictionary, inFunction,
                                              "CFDictionary");
}

__CFDictionary* CopyOf(const __CFDictionary* inSource, bool inMutable) {
    auto* copy =
        new __CFDictionary(&inSource->mKeyCallBacks, &inSource->mValueCallBacks, inMutable);
    copy->mMap.reserve(inSource->mMap.size());
    for (const auto& entry : inSource->mMap)
        copy->Insert(entry.first, entry.second);
    return copy;
}

} // namespace

CFTypeID CFDictionaryGetTypeID(void) {
    return kTypeIDDictionary;
}

CFDictionaryRef CFDictionaryCreate(CFAllocatorRef, const void** keys, const void** values,
                                   CFIndex numValues, const CFDictionaryKeyCallBacks* keyCallBacks,
                                   const CFDictionaryValueCallBacks* valueCallBacks) {
    if (numValues < 0 || (numValues > 0 && (keys == nullptr || values == nullptr)))
        return nullptr;
    auto* dictionary = new __CFDictionary(keyCallBacks, valueCallBacks, false);
    for (CFIndex i = 0; i < numValues; ++i) {
        auto found = dictionary->mMap.find(keys[i]);
        if (found == dictionary->mMap.end())
            dictionary->Insert(keys[i], values[i]);
        else
            dictionary->Replace(found, values[i]); // a repeated key: the last value wins
    }
    return dictionary;
}

CFDictionaryRef CFDictionaryCreateCopy(CFAllocatorRef, CFDictionaryRef theDict) {
    const __CFDictionary* dictionary = DictionaryOf(theDict, "CFDictionaryCreateCopy");
    if (dictionary == nullptr)
        return nullptr;
    if (!dictionary->mMutable)
        return static_cast<CFDictionaryRef>(CFRetain(dictionary));
    return CopyOf(dictionary, false);
}

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks) {
    auto* dictionary = new __CFDictionary(keyCallBacks, valueCallBacks, true);
    if (capacity > 0)
        dictionary->mMap.reserve(static_cast<size_t>(capacity));
    return dictionary;
}

CFMutableDictionaryRef CFDictionaryCreateMutableCopy(CFAllocatorRef, CFIndex,
                                                     CFDictionaryRef theDict) {
    const __CFDictionary* dictionary = DictionaryOf(theDict, "CFDictionaryCreateMutableCopy");
    return dictionary ? CopyOf(dictionary, true) : nullptr;
}

CFIndex CFDictionaryGetCount(CFDictionaryRef theDict) {
    const __CFDictionary* dictionary = DictionaryOf(theDict, "CFDictionaryGetCount");
    return dictionary ? static_cast<CFIndex>(dictionary->mMap.size()) : 0;
}

CFIndex CFDictionaryGetCountOfKey(CFDictionaryRef theDict, const void* key) {
    return CFDictionaryContainsKey(theDict, key) ? 1 : 0;
}

CFIndex CFDictionaryGetCountOfValue(CFDictionaryRef theDict, const void* value) {
    const __CFDictionary* dictionary = DictionaryOf(theDict, "CFDictionaryGetCountOfValue");
    if (dictionary == nullptr)
        return 0;
    CFIndex count = 0;
    for (const auto& entry : dictionary->mMap)
        count += dictionary->SameValue(entry.second, value) ? 1 : 0;
    return count;
}

Boolean CFDictionaryContainsKey(CFDictionaryRef theDict, const void* key) {
    const __CFDictionary* dictionary = DictionaryOf(theDict, "CFDictionaryContainsKey");
    return dictionary != nullptr && dictionary->mMap.count(key) > 0;
}

Boolean CFDictionaryContainsValue(CFDictionaryRef theDict, const void* value) {
    return CFDictionaryGetCountOfValue(theDict, value) > 0;
}

const void* CFDictionaryGetValue(CFDictionaryRef theDict, const void* key) {
    const void* value = nullptr;
    CFDictionaryGetValueIfPresent(theDict, key, &value);
    return value;
}

Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef theDict, const void* key,
                                      const void** value) {
    const __CFDictionary* dictionary = DictionaryOf(theDict, "CFDictionaryGetValue");
    if (dictionary == nullptr)
        return false;
    auto found = dictionary->mMap.find(key);
    if (found == dictionary->mMap.end())
        return false;
    if (value != nullptr)
        *value = found->second;
    return true;
}

void CFDictionaryGetKeysAndValues(CFDictionaryRef theDict, const void** keys, const void** values) {
    const __CFDictionary* dictionary = DictionaryOf(theDict, "CFDictionaryGetKeysAndValues");
    if (dictionary == nullptr)
        return;
    size_t i = 0;
    for (const auto& entry : dictionary->mMap) {
        if (keys != nullptr)
            keys[i] = entry.first;
        if (values != nullptr)
            values[i] = entry.second;
        ++i;
    }
}

void CFDictionaryApplyFunction(CFDictionaryRef theDict, CFDictionaryApplierFunction applier,
                               void* context) {
    const __CFDictionary* dictionary = DictionaryOf(theDict, "CFDictionaryApplyFunction");
    if (dictionary == nullptr || applier == nullptr)
        return;
    // A snapshot, so that the applier may not invalidate the walk.
    std::vector<std::pair<const void*, const void*>> entries(dictionary->mMap.begin(),
                                                             dictionary->mMap.end());
    for (const auto& entry : entries)
        applier(entry.first, entry.second, context);
}

void CFDictionaryAddValue(CFMutableDictionaryRef theDict, const void* key, const void* value) {
    __CFDictionary* dictionary = MutableDictionaryOf(theDict, "CFDictionaryAddValue");
    if (dictionary != nullptr && dictionary->mMap.find(key) == dictionary->mMap.end())
        dictionary->Insert(key, value);
}

void CFDictionarySetValue(CFMutableDictionaryRef theDict, const void* key, const void* value) {
    __CFDictionary* dictionary = MutableDictionaryOf(theDict, "CFDictionarySetValue");
    if (dictionary == nullptr)
        return;
    auto found = dictionary->mMap.find(key);
    if (found == dictionary->mMap.end())
        dictionary->Insert(key, value);
    else
        dictionary->Replace(found, value);
}

void CFDictionaryReplaceValue(CFMutableDictionaryRef theDict, const void* key, const void* value) {
    __CFDictionary* dictionary = MutableDictionaryOf(theDict, "CFDictionaryReplaceValue");
    if (dictionary == nullptr)
        return;
    auto found = dictionary->mMap.find(key);
    if (found != dictionary->mMap.end())
        dictionary->Replace(found, value);
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef theDict, const void* key) {
    __CFDictionary* dictionary = MutableDictionaryOf(theDict, "CFDictionaryRemoveValue");
    if (dictionary == nullptr)
        return;
    auto found = dictionary->mMap.find(key);
    if (found == dictionary->mMap.end())
        return;
    const void* oldKey = found->first;
    const void* oldValue = found->second;
    dictionary->mMap.erase(found);
    dictionary->DropKey(oldKey);
    dictionary->DropValue(oldValue);
}

void CFDictionaryRemoveAllValues(CFMutableDictionaryRef theDict) {
    __CFDictionary* dictionary = MutableDictionaryOf(theDict, "CFDictionaryRemoveAllValues");
    if (dictionary != nullptr)
        dictionary->Clear();
}

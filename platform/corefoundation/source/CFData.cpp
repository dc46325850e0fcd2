// Byte strings, immutable or growable.
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFRuntime.h>

#include <cstdio>
#include <cstring>
#include <vector>

using namespace orvo_cf;

struct __CFData : Object {
    __CFData(std::vector<UInt8> inBytes, bool inMutable)
        : Object(kTypeIDData), mBytes(std::move(inBytes)), mMutable(inMutable) {}

    bool Equals(const Object& inOther) const override {
        return mBytes == static_cast<const __CFData&>(inOther).mBytes;
    }
    CFHashCode Hash() const override {
        CFHashCode hash = 1469598103934665603ULL ^ mBytes.size();
        // Long data hashes its first 80 bytes, enough to spread keys without reading all.
        size_t count = mBytes.size() < 80 ? mBytes.size() : 80;
        for (size_t i = 0; i < count; ++i)
            hash = (hash ^ mBytes[i]) * 1099511628211ULL;
        return hash;
    }
    void Describe(std::string& ioOut, int, bool) const override {
        static const char kHex[] = "0123456789abcdef";
        ioOut.push_back('<');
        for (size_t i = 0; i < mBytes.size(); ++i) {
            if (i > 0 && i % 4 == 0)
                ioOut.push_back(' ');
            ioOut.push_back(kHex[mBytes[i] >> 4]);
            ioOut.push_back(kHex[mBytes[i] & 0xF]);
        }
        ioOut.push_back('>');
    }
    const char* TypeName() const override { return "CFData"; }

    std::vector<UInt8> mBytes;
    const bool mMutable;
};

namespace {

const __CFData* DataOf(CFDataRef inData, const char* inFunction) {
    return CheckedCast<__CFData>(inData, kTypeIDData, inFunction, "CFData");
}

__CFData* MutableDataOf(CFMutableDataRef inData, const char* inFunction) {
    return CheckedMutableCast<__CFData>(inData, kTypeIDData, inFunction, "CFData");
}

} // namespace

CFTypeID CFDataGetTypeID(void) {
    return kTypeIDData;
}

CFDataRef CFDataCreate(CFAllocatorRef, const UInt8* bytes, CFIndex length) {
    if (length < 0 || (bytes == nullptr && length > 0))
        return nullptr;
    return new __CFData(std::vector<UInt8>(bytes, bytes + length), false);
}

CFDataRef CFDataCreateCopy(CFAllocatorRef, CFDataRef theData) {
    const __CFData* data = DataOf(theData, "CFDataCreateCopy");
    if (data == nullptr)
        return nullptr;
    if (!data->mMutable)
        return static_cast<CFDataRef>(CFRetain(data));
    return new __CFData(data->mBytes, false);
}

CFMutableDataRef CFDataCreateMutable(CFAllocatorRef, CFIndex capacity) {
    auto* data = new __CFData({}, true);
    if (capacity > 0)
        data->mBytes.reserve(static_cast<size_t>(capacity));
    return data;
}

CFMutableDataRef CFDataCreateMutableCopy(CFAllocatorRef, CFIndex, CFDataRef theData) {
    const __CFData* data = DataOf(theData, "CFDataCreateMutableCopy");
    if (data == nullptr)
        return nullptr;
    return new __CFData(data->mBytes, true);
}

CFIndex CFDataGetLength(CFDataRef theData) {
    const __CFData* data = DataOf(theData, "CFDataGetLength");
    return data ? static_cast<CFIndex>(data->mBytes.size()) : 0;
}

const UInt8* CFDataGetBytePtr(CFDataRef theData) {
    const __CFData* data = DataOf(theData, "CFDataGetBytePtr");
    return data ? data->mBytes.data() : nullptr;
}

UInt8* CFDataGetMutableBytePtr(CFMutableDataRef theData) {
    __CFData* data = MutableDataOf(theData, "CFDataGetMutableBytePtr");
    return data ? data->mBytes.data() : nullptr;
}

void CFDataGetBytes(CFDataRef theData, CFRange range, UInt8* buffer) {
    const __CFData* data = DataOf(theData, "CFDataGetBytes");
    if (data == nullptr || buffer == nullptr)
        return;
    if (!RangeIsWithin(range, data->mBytes.size())) {
        ReportMisuse("CFDataGetBytes", "range out of bounds");
        return;
    }
    if (range.length > 0)
        std::memcpy(buffer, data->mBytes.data() + range.location, range.length);
}

void CFDataSetLength(CFMutableDataRef theData, CFIndex length) {
    __CFData* data = MutableDataOf(theData, "CFDataSetLength");
    if (data == nullptr || length < 0)
        return;
    data->mBytes.resize(static_cast<size_t>(length), 0);
}

void CFDataIncreaseLength(CFMutableDataRef theData, CFIndex extraLength) {
    __CFData* data = MutableDataOf(theData, "CFDataIncreaseLength");
    if (data == nullptr || extraLength < 0)
        return;
    data->mBytes.resize(data->mBytes.size() + static_cast<size_t>(extraLength), 0);
}

void CFDataAppendBytes(CFMutableDataRef theData, const UInt8* bytes, CFIndex length) {
    __CFData* data = MutableDataOf(theData, "CFDataAppendBytes");
    if (data == nullptr || bytes == nullptr || length <= 0)
        return;
    data->mBytes.insert(data->mBytes.end(), bytes, bytes + length);
}

void CFDataReplaceBytes(CFMutableDataRef theData, CFRange range, const UInt8* newBytes,
                        CFIndex newLength) {
    __CFData* data = MutableDataOf(theData, "CFDataReplaceBytes");
    if (data == nullptr || newLength < 0 || (newBytes == nullptr && newLength > 0))
        return;
    if (!RangeIsWithin(range, data->mBytes.size())) {
        ReportMisuse("CFDataReplaceBytes", "range out of bounds");
        return;
    }
    std::vector<UInt8> replacement(newBytes, newBytes + newLength); // may alias the data
    auto first = data->mBytes.begin() + range.location;
    data->mBytes.erase(first, first + range.length);
    data->mBytes.insert(data->mBytes.begin() + range.location, replacement.begin(),
                        replacement.end());
}

void CFDataDeleteBytes(CFMutableDataRef theData, CFRange range) {
    CFDataReplaceBytes(theData, range, nullptr, 0);
}

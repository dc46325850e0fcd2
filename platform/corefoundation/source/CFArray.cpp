// Ordered sequences of values held according to their callbacks.
#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFRuntime.h>
#include <CoreFoundation/CFString.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace orvo_cf;

namespace {

const void* RetainValue(CFAllocatorRef, const void* inValue) {
    return CFRetain(inValue);
}
void ReleaseValue(CFAllocatorRef, const void* inValue) {
    CFRelease(inValue);
}
Boolean EqualValues(const void* inA, const void* inB) {
    return CFEqual(inA, inB);
}

} // namespace

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, RetainValue, ReleaseValue, CFCopyDescription,
                                                EqualValues};

struct __CFArray : Object {
    __CFArray(const CFArrayCallBacks* inCallBacks, bool inMutable)
        : Object(kTypeIDArray), mCallBacks(inCallBacks ? *inCallBacks : CFArrayCallBacks{}),
          mMutable(inMutable) {}
    ~__CFArray() override {
        for (const void* value : mValues)
            Drop(value);
    }

    const void* Hold(const void* inValue) const {
        return mCallBacks.retain ? mCallBacks.retain(nullptr, inValue) : inValue;
    }
    void Drop(const void* inValue) const {
        if (mCallBacks.release)
            mCallBacks.release(nullptr, inValue);
    }
    bool Same(const void* inA, const void* inB) const {
        return mCallBacks.equal ? mCallBacks.equal(inA, inB) : inA == inB;
    }
    bool HoldsValues() const { return mCallBacks.retain == RetainCallBack; }

    bool Equals(const Object& inOther) const override {
        const auto& other = static_cast<const __CFArray&>(inOther);
        if (mValues.size() != other.mValues.size())
            return false;
        for (size_t i = 0; i < mValues.size(); ++i)
            if (!Same(mValues[i], other.mValues[i]))
                return false;
        return true;
    }
    CFHashCode Hash() const override { return mValues.size(); }
    void Describe(std::string& ioOut, int inIndent, bool) const override {
        if (mValues.empty()) {
            ioOut += "()";
            return;
        }
        ioOut += "(\n";
        for (size_t i = 0; i < mValues.size(); ++i) {
            AppendIndent(ioOut, inIndent + 1);
            if (HoldsValues() || mCallBacks.copyDescription == CFCopyDescription) {
                DescribeValue(ioOut, mValues[i], inIndent + 1);
            } else {
                char text[32];
                std::snprintf(text, sizeof text, "<%p>", mValues[i]);
                ioOut += text;
            }
            ioOut += i + 1 < mValues.size() ? ",\n" : "\n";
        }
        AppendIndent(ioOut, inIndent);
        ioOut += ")";
    }
    const char* TypeName() const override { return "CFArray"; }

    const CFArrayCallBacks mCallBacks;
    const bool mMutable;
    std::vector<const void*> mValues;
};

namespace {

const __CFArray* ArrayOf(CFArrayRef inArray, const char* inFunction) {
    return CheckedCast<__CFArray>(inArray, kTypeIDArray, inFunction, "CFArray");
}

__CFArray* MutableArrayOf(CFMutableArrayRef inArray, const char* inFunction) {
    return CheckedMutableCast<__CFArray>(inArray, kTypeIDArray, inFunction, "CFArray");
}

bool RangeIsValid(const __CFArray* inArray, CFRange inRange, const char* inFunction) {
    bool valid = RangeIsWithin(inRange, inArray->mValues.size());
    if (!valid)
        ReportMisuse(inFunction, "range out of bounds");
    return valid;
}

__CFArray* CopyOf(const __CFArray* inSource, bool inMutable) {
    auto* copy = new __CFArray(&inSource->mCallBacks, inMutable);
    copy->mValues.reserve(inSource->mValues.size());
    for (const void* value : inSource->mValues)
        copy->mValues.push_back(copy->Hold(value));
    return copy;
}

} // namespace

CFTypeID CFArrayGetTypeID(void) {
    return kTypeIDArray;
}

CFArrayRef CFArrayCreate(CFAllocatorRef, const void** values, CFIndex numValues,
                         const CFArrayCallBacks* callBacks) {
    if (numValues < 0 || (values == nullptr && numValues > 0))
        return nullptr;
    auto* array = new __CFArray(callBacks, false);
    array->mValues.reserve(static_cast<size_t>(numValues));
    for (CFIndex i = 0; i < numValues; ++i)
        array->mValues.push_back(array->Hold(values[i]));
    return array;
}

CFArrayRef CFArrayCreateCopy(CFAllocatorRef, CFArrayRef theArray) {
    const __CFArray* array = ArrayOf(theArray, "CFArrayCreateCopy");
    if (array == nullptr)
        return nullptr;
    if (!array->mMutable)
        return static_cast<CFArrayRef>(CFRetain(array));
    return CopyOf(array, false);
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef, CFIndex capacity,
                                       const CFArrayCallBacks* callBacks) {
    auto* array = new __CFArray(callBacks, true);
    if (capacity > 0)
        array->mValues.reserve(static_cast<size_t>(capacity));
    return array;
}

CFMutableArrayRef CFArrayCreateMutableCopy(CFAllocatorRef, CFIndex, CFArrayRef theArray) {
    const __CFArray* array = ArrayOf(theArray, "CFArrayCreateMutableCopy");
    return array ? CopyOf(array, true) : nullptr;
}

CFIndex CFArrayGetCount(CFArrayRef theArray) {
    const __CFArray* array = ArrayOf(theArray, "CFArrayGetCount");
    return array ? static_cast<CFIndex>(array->mValues.size()) : 0;
}

const void* CFArrayGetValueAtIndex(CFArrayRef theArray, CFIndex idx) {
    const __CFArray* array = ArrayOf(theArray, "CFArrayGetValueAtIndex");
    if (array == nullptr)
        return nullptr;
    if (idx < 0 || static_cast<size_t>(idx) >= array->mValues.size()) {
        ReportMisuse("CFArrayGetValueAtIndex", "index out of bounds");
        return nullptr;
    }
    return array->mValues[idx];
}

void CFArrayGetValues(CFArrayRef theArray, CFRange range, const void** values) {
    const __CFArray* array = ArrayOf(theArray, "CFArrayGetValues");
    if (array == nullptr || values == nullptr || !RangeIsValid(array, range, "CFArrayGetValues"))
        return;
    std::copy_n(array->mValues.begin() + range.location, range.length, values);
}

CFIndex CFArrayGetFirstIndexOfValue(CFArrayRef theArray, CFRange range, const void* value) {
    const __CFArray* array = ArrayOf(theArray, "CFArrayGetFirstIndexOfValue");
    if (array == nullptr || !RangeIsValid(array, range, "CFArrayGetFirstIndexOfValue"))
        return kCFNotFound;
    for (CFIndex i = range.location; i < range.location + range.length; ++i)
        if (array->Same(array->mValues[i], value))
            return i;
    return kCFNotFound;
}

CFIndex CFArrayGetLastIndexOfValue(CFArrayRef theArray, CFRange range, const void* value) {
    const __CFArray* array = ArrayOf(theArray, "CFArrayGetLastIndexOfValue");
    if (array == nullptr || !RangeIsValid(array, range, "CFArrayGetLastIndexOfValue"))
        return kCFNotFound;
    for (CFIndex i = range.location + range.length; i-- > range.location;)
        if (array->Same(array->mValues[i], value))
            return i;
    return kCFNotFound;
}

Boolean CFArrayContainsValue(CFArrayRef theArray, CFRange range, const void* value) {
    return CFArrayGetFirstIndexOfValue(theArray, range, value) != kCFNotFound;
}

CFIndex CFArrayGetCountOfValue(CFArrayRef theArray, CFRange range, const void* value) {
    const __CFArray* array = ArrayOf(theArray, "CFArrayGetCountOfValue");
    if (array == nullptr || !RangeIsValid(array, range, "CFArrayGetCountOfValue"))
        return 0;
    CFIndex count = 0;
    for (CFIndex i = range.location; i < range.location + range.length; ++i)
        count += array->Same(array->mValues[i], value) ? 1 : 0;
    return count;
}

void CFArrayApplyFunction(CFArrayRef theArray, CFRange range, CFArrayApplierFunction applier,
                          void* context) {
    const __CFArray* array = ArrayOf(theArray, "CFArrayApplyFunction");
    if (array == nullptr || applier == nullptr ||
        !RangeIsValid(array, range, "CFArrayApplyFunction"))
        return;
    for (CFIndex i = range.location; i < range.location + range.length; ++i)
        applier(array->mValues[i], context);
}

void CFArrayAppendValue(CFMutableArrayRef theArray, const void* value) {
    __CFArray* array = MutableArrayOf(theArray, "CFArrayAppendValue");
    if (array != nullptr)
        array->mValues.push_back(array->Hold(value));
}

void CFArrayAppendArray(CFMutableArrayRef theArray, CFArrayRef otherArray, CFRange otherRange) {
    __CFArray* array = MutableArrayOf(theArray, "CFArrayAppendArray");
    const __CFArray* other = ArrayOf(otherArray, "CFArrayAppendArray");
    if (array == nullptr || other == nullptr ||
        !RangeIsValid(other, otherRange, "CFArrayAppendArray"))
        return;
    // Copy first: the other array may be this one.
    std::vector<const void*> values(other->mValues.begin() + otherRange.location,
                                    other->mValues.begin() + otherRange.location +
                                        otherRange.length);
    for (const void* value : values)
        array->mValues.push_back(array->Hold(value));
}

void CFArrayInsertValueAtIndex(CFMutableArrayRef theArray, CFIndex idx, const void* value) {
    __CFArray* array = MutableArrayOf(theArray, "CFArrayInsertValueAtIndex");
    if (array == nullptr)
        return;
    if (idx < 0 || static_cast<size_t>(idx) > array->mValues.size()) {
        ReportMisuse("CFArrayInsertValueAtIndex", "index out of bounds");
        return;
    }
    array->mValues.insert(array->mValues.begin() + idx, array->Hold(value));
}

void CFArraySetValueAtIndex(CFMutableArrayRef theArray, CFIndex idx, const void* value) {
    __CFArray* array = MutableArrayOf(theArray, "CFArraySetValueAtIndex");
    if (array == nullptr)
        return;
    if (idx < 0 || static_cast<size_t>(idx) > array->mValues.size()) {
        ReportMisuse("CFArraySetValueAtIndex", "index out of bounds");
        return;
    }
    const void* held = array->Hold(value); // before dropping: value may be the old one
    if (static_cast<size_t>(idx) == array->mValues.size()) {
        array->mValues.push_back(held);
    } else {
        array->Drop(array->mValues[idx]);
        array->mValues[idx] = held;
    }
}

void CFArrayRemoveValueAtIndex(CFMutableArrayRef theArray, CFIndex idx) {
    __CFArray* array = MutableArrayOf(theArray, "CFArrayRemoveValueAtIndex");
    if (array == nullptr)
        return;
    if (idx < 0 || static_cast<size_t>(idx) >= array->mValues.size()) {
        ReportMisuse("CFArrayRemoveValueAtIndex", "index out of bounds");
        return;
    }
    const void* removed = array->mValues[idx];
    array->mValues.erase(array->mValues.begin() + idx);
    array->Drop(removed);
}

void CFArrayRemoveAllValues(CFMutableArrayRef theArray) {
    __CFArray* array = MutableArrayOf(theArray, "CFArrayRemoveAllValues");
    if (array == nullptr)
        return;
    std::vector<const void*> removed;
    removed.swap(array->mValues);
    for (const void* value : removed)
        array->Drop(value);
}

void CFArrayExchangeValuesAtIndices(CFMutableArrayRef theArray, CFIndex idx1, CFIndex idx2) {
    __CFArray* array = MutableArrayOf(theArray, "CFArrayExchangeValuesAtIndices");
    if (array == nullptr)
        return;
    const auto count = static_cast<CFIndex>(array->mValues.size());
    if (idx1 < 0 || idx2 < 0 || idx1 >= count || idx2 >= count) {
        ReportMisuse("CFArrayExchangeValuesAtIndices", "index out of bounds");
        return;
    }
    std::swap(array->mValues[idx1], array->mValues[idx2]);
}

void CFArraySortValues(CFMutableArrayRef theArray, CFRange range, CFComparatorFunction comparator,
                       void* context) {
    __CFArray* array = MutableArrayOf(theArray, "CFArraySortValues");
    if (array == nullptr || comparator == nullptr ||
        !RangeIsValid(array, range, "CFArraySortValues"))
        return;
    auto first = array->mValues.begin() + range.location;
    std::stable_sort(first, first + range.length, [&](const void* a, const void* b) {
        return comparator(a, b, context) == kCFCompareLessThan;
    });
}

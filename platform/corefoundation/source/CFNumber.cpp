// Numbers stored as a 64-bit integer or a 64-bit real, compared by value across the two,
// and the Boolean constants.
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFRuntime.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

using namespace orvo_cf;

struct __CFNumber : Object {
    explicit __CFNumber(SInt64 inValue)
        : Object(kTypeIDNumber), mIsFloat(false), mInteger(inValue) {}
    explicit __CFNumber(double inValue) : Object(kTypeIDNumber), mIsFloat(true), mReal(inValue) {}

    bool Equals(const Object& inOther) const override;
    CFHashCode Hash() const override;
    void Describe(std::string& ioOut, int, bool) const override;
    const char* TypeName() const override { return "CFNumber"; }

    const bool mIsFloat;
    union {
        SInt64 mInteger;
        double mReal;
    };
};

struct __CFBoolean : Object {
    constexpr explicit __CFBoolean(bool inValue) : Object(kTypeIDBoolean, true), mValue(inValue) {}
    bool Equals(const Object& inOther) const override {
        return mValue == static_cast<const __CFBoolean&>(inOther).mValue;
    }
    CFHashCode Hash() const override { return mValue ? 1 : 2; }
    void Describe(std::string& ioOut, int, bool) const override {
        ioOut += mValue ? "true" : "false";
    }
    const char* TypeName() const override { return "CFBoolean"; }
    const bool mValue;
};

namespace {

// Three-way comparison of an integer with a real, exact for every pair (no rounding of
// the integer to a double). NaN compares greater than every number.
int CompareIntegerWithReal(SInt64 inInteger, double inReal) {
    if (std::isnan(inReal))
        return -1;
    if (inReal >= 9223372036854775808.0)
        return -1;
    if (inReal < -9223372036854775808.0)
        return 1;
    double whole = std::floor(inReal);
    SInt64 wholeInteger = static_cast<SInt64>(whole);
    if (inInteger < wholeInteger)
        return -1;
    if (inInteger > wholeInteger)
        return 1;
    return whole < inReal ? -1 : 0;
}

int CompareNumbers(const __CFNumber& inA, const __CFNumber& inB) {
    if (!inA.mIsFloat && !inB.mIsFloat)
        return inA.mInteger < inB.mInteger ? -1 : (inA.mInteger > inB.mInteger ? 1 : 0);
    if (inA.mIsFloat && inB.mIsFloat) {
        bool aNaN = std::isnan(inA.mReal), bNaN = std::isnan(inB.mReal);
        if (aNaN || bNaN)
            return aNaN == bNaN ? 0 : (aNaN ? 1 : -1);
        return inA.mReal < inB.mReal ? -1 : (inA.mReal > inB.mReal ? 1 : 0);
    }
    if (!inA.mIsFloat)
        return CompareIntegerWithReal(inA.mInteger, inB.mReal);
    return -CompareIntegerWithReal(inB.mInteger, inA.mReal);
}

template <class T>
bool StoreInteger(SInt64 inValue, void* outValue) {
    T converted = static_cast<T>(inValue);
    bool exact = inValue >= static_cast<SInt64>(std::numeric_limits<T>::min()) &&
                 inValue <= static_cast<SInt64>(std::numeric_limits<T>::max());
    if (!exact)
        converted = inValue < 0 ? std::numeric_limits<T>::min() : std::numeric_limits<T>::max();
    std::memcpy(outValue, &converted, sizeof converted);
    return exact;
}

template <class T>
bool StoreRealAsInteger(double inValue, void* outValue) {
    T converted;
    bool exact;
    if (std::isnan(inValue)) {
        converted = 0;
        exact = false;
    } else if (inValue <= static_cast<double>(std::numeric_limits<T>::min())) {
        converted = std::numeric_limits<T>::min();
        exact = inValue == static_cast<double>(std::numeric_limits<T>::min());
    } else if (inValue >= static_cast<double>(std::numeric_limits<T>::max())) {
        converted = std::numeric_limits<T>::max();
        // For 64-bit types the maximum is not representable as a double: never exact.
        exact = static_cast<double>(std::numeric_limits<T>::max()) == inValue &&
                sizeof(T) < sizeof(SInt64);
    } else {
        converted = static_cast<T>(inValue); // truncates toward zero
        exact = static_cast<double>(converted) == inValue;
    }
    std::memcpy(outValue, &converted, sizeof converted);
    return exact;
}

} // namespace

bool __CFNumber::Equals(const Object& inOther) const {
    const auto& other = static_cast<const __CFNumber&>(inOther);
    if (mIsFloat && other.mIsFloat && std::isnan(mReal) && std::isnan(other.mReal))
        return true;
    return CompareNumbers(*this, other) == 0;
}

CFHashCode __CFNumber::Hash() const {
    // Integral reals hash as the integer they equal.
    if (!mIsFloat)
        return static_cast<CFHashCode>(mInteger) * 2654435761ULL;
    if (std::isfinite(mReal) && std::floor(mReal) == mReal && mReal >= -9223372036854775808.0 &&
        mReal < 9223372036854775808.0)
        return static_cast<CFHashCode>(static_cast<SInt64>(mReal)) * 2654435761ULL;
    if (std::isnan(mReal))
        return 0x7ff8;
    UInt64 bits;
    std::memcpy(&bits, &mReal, sizeof bits);
    return static_cast<CFHashCode>(bits);
}

void __CFNumber::Describe(std::string& ioOut, int, bool) const {
    char text[64];
    if (!mIsFloat) {
        auto result = std::to_chars(text, text + sizeof text, mInteger);
        ioOut.append(text, result.ptr);
        return;
    }
    if (std::isnan(mReal)) {
        ioOut += "nan";
        return;
    }
    if (std::isinf(mReal)) {
        ioOut += mReal < 0 ? "-inf" : "inf";
        return;
    }
    auto result = std::to_chars(text, text + sizeof text, mReal);
    std::string shortest(text, result.ptr);
    if (shortest.find_first_of(".e") == std::string::npos)
        shortest += ".0";
    ioOut += shortest;
}

static __CFBoolean sTrue(true);
static __CFBoolean sFalse(false);
const CFBooleanRef kCFBooleanTrue = &sTrue;
const CFBooleanRef kCFBooleanFalse = &sFalse;

CFTypeID CFBooleanGetTypeID(void) {
    return kTypeIDBoolean;
}

Boolean CFBooleanGetValue(CFBooleanRef boolean) {
    const __CFBoolean* value = Cast<__CFBoolean>(boolean, kTypeIDBoolean);
    if (value == nullptr) {
        ReportMisuse("CFBooleanGetValue", "not a boolean");
        return false;
    }
    return value->mValue;
}

CFTypeID CFNumberGetTypeID(void) {
    return kTypeIDNumber;
}

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType theType, const void* valuePtr) {
    if (valuePtr == nullptr)
        return nullptr;
    auto integer = [&](auto inSample) -> CFNumberRef {
        decltype(inSample) value;
        std::memcpy(&value, valuePtr, sizeof value);
        return new __CFNumber(static_cast<SInt64>(value));
    };
    auto real = [&](auto inSample) -> CFNumberRef {
        decltype(inSample) value;
        std::memcpy(&value, valuePtr, sizeof value);
        return new __CFNumber(static_cast<double>(value));
    };
    switch (theType) {
    case kCFNumberSInt8Type:
    case kCFNumberCharType:
        return integer(SInt8());
    case kCFNumberSInt16Type:
    case kCFNumberShortType:
        return integer(SInt16());
    case kCFNumberSInt32Type:
    case kCFNumberIntType:
        return integer(SInt32());
    case kCFNumberSInt64Type:
    case kCFNumberLongLongType:
        return integer(SInt64());
    case kCFNumberLongType:
    case kCFNumberCFIndexType:
    case kCFNumberNSIntegerType:
        return integer(long());
    case kCFNumberFloat32Type:
    case kCFNumberFloatType:
        return real(Float32());
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType:
    case kCFNumberCGFloatType:
        return real(Float64());
    default:
        ReportMisuse("CFNumberCreate", "unknown number type");
        return nullptr;
    }
}

CFNumberType CFNumberGetType(CFNumberRef number) {
    const __CFNumber* value = Cast<__CFNumber>(number, kTypeIDNumber);
    if (value == nullptr)
        return 0;
    return value->mIsFloat ? kCFNumberFloat64Type : kCFNumberSInt64Type;
}

CFIndex CFNumberGetByteSize(CFNumberRef number) {
    return Cast<__CFNumber>(number, kTypeIDNumber) ? 8 : 0;
}

Boolean CFNumberIsFloatType(CFNumberRef number) {
    const __CFNumber* value = Cast<__CFNumber>(number, kTypeIDNumber);
    return value != nullptr && value->mIsFloat;
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void* valuePtr) {
    const __CFNumber* value = Cast<__CFNumber>(number, kTypeIDNumber);
    if (value == nullptr || valuePtr == nullptr) {
        ReportMisuse("CFNumberGetValue", "not a number");
        return false;
    }
    auto asInteger = [&](auto inSample) -> bool {
        using T = decltype(inSample);
        return value->mIsFloat ? StoreRealAsInteger<T>(value->mReal, valuePtr)
                               : StoreInteger<T>(value->mInteger, valuePtr);
    };
    switch (theType) {
    case kCFNumberSInt8Type:
    case kCFNumberCharType:
        return asInteger(SInt8());
    case kCFNumberSInt16Type:
    case kCFNumberShortType:
        return asInteger(SInt16());
    case kCFNumberSInt32Type:
    case kCFNumberIntType:
        return asInteger(SInt32());
    case kCFNumberSInt64Type:
    case kCFNumberLongLongType:
        return asInteger(SInt64());
    case kCFNumberLongType:
    case kCFNumberCFIndexType:
    case kCFNumberNSIntegerType:
        return asInteger(long());
    case kCFNumberFloat32Type:
    case kCFNumberFloatType: {
        Float32 converted;
        bool exact;
        if (value->mIsFloat) {
            converted = static_cast<Float32>(value->mReal);
            exact = std::isnan(value->mReal) || static_cast<double>(converted) == value->mReal;
        } else {
            converted = static_cast<Float32>(value->mInteger);
            exact = CompareIntegerWithReal(value->mInteger, converted) == 0;
        }
        std::memcpy(valuePtr, &converted, sizeof converted);
        return exact;
    }
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType:
    case kCFNumberCGFloatType: {
        Float64 converted = value->mIsFloat ? value->mReal : static_cast<Float64>(value->mInteger);
        bool exact = value->mIsFloat || CompareIntegerWithReal(value->mInteger, converted) == 0;
        std::memcpy(valuePtr, &converted, sizeof converted);
        return exact;
    }
    default:
        ReportMisuse("CFNumberGetValue", "unknown number type");
        return false;
    }
}

CFComparisonResult CFNumberCompare(CFNumberRef number, CFNumberRef otherNumber, void*) {
    const __CFNumber* a = Cast<__CFNumber>(number, kTypeIDNumber);
    const __CFNumber* b = Cast<__CFNumber>(otherNumber, kTypeIDNumber);
    if (a == nullptr || b == nullptr) {
        ReportMisuse("CFNumberCompare", "not a number");
        return kCFCompareEqualTo;
    }
    return CompareNumbers(*a, *b);
}

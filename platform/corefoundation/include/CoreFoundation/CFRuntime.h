// The object model behind every CFTypeRef: an atomically reference-counted C++ object
// with a type identifier and virtual equality, hashing and description. Internal to the
// platform: the other platform libraries (printing, USB) derive their object kinds from
// it; driver code never includes it.
#pragma once

#include <CoreFoundation/CFBase.h>

#include <atomic>
#include <string>

namespace orvo_cf {

// Type identifiers, stable for the life of the process.
enum : CFTypeID {
    kTypeIDNotAType = 0,
    kTypeIDString = 7,
    kTypeIDNumber,
    kTypeIDBoolean,
    kTypeIDData,
    kTypeIDArray,
    kTypeIDDictionary,
    kTypeIDDate,
    kTypeIDTimeZone,
    kTypeIDURL,
    kTypeIDUUID,
    kTypeIDBundle,
    kTypeIDPlugIn,
    kTypeIDPlugInInstance,
    kTypeIDRunLoop,
    kTypeIDRunLoopSource,
    kTypeIDRunLoopTimer,
    kTypeIDNotificationCenter,
    kTypeIDFirstFree, // further platform kinds (tickets, USB objects) number from here
};

class Object {
public:
    // Immortal objects (constants) ignore retain and release.
    constexpr explicit Object(CFTypeID inTypeID, bool inImmortal = false)
        : mRefCount(1), mTypeID(inTypeID), mImmortal(inImmortal) {}
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object() = default;

    CFTypeID TypeID() const { return mTypeID; }
    bool IsImmortal() const { return mImmortal; }
    void Retain() const;
    // True when this call released the last reference; the caller then deletes.
    bool Release() const;
    CFIndex RetainCount() const;

    // Called only with an object of the same type identifier.
    virtual bool Equals(const Object& inOther) const { return this == &inOther; }
    virtual CFHashCode Hash() const;
    // Appends a UTF-8 description. Nested values are indented by inIndent tab stops;
    // inTopLevel is true for the value CFShow or CFCopyDescription was asked about.
    virtual void Describe(std::string& ioOut, int inIndent, bool inTopLevel) const;
    virtual const char* TypeName() const = 0;

private:
    mutable std::atomic<long> mRefCount;
    const CFTypeID mTypeID;
    const bool mImmortal;
};

inline const Object* ObjectOf(CFTypeRef inRef) {
    return static_cast<const Object*>(inRef);
}

// The object as type T when it is one (checked by type identifier), else null.
template <class T>
const T* Cast(CFTypeRef inRef, CFTypeID inTypeID) {
    const Object* object = ObjectOf(inRef);
    if (object == nullptr || object->TypeID() != inTypeID)
        return nullptr;
    return static_cast<const T*>(object);
}
template <class T>
T* CastMutable(CFTypeRef inRef, CFTypeID inTypeID) {
    return const_cast<T*>(Cast<T>(inRef, inTypeID));
}

// Reports a misuse of the API (wrong kind, immutable object, index out of range) as one
// line on the standard error stream: "<function>: <problem>".
void ReportMisuse(const char* inFunction, const char* inProblem);

// The object as T when it is one; otherwise reports "<function>: null argument" or
// "<function>: not a <kind>" and returns null.
template <class T>
const T* CheckedCast(CFTypeRef inRef, CFTypeID inTypeID, const char* inFunction,
                     const char* inKind) {
    const T* object = Cast<T>(inRef, inTypeID);
    if (object == nullptr)
        ReportMisuse(inFunction,
                     inRef == nullptr ? "null argument" : (std::string("not a ") + inKind).c_str());
    return object;
}
// As CheckedCast, for an operation that changes the object: T has a `mMutable` flag, and
// an immutable object is reported ("attempt to mutate an immutable <kind>") and refused.
template <class T>
T* CheckedMutableCast(CFTypeRef inRef, CFTypeID inTypeID, const char* inFunction,
                      const char* inKind) {
    T* object = const_cast<T*>(CheckedCast<T>(inRef, inTypeID, inFunction, inKind));
    if (object != nullptr && !object->mMutable) {
        ReportMisuse(inFunction, (std::string("attempt to mutate an immutable ") + inKind).c_str());
        return nullptr;
    }
    return object;
}

// Whether a range lies within a sequence of inLength elements.
inline bool RangeIsWithin(CFRange inRange, size_t inLength) {
    return inRange.location >= 0 && inRange.length >= 0 &&
           static_cast<size_t>(inRange.location) <= inLength &&
           static_cast<size_t>(inRange.length) <= inLength - inRange.location;
}

// The container callbacks of values held as CF objects: CFRetain, CFRelease, CFEqual.
const void* RetainCallBack(CFAllocatorRef inAllocator, const void* inValue);
void ReleaseCallBack(CFAllocatorRef inAllocator, const void* inValue);
Boolean EqualCallBack(const void* inA, const void* inB);

// Describes any value (or null) for nesting inside a container description.
void DescribeValue(std::string& ioOut, CFTypeRef inValue, int inIndent);
void AppendIndent(std::string& ioOut, int inIndent);

// Combines hash values (for containers).
inline CFHashCode HashCombine(CFHashCode inSeed, CFHashCode inValue) {
    return inSeed ^ (inValue + 0x9e3779b97f4a7c15ULL + (inSeed << 6) + (inSeed >> 2));
}

// A new string reference made from UTF-8 text (the text is trusted to be valid UTF-8;
// invalid sequences become U+FFFD).
CFStringRef CreateStringFromUTF8(const std::string& inText);
// The string's characters as UTF-8 (unpaired surrogates become U+FFFD); empty for null.
std::string UTF8FromString(CFStringRef inString);

} // namespace orvo_cf

// Helpers for the tests of the print system's services.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <PrintCore/PrintCore.h>

#include <string>
#include <utility>

namespace orvo_test {

// Holds one reference to a platform object and releases it when it goes.
template <class Ref>
class Owned {
public:
    explicit Owned(Ref inRef = nullptr) : mRef(inRef) {}
    ~Owned() { Reset(); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& ioOther) noexcept : mRef(std::exchange(ioOther.mRef, nullptr)) {}

    Ref Get() const { return mRef; }
    operator Ref() const { return mRef; }
    // The address to create into; any reference held before is released.
    Ref* Out() {
        Reset();
        return &mRef;
    }
    void Reset() {
        if (mRef != nullptr)
            CFRelease(mRef);
        mRef = nullptr;
    }

private:
    Ref mRef;
};

// New data holding the text's bytes.
CFDataRef CreateData(const std::string& inText);
std::string TextOfData(CFDataRef inData);
// The characters of a string as UTF-8 ("(null)" for null).
std::string Text(CFStringRef inString);
// A new string, number or array made from C++ values.
CFStringRef CreateString(const char* inText);
CFNumberRef CreateNumber(double inValue);
CFNumberRef CreateInteger(SInt64 inValue);

// Wraps a ticket body (the entries of a ticket's root dictionary) into an XML property list.
std::string PlistDocument(const std::string& inBody);

} // namespace orvo_test

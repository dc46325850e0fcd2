// Helpers for the tests of the configuration code: property lists written inline as XML,
// owning references, and the check that a call raises one exact error.
#pragma once

#include "legacy/exception/TarvelException.h"

#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>

namespace orvo_config_test {

struct CFReleaser {
    void operator()(const void* inObject) const {
        if (inObject != nullptr)
            CFRelease(inObject);
    }
};
// Owns one reference to a platform object.
template <class Ref>
using CFPtr = std::unique_ptr<std::remove_pointer_t<Ref>, CFReleaser>;

// The characters of a string as UTF-8; "(null)" for null.
inline std::string Text(CFStringRef inString) {
    if (inString == nullptr)
        return "(null)";
    CFIndex size =
        CFStringGetMaximumSizeForEncoding(CFStringGetLength(inString), kCFStringEncodingUTF8) + 1;
    std::string text(static_cast<size_t>(size), '\0');
    CFStringGetCString(inString, text.data(), size, kCFStringEncodingUTF8);
    text.resize(text.find('\0'));
    return text;
}

inline CFPtr<CFStringRef> String(const std::string& inText) {
    return CFPtr<CFStringRef>(
        CFStringCreateWithCString(nullptr, inText.c_str(), kCFStringEncodingUTF8));
}

// A whole XML property-list document around inBody (one value's XML, such as
// "<dict>...</dict>").
inline std::string PlistDocument(const std::string& inBody) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n" +
           inBody + "\n</plist>\n";
}

// The value of an XML property list whose body is inBody; fails the test when it does not
// parse.
inline CFPtr<CFPropertyListRef> Plist(const std::string& inBody,
                                      CFOptionFlags inMutability = kCFPropertyListImmutable) {
    std::string document = PlistDocument(inBody);
    CFPtr<CFDataRef> data(CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(document.data()),
                                       static_cast<CFIndex>(document.size())));
    CFStringRef error = nullptr;
    CFPropertyListRef value =
        CFPropertyListCreateFromXMLData(nullptr, data.get(), inMutability, &error);
    EXPECT_NE(value, nullptr) << "fixture does not parse: " << Text(error) << "\n" << document;
    if (error != nullptr)
        CFRelease(error);
    return CFPtr<CFPropertyListRef>(value);
}

inline CFPtr<CFDictionaryRef> Dictionary(const std::string& inBody,
                                         CFOptionFlags inMutability = kCFPropertyListImmutable) {
    CFPtr<CFPropertyListRef> value = Plist(inBody, inMutability);
    EXPECT_TRUE(value != nullptr && CFGetTypeID(value.get()) == CFDictionaryGetTypeID());
    return CFPtr<CFDictionaryRef>(static_cast<CFDictionaryRef>(value.release()));
}

// Runs inCall, which must raise a TarvelException with status 128; returns everything the
// call wrote to the standard error stream ("no exception" when it returned normally).
template <class Call>
std::string RaisedOutput(Call inCall) {
    testing::internal::CaptureStderr();
    bool raised = false;
    try {
        inCall();
    } catch (const Tarvel::TarvelException& inException) {
        raised = true;
        EXPECT_EQ(inException.GetErrorStatus(), 128);
    } catch (...) {
        std::string output = testing::internal::GetCapturedStderr();
        return "another exception; output: " + output;
    }
    std::string output = testing::internal::GetCapturedStderr();
    return raised ? output : "no exception; output: " + output;
}

// The first line that inCall wrote before raising, without its line end.
template <class Call>
std::string RaisedLine(Call inCall) {
    std::string output = RaisedOutput(inCall);
    return output.substr(0, output.find('\n'));
}

// The first line of inOutput that raising an error wrote (lines before it, such as a
// parser's description of a fault, are skipped); the whole output when there is none.
inline std::string FirstRaisedLine(const std::string& inOutput) {
    size_t start = inOutput.rfind("KELDOR:  ExCa-", 0) == 0 ? 0 : inOutput.find("\nKELDOR:  ExCa-");
    if (start == std::string::npos)
        return inOutput;
    if (start != 0)
        ++start;
    return inOutput.substr(start, inOutput.find('\n', start) - start);
}

// The line that raising inMessage writes.
inline std::string Line(const std::string& inMessage) {
    return "KELDOR:  ExCa-" + inMessage;
}

// What inCall wrote to the standard error stream, for calls that must not raise.
template <class Call>
std::string QuietOutput(Call inCall) {
    testing::internal::CaptureStderr();
    inCall();
    return testing::internal::GetCapturedStderr();
}

} // namespace orvo_config_test

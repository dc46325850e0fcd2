// Feeds arbitrary bytes to the URL parser and the percent-escape functions. Every URL that
// is accepted must keep its string, resolve against a base and answer every component
// query; escaping and unescaping must round-trip.
#include <CoreFoundation/CoreFoundation.h>

#include <cstdint>
#include <cstdlib>

namespace {

void Release(CFTypeRef inValue) {
    if (inValue != nullptr)
        CFRelease(inValue);
}

void Exercise(CFURLRef inURL) {
    Release(CFURLCopyScheme(inURL));
    Release(CFURLCopyHostName(inURL));
    Release(CFURLCopyUserName(inURL));
    Release(CFURLCopyPassword(inURL));
    Release(CFURLCopyPath(inURL));
    Release(CFURLCopyQueryString(inURL, CFSTR("")));
    Release(CFURLCopyFragment(inURL, nullptr));
    Release(CFURLCopyFileSystemPath(inURL, kCFURLPOSIXPathStyle));
    Release(CFURLCopyLastPathComponent(inURL));
    Release(CFURLCopyPathExtension(inURL));
    SInt32 port = CFURLGetPortNumber(inURL);
    if (port < -1 || port > 65535)
        std::abort();
    UInt8 buffer[64];
    CFURLGetFileSystemRepresentation(inURL, true, buffer, sizeof buffer);
    // Edited copies are URLs again.
    for (CFURLRef edited :
         {CFURLCreateCopyAppendingPathComponent(nullptr, inURL, CFSTR("a b"), true),
          CFURLCreateCopyDeletingLastPathComponent(nullptr, inURL),
          CFURLCreateCopyAppendingPathExtension(nullptr, inURL, CFSTR("x")),
          CFURLCreateCopyDeletingPathExtension(nullptr, inURL)}) {
        if (edited == nullptr)
            continue;
        CFURLRef reparsed =
            CFURLCreateWithString(nullptr, CFURLGetString(edited), CFURLGetBaseURL(edited));
        if (reparsed == nullptr || !CFEqual(reparsed, edited))
            std::abort();
        CFRelease(reparsed);
        CFRelease(edited);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* inData, size_t inSize) {
    CFStringRef text =
        CFStringCreateWithBytes(nullptr, inData, CFIndex(inSize), kCFStringEncodingUTF8, false);
    if (text == nullptr)
        return 0;

    CFURLRef url = CFURLCreateWithString(nullptr, text, nullptr);
    if (url != nullptr) {
        if (!CFEqual(CFURLGetString(url), text))
            std::abort();
        Exercise(url);
        CFURLRef base = CFURLCreateWithString(nullptr, CFSTR("http://a/b/c/d;p?q"), nullptr);
        CFURLRef relative = CFURLCreateWithString(nullptr, text, base);
        if (relative == nullptr)
            std::abort(); // a URL on its own is one relative to a base too
        Exercise(relative);
        CFURLRef absolute = CFURLCopyAbsoluteURL(relative);
        if (absolute == nullptr)
            std::abort();
        Exercise(absolute);
        CFRelease(absolute);
        CFRelease(relative);
        CFRelease(base);
        CFRelease(url);
    }

    // Any text escapes into a legal URL path and unescapes back to itself.
    CFStringRef escaped = CFURLCreateStringByAddingPercentEscapes(
        nullptr, text, nullptr, CFSTR("?#[]"), kCFStringEncodingUTF8);
    if (escaped == nullptr)
        std::abort();
    CFStringRef unescaped = CFURLCreateStringByReplacingPercentEscapes(nullptr, escaped, CFSTR(""));
    if (unescaped == nullptr || !CFEqual(unescaped, text))
        std::abort();
    CFRelease(unescaped);
    CFRelease(escaped);
    Release(CFURLCreateStringByReplacingPercentEscapes(nullptr, text, CFSTR("/%")));
    CFRelease(text);
    return 0;
}

// Feeds arbitrary bytes to the XML property-list reader. Whatever it accepts must write
// back out and read back equal, with nothing leaked on any path.
#include <CoreFoundation/CoreFoundation.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

CFPropertyListRef ParseOrDie(CFDataRef inXML, CFOptionFlags inOptions, bool inMustSucceed) {
    CFStringRef error = nullptr;
    CFPropertyListRef value = CFPropertyListCreateFromXMLData(nullptr, inXML, inOptions, &error);
    // Exactly one of value and error, and an error always names its line.
    if ((value == nullptr) == (error == nullptr))
        std::abort();
    if (error != nullptr) {
        if (!CFStringHasPrefix(error, CFSTR("XML parser error at line ")))
            std::abort();
        if (inMustSucceed) {
            CFShow(error);
            std::abort();
        }
        CFRelease(error);
    }
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* inData, size_t inSize) {
    CFDataRef input = CFDataCreate(nullptr, inData, CFIndex(inSize));
    // The options only change mutability; vary them with the input's first byte.
    const CFOptionFlags options = inSize > 0 ? inData[0] % 3 : 0;
    CFPropertyListRef value = ParseOrDie(input, options, false);
    CFRelease(input);
    if (value == nullptr)
        return 0;

    // Everything the reader produces has an XML form.
    CFDataRef written = CFPropertyListCreateXMLData(nullptr, value);
    if (written == nullptr)
        std::abort();
    CFPropertyListRef reread = ParseOrDie(written, kCFPropertyListImmutable, true);
    if (!CFEqual(value, reread)) {
        std::fwrite(CFDataGetBytePtr(written), 1, size_t(CFDataGetLength(written)), stderr);
        std::abort();
    }
    // The written form is a fixed point.
    CFDataRef rewritten = CFPropertyListCreateXMLData(nullptr, reread);
    if (!CFEqual(written, rewritten))
        std::abort();
    CFPropertyListRef copy = CFPropertyListCreateDeepCopy(nullptr, value, options);
    if (!CFEqual(copy, value))
        std::abort();

    CFRelease(copy);
    CFRelease(rewritten);
    CFRelease(reread);
    CFRelease(written);
    CFRelease(value);
    return 0;
}

#include "PrintingTestSupport.h"

namespace orvo_test {

CFDataRef CreateData(const std::string& inText) {
    return CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(inText.data()),
                        CFIndex(inText.size()));
}

std::string TextOfData(CFDataRef inData) {
    if (inData == nullptr)
        return "(null)";
    return std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(inData)),
                       size_t(CFDataGetLength(inData)));
}

std::string Text(CFStringRef inString) {
    if (inString == nullptr)
        return "(null)";
    char buffer[1024] = {};
    CFStringGetCString(inString, buffer, sizeof buffer, kCFStringEncodingUTF8);
    return buffer;
}

CFStringRef CreateString(const char* inText) {
    return CFStringCreateWithCString(nullptr, inText, kCFStringEncodingUTF8);
}

CFNumberRef CreateNumber(double inValue) {
    return CFNumberCreate(nullptr, kCFNumberFloat64Type, &inValue);
}

CFNumberRef CreateInteger(SInt64 inValue) {
    return CFNumberCreate(nullptr, kCFNumberSInt64Type, &inValue);
}

std::string PlistDocument(const std::string& inBody) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n" +
           inBody + "\n</plist>\n";
}

} // namespace orvo_test

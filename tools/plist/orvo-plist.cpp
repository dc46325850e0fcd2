// orvo-plist: reads XML property lists through the platform layer and writes them back
// out, to check description files and to show what the driver reads from them.
#include <CoreFoundation/CoreFoundation.h>

#include <getopt.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

void PrintUsage(FILE* inStream) {
    std::fputs("Usage: orvo-plist [--describe | --check] FILE...\n"
               "Reads each XML property list FILE and writes it back out in the standard\n"
               "XML form on standard output.\n"
               "\n"
               "  -d, --describe  write the readable description of each value instead\n"
               "  -c, --check     only check: read, write, read back and compare\n"
               "  -h, --help      show this help\n"
               "\n"
               "Exit status: 0 when every file was read, 1 when one could not be, 2 for a\n"
               "usage error.\n",
               inStream);
}

enum class Mode { kWrite, kDescribe, kCheck };

bool ReadFile(const char* inPath, std::string& outBytes) {
    std::ifstream file(inPath, std::ios::binary);
    if (!file)
        return false;
    outBytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

CFPropertyListRef Parse(const UInt8* inBytes, size_t inLength, std::string& outError) {
    CFDataRef data = CFDataCreate(nullptr, inBytes, static_cast<CFIndex>(inLength));
    CFStringRef error = nullptr;
    CFPropertyListRef list =
        CFPropertyListCreateFromXMLData(nullptr, data, kCFPropertyListImmutable, &error);
    CFRelease(data);
    if (list == nullptr) {
        char text[1024] = "unknown error";
        if (error != nullptr)
            CFStringGetCString(error, text, sizeof text, kCFStringEncodingUTF8);
        outError = text;
    }
    if (error != nullptr)
        CFRelease(error);
    return list;
}

// Returns true when the file was read (and, in check mode, round-tripped exactly).
bool Process(const char* inPath, Mode inMode) {
    std::string bytes;
    if (!ReadFile(inPath, bytes)) {
        std::fprintf(stderr, "orvo-plist: %s: %s\n", inPath, std::strerror(errno));
        return false;
    }
    std::string error;
    CFPropertyListRef list =
        Parse(reinterpret_cast<const UInt8*>(bytes.data()), bytes.size(), error);
    if (list == nullptr) {
        std::fprintf(stderr, "orvo-plist: %s: %s\n", inPath, error.c_str());
        return false;
    }
    bool ok = true;
    if (inMode == Mode::kDescribe) {
        CFStringRef description = CFCopyDescription(list);
        CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(description),
                                                         kCFStringEncodingUTF8) +
                       1;
        std::string text(static_cast<size_t>(size), '\0');
        CFStringGetCString(description, text.data(), size, kCFStringEncodingUTF8);
        std::printf("%s\n", text.c_str());
        CFRelease(description);
    } else {
        CFDataRef xml = CFPropertyListCreateXMLData(nullptr, list);
        if (xml == nullptr) {
            std::fprintf(stderr, "orvo-plist: %s: the value has no XML form\n", inPath);
            ok = false;
        } else if (inMode == Mode::kWrite) {
            std::fwrite(CFDataGetBytePtr(xml), 1, static_cast<size_t>(CFDataGetLength(xml)),
                        stdout);
        } else {
            CFPropertyListRef back =
                Parse(CFDataGetBytePtr(xml), static_cast<size_t>(CFDataGetLength(xml)), error);
            ok = back != nullptr && CFEqual(list, back);
            std::fprintf(ok ? stdout : stderr, "%s: %s\n", inPath,
                         ok ? "round trip exact" : "round trip differs");
            if (back != nullptr)
                CFRelease(back);
        }
        if (xml != nullptr)
            CFRelease(xml);
    }
    CFRelease(list);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    static const option kOptions[] = {{"describe", no_argument, nullptr, 'd'},
                                      {"check", no_argument, nullptr, 'c'},
                                      {"help", no_argument, nullptr, 'h'},
                                      {nullptr, 0, nullptr, 0}};
    Mode mode = Mode::kWrite;
    int option;
    while ((option = getopt_long(argc, argv, "dch", kOptions, nullptr)) != -1) {
        switch (option) {
        case 'd':
            mode = Mode::kDescribe;
            break;
        case 'c':
            mode = Mode::kCheck;
            break;
        case 'h':
            PrintUsage(stdout);
            return 0;
        default:
            PrintUsage(stderr);
            return 2;
        }
    }
    if (optind >= argc) {
        std::fputs("orvo-plist: no file given (try --help)\n", stderr);
        return 2;
    }
    bool allRead = true;
    for (int i = optind; i < argc; ++i)
        allRead = Process(argv[i], mode) && allRead;
    return allRead ? 0 : 1;
}

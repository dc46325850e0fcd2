// URLs: RFC 3986 parsing and reference resolution, file URLs, percent escapes and the
// resources that file URLs name.
#include <CoreFoundation/CFURL.h>

#include <CoreFoundation/CFDate.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFRuntime.h>
#include <CoreFoundation/OrvoPlatformRoot.h>

#include "OrvoFileIO.h"
#include "UTF8.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

const CFStringRef kCFURLFileExists = CFSTR("kCFURLFileExists");
const CFStringRef kCFURLFileDirectoryContents = CFSTR("kCFURLFileDirectoryContents");
const CFStringRef kCFURLFileLength = CFSTR("kCFURLFileLength");
const CFStringRef kCFURLFileLastModificationTime = CFSTR("kCFURLFileLastModificationTime");
const CFStringRef kCFURLFilePOSIXMode = CFSTR("kCFURLFilePOSIXMode");
const CFStringRef kCFURLFileOwnerID = CFSTR("kCFURLFileOwnerID");

namespace {

// The components of one URL string, each with its escapes in place.
struct Parts {
    bool hasScheme = false;
    std::string scheme;
    bool hasAuthority = false;
    bool hasUser = false;
    std::string user;
    bool hasPassword = false;
    std::string password;
    std::string host; // with the brackets of an IPv6 address
    bool hasPortText = false;
    std::string portText; // may be empty ("host:")
    SInt32 port = -1;
    std::string path;
    bool hasQuery = false;
    std::string query;
    bool hasFragment = false;
    std::string fragment;
};

bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsHex(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
int HexValue(char c) {
    if (IsDigit(c))
        return c - '0';
    return (c | 0x20) - 'a' + 10;
}
bool IsUnreserved(unsigned char c) {
    return IsAlpha(static_cast<char>(c)) || IsDigit(static_cast<char>(c)) || c == '-' || c == '.' ||
           c == '_' || c == '~';
}
bool IsSubDelim(unsigned char c) {
    return c == '!' || c == '$' || c == '&' || c == '\'' || c == '(' || c == ')' || c == '*' ||
           c == '+' || c == ',' || c == ';' || c == '=';
}
bool IsGenDelim(unsigned char c) {
    return c == ':' || c == '/' || c == '?' || c == '#' || c == '[' || c == ']' || c == '@';
}
// Characters that may stand literally somewhere in a URL.
bool IsURLCharacter(unsigned char c) {
    return IsUnreserved(c) || IsSubDelim(c) || IsGenDelim(c) || c == '%';
}
// Characters left alone when a file-system path is turned into a URL path.
bool IsPathCharacter(unsigned char c) {
    return IsUnreserved(c) || IsSubDelim(c) || c == ':' || c == '@' || c == '/';
}

const char kHexDigits[] = "0123456789ABCDEF";
void AppendEscape(std::string& ioOut, unsigned char inByte) {
    ioOut += '%';
    ioOut += kHexDigits[inByte >> 4];
    ioOut += kHexDigits[inByte & 15];
}

std::string EscapePath(const std::string& inUTF8) {
    std::string out;
    for (unsigned char c : inUTF8) {
        if (IsPathCharacter(c))
            out += static_cast<char>(c);
        else
            AppendEscape(out, c);
    }
    return out;
}

std::vector<UTF32Char> CharactersOf(CFStringRef inString) {
    std::vector<UTF32Char> characters;
    std::string text = orvo_cf::UTF8FromString(inString);
    size_t index = 0;
    UTF32Char character;
    while (index < text.size()) {
        if (!orvo_cf::DecodeUTF8Sequence(text, index, character))
            break;
        characters.push_back(character);
    }
    return characters;
}

bool Contains(const std::vector<UTF32Char>& inSet, UTF32Char inCharacter) {
    return std::find(inSet.begin(), inSet.end(), inCharacter) != inSet.end();
}

// Removes every escape; false when one is malformed.
bool PercentDecode(const std::string& inText, std::string& outText) {
    outText.clear();
    for (size_t i = 0; i < inText.size(); ++i) {
        if (inText[i] != '%') {
            outText += inText[i];
            continue;
        }
        if (i + 2 >= inText.size())
            return false;
        if (!IsHex(inText[i + 1]) || !IsHex(inText[i + 2]))
            return false;
        outText += static_cast<char>(HexValue(inText[i + 1]) * 16 + HexValue(inText[i + 2]));
        i += 2;
    }
    return true;
}

// Removes the escapes of a component and makes a string of it; the component as it stands
// when its escapes do not decode to UTF-8.
CFStringRef CreateDecodedString(const std::string& inComponent) {
    std::string decoded;
    if (!PercentDecode(inComponent, decoded) || !orvo_cf::IsValidUTF8(decoded))
        decoded = inComponent;
    return orvo_cf::CreateStringFromUTF8(decoded);
}

bool ValidIPv6(const std::string& inHostInBrackets) {
    std::string inner = inHostInBrackets.substr(1, inHostInBrackets.size() - 2);
    // A zone identifier ("%25eth0") follows the address.
    size_t zone = inner.find("%25");
    if (zone != std::string::npos) {
        if (zone + 3 == inner.size())
            return false;
        inner.erase(zone);
    }
    unsigned char address[16];
    return inet_pton(AF_INET6, inner.c_str(), address) == 1;
}

bool ParseAuthority(const std::string& inAuthority, Parts& ioParts) {
    std::string hostPort = inAuthority;
    size_t at = inAuthority.rfind('@');
    if (at != std::string::npos) {
        std::string userInfo = inAuthority.substr(0, at);
        hostPort = inAuthority.substr(at + 1);
        if (userInfo.find_first_of("[]") != std::string::npos)
            return false;
        size_t colon = userInfo.find(':');
        ioParts.hasUser = true;
        ioParts.user = userInfo.substr(0, colon);
        if (colon != std::string::npos) {
            ioParts.hasPassword = true;
            ioParts.password = userInfo.substr(colon + 1);
        }
    }
    std::string rest;
    if (!hostPort.empty() && hostPort[0] == '[') {
        size_t close = hostPort.find(']');
        if (close == std::string::npos)
            return false;
        ioParts.host = hostPort.substr(0, close + 1);
        if (!ValidIPv6(ioParts.host))
            return false;
        rest = hostPort.substr(close + 1);
        if (!rest.empty() && rest[0] != ':')
            return false;
    } else {
        size_t colon = hostPort.find(':');
        ioParts.host = hostPort.substr(0, colon);
        if (colon != std::string::npos)
            rest = hostPort.substr(colon);
        if (ioParts.host.find_first_of("[]") != std::string::npos)
            return false;
    }
    if (!rest.empty()) {
        ioParts.hasPortText = true;
        ioParts.portText = rest.substr(1);
        if (ioParts.portText.size() > 5)
            return false;
        SInt32 port = 0;
        for (char c : ioParts.portText) {
            if (!IsDigit(c))
                return false;
            port = port * 10 + (c - '0');
        }
        if (port > 65535)
            return false;
        ioParts.port = ioParts.portText.empty() ? -1 : port;
    }
    return true;
}

// Splits a URL string into its components; nothing when it is not a URL.
std::optional<Parts> Parse(const std::string& inText) {
    for (size_t i = 0; i < inText.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(inText[i]);
        if (!IsURLCharacter(c))
            return std::nullopt;
        if (c == '%' && i + 2 >= inText.size())
            return std::nullopt;
        if (c == '%' && (!IsHex(inText[i + 1]) || !IsHex(inText[i + 2])))
            return std::nullopt;
    }
    Parts parts;
    std::string rest = inText;

    size_t hash = rest.find('#');
    if (hash != std::string::npos) {
        parts.hasFragment = true;
        parts.fragment = rest.substr(hash + 1);
        rest.erase(hash);
        if (parts.fragment.find('#') != std::string::npos)
            return std::nullopt;
    }
    size_t colon = rest.find(':');
    size_t delimiter = rest.find_first_of("/?");
    if (colon != std::string::npos && (delimiter == std::string::npos || colon < delimiter)) {
        std::string scheme = rest.substr(0, colon);
        if (scheme.empty() || !IsAlpha(scheme[0]))
            return std::nullopt;
        for (char c : scheme) {
            if (!IsAlpha(c) && !IsDigit(c) && c != '+' && c != '-' && c != '.')
                return std::nullopt;
        }
        parts.hasScheme = true;
        parts.scheme = scheme;
        rest.erase(0, colon + 1);
    }
    size_t question = rest.find('?');
    if (question != std::string::npos) {
        parts.hasQuery = true;
        parts.query = rest.substr(question + 1);
        rest.erase(question);
    }
    if (rest.compare(0, 2, "//") == 0) {
        size_t slash = rest.find('/', 2);
        std::string authority =
            rest.substr(2, slash == std::string::npos ? std::string::npos : slash - 2);
        parts.hasAuthority = true;
        if (!ParseAuthority(authority, parts))
            return std::nullopt;
        rest = slash == std::string::npos ? std::string() : rest.substr(slash);
    }
    if (rest.find_first_of("[]") != std::string::npos)
        return std::nullopt;
    parts.path = rest;
    return parts;
}

std::string AuthorityText(const Parts& inParts) {
    std::string text;
    if (inParts.hasUser) {
        text += inParts.user;
        if (inParts.hasPassword)
            text += ':' + inParts.password;
        text += '@';
    }
    text += inParts.host;
    if (inParts.hasPortText)
        text += ':' + inParts.portText;
    return text;
}

std::string Compose(const Parts& inParts) {
    std::string text;
    if (inParts.hasScheme)
        text += inParts.scheme + ':';
    if (inParts.hasAuthority) {
        text += "//" + AuthorityText(inParts);
    } else if (inParts.path.compare(0, 2, "//") == 0) {
        text += "/."; // else the path would read as an authority
    } else if (!inParts.hasScheme && inParts.path.find(':') < inParts.path.find('/')) {
        text += "./"; // else the first segment would read as a scheme
    }
    text += inParts.path;
    if (inParts.hasQuery)
        text += '?' + inParts.query;
    if (inParts.hasFragment)
        text += '#' + inParts.fragment;
    return text;
}

// RFC 3986 section 5.2.4.
std::string RemoveDotSegments(std::string inPath) {
    std::string output;
    while (!inPath.empty()) {
        if (inPath.compare(0, 3, "../") == 0) {
            inPath.erase(0, 3);
        } else if (inPath.compare(0, 2, "./") == 0) {
            inPath.erase(0, 2);
        } else if (inPath.compare(0, 3, "/./") == 0) {
            inPath.erase(0, 2);
        } else if (inPath == "/.") {
            inPath = "/";
        } else if (inPath.compare(0, 4, "/../") == 0 || inPath == "/..") {
            inPath = inPath.size() == 3 ? std::string("/") : inPath.substr(3);
            size_t last = output.rfind('/');
            output.erase(last == std::string::npos ? 0 : last);
        } else if (inPath == "." || inPath == "..") {
            inPath.clear();
        } else {
            size_t next = inPath.find('/', inPath[0] == '/' ? 1 : 0);
            output += inPath.substr(0, next);
            inPath = next == std::string::npos ? std::string() : inPath.substr(next);
        }
    }
    return output;
}

// RFC 3986 section 5.2.2.
Parts Resolve(const Parts& inBase, const Parts& inReference) {
    Parts target;
    if (inReference.hasScheme) {
        target = inReference;
        target.path = RemoveDotSegments(inReference.path);
        return target;
    }
    if (inReference.hasAuthority) {
        target = inReference;
        target.path = RemoveDotSegments(inReference.path);
    } else {
        target = inBase; // authority
        if (inReference.path.empty()) {
            target.path = inBase.path;
            target.hasQuery = inReference.hasQuery || inBase.hasQuery;
            target.query = inReference.hasQuery ? inReference.query : inBase.query;
        } else {
            if (inReference.path[0] == '/') {
                target.path = RemoveDotSegments(inReference.path);
            } else {
                std::string merged;
                if (inBase.hasAuthority && inBase.path.empty()) {
                    merged = '/' + inReference.path;
                } else {
                    size_t slash = inBase.path.rfind('/');
                    merged = (slash == std::string::npos ? std::string()
                                                         : inBase.path.substr(0, slash + 1)) +
                             inReference.path;
                }
                target.path = RemoveDotSegments(merged);
            }
            target.hasQuery = inReference.hasQuery;
            target.query = inReference.query;
        }
    }
    target.hasScheme = inBase.hasScheme;
    target.scheme = inBase.scheme;
    target.hasFragment = inReference.hasFragment;
    target.fragment = inReference.fragment;
    return target;
}

bool Decomposable(const Parts& inAbsolute) {
    if (!inAbsolute.hasScheme)
        return true;
    return inAbsolute.hasAuthority || (!inAbsolute.path.empty() && inAbsolute.path[0] == '/');
}

bool EqualsIgnoringCase(const std::string& inA, const char* inB) {
    size_t length = std::char_traits<char>::length(inB);
    if (inA.size() != length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        if ((inA[i] | 0x20) != (inB[i] | 0x20))
            return false;
    }
    return true;
}

} // namespace

struct __CFURL : orvo_cf::Object {
    __CFURL(std::string inText, Parts inParts, CFURLRef inBase)
        : Object(orvo_cf::kTypeIDURL), mText(std::move(inText)), mParts(std::move(inParts)),
          mBase(inBase) {
        mString = orvo_cf::CreateStringFromUTF8(mText);
        if (mBase != nullptr) {
            CFRetain(mBase);
            mAbsolute = Resolve(mBase->mAbsolute, mParts);
        } else {
            mAbsolute = mParts;
        }
        mDecomposable = Decomposable(mAbsolute);
    }
    ~__CFURL() override {
        CFRelease(mString);
        if (mBase != nullptr)
            CFRelease(mBase);
    }

    bool Equals(const Object& inOther) const override {
        const __CFURL& other = static_cast<const __CFURL&>(inOther);
        return mText == other.mText && CFEqual(mBase, other.mBase);
    }
    CFHashCode Hash() const override { return std::hash<std::string>()(mText); }
    void Describe(std::string& ioOut, int, bool) const override {
        char prefix[64];
        std::snprintf(prefix, sizeof prefix, "<CFURL %p>{", static_cast<const void*>(this));
        ioOut += prefix;
        ioOut += mText;
        if (mBase != nullptr)
            ioOut += ", base = " + mBase->mText;
        ioOut += '}';
    }
    const char* TypeName() const override { return "CFURL"; }

    std::string mText;
    Parts mParts;
    CFURLRef mBase;
    CFStringRef mString = nullptr;
    Parts mAbsolute;
    bool mDecomposable = true;
};

namespace {

const __CFURL* URLOf(CFURLRef inURL, const char* inFunction) {
    const __CFURL* url = orvo_cf::Cast<__CFURL>(inURL, orvo_cf::kTypeIDURL);
    if (url == nullptr && inURL != nullptr)
        orvo_cf::ReportMisuse(inFunction, "not a URL");
    return url;
}

CFURLRef CreateFromText(const std::string& inText, CFURLRef inBase) {
    std::optional<Parts> parts = Parse(inText);
    if (!parts)
        return nullptr;
    return new __CFURL(inText, std::move(*parts), inBase);
}

CFURLRef CreateWithParts(const __CFURL* inURL, const Parts& inParts) {
    return CreateFromText(Compose(inParts), inURL->mBase);
}

// The decoded path of the absolute URL, as the file system sees it; nothing when it has
// none.
std::optional<std::string> FileSystemPath(const __CFURL* inURL, bool inResolve) {
    if (!inURL->mDecomposable)
        return std::nullopt;
    const std::string& path = inResolve ? inURL->mAbsolute.path : inURL->mParts.path;
    std::string decoded;
    if (!PercentDecode(path, decoded) || !orvo_cf::IsValidUTF8(decoded) ||
        decoded.find('\0') != std::string::npos)
        return std::nullopt;
    while (decoded.size() > 1 && decoded.back() == '/')
        decoded.pop_back();
    return decoded;
}

std::string LastSegment(const std::string& inPath) {
    std::string path = inPath;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path == "/")
        return path;
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The position of the extension's dot in a last segment, or npos.
size_t ExtensionDot(const std::string& inSegment) {
    size_t dot = inSegment.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == inSegment.size())
        return std::string::npos;
    return dot;
}

} // namespace

CFTypeID CFURLGetTypeID(void) {
    return orvo_cf::kTypeIDURL;
}

CFURLRef CFURLCreateWithString(CFAllocatorRef, CFStringRef URLString, CFURLRef baseURL) {
    if (URLString == nullptr)
        return nullptr;
    if (CFGetTypeID(URLString) != CFStringGetTypeID()) {
        orvo_cf::ReportMisuse("CFURLCreateWithString", "not a string");
        return nullptr;
    }
    if (baseURL != nullptr && URLOf(baseURL, "CFURLCreateWithString") == nullptr)
        return nullptr;
    CFIndex length = CFStringGetLength(URLString);
    std::string text = orvo_cf::UTF8FromString(URLString);
    if (static_cast<size_t>(length) != text.size())
        return nullptr; // non-ASCII characters may not stand in a URL
    if (text.empty() && baseURL == nullptr)
        return nullptr;
    return CreateFromText(text, baseURL);
}

CFURLRef CFURLCreateWithBytes(CFAllocatorRef allocator, const UInt8* URLBytes, CFIndex length,
                              CFStringEncoding encoding, CFURLRef baseURL) {
    if (URLBytes == nullptr || length < 0)
        return nullptr;
    CFStringRef string = CFStringCreateWithBytes(allocator, URLBytes, length, encoding, false);
    if (string == nullptr)
        return nullptr;
    CFURLRef url = CFURLCreateWithString(allocator, string, baseURL);
    CFRelease(string);
    return url;
}

static CFURLRef CreateFileURL(std::string inPath, Boolean inIsDirectory) {
    if (inPath.empty() || inPath.find('\0') != std::string::npos)
        return nullptr;
    if (inPath[0] != '/') {
        std::vector<char> folder(4096);
        while (::getcwd(folder.data(), folder.size()) == nullptr) {
            if (errno != ERANGE)
                return nullptr;
            folder.resize(folder.size() * 2);
        }
        std::string prefix = folder.data();
        if (prefix.empty() || prefix.back() != '/')
            prefix += '/';
        inPath = prefix + inPath;
    }
    if (inIsDirectory) {
        if (inPath.back() != '/')
            inPath += '/';
    } else {
        while (inPath.size() > 1 && inPath.back() == '/')
            inPath.pop_back();
    }
    return CreateFromText("file://" + EscapePath(inPath), nullptr);
}

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef filePath,
                                       CFURLPathStyle pathStyle, Boolean isDirectory) {
    if (filePath == nullptr)
        return nullptr;
    if (pathStyle != kCFURLPOSIXPathStyle) {
        orvo_cf::ReportMisuse("CFURLCreateWithFileSystemPath", "only POSIX paths are supported");
        return nullptr;
    }
    if (CFGetTypeID(filePath) != CFStringGetTypeID()) {
        orvo_cf::ReportMisuse("CFURLCreateWithFileSystemPath", "not a string");
        return nullptr;
    }
    return CreateFileURL(orvo_cf::UTF8FromString(filePath), isDirectory);
}

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef, const UInt8* buffer,
                                                 CFIndex bufLen, Boolean isDirectory) {
    if (buffer == nullptr || bufLen <= 0)
        return nullptr;
    std::string path(reinterpret_cast<const char*>(buffer), static_cast<size_t>(bufLen));
    if (!orvo_cf::IsValidUTF8(path))
        return nullptr;
    return CreateFileURL(path, isDirectory);
}

CFStringRef CFURLGetString(CFURLRef anURL) {
    const __CFURL* url = URLOf(anURL, "CFURLGetString");
    return url == nullptr ? nullptr : url->mString;
}

CFURLRef CFURLGetBaseURL(CFURLRef anURL) {
    const __CFURL* url = URLOf(anURL, "CFURLGetBaseURL");
    return url == nullptr ? nullptr : url->mBase;
}

CFURLRef CFURLCopyAbsoluteURL(CFURLRef relativeURL) {
    const __CFURL* url = URLOf(relativeURL, "CFURLCopyAbsoluteURL");
    if (url == nullptr)
        return nullptr;
    if (url->mBase == nullptr)
        return static_cast<CFURLRef>(CFRetain(url));
    return CreateFromText(Compose(url->mAbsolute), nullptr);
}

Boolean CFURLCanBeDecomposed(CFURLRef anURL) {
    const __CFURL* url = URLOf(anURL, "CFURLCanBeDecomposed");
    return url != nullptr && url->mDecomposable;
}

CFStringRef CFURLCopyScheme(CFURLRef anURL) {
    const __CFURL* url = URLOf(anURL, "CFURLCopyScheme");
    if (url == nullptr || !url->mAbsolute.hasScheme)
        return nullptr;
    return orvo_cf::CreateStringFromUTF8(url->mAbsolute.scheme);
}

CFStringRef CFURLCopyHostName(CFURLRef anURL) {
    const __CFURL* url = URLOf(anURL, "CFURLCopyHostName");
    if (url == nullptr || !url->mDecomposable || !url->mAbsolute.hasAuthority ||
        url->mAbsolute.host.empty())
        return nullptr;
    std::string host = url->mAbsolute.host;
    if (host[0] == '[')
        host = host.substr(1, host.size() - 2);
    return CreateDecodedString(host);
}

SInt32 CFURLGetPortNumber(CFURLRef anURL) {
    const __CFURL* url = URLOf(anURL, "CFURLGetPortNumber");
    if (url == nullptr || !url->mDecomposable)
        return -1;
    return url->mAbsolute.port;
}

CFStringRef CFURLCopyUserName(CFURLRef anURL) {
    const __CFURL* url = URLOf(anURL, "CFURLCopyUserName");
    if (url == nullptr || !url->mDecomposable || !url->mAbsolute.hasUser)
        return nullptr;
    return CreateDecodedString(url->mAbsolute.user);
}

CFStringRef CFURLCopyPassword(CFURLRef anURL) {
    const __CFURL* url = URLOf(anURL, "CFURLCopyPassword");
    if (url == nullptr || !url->mDecomposable || !url->mAbsolute.hasPassword)
        return nullptr;
    return CreateDecodedString(url->mAbsolute.password);
}

CFStringRef CFURLCopyPath(CFURLRef anURL) {
    const __CFURL* url = URLOf(anURL, "CFURLCopyPath");
    if (url == nullptr || !url->mDecomposable)
        return nullptr;
    return orvo_cf::CreateStringFromUTF8(url->mParts.path);
}

static CFStringRef CopyComponent(const std::string& inComponent,
                                 CFStringRef inCharactersToLeaveEscaped) {
    CFStringRef raw = orvo_cf::CreateStringFromUTF8(inComponent);
    if (inCharactersToLeaveEscaped == nullptr)
        return raw;
    CFStringRef decoded =
        CFURLCreateStringByReplacingPercentEscapes(nullptr, raw, inCharactersToLeaveEscaped);
    if (decoded == nullptr)
        return raw;
    CFRelease(raw);
    return decoded;
}

CFStringRef CFURLCopyQueryString(CFURLRef anURL, CFStringRef charactersToLeaveEscaped) {
    const __CFURL* url = URLOf(anURL, "CFURLCopyQueryString");
    if (url == nullptr || !url->mDecomposable || !url->mParts.hasQuery)
        return nullptr;
    return CopyComponent(url->mParts.query, charactersToLeaveEscaped);
}

CFStringRef CFURLCopyFragment(CFURLRef anURL, CFStringRef charactersToLeaveEscaped) {
    const __CFURL* url = URLOf(anURL, "CFURLCopyFragment");
    if (url == nullptr || !url->mParts.hasFragment)
        return nullptr;
    return CopyComponent(url->mParts.fragment, charactersToLeaveEscaped);
}

Boolean CFURLHasDirectoryPath(CFURLRef anURL) {
    const __CFURL* url = URLOf(anURL, "CFURLHasDirectoryPath");
    return url != nullptr && !url->mAbsolute.path.empty() && url->mAbsolute.path.back() == '/';
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef anURL, CFURLPathStyle pathStyle) {
    const __CFURL* url = URLOf(anURL, "CFURLCopyFileSystemPath");
    if (url == nullptr)
        return nullptr;
    if (pathStyle != kCFURLPOSIXPathStyle) {
        orvo_cf::ReportMisuse("CFURLCopyFileSystemPath", "only POSIX paths are supported");
        return nullptr;
    }
    std::optional<std::string> path = FileSystemPath(url, true);
    if (!path)
        return nullptr;
    return orvo_cf::CreateStringFromUTF8(*path);
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef anURL, Boolean resolveAgainstBase, UInt8* buffer,
                                         CFIndex maxBufLen) {
    const __CFURL* url = URLOf(anURL, "CFURLGetFileSystemRepresentation");
    if (url == nullptr || buffer == nullptr || maxBufLen <= 0)
        return false;
    std::optional<std::string> path = FileSystemPath(url, resolveAgainstBase);
    if (!path || static_cast<CFIndex>(path->size()) >= maxBufLen)
        return false;
    std::copy(path->begin(), path->end(), buffer);
    buffer[path->size()] = 0;
    return true;
}

CFStringRef CFURLCopyLastPathComponent(CFURLRef anURL) {
    const __CFURL* url = URLOf(anURL, "CFURLCopyLastPathComponent");
    if (url == nullptr || !url->mDecomposable)
        return nullptr;
    return CreateDecodedString(LastSegment(url->mParts.path));
}

CFStringRef CFURLCopyPathExtension(CFURLRef anURL) {
    const __CFURL* url = URLOf(anURL, "CFURLCopyPathExtension");
    if (url == nullptr || !url->mDecomposable)
        return nullptr;
    std::string segment = LastSegment(url->mParts.path);
    size_t dot = ExtensionDot(segment);
    if (dot == std::string::npos)
        return nullptr;
    return CreateDecodedString(segment.substr(dot + 1));
}

CFURLRef CFURLCreateCopyAppendingPathComponent(CFAllocatorRef, CFURLRef anURL,
                                               CFStringRef pathComponent, Boolean isDirectory) {
    const __CFURL* url = URLOf(anURL, "CFURLCreateCopyAppendingPathComponent");
    if (url == nullptr || pathComponent == nullptr || !url->mDecomposable)
        return nullptr;
    Parts parts = url->mParts;
    std::string component = EscapePath(orvo_cf::UTF8FromString(pathComponent));
    if (parts.path.empty() ? parts.hasAuthority : parts.path.back() != '/')
        parts.path += '/';
    parts.path += component;
    if (isDirectory && parts.path.back() != '/')
        parts.path += '/';
    return CreateWithParts(url, parts);
}

CFURLRef CFURLCreateCopyDeletingLastPathComponent(CFAllocatorRef, CFURLRef anURL) {
    const __CFURL* url = URLOf(anURL, "CFURLCreateCopyDeletingLastPathComponent");
    if (url == nullptr || !url->mDecomposable)
        return nullptr;
    Parts parts = url->mParts;
    std::string path = parts.path;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path.empty() || path == "/") {
        parts.path = path.empty() && !parts.hasAuthority ? std::string("../") : std::string("/");
    } else {
        size_t slash = path.rfind('/');
        parts.path = slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
    }
    return CreateWithParts(url, parts);
}

CFURLRef CFURLCreateCopyAppendingPathExtension(CFAllocatorRef, CFURLRef anURL,
                                               CFStringRef extension) {
    const __CFURL* url = URLOf(anURL, "CFURLCreateCopyAppendingPathExtension");
    if (url == nullptr || extension == nullptr || !url->mDecomposable)
        return nullptr;
    Parts parts = url->mParts;
    bool directory = !parts.path.empty() && parts.path.back() == '/';
    while (directory && parts.path.size() > 1 && parts.path.back() == '/')
        parts.path.pop_back();
    if (parts.path.empty() || parts.path == "/")
        return nullptr;
    parts.path += '.' + EscapePath(orvo_cf::UTF8FromString(extension));
    if (directory)
        parts.path += '/';
    return CreateWithParts(url, parts);
}

CFURLRef CFURLCreateCopyDeletingPathExtension(CFAllocatorRef, CFURLRef anURL) {
    const __CFURL* url = URLOf(anURL, "CFURLCreateCopyDeletingPathExtension");
    if (url == nullptr || !url->mDecomposable)
        return nullptr;
    Parts parts = url->mParts;
    bool directory = !parts.path.empty() && parts.path.back() == '/';
    std::string path = parts.path;
    while (directory && path.size() > 1 && path.back() == '/')
        path.pop_back();
    size_t slash = path.rfind('/');
    size_t start = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = ExtensionDot(path.substr(start));
    if (dot != std::string::npos) {
        path.erase(start + dot);
        parts.path = path + (directory ? "/" : "");
    }
    return CreateWithParts(url, parts);
}

CFStringRef CFURLCreateStringByReplacingPercentEscapes(CFAllocatorRef, CFStringRef originalString,
                                                       CFStringRef charactersToLeaveEscaped) {
    if (originalString == nullptr)
        return nullptr;
    if (charactersToLeaveEscaped == nullptr)
        return CFStringCreateCopy(nullptr, originalString);
    std::vector<UTF32Char> leave = CharactersOf(charactersToLeaveEscaped);
    std::string text = orvo_cf::UTF8FromString(originalString);
    std::string out;
    for (size_t i = 0; i < text.size();) {
        if (text[i] != '%') {
            out += text[i++];
            continue;
        }
        // A run of escapes decodes to bytes that must form whole UTF-8 characters.
        std::string bytes;
        std::vector<size_t> starts;
        while (i < text.size() && text[i] == '%') {
            if (i + 2 >= text.size())
                return nullptr;
            if (!IsHex(text[i + 1]) || !IsHex(text[i + 2]))
                return nullptr;
            starts.push_back(i);
            bytes += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 3;
        }
        size_t runStart = starts.front();
        for (size_t index = 0; index < bytes.size();) {
            size_t first = index;
            UTF32Char character;
            if (!orvo_cf::DecodeUTF8Sequence(bytes, index, character))
                return nullptr;
            if (Contains(leave, character))
                out += text.substr(runStart + first * 3, (index - first) * 3);
            else
                out += bytes.substr(first, index - first);
        }
    }
    return orvo_cf::CreateStringFromUTF8(out);
}

CFStringRef CFURLCreateStringByAddingPercentEscapes(CFAllocatorRef, CFStringRef originalString,
                                                    CFStringRef charactersToLeaveUnescaped,
                                                    CFStringRef legalURLCharactersToBeEscaped,
                                                    CFStringEncoding encoding) {
    if (originalString == nullptr)
        return nullptr;
    std::vector<UTF32Char> leave = CharactersOf(charactersToLeaveUnescaped);
    std::vector<UTF32Char> escape = CharactersOf(legalURLCharactersToBeEscaped);
    auto mustEscape = [&](UTF32Char inCharacter) {
        if (Contains(leave, inCharacter))
            return false;
        if (inCharacter >= 0x80 || inCharacter == '%' ||
            !IsURLCharacter(static_cast<unsigned char>(inCharacter)))
            return true;
        return Contains(escape, inCharacter);
    };
    std::string out;
    if (encoding == kCFStringEncodingUTF8) {
        std::string text = orvo_cf::UTF8FromString(originalString);
        for (size_t index = 0; index < text.size();) {
            size_t first = index;
            UTF32Char character;
            if (!orvo_cf::DecodeUTF8Sequence(text, index, character))
                return nullptr;
            for (size_t i = first; i < index; ++i) {
                if (mustEscape(character))
                    AppendEscape(out, static_cast<unsigned char>(text[i]));
                else
                    out += text[i];
            }
        }
    } else {
        CFIndex length = CFStringGetLength(originalString);
        CFIndex size = 0;
        CFIndex converted = CFStringGetBytes(originalString, CFRangeMake(0, length), encoding, 0,
                                             false, nullptr, 0, &size);
        if (converted != length)
            return nullptr;
        std::vector<UInt8> bytes(static_cast<size_t>(size) + 1);
        CFStringGetBytes(originalString, CFRangeMake(0, length), encoding, 0, false, bytes.data(),
                         size, &size);
        for (CFIndex i = 0; i < size; ++i) {
            UInt8 byte = bytes[static_cast<size_t>(i)];
            if (byte >= 0x80 || mustEscape(byte))
                AppendEscape(out, byte);
            else
                out += static_cast<char>(byte);
        }
    }
    return orvo_cf::CreateStringFromUTF8(out);
}

// Resource access.

namespace {

// The file-system path of a file URL, or the error that prevents one.
SInt32 ResourcePath(const __CFURL* inURL, std::string& outDriverPath, std::string& outPath) {
    if (inURL == nullptr)
        return kCFURLImproperArgumentsError;
    const Parts& parts = inURL->mAbsolute;
    if (!parts.hasScheme || !EqualsIgnoringCase(parts.scheme, "file"))
        return kCFURLUnknownSchemeError;
    if (!parts.host.empty() && !EqualsIgnoringCase(parts.host, "localhost"))
        return kCFURLRemoteHostUnavailableError;
    std::string decoded;
    if (parts.path.empty() || parts.path[0] != '/' || !PercentDecode(parts.path, decoded) ||
        !orvo_cf::IsValidUTF8(decoded) || decoded.find('\0') != std::string::npos)
        return kCFURLImproperArgumentsError;
    outDriverPath = decoded;
    outPath = OrvoPlatformResolvePath(decoded);
    return 0;
}

SInt32 ErrorForRead(orvo_cf::FileReadResult inResult) {
    switch (inResult) {
    case orvo_cf::FileReadResult::kOK:
        return 0;
    case orvo_cf::FileReadResult::kNotFound:
        return kCFURLResourceNotFoundError;
    case orvo_cf::FileReadResult::kAccessDenied:
    case orvo_cf::FileReadResult::kNotAFile:
        return kCFURLResourceAccessViolationError;
    case orvo_cf::FileReadResult::kFailed:
        break;
    }
    return kCFURLUnknownError;
}

bool Wanted(CFArrayRef inDesired, CFStringRef inKey) {
    if (inDesired == nullptr)
        return true;
    return CFArrayContainsValue(inDesired, CFRangeMake(0, CFArrayGetCount(inDesired)), inKey);
}

void SetNumber(CFMutableDictionaryRef ioProperties, CFStringRef inKey, CFNumberType inType,
               const void* inValue) {
    CFNumberRef number = CFNumberCreate(nullptr, inType, inValue);
    CFDictionarySetValue(ioProperties, inKey, number);
    CFRelease(number);
}

CFArrayRef CreateFolderContents(const __CFURL* inURL, const std::string& inPath) {
    DIR* folder = ::opendir(inPath.c_str());
    if (folder == nullptr)
        return nullptr;
    std::vector<std::pair<std::string, bool>> entries;
    while (struct dirent* entry = ::readdir(folder)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat info;
        bool isFolder = ::stat((inPath + '/' + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        entries.emplace_back(name, isFolder);
    }
    ::closedir(folder);
    std::sort(entries.begin(), entries.end());

    Parts folderParts = inURL->mAbsolute;
    if (folderParts.path.back() != '/')
        folderParts.path += '/';
    folderParts.hasQuery = folderParts.hasFragment = false;
    CFMutableArrayRef contents = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    for (const auto& [name, isFolder] : entries) {
        Parts child = folderParts;
        child.path += EscapePath(name) + (isFolder ? "/" : "");
        CFURLRef url = CreateFromText(Compose(child), nullptr);
        if (url != nullptr) {
            CFArrayAppendValue(contents, url);
            CFRelease(url);
        }
    }
    return contents;
}

CFDictionaryRef CreateProperties(const __CFURL* inURL, const std::string& inPath,
                                 CFArrayRef inDesired) {
    CFMutableDictionaryRef properties = CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    struct stat info;
    bool exists = ::stat(inPath.c_str(), &info) == 0;
    if (Wanted(inDesired, kCFURLFileExists))
        CFDictionarySetValue(properties, kCFURLFileExists,
                             exists ? kCFBooleanTrue : kCFBooleanFalse);
    if (!exists)
        return properties;
    if (Wanted(inDesired, kCFURLFileLength)) {
        SInt64 length = info.st_size;
        SetNumber(properties, kCFURLFileLength, kCFNumberSInt64Type, &length);
    }
    if (Wanted(inDesired, kCFURLFileLastModificationTime)) {
        CFAbsoluteTime time = static_cast<double>(info.st_mtim.tv_sec) +
                              static_cast<double>(info.st_mtim.tv_nsec) / 1e9 -
                              kCFAbsoluteTimeIntervalSince1970;
        CFDateRef date = CFDateCreate(nullptr, time);
        CFDictionarySetValue(properties, kCFURLFileLastModificationTime, date);
        CFRelease(date);
    }
    if (Wanted(inDesired, kCFURLFilePOSIXMode)) {
        SInt32 mode = static_cast<SInt32>(info.st_mode & 07777);
        SetNumber(properties, kCFURLFilePOSIXMode, kCFNumberSInt32Type, &mode);
    }
    if (Wanted(inDesired, kCFURLFileOwnerID)) {
        SInt32 owner = static_cast<SInt32>(info.st_uid);
        SetNumber(properties, kCFURLFileOwnerID, kCFNumberSInt32Type, &owner);
    }
    if (S_ISDIR(info.st_mode) && Wanted(inDesired, kCFURLFileDirectoryContents)) {
        CFArrayRef contents = CreateFolderContents(inURL, inPath);
        if (contents != nullptr) {
            CFDictionarySetValue(properties, kCFURLFileDirectoryContents, contents);
            CFRelease(contents);
        }
    }
    return properties;
}

} // namespace

Boolean CFURLCreateDataAndPropertiesFromResource(CFAllocatorRef, CFURLRef anURL,
                                                 CFDataRef* resourceData,
                                                 CFDictionaryRef* properties,
                                                 CFArrayRef desiredProperties, SInt32* errorCode) {
    SInt32 ignored;
    SInt32& error = errorCode != nullptr ? *errorCode : ignored;
    if (resourceData != nullptr)
        *resourceData = nullptr;
    if (properties != nullptr)
        *properties = nullptr;
    std::string driverPath, path;
    error =
        ResourcePath(URLOf(anURL, "CFURLCreateDataAndPropertiesFromResource"), driverPath, path);
    if (error != 0)
        return false;
    if (resourceData != nullptr) {
        std::string bytes;
        error = ErrorForRead(orvo_cf::ReadWholeFile(path, bytes));
        if (error != 0)
            return false;
        *resourceData = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes.data()),
                                     static_cast<CFIndex>(bytes.size()));
    }
    if (properties != nullptr)
        *properties = CreateProperties(orvo_cf::Cast<__CFURL>(anURL, orvo_cf::kTypeIDURL), path,
                                       desiredProperties);
    return true;
}

Boolean CFURLWriteDataAndPropertiesToResource(CFURLRef anURL, CFDataRef dataToWrite,
                                              CFDictionaryRef propertiesToWrite,
                                              SInt32* errorCode) {
    SInt32 ignored;
    SInt32& error = errorCode != nullptr ? *errorCode : ignored;
    const __CFURL* url = URLOf(anURL, "CFURLWriteDataAndPropertiesToResource");
    std::string driverPath, path;
    error = ResourcePath(url, driverPath, path);
    if (error != 0)
        return false;
    mode_t mode = 0644;
    if (propertiesToWrite != nullptr) {
        CFTypeRef value = CFDictionaryGetValue(propertiesToWrite, kCFURLFilePOSIXMode);
        SInt32 requested;
        if (value != nullptr && CFGetTypeID(value) == CFNumberGetTypeID() &&
            CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberSInt32Type, &requested))
            mode = static_cast<mode_t>(requested & 07777);
    }
    bool isFolder = url->mAbsolute.path.back() == '/';
    std::string message;
    if (dataToWrite == nullptr) {
        if (!isFolder) {
            error = kCFURLImproperArgumentsError;
            return false;
        }
        if (!orvo_cf::MakeDirectories(path, message)) {
            std::fprintf(stderr, "CFURLWriteDataAndPropertiesToResource: %s\n", message.c_str());
            error = kCFURLResourceAccessViolationError;
            return false;
        }
        return true;
    }
    if (isFolder || CFGetTypeID(dataToWrite) != CFDataGetTypeID()) {
        error = kCFURLImproperArgumentsError;
        return false;
    }
    int writeError = 0;
    if (!orvo_cf::WriteFileAtomically(path, CFDataGetBytePtr(dataToWrite),
                                      static_cast<size_t>(CFDataGetLength(dataToWrite)), mode,
                                      message, &writeError)) {
        std::fprintf(stderr, "CFURLWriteDataAndPropertiesToResource: %s\n", message.c_str());
        if (writeError == ENOENT || writeError == ENOTDIR)
            error = kCFURLResourceNotFoundError;
        else if (writeError == EACCES || writeError == EPERM || writeError == EROFS ||
                 writeError == EISDIR)
            error = kCFURLResourceAccessViolationError;
        else
            error = kCFURLUnknownError;
        return false;
    }
    return true;
}

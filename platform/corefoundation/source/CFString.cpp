// Unicode strings held as UTF-16 code units, with conversion to and from UTF-8, ASCII,
// ISO Latin-1 and Mac Roman, comparison, search, editing and printf-style formatting.
#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFRuntime.h>
#include <CoreFoundation/CFString.h>

#include "UTF8.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

using namespace orvo_cf;

struct __CFString : Object {
    __CFString(std::u16string inChars, bool inMutable, bool inImmortal = false)
        : Object(kTypeIDString, inImmortal), mChars(std::move(inChars)), mMutable(inMutable) {}

    bool Equals(const Object& inOther) const override {
        return mChars == static_cast<const __CFString&>(inOther).mChars;
    }
    CFHashCode Hash() const override {
        CFHashCode hash = 1469598103934665603ULL;
        for (char16_t unit : mChars)
            hash = (hash ^ unit) * 1099511628211ULL;
        return hash;
    }
    void Describe(std::string& ioOut, int, bool inTopLevel) const override;
    const char* TypeName() const override { return "CFString"; }

    std::u16string mChars;
    const bool mMutable;
    // For literal constants: the literal's bytes, handed out by CFStringGetCStringPtr.
    const char* mConstantCString = nullptr;
};

namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;

// Mac Roman bytes 0x80..0xFF as Unicode.
constexpr char16_t kMacRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3,
    0x00E5, 0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3,
    0x00A7, 0x2022, 0x00B6, 0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA,
    0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D,
    0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE,
    0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7};

bool IsUTF8Encoding(CFStringEncoding inEncoding) {
    return inEncoding == kCFStringEncodingUTF8;
}

void AppendCodePoint(std::u16string& ioOut, char32_t inCodePoint) {
    if (inCodePoint < 0x10000) {
        ioOut.push_back(static_cast<char16_t>(inCodePoint));
    } else {
        inCodePoint -= 0x10000;
        ioOut.push_back(static_cast<char16_t>(0xD800 + (inCodePoint >> 10)));
        ioOut.push_back(static_cast<char16_t>(0xDC00 + (inCodePoint & 0x3FF)));
    }
}

// Strict UTF-8 decoding; with inLenient each malformed byte becomes U+FFFD instead of
// failing the whole conversion.
bool DecodeUTF8(const UInt8* inBytes, size_t inLength, std::u16string& outChars, bool inLenient) {
    const std::string_view text(reinterpret_cast<const char*>(inBytes), inLength);
    size_t i = 0;
    while (i < inLength) {
        UTF32Char codePoint;
        if (DecodeUTF8Sequence(text, i, codePoint)) {
            AppendCodePoint(outChars, codePoint);
        } else if (inLenient) {
            outChars.push_back(kReplacementCharacter);
            ++i;
        } else {
            return false;
        }
    }
    return true;
}

bool DecodeBytes(const UInt8* inBytes, size_t inLength, CFStringEncoding inEncoding,
                 bool inExternalRepresentation, std::u16string& outChars) {
    switch (inEncoding) {
    case kCFStringEncodingUTF8:
        if (inExternalRepresentation && inLength >= 3 && inBytes[0] == 0xEF && inBytes[1] == 0xBB &&
            inBytes[2] == 0xBF) {
            inBytes += 3;
            inLength -= 3;
        }
        return DecodeUTF8(inBytes, inLength, outChars, false);
    case kCFStringEncodingASCII:
        for (size_t i = 0; i < inLength; ++i) {
            if (inBytes[i] > 0x7F)
                return false;
            outChars.push_back(inBytes[i]);
        }
        return true;
    case kCFStringEncodingISOLatin1:
        for (size_t i = 0; i < inLength; ++i)
            outChars.push_back(inBytes[i]);
        return true;
    case kCFStringEncodingMacRoman:
        for (size_t i = 0; i < inLength; ++i)
            outChars.push_back(inBytes[i] < 0x80 ? inBytes[i] : kMacRomanHigh[inBytes[i] - 0x80]);
        return true;
    case kCFStringEncodingUTF16: {
        if (inLength % 2 != 0)
            return false;
        bool bigEndian = false; // host order (little-endian) unless a byte order mark says
        size_t start = 0;
        if (inLength >= 2 && inBytes[0] == 0xFE && inBytes[1] == 0xFF)
            bigEndian = true, start = 2;
        else if (inLength >= 2 && inBytes[0] == 0xFF && inBytes[1] == 0xFE)
            start = 2;
        for (size_t i = start; i + 1 < inLength; i += 2) {
            char16_t unit = bigEndian ? static_cast<char16_t>((inBytes[i] << 8) | inBytes[i + 1])
                                      : static_cast<char16_t>((inBytes[i + 1] << 8) | inBytes[i]);
            outChars.push_back(unit);
        }
        return true;
    }
    default:
        return false;
    }
}

// Encodes one code point; false when the encoding cannot represent it.
bool EncodeCodePoint(char32_t inCodePoint, CFStringEncoding inEncoding, std::string& ioOut) {
    switch (inEncoding) {
    case kCFStringEncodingUTF8:
        AppendUTF8(ioOut, inCodePoint);
        return true;
    case kCFStringEncodingASCII:
        if (inCodePoint > 0x7F)
            return false;
        ioOut.push_back(static_cast<char>(inCodePoint));
        return true;
    case kCFStringEncodingISOLatin1:
        if (inCodePoint > 0xFF)
            return false;
        ioOut.push_back(static_cast<char>(inCodePoint));
        return true;
    case kCFStringEncodingMacRoman:
        if (inCodePoint < 0x80) {
            ioOut.push_back(static_cast<char>(inCodePoint));
            return true;
        }
        for (int i = 0; i < 128; ++i) {
            if (kMacRomanHigh[i] == inCodePoint) {
                ioOut.push_back(static_cast<char>(0x80 + i));
                return true;
            }
        }
        return false;
    default:
        return false;
    }
}

// Walks code points of a UTF-16 range; an unpaired surrogate is returned as itself.
char32_t NextCodePoint(const std::u16string& inChars, size_t& ioIndex, size_t inEnd) {
    char16_t unit = inChars[ioIndex++];
    if (unit >= 0xD800 && unit <= 0xDBFF && ioIndex < inEnd) {
        char16_t low = inChars[ioIndex];
        if (low >= 0xDC00 && low <= 0xDFFF) {
            ++ioIndex;
            return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (low - 0xDC00);
        }
    }
    return unit;
}

bool IsSurrogate(char32_t inCodePoint) {
    return inCodePoint >= 0xD800 && inCodePoint <= 0xDFFF;
}

// Converts a range; returns false at the first character that cannot be represented
// (unless inLossByte is set, which then stands in for it).
bool EncodeRange(const std::u16string& inChars, size_t inStart, size_t inEnd,
                 CFStringEncoding inEncoding, UInt8 inLossByte, std::string& outBytes) {
    if (inEncoding == kCFStringEncodingUTF16) {
        for (size_t i = inStart; i < inEnd; ++i) {
            outBytes.push_back(static_cast<char>(inChars[i] & 0xFF));
            outBytes.push_back(static_cast<char>(inChars[i] >> 8));
        }
        return true;
    }
    size_t i = inStart;
    while (i < inEnd) {
        char32_t codePoint = NextCodePoint(inChars, i, inEnd);
        bool ok = !(IsSurrogate(codePoint) && inEncoding == kCFStringEncodingUTF8) &&
                  EncodeCodePoint(codePoint, inEncoding, outBytes);
        if (!ok) {
            if (inLossByte == 0)
                return false;
            outBytes.push_back(static_cast<char>(inLossByte));
        }
    }
    return true;
}

// Simple case folding for the scripts printer names and paper names are written in:
// Latin (Basic, Latin-1, Extended-A), Greek and Cyrillic.
char16_t FoldCase(char16_t inUnit) {
    if (inUnit < 0x80)
        return (inUnit >= 'A' && inUnit <= 'Z') ? inUnit + 0x20 : inUnit;
    if (inUnit >= 0xC0 && inUnit <= 0xDE && inUnit != 0xD7)
        return inUnit + 0x20;
    if (inUnit >= 0x100 && inUnit <= 0x17F) {
        if (inUnit == 0x130 || inUnit == 0x131 || inUnit == 0x138 || inUnit == 0x149 ||
            inUnit == 0x17F)
            return inUnit;
        if (inUnit == 0x178)
            return 0xFF;
        bool oddUpper =
            (inUnit >= 0x139 && inUnit <= 0x148) || (inUnit >= 0x179 && inUnit <= 0x17E);
        if (oddUpper)
            return (inUnit & 1) ? inUnit + 1 : inUnit;
        return (inUnit & 1) ? inUnit : inUnit + 1;
    }
    if (inUnit >= 0x391 && inUnit <= 0x3A9 && inUnit != 0x3A2)
        return inUnit + 0x20;
    if (inUnit >= 0x410 && inUnit <= 0x42F)
        return inUnit + 0x20;
    if (inUnit >= 0x400 && inUnit <= 0x40F)
        return inUnit + 0x50;
    return inUnit;
}

char16_t UpperCase(char16_t inUnit) {
    if (inUnit >= 'a' && inUnit <= 'z')
        return inUnit - 0x20;
    if (inUnit >= 0xE0 && inUnit <= 0xFE && inUnit != 0xF7)
        return inUnit - 0x20;
    if (inUnit == 0xFF)
        return 0x178;
    if (inUnit >= 0x100 && inUnit <= 0x17F) {
        for (char16_t candidate = inUnit - 1; candidate <= inUnit; ++candidate)
            if (candidate != inUnit && FoldCase(candidate) == inUnit)
                return candidate;
        return inUnit;
    }
    if (inUnit >= 0x3B1 && inUnit <= 0x3C9 && inUnit != 0x3C2)
        return inUnit - 0x20;
    if (inUnit >= 0x430 && inUnit <= 0x44F)
        return inUnit - 0x20;
    if (inUnit >= 0x450 && inUnit <= 0x45F)
        return inUnit - 0x50;
    return inUnit;
}

const __CFString* StringOf(CFStringRef inString, const char* inFunction) {
    const __CFString* string = Cast<__CFString>(inString, kTypeIDString);
    if (string == nullptr && inString != nullptr)
        ReportMisuse(inFunction, "not a string");
    return string;
}

__CFString* MutableStringOf(CFMutableStringRef inString, const char* inFunction) {
    return CheckedMutableCast<__CFString>(inString, kTypeIDString, inFunction, "CFString");
}

const std::u16string& CharsOf(CFStringRef inString) {
    static const std::u16string kEmpty;
    const __CFString* string = Cast<__CFString>(inString, kTypeIDString);
    return string ? string->mChars : kEmpty;
}

CFStringRef NewString(std::u16string inChars) {
    return new __CFString(std::move(inChars), false);
}

bool IsDigit(char16_t inUnit) {
    return inUnit >= '0' && inUnit <= '9';
}

int CompareUnits(const std::u16string& inA, size_t inAStart, size_t inAEnd,
                 const std::u16string& inB, size_t inBStart, size_t inBEnd,
                 CFStringCompareFlags inOptions) {
    const bool fold = inOptions & kCFCompareCaseInsensitive;
    const bool numeric = inOptions & kCFCompareNumerically;
    size_t i = inAStart, j = inBStart;
    while (i < inAEnd && j < inBEnd) {
        if (numeric && IsDigit(inA[i]) && IsDigit(inB[j])) {
            // Compare digit runs by value: skip leading zeros, then longer run is larger.
            size_t iEnd = i, jEnd = j;
            while (iEnd < inAEnd && IsDigit(inA[iEnd]))
                ++iEnd;
            while (jEnd < inBEnd && IsDigit(inB[jEnd]))
                ++jEnd;
            size_t iFirst = i, jFirst = j;
            while (iFirst + 1 < iEnd && inA[iFirst] == '0')
                ++iFirst;
            while (jFirst + 1 < jEnd && inB[jFirst] == '0')
                ++jFirst;
            if (iEnd - iFirst != jEnd - jFirst)
                return (iEnd - iFirst) < (jEnd - jFirst) ? -1 : 1;
            for (; iFirst < iEnd; ++iFirst, ++jFirst)
                if (inA[iFirst] != inB[jFirst])
                    return inA[iFirst] < inB[jFirst] ? -1 : 1;
            i = iEnd;
            j = jEnd;
            continue;
        }
        char16_t a = fold ? FoldCase(inA[i]) : inA[i];
        char16_t b = fold ? FoldCase(inB[j]) : inB[j];
        if (a != b)
            return a < b ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < inAEnd)
        return 1;
    if (j < inBEnd)
        return -1;
    return 0;
}

bool UnitsMatchAt(const std::u16string& inText, size_t inAt, const std::u16string& inPattern,
                  bool inFold) {
    for (size_t k = 0; k < inPattern.size(); ++k) {
        char16_t a = inText[inAt + k], b = inPattern[k];
        if (inFold ? FoldCase(a) != FoldCase(b) : a != b)
            return false;
    }
    return true;
}

// Searches inText[inStart, inEnd) for inPattern under the options.
bool FindUnits(const std::u16string& inText, size_t inStart, size_t inEnd,
               const std::u16string& inPattern, CFStringCompareFlags inOptions, CFRange* outRange) {
    const size_t n = inPattern.size();
    if (n == 0 || inEnd - inStart < n)
        return false;
    const bool fold = inOptions & kCFCompareCaseInsensitive;
    const bool backwards = inOptions & kCFCompareBackwards;
    const bool anchored = inOptions & kCFCompareAnchored;
    const size_t last = inEnd - n;
    auto found = [&](size_t at) {
        if (outRange)
            *outRange = CFRangeMake(static_cast<CFIndex>(at), static_cast<CFIndex>(n));
        return true;
    };
    if (anchored) {
        size_t at = backwards ? last : inStart;
        return UnitsMatchAt(inText, at, inPattern, fold) ? found(at) : false;
    }
    if (backwards) {
        for (size_t at = last + 1; at-- > inStart;)
            if (UnitsMatchAt(inText, at, inPattern, fold))
                return found(at);
    } else {
        for (size_t at = inStart; at <= last; ++at)
            if (UnitsMatchAt(inText, at, inPattern, fold))
                return found(at);
    }
    return false;
}

bool IsWhitespace(char16_t inUnit) {
    return inUnit == ' ' || inUnit == '\t' || inUnit == '\n' || inUnit == '\r' || inUnit == '\v' ||
           inUnit == '\f' || inUnit == 0x85 || inUnit == 0xA0 || inUnit == 0x2028 ||
           inUnit == 0x2029 || inUnit == 0x3000 || inUnit == 0xFEFF ||
           (inUnit >= 0x2000 && inUnit <= 0x200B);
}

// printf-style formatting into UTF-8, with %@ for any value.
std::string FormatToUTF8(const std::string& inFormat, va_list inArguments) {
    std::string out;
    va_list args;
    va_copy(args, inArguments);
    size_t i = 0;
    const size_t n = inFormat.size();
    while (i < n) {
        char c = inFormat[i];
        if (c != '%') {
            out.push_back(c);
            ++i;
            continue;
        }
        size_t start = i++;
        std::string spec = "%";
        while (i < n && std::strchr("-+ #0'", inFormat[i]))
            spec.push_back(inFormat[i++]);
        int starArguments[2];
        int starCount = 0;
        if (i < n && inFormat[i] == '*') {
            starArguments[starCount++] = va_arg(args, int);
            spec.push_back('*');
            ++i;
        } else {
            while (i < n && std::isdigit(static_cast<unsigned char>(inFormat[i])))
                spec.push_back(inFormat[i++]);
        }
        if (i < n && inFormat[i] == '.') {
            spec.push_back(inFormat[i++]);
            if (i < n && inFormat[i] == '*') {
                starArguments[starCount++] = va_arg(args, int);
                spec.push_back('*');
                ++i;
            } else {
                while (i < n && std::isdigit(static_cast<unsigned char>(inFormat[i])))
                    spec.push_back(inFormat[i++]);
            }
        }
        std::string length;
        while (i < n && std::strchr("hlqLzjt", inFormat[i]))
            length.push_back(inFormat[i++]);
        if (i >= n) {
            out.append(inFormat, start, std::string::npos);
            break;
        }
        char conversion = inFormat[i++];
        if (length == "q")
            length = "ll";
        char buffer[512];
        auto emit = [&](auto inValue) {
            std::string full = spec + length + conversion;
            int written;
            if (starCount == 0)
                written = std::snprintf(buffer, sizeof buffer, full.c_str(), inValue);
            else if (starCount == 1)
                written =
                    std::snprintf(buffer, sizeof buffer, full.c_str(), starArguments[0], inValue);
            else
                written = std::snprintf(buffer, sizeof buffer, full.c_str(), starArguments[0],
                                        starArguments[1], inValue);
            if (written < 0)
                return;
            if (static_cast<size_t>(written) < sizeof buffer) {
                out.append(buffer, written);
            } else {
                std::string big(static_cast<size_t>(written) + 1, '\0');
                if (starCount == 0)
                    std::snprintf(big.data(), big.size(), full.c_str(), inValue);
                else if (starCount == 1)
                    std::snprintf(big.data(), big.size(), full.c_str(), starArguments[0], inValue);
                else
                    std::snprintf(big.data(), big.size(), full.c_str(), starArguments[0],
                                  starArguments[1], inValue);
                out.append(big.data(), written);
            }
        };
        switch (conversion) {
        case '%':
            out.push_back('%');
            break;
        case '@': {
            CFTypeRef value = va_arg(args, CFTypeRef);
            std::string text;
            if (value == nullptr)
                text = "(null)";
            else
                ObjectOf(value)->Describe(text, 0, true);
            out += text;
            break;
        }
        case 'd':
        case 'i':
            if (length == "ll" || length == "j")
                emit(va_arg(args, long long));
            else if (length == "l" || length == "z" || length == "t")
                emit(va_arg(args, long));
            else
                emit(va_arg(args, int));
            break;
        case 'u':
        case 'x':
        case 'X':
        case 'o':
            if (length == "ll" || length == "j")
                emit(va_arg(args, unsigned long long));
            else if (length == "l" || length == "z" || length == "t")
                emit(va_arg(args, unsigned long));
            else
                emit(va_arg(args, unsigned int));
            break;
        case 'c':
            length.clear();
            emit(va_arg(args, int));
            break;
        case 'C': {
            std::u16string one(1, static_cast<char16_t>(va_arg(args, int)));
            std::string utf8;
            EncodeRange(one, 0, 1, kCFStringEncodingUTF8, '?', utf8);
            out += utf8;
            break;
        }
        case 's': {
            length.clear();
            const char* text = va_arg(args, const char*);
            emit(text ? text : "(null)");
            break;
        }
        case 'p':
            length.clear();
            emit(va_arg(args, void*));
            break;
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            if (length == "L") {
                emit(va_arg(args, long double));
            } else {
                length.clear(); // %lf is a double, as in C
                emit(va_arg(args, double));
            }
            break;
        default:
            // Unknown conversion: copied through as written.
            out.append(inFormat, start, i - start);
            break;
        }
    }
    va_end(args);
    return out;
}

} // namespace

void __CFString::Describe(std::string& ioOut, int, bool inTopLevel) const {
    std::string utf8;
    EncodeRange(mChars, 0, mChars.size(), kCFStringEncodingUTF8, '?', utf8);
    if (inTopLevel) {
        ioOut += utf8;
        return;
    }
    ioOut.push_back('"');
    for (char c : utf8) {
        switch (c) {
        case '"':
            ioOut += "\\\"";
            break;
        case '\\':
            ioOut += "\\\\";
            break;
        case '\n':
            ioOut += "\\n";
            break;
        case '\t':
            ioOut += "\\t";
            break;
        case '\r':
            ioOut += "\\r";
            break;
        default:
            ioOut.push_back(c);
        }
    }
    ioOut.push_back('"');
}

namespace orvo_cf {

CFStringRef CreateStringFromUTF8(const std::string& inText) {
    std::u16string chars;
    DecodeUTF8(reinterpret_cast<const UInt8*>(inText.data()), inText.size(), chars, true);
    return NewString(std::move(chars));
}

std::string UTF8FromString(CFStringRef inString) {
    const std::u16string& chars = CharsOf(inString);
    std::string utf8;
    size_t i = 0;
    while (i < chars.size()) {
        char32_t codePoint = NextCodePoint(chars, i, chars.size());
        EncodeCodePoint(IsSurrogate(codePoint) ? kReplacementCharacter : codePoint,
                        kCFStringEncodingUTF8, utf8);
    }
    return utf8;
}

} // namespace orvo_cf

CFTypeID CFStringGetTypeID(void) {
    return kTypeIDString;
}

CFStringRef __CFStringMakeConstantString(const char* cStr) {
    static std::mutex sMutex;
    static auto* sConstants = new std::unordered_map<std::string, __CFString*>();
    if (cStr == nullptr)
        return nullptr;
    std::lock_guard<std::mutex> lock(sMutex);
    auto found = sConstants->find(cStr);
    if (found != sConstants->end())
        return found->second;
    std::u16string chars;
    DecodeUTF8(reinterpret_cast<const UInt8*>(cStr), std::strlen(cStr), chars, true);
    auto* constant = new __CFString(std::move(chars), false, true);
    auto inserted = sConstants->emplace(cStr, constant).first;
    constant->mConstantCString = inserted->first.c_str();
    return constant;
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* cStr, CFStringEncoding encoding) {
    if (cStr == nullptr)
        return nullptr;
    return CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(cStr),
                                   static_cast<CFIndex>(std::strlen(cStr)), encoding, false);
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8* bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean isExternalRepresentation) {
    if (numBytes < 0 || (bytes == nullptr && numBytes > 0))
        return nullptr;
    std::u16string chars;
    if (!DecodeBytes(bytes, static_cast<size_t>(numBytes), encoding, isExternalRepresentation,
                     chars))
        return nullptr;
    return NewString(std::move(chars));
}

CFStringRef CFStringCreateWithCharacters(CFAllocatorRef, const UniChar* chars, CFIndex numChars) {
    if (numChars < 0 || (chars == nullptr && numChars > 0))
        return nullptr;
    return NewString(
        std::u16string(reinterpret_cast<const char16_t*>(chars), static_cast<size_t>(numChars)));
}

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef theString) {
    const __CFString* string = StringOf(theString, "CFStringCreateCopy");
    if (string == nullptr)
        return nullptr;
    if (!string->mMutable)
        return static_cast<CFStringRef>(CFRetain(string));
    return NewString(string->mChars);
}

CFStringRef CFStringCreateWithSubstring(CFAllocatorRef, CFStringRef str, CFRange range) {
    const __CFString* string = StringOf(str, "CFStringCreateWithSubstring");
    if (string == nullptr)
        return nullptr;
    if (!RangeIsWithin(range, string->mChars.size())) {
        ReportMisuse("CFStringCreateWithSubstring", "range out of bounds");
        return nullptr;
    }
    return NewString(string->mChars.substr(range.location, range.length));
}

CFMutableStringRef CFStringCreateMutable(CFAllocatorRef, CFIndex) {
    return new __CFString(std::u16string(), true);
}

CFMutableStringRef CFStringCreateMutableCopy(CFAllocatorRef, CFIndex, CFStringRef theString) {
    const __CFString* string = StringOf(theString, "CFStringCreateMutableCopy");
    if (string == nullptr)
        return nullptr;
    return new __CFString(string->mChars, true);
}

CFStringRef CFStringCreateWithFormat(CFAllocatorRef alloc, CFDictionaryRef formatOptions,
                                     CFStringRef format, ...) {
    va_list arguments;
    va_start(arguments, format);
    CFStringRef result =
        CFStringCreateWithFormatAndArguments(alloc, formatOptions, format, arguments);
    va_end(arguments);
    return result;
}

CFStringRef CFStringCreateWithFormatAndArguments(CFAllocatorRef, CFDictionaryRef,
                                                 CFStringRef format, va_list arguments) {
    if (StringOf(format, "CFStringCreateWithFormat") == nullptr)
        return nullptr;
    return CreateStringFromUTF8(FormatToUTF8(UTF8FromString(format), arguments));
}

CFIndex CFStringGetLength(CFStringRef theString) {
    const __CFString* string = StringOf(theString, "CFStringGetLength");
    return string ? static_cast<CFIndex>(string->mChars.size()) : 0;
}

UniChar CFStringGetCharacterAtIndex(CFStringRef theString, CFIndex idx) {
    const __CFString* string = StringOf(theString, "CFStringGetCharacterAtIndex");
    if (string == nullptr || idx < 0 || static_cast<size_t>(idx) >= string->mChars.size()) {
        ReportMisuse("CFStringGetCharacterAtIndex", "index out of bounds");
        return 0;
    }
    return string->mChars[idx];
}

void CFStringGetCharacters(CFStringRef theString, CFRange range, UniChar* buffer) {
    const __CFString* string = StringOf(theString, "CFStringGetCharacters");
    if (string == nullptr || buffer == nullptr || !RangeIsWithin(range, string->mChars.size())) {
        ReportMisuse("CFStringGetCharacters", "range out of bounds");
        return;
    }
    std::memcpy(buffer, string->mChars.data() + range.location, range.length * sizeof(UniChar));
}

Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding) {
    const __CFString* string = StringOf(theString, "CFStringGetCString");
    if (string == nullptr || buffer == nullptr || bufferSize <= 0)
        return false;
    std::string bytes;
    if (encoding == kCFStringEncodingUTF16 ||
        !EncodeRange(string->mChars, 0, string->mChars.size(), encoding, 0, bytes)) {
        buffer[0] = '\0';
        return false;
    }
    if (static_cast<CFIndex>(bytes.size()) >= bufferSize) {
        buffer[0] = '\0';
        return false;
    }
    std::memcpy(buffer, bytes.data(), bytes.size());
    buffer[bytes.size()] = '\0';
    return true;
}

const char* CFStringGetCStringPtr(CFStringRef theString, CFStringEncoding encoding) {
    const __CFString* string = StringOf(theString, "CFStringGetCStringPtr");
    if (string == nullptr || string->mConstantCString == nullptr)
        return nullptr;
    if (IsUTF8Encoding(encoding))
        return string->mConstantCString;
    for (const char* p = string->mConstantCString; *p; ++p)
        if (static_cast<unsigned char>(*p) > 0x7F)
            return nullptr;
    return (encoding == kCFStringEncodingASCII || encoding == kCFStringEncodingMacRoman ||
            encoding == kCFStringEncodingISOLatin1)
               ? string->mConstantCString
               : nullptr;
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding) {
    if (length < 0)
        return kCFNotFound;
    switch (encoding) {
    case kCFStringEncodingUTF8:
        return length * 3;
    case kCFStringEncodingUTF16:
        return length * 2;
    default:
        return length;
    }
}

CFIndex CFStringGetBytes(CFStringRef theString, CFRange range, CFStringEncoding encoding,
                         UInt8 lossByte, Boolean, UInt8* buffer, CFIndex maxBufLen,
                         CFIndex* usedBufLen) {
    const __CFString* string = StringOf(theString, "CFStringGetBytes");
    if (usedBufLen)
        *usedBufLen = 0;
    if (string == nullptr || !RangeIsWithin(range, string->mChars.size()))
        return 0;
    // Convert character by character so that a short buffer stops at a whole character.
    CFIndex converted = 0;
    CFIndex used = 0;
    size_t i = range.location;
    const size_t end = range.location + range.length;
    while (i < end) {
        size_t before = i;
        std::string bytes;
        if (encoding == kCFStringEncodingUTF16) {
            EncodeRange(string->mChars, i, i + 1, encoding, lossByte, bytes);
            ++i;
        } else {
            char32_t codePoint = NextCodePoint(string->mChars, i, end);
            bool ok = !(IsSurrogate(codePoint) && encoding == kCFStringEncodingUTF8) &&
                      EncodeCodePoint(codePoint, encoding, bytes);
            if (!ok) {
                if (lossByte == 0)
                    break;
                bytes.assign(1, static_cast<char>(lossByte));
            }
        }
        if (buffer != nullptr) {
            if (used + static_cast<CFIndex>(bytes.size()) > maxBufLen)
                break;
            std::memcpy(buffer + used, bytes.data(), bytes.size());
        }
        used += static_cast<CFIndex>(bytes.size());
        converted += static_cast<CFIndex>(i - before);
    }
    if (usedBufLen)
        *usedBufLen = used;
    return converted;
}

SInt32 CFStringGetIntValue(CFStringRef str) {
    std::string text = UTF8FromString(str);
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    bool any = false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        any = true;
        if (value < 0x80000000LL)
            value = value * 10 + (text[i] - '0');
        ++i;
    }
    if (!any)
        return 0;
    if (negative)
        value = -value;
    if (value > 0x7FFFFFFFLL)
        return 0x7FFFFFFF;
    if (value < -0x80000000LL)
        return static_cast<SInt32>(-0x7FFFFFFF - 1);
    return static_cast<SInt32>(value);
}

double CFStringGetDoubleValue(CFStringRef str) {
    std::string text = UTF8FromString(str);
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n'))
        ++i;
    if (i < text.size() && text[i] == '+')
        ++i;
    double value = 0.0;
    std::from_chars(text.data() + i, text.data() + text.size(), value);
    return value;
}

CFComparisonResult CFStringCompare(CFStringRef theString1, CFStringRef theString2,
                                   CFStringCompareFlags compareOptions) {
    const std::u16string& a = CharsOf(theString1);
    return CFStringCompareWithOptions(
        theString1, theString2, CFRangeMake(0, static_cast<CFIndex>(a.size())), compareOptions);
}

CFComparisonResult CFStringCompareWithOptions(CFStringRef theString1, CFStringRef theString2,
                                              CFRange rangeToCompare,
                                              CFStringCompareFlags compareOptions) {
    const std::u16string& a = CharsOf(theString1);
    const std::u16string& b = CharsOf(theString2);
    if (!RangeIsWithin(rangeToCompare, a.size())) {
        ReportMisuse("CFStringCompareWithOptions", "range out of bounds");
        return kCFCompareLessThan;
    }
    return CompareUnits(a, rangeToCompare.location, rangeToCompare.location + rangeToCompare.length,
                        b, 0, b.size(), compareOptions);
}

CFRange CFStringFind(CFStringRef theString, CFStringRef stringToFind,
                     CFStringCompareFlags compareOptions) {
    CFRange result = CFRangeMake(kCFNotFound, 0);
    const std::u16string& text = CharsOf(theString);
    FindUnits(text, 0, text.size(), CharsOf(stringToFind), compareOptions, &result);
    return result;
}

Boolean CFStringFindWithOptions(CFStringRef theString, CFStringRef stringToFind,
                                CFRange rangeToSearch, CFStringCompareFlags searchOptions,
                                CFRange* result) {
    const std::u16string& text = CharsOf(theString);
    if (!RangeIsWithin(rangeToSearch, text.size())) {
        ReportMisuse("CFStringFindWithOptions", "range out of bounds");
        return false;
    }
    return FindUnits(text, rangeToSearch.location, rangeToSearch.location + rangeToSearch.length,
                     CharsOf(stringToFind), searchOptions, result);
}

Boolean CFStringHasPrefix(CFStringRef theString, CFStringRef prefix) {
    const std::u16string& text = CharsOf(theString);
    const std::u16string& start = CharsOf(prefix);
    return start.size() <= text.size() && text.compare(0, start.size(), start) == 0 &&
           !start.empty();
}

Boolean CFStringHasSuffix(CFStringRef theString, CFStringRef suffix) {
    const std::u16string& text = CharsOf(theString);
    const std::u16string& end = CharsOf(suffix);
    return !end.empty() && end.size() <= text.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

CFArrayRef CFStringCreateArrayBySeparatingStrings(CFAllocatorRef, CFStringRef theString,
                                                  CFStringRef separatorString) {
    const __CFString* string = StringOf(theString, "CFStringCreateArrayBySeparatingStrings");
    if (string == nullptr)
        return nullptr;
    const std::u16string& text = string->mChars;
    const std::u16string& separator = CharsOf(separatorString);
    CFMutableArrayRef pieces = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    size_t start = 0;
    while (true) {
        size_t at = separator.empty() ? std::u16string::npos : text.find(separator, start);
        CFStringRef piece = NewString(
            text.substr(start, at == std::u16string::npos ? std::u16string::npos : at - start));
        CFArrayAppendValue(pieces, piece);
        CFRelease(piece);
        if (at == std::u16string::npos)
            break;
        start = at + separator.size();
    }
    CFArrayRef result = CFArrayCreateCopy(nullptr, pieces);
    CFRelease(pieces);
    return result;
}

CFStringRef CFStringCreateByCombiningStrings(CFAllocatorRef, CFArrayRef theArray,
                                             CFStringRef separatorString) {
    std::u16string combined;
    CFIndex count = CFArrayGetCount(theArray);
    for (CFIndex i = 0; i < count; ++i) {
        if (i > 0)
            combined += CharsOf(separatorString);
        combined += CharsOf(static_cast<CFStringRef>(CFArrayGetValueAtIndex(theArray, i)));
    }
    return NewString(std::move(combined));
}

void CFStringAppend(CFMutableStringRef theString, CFStringRef appendedString) {
    __CFString* string = MutableStringOf(theString, "CFStringAppend");
    if (string == nullptr)
        return;
    std::u16string appended = CharsOf(appendedString); // copy: may be the same string
    string->mChars += appended;
}

void CFStringAppendCString(CFMutableStringRef theString, const char* cStr,
                           CFStringEncoding encoding) {
    __CFString* string = MutableStringOf(theString, "CFStringAppendCString");
    if (string == nullptr || cStr == nullptr)
        return;
    std::u16string chars;
    if (!DecodeBytes(reinterpret_cast<const UInt8*>(cStr), std::strlen(cStr), encoding, false,
                     chars)) {
        ReportMisuse("CFStringAppendCString", "bytes not valid in the encoding");
        return;
    }
    string->mChars += chars;
}

void CFStringAppendCharacters(CFMutableStringRef theString, const UniChar* chars,
                              CFIndex numChars) {
    __CFString* string = MutableStringOf(theString, "CFStringAppendCharacters");
    if (string == nullptr || chars == nullptr || numChars <= 0)
        return;
    string->mChars.append(reinterpret_cast<const char16_t*>(chars), numChars);
}

void CFStringAppendFormat(CFMutableStringRef theString, CFDictionaryRef, CFStringRef format, ...) {
    __CFString* string = MutableStringOf(theString, "CFStringAppendFormat");
    if (string == nullptr || StringOf(format, "CFStringAppendFormat") == nullptr)
        return;
    va_list arguments;
    va_start(arguments, format);
    std::string text = FormatToUTF8(UTF8FromString(format), arguments);
    va_end(arguments);
    DecodeUTF8(reinterpret_cast<const UInt8*>(text.data()), text.size(), string->mChars, true);
}

void CFStringInsert(CFMutableStringRef str, CFIndex idx, CFStringRef insertedStr) {
    __CFString* string = MutableStringOf(str, "CFStringInsert");
    if (string == nullptr)
        return;
    if (idx < 0 || static_cast<size_t>(idx) > string->mChars.size()) {
        ReportMisuse("CFStringInsert", "index out of bounds");
        return;
    }
    std::u16string inserted = CharsOf(insertedStr);
    string->mChars.insert(idx, inserted);
}

void CFStringDelete(CFMutableStringRef theString, CFRange range) {
    __CFString* string = MutableStringOf(theString, "CFStringDelete");
    if (string == nullptr)
        return;
    if (!RangeIsWithin(range, string->mChars.size())) {
        ReportMisuse("CFStringDelete", "range out of bounds");
        return;
    }
    string->mChars.erase(range.location, range.length);
}

void CFStringReplace(CFMutableStringRef theString, CFRange range, CFStringRef replacement) {
    __CFString* string = MutableStringOf(theString, "CFStringReplace");
    if (string == nullptr)
        return;
    if (!RangeIsWithin(range, string->mChars.size())) {
        ReportMisuse("CFStringReplace", "range out of bounds");
        return;
    }
    std::u16string chars = CharsOf(replacement);
    string->mChars.replace(range.location, range.length, chars);
}

void CFStringReplaceAll(CFMutableStringRef theString, CFStringRef replacement) {
    __CFString* string = MutableStringOf(theString, "CFStringReplaceAll");
    if (string == nullptr)
        return;
    string->mChars = CharsOf(replacement);
}

CFIndex CFStringFindAndReplace(CFMutableStringRef theString, CFStringRef stringToFind,
                               CFStringRef replacementString, CFRange rangeToSearch,
                               CFStringCompareFlags compareOptions) {
    __CFString* string = MutableStringOf(theString, "CFStringFindAndReplace");
    if (string == nullptr)
        return 0;
    if (!RangeIsWithin(rangeToSearch, string->mChars.size())) {
        ReportMisuse("CFStringFindAndReplace", "range out of bounds");
        return 0;
    }
    const std::u16string pattern = CharsOf(stringToFind);
    const std::u16string replacement = CharsOf(replacementString);
    if (pattern.empty())
        return 0;
    const bool fold = compareOptions & kCFCompareCaseInsensitive;
    const std::u16string& text = string->mChars;
    std::u16string result = text.substr(0, rangeToSearch.location);
    size_t i = rangeToSearch.location;
    const size_t end = rangeToSearch.location + rangeToSearch.length;
    CFIndex count = 0;
    while (i < end) {
        if (end - i >= pattern.size() && UnitsMatchAt(text, i, pattern, fold)) {
            result += replacement;
            i += pattern.size();
            ++count;
        } else {
            result.push_back(text[i++]);
        }
    }
    result += text.substr(end);
    string->mChars = std::move(result);
    return count;
}

void CFStringTrimWhitespace(CFMutableStringRef theString) {
    __CFString* string = MutableStringOf(theString, "CFStringTrimWhitespace");
    if (string == nullptr)
        return;
    std::u16string& chars = string->mChars;
    size_t start = 0;
    while (start < chars.size() && IsWhitespace(chars[start]))
        ++start;
    size_t end = chars.size();
    while (end > start && IsWhitespace(chars[end - 1]))
        --end;
    chars = chars.substr(start, end - start);
}

void CFStringUppercase(CFMutableStringRef theString, const void*) {
    __CFString* string = MutableStringOf(theString, "CFStringUppercase");
    if (string == nullptr)
        return;
    for (char16_t& unit : string->mChars)
        unit = UpperCase(unit);
}

void CFStringLowercase(CFMutableStringRef theString, const void*) {
    __CFString* string = MutableStringOf(theString, "CFStringLowercase");
    if (string == nullptr)
        return;
    for (char16_t& unit : string->mChars)
        unit = FoldCase(unit);
}

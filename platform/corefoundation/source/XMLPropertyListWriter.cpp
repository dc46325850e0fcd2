// Writes values as an XML property list.
#include "XMLPropertyListWriter.h"
#include "UTF8.h"

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFRuntime.h>
#include <CoreFoundation/CFString.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace orvo_cf {

namespace {

constexpr char kHeader[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                           "<plist version=\"1.0\">\n";
constexpr char kFooter[] = "</plist>\n";

// Absolute times of 0001-01-01T00:00:00Z and 10000-01-01T00:00:00Z.
constexpr double kFirstWritableTime = -63113904000.0;
constexpr double kEndOfWritableTime = 252423993600.0;

std::vector<UniChar> CharactersOf(CFStringRef inString) {
    std::vector<UniChar> characters(size_t(CFStringGetLength(inString)));
    if (!characters.empty())
        CFStringGetCharacters(inString, CFRangeMake(0, CFIndex(characters.size())),
                              characters.data());
    return characters;
}

void AppendBase64Line(std::string& ioOut, const UInt8* inBytes, size_t inLength) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    size_t i = 0;
    for (; i + 3 <= inLength; i += 3) {
        UInt32 group = UInt32(inBytes[i]) << 16 | UInt32(inBytes[i + 1]) << 8 | inBytes[i + 2];
        ioOut += kAlphabet[group >> 18];
        ioOut += kAlphabet[(group >> 12) & 0x3F];
        ioOut += kAlphabet[(group >> 6) & 0x3F];
        ioOut += kAlphabet[group & 0x3F];
    }
    if (i < inLength) {
        UInt32 group = UInt32(inBytes[i]) << 16;
        if (i + 1 < inLength)
            group |= UInt32(inBytes[i + 1]) << 8;
        ioOut += kAlphabet[group >> 18];
        ioOut += kAlphabet[(group >> 12) & 0x3F];
        ioOut += i + 1 < inLength ? kAlphabet[(group >> 6) & 0x3F] : '=';
        ioOut += '=';
    }
}

} // namespace

XMLPropertyListWriter::~XMLPropertyListWriter() {
    CFRelease(mGMT);
}

bool XMLPropertyListWriter::Write(CFPropertyListRef inValue, std::string& outXML,
                                  std::string& outProblem) {
    mOut = kHeader;
    if (!WriteValue(inValue, 0, 0)) {
        outProblem = mProblem;
        return false;
    }
    mOut += kFooter;
    outXML = std::move(mOut);
    return true;
}

bool XMLPropertyListWriter::WriteValue(CFTypeRef inValue, int inLevel, CFIndex inDepth) {
    if (inValue == nullptr)
        return Refuse("a null value");
    const CFTypeID type = CFGetTypeID(inValue);
    if (type == CFDictionaryGetTypeID())
        return WriteDictionary(static_cast<CFDictionaryRef>(inValue), inLevel, inDepth + 1);
    if (type == CFArrayGetTypeID())
        return WriteArray(static_cast<CFArrayRef>(inValue), inLevel, inDepth + 1);
    if (type == CFStringGetTypeID()) {
        StartLine(inLevel);
        mOut += "<string>";
        if (!AppendEscaped(static_cast<CFStringRef>(inValue)))
            return false;
        mOut += "</string>\n";
        return true;
    }
    if (type == CFNumberGetTypeID())
        return WriteNumber(static_cast<CFNumberRef>(inValue), inLevel);
    if (type == CFBooleanGetTypeID()) {
        StartLine(inLevel);
        mOut += CFBooleanGetValue(static_cast<CFBooleanRef>(inValue)) ? "<true/>\n" : "<false/>\n";
        return true;
    }
    if (type == CFDataGetTypeID())
        return WriteData(static_cast<CFDataRef>(inValue), inLevel);
    if (type == CFDateGetTypeID())
        return WriteDate(static_cast<CFDateRef>(inValue), inLevel);
    return Refuse(std::string("a value of kind ") + ObjectOf(inValue)->TypeName() +
                  ", which has no XML form");
}

bool XMLPropertyListWriter::WriteDictionary(CFDictionaryRef inDictionary, int inLevel,
                                            CFIndex inDepth) {
    if (inDepth > kCFPropertyListMaxDepth)
        return Refuse("containers nested deeper than " + std::to_string(kCFPropertyListMaxDepth) +
                      " levels");
    const CFIndex count = CFDictionaryGetCount(inDictionary);
    StartLine(inLevel);
    if (count == 0) {
        mOut += "<dict/>\n";
        return true;
    }
    std::vector<const void*> keys(static_cast<size_t>(count)), values(keys.size());
    CFDictionaryGetKeysAndValues(inDictionary, keys.data(), values.data());
    struct Entry {
        std::vector<UniChar> sortKey;
        CFStringRef key;
        CFTypeRef value;
    };
    std::vector<Entry> entries;
    entries.reserve(size_t(count));
    for (size_t i = 0; i < size_t(count); ++i) {
        if (CFGetTypeID(keys[i]) != CFStringGetTypeID())
            return Refuse("a dictionary key that is not a string");
        CFStringRef key = static_cast<CFStringRef>(keys[i]);
        entries.push_back(Entry{CharactersOf(key), key, values[i]});
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.sortKey < b.sortKey; });

    mOut += "<dict>\n";
    for (const Entry& entry : entries) {
        StartLine(inLevel + 1);
        mOut += "<key>";
        if (!AppendEscaped(entry.key))
            return false;
        mOut += "</key>\n";
        if (!WriteValue(entry.value, inLevel + 1, inDepth))
            return false;
    }
    StartLine(inLevel);
    mOut += "</dict>\n";
    return true;
}

bool XMLPropertyListWriter::WriteArray(CFArrayRef inArray, int inLevel, CFIndex inDepth) {
    if (inDepth > kCFPropertyListMaxDepth)
        return Refuse("containers nested deeper than " + std::to_string(kCFPropertyListMaxDepth) +
                      " levels");
    const CFIndex count = CFArrayGetCount(inArray);
    StartLine(inLevel);
    if (count == 0) {
        mOut += "<array/>\n";
        return true;
    }
    mOut += "<array>\n";
    for (CFIndex i = 0; i < count; ++i)
        if (!WriteValue(CFArrayGetValueAtIndex(inArray, i), inLevel + 1, inDepth))
            return false;
    StartLine(inLevel);
    mOut += "</array>\n";
    return true;
}

bool XMLPropertyListWriter::WriteNumber(CFNumberRef inNumber, int inLevel) {
    char text[64];
    std::to_chars_result written;
    const char* element;
    if (CFNumberIsFloatType(inNumber)) {
        Float64 value = 0;
        CFNumberGetValue(inNumber, kCFNumberFloat64Type, &value);
        // The shortest text that reads back to the same double ("nan", "inf", "-inf" for
        // the special values, as other writers of the format spell them).
        written = std::to_chars(text, text + sizeof text, value);
        element = "real";
    } else {
        SInt64 value = 0;
        CFNumberGetValue(inNumber, kCFNumberSInt64Type, &value);
        written = std::to_chars(text, text + sizeof text, value);
        element = "integer";
    }
    StartLine(inLevel);
    mOut += '<';
    mOut += element;
    mOut += '>';
    mOut.append(text, written.ptr);
    mOut += "</";
    mOut += element;
    mOut += ">\n";
    return true;
}

bool XMLPropertyListWriter::WriteData(CFDataRef inData, int inLevel) {
    const UInt8* bytes = CFDataGetBytePtr(inData);
    const size_t length = size_t(CFDataGetLength(inData));
    // Lines of at most 76 columns counting a tab as 8, and never under 16 characters.
    const int columns = std::max(16, 76 - 8 * inLevel);
    const size_t bytesPerLine = size_t(columns / 4 * 3);
    StartLine(inLevel);
    mOut += "<data>\n";
    for (size_t offset = 0; offset < length; offset += bytesPerLine) {
        StartLine(inLevel);
        AppendBase64Line(mOut, bytes + offset, std::min(bytesPerLine, length - offset));
        mOut += '\n';
    }
    StartLine(inLevel);
    mOut += "</data>\n";
    return true;
}

bool XMLPropertyListWriter::WriteDate(CFDateRef inDate, int inLevel) {
    const CFAbsoluteTime time = std::floor(CFDateGetAbsoluteTime(inDate));
    if (!(time >= kFirstWritableTime && time < kEndOfWritableTime))
        return Refuse("a date outside the years 1 to 9999");
    if (mGMT == nullptr)
        mGMT = CFTimeZoneCreateWithTimeIntervalFromGMT(nullptr, 0);
    const CFGregorianDate date = CFAbsoluteTimeGetGregorianDate(time, mGMT);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", int(date.year),
                  int(date.month), int(date.day), int(date.hour), int(date.minute),
                  int(date.second));
    StartLine(inLevel);
    mOut += "<date>";
    mOut += text;
    mOut += "</date>\n";
    return true;
}

bool XMLPropertyListWriter::AppendEscaped(CFStringRef inString) {
    const std::vector<UniChar> characters = CharactersOf(inString);
    for (size_t i = 0; i < characters.size(); ++i) {
        UTF32Char c = characters[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < characters.size() && characters[i + 1] >= 0xDC00 &&
            characters[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (characters[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            return Refuse("a string with an unpaired UTF-16 surrogate");
        }
        switch (c) {
        case '&':
            mOut += "&amp;";
            continue;
        case '<':
            mOut += "&lt;";
            continue;
        case '>':
            mOut += "&gt;";
            continue;
        case '\r':
            // A literal carriage return would read back as a line feed.
            mOut += "&#13;";
            continue;
        case '\t':
        case '\n':
            mOut += char(c);
            continue;
        default:
            break;
        }
        if (c < 0x20 || c == 0xFFFE || c == 0xFFFF) {
            char code[8];
            std::snprintf(code, sizeof code, "%04X", unsigned(c));
            return Refuse(std::string("a string holding U+") + code +
                          ", which XML 1.0 cannot carry");
        }
        AppendUTF8(mOut, c);
    }
    return true;
}

void XMLPropertyListWriter::StartLine(int inLevel) {
    mOut.append(size_t(inLevel), '\t');
}

bool XMLPropertyListWriter::Refuse(const std::string& inProblem) {
    mProblem = inProblem;
    return false;
}

} // namespace orvo_cf

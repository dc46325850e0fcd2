// Parser of the strings files of bundles.
#include "OrvoStringsTable.h"
#include "UTF8.h"

#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFPropertyList.h>
#include <CoreFoundation/CFRuntime.h>
#include <CoreFoundation/CFString.h>

#include <vector>

namespace orvo_cf {

namespace {

// UTF-16 (after its byte-order mark) to UTF-8; false on unpaired surrogates or an odd
// number of bytes.
bool UTF16ToUTF8(const std::string& inBytes, bool inBigEndian, std::string& outText) {
    if (inBytes.size() % 2 != 0)
        return false;
    auto unit = [&](size_t inIndex) {
        unsigned char a = static_cast<unsigned char>(inBytes[inIndex]);
        unsigned char b = static_cast<unsigned char>(inBytes[inIndex + 1]);
        return static_cast<UTF32Char>(inBigEndian ? (a << 8 | b) : (b << 8 | a));
    };
    for (size_t i = 0; i < inBytes.size(); i += 2) {
        UTF32Char value = unit(i);
        if (value >= 0xD800 && value <= 0xDBFF) {
            if (i + 2 >= inBytes.size())
                return false;
            UTF32Char low = unit(i + 2);
            if (low < 0xDC00 || low > 0xDFFF)
                return false;
            value = 0x10000 + ((value - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        } else if (value >= 0xDC00 && value <= 0xDFFF) {
            return false;
        }
        AppendUTF8(outText, value);
    }
    return true;
}

// The text form: entries "key" = "value"; (or "key"; meaning the key is its own value),
// with /* */ and // comments between tokens.
class TextTableParser {
public:
    explicit TextTableParser(const std::string& inText) : mText(inText) {}

    CFDictionaryRef Parse(std::string& outError) {
        CFMutableDictionaryRef table = CFDictionaryCreateMutable(
            nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
        for (;;) {
            if (!SkipSpace())
                break;
            if (mPosition >= mText.size())
                return table;
            std::string key, value;
            if (!ReadString(key))
                break;
            if (!SkipSpace())
                break;
            if (Peek() == '=') {
                ++mPosition;
                if (!SkipSpace() || !ReadString(value) || !SkipSpace())
                    break;
            } else {
                value = key;
            }
            if (Peek() != ';') {
                Fail("expected \";\" after an entry");
                break;
            }
            ++mPosition;
            CFStringRef keyString = CreateStringFromUTF8(key);
            CFStringRef valueString = CreateStringFromUTF8(value);
            CFDictionarySetValue(table, keyString, valueString);
            CFRelease(keyString);
            CFRelease(valueString);
        }
        CFRelease(table);
        outError = "line " + std::to_string(mErrorLine) + ": " + mError;
        return nullptr;
    }

private:
    char Peek() const { return mPosition < mText.size() ? mText[mPosition] : '\0'; }

    // Records the first fault, at the current line unless another is named.
    void Fail(const std::string& inMessage, size_t inLine = 0) {
        if (!mError.empty())
            return;
        mError = inMessage;
        mErrorLine = inLine != 0 ? inLine : mLine;
    }

    // Skips white space and comments; false on an unterminated comment.
    bool SkipSpace() {
        while (mPosition < mText.size()) {
            char c = mText[mPosition];
            if (c == '\n') {
                ++mLine;
                ++mPosition;
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                ++mPosition;
            } else if (mText.compare(mPosition, 2, "//") == 0) {
                while (mPosition < mText.size() && mText[mPosition] != '\n')
                    ++mPosition;
            } else if (mText.compare(mPosition, 2, "/*") == 0) {
                size_t end = mText.find("*/", mPosition + 2);
                if (end == std::string::npos) {
                    Fail("unterminated comment");
                    return false;
                }
                for (size_t i = mPosition; i < end; ++i)
                    mLine += mText[i] == '\n';
                mPosition = end + 2;
            } else {
                break;
            }
        }
        return true;
    }

    static bool IsBareCharacter(char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '$' || c == '+' || c == '/' || c == ':' || c == '.' || c == '-';
    }

    static int HexValue(char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    // Four hexadecimal digits after \U.
    bool ReadUnit(UTF32Char& outUnit) {
        if (mPosition + 4 > mText.size()) {
            Fail("\\U needs four hexadecimal digits");
            return false;
        }
        UTF32Char unit = 0;
        for (int i = 0; i < 4; ++i) {
            int digit = HexValue(mText[mPosition + i]);
            if (digit < 0) {
                Fail("\\U needs four hexadecimal digits");
                return false;
            }
            unit = unit * 16 + static_cast<UTF32Char>(digit);
        }
        mPosition += 4;
        outUnit = unit;
        return true;
    }

    bool ReadEscape(std::string& ioOut) {
        if (mPosition >= mText.size()) {
            Fail("unterminated string");
            return false;
        }
        char c = mText[mPosition++];
        switch (c) {
        case '"':
        case '\\':
        case '\'':
            ioOut += c;
            return true;
        case 'n':
            ioOut += '\n';
            return true;
        case 't':
            ioOut += '\t';
            return true;
        case 'r':
            ioOut += '\r';
            return true;
        case 'a':
            ioOut += '\a';
            return true;
        case 'b':
            ioOut += '\b';
            return true;
        case 'f':
            ioOut += '\f';
            return true;
        case 'v':
            ioOut += '\v';
            return true;
        case '\n':
            ++mLine; // an escaped line end continues the string
            ioOut += '\n';
            return true;
        case 'U':
        case 'u': {
            UTF32Char unit;
            if (!ReadUnit(unit))
                return false;
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                UTF32Char low;
                if (mText.compare(mPosition, 2, "\\U") != 0 &&
                    mText.compare(mPosition, 2, "\\u") != 0) {
                    Fail("unpaired surrogate in \\U escape");
                    return false;
                }
                mPosition += 2;
                if (!ReadUnit(low))
                    return false;
                if (low < 0xDC00 || low > 0xDFFF) {
                    Fail("unpaired surrogate in \\U escape");
                    return false;
                }
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
                Fail("unpaired surrogate in \\U escape");
                return false;
            }
            AppendUTF8(ioOut, unit);
            return true;
        }
        default:
            if (c >= '0' && c <= '7') {
                UTF32Char value = static_cast<UTF32Char>(c - '0');
                for (int i = 0; i < 2 && Peek() >= '0' && Peek() <= '7'; ++i)
                    value = value * 8 + static_cast<UTF32Char>(mText[mPosition++] - '0');
                AppendUTF8(ioOut, value);
                return true;
            }
            Fail(std::string("unknown escape \\") + c);
            return false;
        }
    }

    bool ReadString(std::string& outString) {
        outString.clear();
        if (Peek() == '"') {
            size_t startLine = mLine;
            ++mPosition;
            while (mPosition < mText.size()) {
                char c = mText[mPosition++];
                if (c == '"')
                    return true;
                if (c == '\\') {
                    if (!ReadEscape(outString))
                        return false;
                    continue;
                }
                if (c == '\n')
                    ++mLine;
                outString += c;
            }
            Fail("unterminated string", startLine);
            return false;
        }
        while (IsBareCharacter(Peek()))
            outString += mText[mPosition++];
        if (outString.empty()) {
            Fail(mPosition >= mText.size() ? std::string("unexpected end of file")
                                           : std::string("expected a quoted string"));
            return false;
        }
        return true;
    }

    const std::string& mText;
    size_t mPosition = 0;
    size_t mLine = 1;
    std::string mError;
    size_t mErrorLine = 1;
};

bool LooksLikeXML(const std::string& inText) {
    size_t start = inText.find_first_not_of(" \t\r\n");
    return start != std::string::npos && inText[start] == '<';
}

CFDictionaryRef CreateFromXML(const std::string& inBytes, std::string& outError) {
    CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(inBytes.data()),
                                  static_cast<CFIndex>(inBytes.size()));
    CFStringRef error = nullptr;
    CFPropertyListRef list =
        CFPropertyListCreateFromXMLData(nullptr, data, kCFPropertyListImmutable, &error);
    CFRelease(data);
    if (list == nullptr) {
        outError = error != nullptr ? UTF8FromString(error) : std::string("not a property list");
        if (error != nullptr)
            CFRelease(error);
        return nullptr;
    }
    if (error != nullptr)
        CFRelease(error);
    if (CFGetTypeID(list) != CFDictionaryGetTypeID()) {
        CFRelease(list);
        outError = "the property list is not a dictionary";
        return nullptr;
    }
    CFDictionaryRef table = static_cast<CFDictionaryRef>(list);
    CFIndex count = CFDictionaryGetCount(table);
    std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
    CFDictionaryGetKeysAndValues(table, keys.data(), values.data());
    for (CFIndex i = 0; i < count; ++i) {
        if (CFGetTypeID(values[static_cast<size_t>(i)]) != CFStringGetTypeID()) {
            outError = "the value of \"" + UTF8FromString(static_cast<CFStringRef>(keys[i])) +
                       "\" is not a string";
            CFRelease(list);
            return nullptr;
        }
    }
    return table;
}

} // namespace

CFDictionaryRef CreateStringsTable(const std::string& inBytes, std::string& outError) {
    std::string text;
    bool utf16 = false;
    if (inBytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text = inBytes.substr(3);
    } else if (inBytes.compare(0, 2, "\xFF\xFE") == 0 || inBytes.compare(0, 2, "\xFE\xFF") == 0) {
        utf16 = true;
        if (!UTF16ToUTF8(inBytes.substr(2), inBytes[0] == '\xFE', text)) {
            outError = "malformed UTF-16 text";
            return nullptr;
        }
    } else {
        text = inBytes;
    }
    if (!utf16 && !IsValidUTF8(text)) {
        outError = "not UTF-8 or UTF-16 text";
        return nullptr;
    }
    if (LooksLikeXML(text))
        return CreateFromXML(inBytes, outError); // the XML reader handles its own encodings
    return TextTableParser(text).Parse(outError);
}

} // namespace orvo_cf

// Reads an XML property list into values: expat callbacks driving an explicit stack.
#include "XMLPropertyListReader.h"

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFRuntime.h>
#include <CoreFoundation/CFString.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>
#include <string_view>

namespace orvo_cf {

namespace {

// expat takes its input length as an int: large documents go in slices.
constexpr size_t kParseSlice = size_t(1) << 20;

bool IsXMLWhitespace(char inChar) {
    return inChar == ' ' || inChar == '\t' || inChar == '\n' || inChar == '\r';
}

std::string_view TrimWhitespace(std::string_view inText) {
    while (!inText.empty() && IsXMLWhitespace(inText.front()))
        inText.remove_prefix(1);
    while (!inText.empty() && IsXMLWhitespace(inText.back()))
        inText.remove_suffix(1);
    return inText;
}

// Text for a message: quoted, and cut (at a character boundary) when long.
std::string Quote(std::string_view inText) {
    constexpr size_t kMaxQuoted = 40;
    std::string quoted = "\"";
    if (inText.size() <= kMaxQuoted) {
        quoted += inText;
    } else {
        size_t end = kMaxQuoted;
        while (end > 0 && (static_cast<unsigned char>(inText[end]) & 0xC0) == 0x80)
            --end;
        quoted += inText.substr(0, end);
        quoted += "...";
    }
    return quoted + "\"";
}

std::string Tag(std::string_view inName) {
    constexpr size_t kMaxName = 40;
    if (inName.size() > kMaxName)
        return "<" + Quote(inName) + ">";
    return "<" + std::string(inName) + ">";
}

// Parses [+-](decimal digits | 0x hex digits) into an SInt64, refusing anything out of range.
bool ParseInteger(std::string_view inText, SInt64& outValue) {
    bool negative = false;
    if (!inText.empty() && (inText.front() == '+' || inText.front() == '-')) {
        negative = inText.front() == '-';
        inText.remove_prefix(1);
    }
    unsigned base = 10;
    if (inText.size() > 2 && inText[0] == '0' && (inText[1] == 'x' || inText[1] == 'X')) {
        base = 16;
        inText.remove_prefix(2);
    }
    if (inText.empty())
        return false;
    const UInt64 limit = negative ? UInt64(1) << 63 : (UInt64(1) << 63) - 1;
    UInt64 magnitude = 0;
    for (char c : inText) {
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = unsigned(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = unsigned(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = unsigned(c - 'A' + 10);
        else
            return false;
        if (magnitude > (limit - digit) / base)
            return false;
        magnitude = magnitude * base + digit;
    }
    outValue = negative ? SInt64(0 - magnitude) : SInt64(magnitude);
    return true;
}

int Base64Value(char inChar) {
    if (inChar >= 'A' && inChar <= 'Z')
        return inChar - 'A';
    if (inChar >= 'a' && inChar <= 'z')
        return inChar - 'a' + 26;
    if (inChar >= '0' && inChar <= '9')
        return inChar - '0' + 52;
    if (inChar == '+')
        return 62;
    if (inChar == '/')
        return 63;
    return -1;
}

// Decodes base64 text; whitespace is skipped, padding is optional but, when present,
// ends the text. False on any other character or a truncated group.
bool DecodeBase64(std::string_view inText, std::vector<UInt8>& outBytes) {
    outBytes.reserve(inText.size() / 4 * 3);
    UInt32 bits = 0;
    int bitCount = 0;
    size_t symbols = 0;
    size_t padding = 0;
    for (char c : inText) {
        if (IsXMLWhitespace(c))
            continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        int value = Base64Value(c);
        if (value < 0 || padding > 0)
            return false;
        ++symbols;
        bits = (bits << 6) | UInt32(value);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            outBytes.push_back(UInt8(bits >> bitCount));
            bits &= (UInt32(1) << bitCount) - 1;
        }
    }
    if (symbols % 4 == 1)
        return false;
    if (padding > 0 && (padding > 2 || (symbols + padding) % 4 != 0))
        return false;
    return true;
}

bool ParseDigits(std::string_view inText, size_t inOffset, size_t inCount, int& outValue) {
    outValue = 0;
    for (size_t i = inOffset; i < inOffset + inCount; ++i) {
        if (inText[i] < '0' || inText[i] > '9')
            return false;
        outValue = outValue * 10 + (inText[i] - '0');
    }
    return true;
}

// "YYYY-MM-DDTHH:MM:SSZ".
bool ParseISO8601(std::string_view inText, CFGregorianDate& outDate) {
    if (inText.size() != 20 || inText[4] != '-' || inText[7] != '-' || inText[10] != 'T' ||
        inText[13] != ':' || inText[16] != ':' || inText[19] != 'Z')
        return false;
    int year, month, day, hour, minute, second;
    if (!ParseDigits(inText, 0, 4, year) || !ParseDigits(inText, 5, 2, month) ||
        !ParseDigits(inText, 8, 2, day) || !ParseDigits(inText, 11, 2, hour) ||
        !ParseDigits(inText, 14, 2, minute) || !ParseDigits(inText, 17, 2, second))
        return false;
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 ||
        second > 59)
        return false;
    outDate =
        CFGregorianDate{year, SInt8(month), SInt8(day), SInt8(hour), SInt8(minute), double(second)};
    return CFGregorianDateIsValid(outDate, kCFGregorianAllUnits);
}

} // namespace

XMLPropertyListReader::XMLPropertyListReader(CFOptionFlags inMutability)
    : mMutability(inMutability) {}

XMLPropertyListReader::~XMLPropertyListReader() {
    for (Frame& frame : mStack) {
        CFRelease(frame.container);
        CFRelease(frame.pendingKey);
    }
    CFRelease(mRoot);
    CFRelease(mGMT);
    if (mParser != nullptr)
        XML_ParserFree(mParser);
}

CFPropertyListRef XMLPropertyListReader::Read(const UInt8* inBytes, size_t inLength,
                                              std::string& outError) {
    mParser = XML_ParserCreate(nullptr);
    if (mParser == nullptr) {
        outError = "XML parser error at line 1: out of memory";
        return nullptr;
    }
    XML_SetUserData(mParser, this);
    XML_SetElementHandler(mParser, StartElementHandler, EndElementHandler);
    XML_SetCharacterDataHandler(mParser, CharacterDataHandler);
    XML_SetStartDoctypeDeclHandler(mParser, StartDoctypeHandler);
    XML_SetEntityDeclHandler(mParser, EntityDeclHandler);
    // With an external DTD that is never read, expat skips references to entities it does
    // not know instead of failing; skipping would silently drop text.
    XML_SetSkippedEntityHandler(mParser, SkippedEntityHandler);
    XML_SetParamEntityParsing(mParser, XML_PARAM_ENTITY_PARSING_NEVER);

    const char* bytes = reinterpret_cast<const char*>(inBytes);
    size_t offset = 0;
    XML_Status status = XML_STATUS_OK;
    do {
        size_t slice = std::min(kParseSlice, inLength - offset);
        bool last = offset + slice == inLength;
        status = XML_Parse(mParser, bytes + offset, int(slice), last ? XML_TRUE : XML_FALSE);
        offset += slice;
    } while (status == XML_STATUS_OK && offset < inLength);

    if (!mFailed && status != XML_STATUS_OK) {
        mError = "XML parser error at line " + std::to_string(XML_GetCurrentLineNumber(mParser)) +
                 ": " + XML_ErrorString(XML_GetErrorCode(mParser));
        mFailed = true;
    }
    if (mFailed) {
        outError = mError;
        return nullptr;
    }
    // expat has checked that the one root element is closed; that root was <plist> and
    // held one value, or Fail would have been called.
    CFPropertyListRef result = mRoot;
    mRoot = nullptr;
    return result;
}

void XMLCALL XMLPropertyListReader::StartElementHandler(void* inUserData, const XML_Char* inName,
                                                        const XML_Char**) {
    static_cast<XMLPropertyListReader*>(inUserData)->StartElement(inName);
}

void XMLCALL XMLPropertyListReader::EndElementHandler(void* inUserData, const XML_Char*) {
    static_cast<XMLPropertyListReader*>(inUserData)->EndElement();
}

void XMLCALL XMLPropertyListReader::CharacterDataHandler(void* inUserData, const XML_Char* inText,
                                                         int inLength) {
    static_cast<XMLPropertyListReader*>(inUserData)->CharacterData(inText, inLength);
}

void XMLCALL XMLPropertyListReader::StartDoctypeHandler(void* inUserData, const XML_Char*,
                                                        const XML_Char*, const XML_Char*,
                                                        int inHasInternalSubset) {
    auto* reader = static_cast<XMLPropertyListReader*>(inUserData);
    if (inHasInternalSubset && !reader->mFailed)
        reader->Fail("DOCTYPE with an internal subset is not accepted");
}

void XMLCALL XMLPropertyListReader::SkippedEntityHandler(void* inUserData, const XML_Char* inName,
                                                         int) {
    auto* reader = static_cast<XMLPropertyListReader*>(inUserData);
    if (!reader->mFailed)
        reader->Fail("undefined entity " + Quote(inName));
}

void XMLCALL XMLPropertyListReader::EntityDeclHandler(void* inUserData, const XML_Char*, int,
                                                      const XML_Char*, int, const XML_Char*,
                                                      const XML_Char*, const XML_Char*,
                                                      const XML_Char*) {
    auto* reader = static_cast<XMLPropertyListReader*>(inUserData);
    if (!reader->mFailed)
        reader->Fail("entity declarations are not accepted");
}

bool XMLPropertyListReader::IsLeaf(Element inElement) const {
    return inElement != Element::Plist && inElement != Element::Dict && inElement != Element::Array;
}

void XMLPropertyListReader::StartElement(const char* inName) {
    if (mFailed)
        return;
    static constexpr struct {
        const char* name;
        Element element;
    } kElements[] = {
        {"plist", Element::Plist}, {"dict", Element::Dict},     {"array", Element::Array},
        {"key", Element::Key},     {"string", Element::String}, {"integer", Element::Integer},
        {"real", Element::Real},   {"true", Element::True},     {"false", Element::False},
        {"data", Element::Data},   {"date", Element::Date},
    };
    const std::string_view name(inName);
    const auto* known = std::find_if(std::begin(kElements), std::end(kElements),
                                     [&](const auto& entry) { return name == entry.name; });
    if (known == std::end(kElements))
        return Fail("unknown element " + Tag(name));
    const Element element = known->element;
    const unsigned long line = XML_GetCurrentLineNumber(mParser);

    if (mStack.empty()) {
        if (element != Element::Plist)
            return Fail("the root element is " + Tag(name) + ", not <plist>");
        mStack.push_back(Frame{element, line});
        return;
    }
    Frame& parent = mStack.back();
    if (IsLeaf(parent.element))
        return Fail("element " + Tag(name) + " inside a leaf element");
    if (element == Element::Plist)
        return Fail("<plist> inside <plist>");

    if (element == Element::Key) {
        if (parent.element != Element::Dict)
            return Fail("<key> outside a <dict>");
        if (parent.pendingKey != nullptr)
            return Fail("key " + Quote(UTF8FromString(parent.pendingKey)) + " has no value");
    } else if (parent.element == Element::Dict) {
        if (parent.pendingKey == nullptr)
            return Fail(Tag(name) + " in a <dict> without a <key>");
    } else if (parent.element == Element::Plist) {
        if (mRoot != nullptr)
            return Fail("more than one value in <plist>");
    }

    Frame frame{element, line};
    if (element == Element::Dict || element == Element::Array) {
        if (mDepth >= kCFPropertyListMaxDepth)
            return Fail("containers nested deeper than " + std::to_string(kCFPropertyListMaxDepth) +
                        " levels");
        ++mDepth;
        if (element == Element::Dict)
            frame.container = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                        &kCFTypeDictionaryValueCallBacks);
        else
            frame.container = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    } else {
        mText.clear();
    }
    mStack.push_back(frame);
}

void XMLPropertyListReader::EndElement() {
    if (mFailed)
        return;
    // expat has matched the end tag with the start tag.
    const Frame frame = mStack.back();
    mStack.pop_back();

    switch (frame.element) {
    case Element::Plist:
        if (mRoot == nullptr)
            Fail("<plist> holds no value");
        return;
    case Element::Key:
        mStack.back().pendingKey = CreateStringFromUTF8(mText);
        return;
    case Element::Dict:
    case Element::Array: {
        --mDepth;
        if (frame.pendingKey != nullptr) {
            std::string key = UTF8FromString(frame.pendingKey);
            CFRelease(frame.pendingKey);
            CFRelease(frame.container);
            return Fail("key " + Quote(key) + " has no value");
        }
        CFTypeRef value = frame.container;
        if (!(mMutability &
              (kCFPropertyListMutableContainers | kCFPropertyListMutableContainersAndLeaves))) {
            value = frame.element == Element::Dict
                        ? CFTypeRef(CFDictionaryCreateCopy(
                              nullptr, static_cast<CFDictionaryRef>(frame.container)))
                        : CFTypeRef(
                              CFArrayCreateCopy(nullptr, static_cast<CFArrayRef>(frame.container)));
            CFRelease(frame.container);
        }
        return Deliver(value);
    }
    default:
        if (CFTypeRef value = CreateLeafValue(frame))
            Deliver(value);
        return;
    }
}

void XMLPropertyListReader::CharacterData(const char* inText, int inLength) {
    if (mFailed || mStack.empty())
        return;
    if (IsLeaf(mStack.back().element)) {
        mText.append(inText, size_t(inLength));
        return;
    }
    const std::string_view text(inText, size_t(inLength));
    if (!TrimWhitespace(text).empty())
        Fail("text " + Quote(TrimWhitespace(text)) + " outside a value element");
}

CFTypeRef XMLPropertyListReader::CreateLeafValue(const Frame& inFrame) {
    const bool mutableLeaves = mMutability & kCFPropertyListMutableContainersAndLeaves;
    switch (inFrame.element) {
    case Element::String: {
        CFStringRef string = CreateStringFromUTF8(mText);
        if (!mutableLeaves)
            return string;
        CFMutableStringRef copy = CFStringCreateMutableCopy(nullptr, 0, string);
        CFRelease(string);
        return copy;
    }
    case Element::Integer:
        return CreateInteger(inFrame);
    case Element::Real:
        return CreateReal(inFrame);
    case Element::True:
        return RequireNoText(inFrame) ? kCFBooleanTrue : nullptr;
    case Element::False:
        return RequireNoText(inFrame) ? kCFBooleanFalse : nullptr;
    case Element::Data:
        return CreateData(inFrame);
    case Element::Date:
        return CreateDate(inFrame);
    default:
        return nullptr;
    }
}

CFTypeRef XMLPropertyListReader::CreateInteger(const Frame& inFrame) {
    const std::string_view text = TrimWhitespace(mText);
    SInt64 value = 0;
    if (!ParseInteger(text, value)) {
        Fail("<integer> " + Quote(text) + " is not an integer within 64 bits", inFrame.line);
        return nullptr;
    }
    return CFNumberCreate(nullptr, kCFNumberSInt64Type, &value);
}

CFTypeRef XMLPropertyListReader::CreateReal(const Frame& inFrame) {
    const std::string_view text = TrimWhitespace(mText);
    // from_chars takes no plus sign, but would take a minus sign after one ("+-1").
    std::string_view number = text;
    if (!number.empty() && number.front() == '+')
        number.remove_prefix(1);
    double value = 0;
    std::from_chars_result parsed{number.data(), std::errc::invalid_argument};
    if (!number.empty() && !(number.size() < text.size() && number.front() == '-'))
        parsed = std::from_chars(number.data(), number.data() + number.size(), value);
    if (parsed.ec == std::errc::result_out_of_range) {
        Fail("<real> " + Quote(text) + " is out of range", inFrame.line);
        return nullptr;
    }
    if (parsed.ec != std::errc() || parsed.ptr != number.data() + number.size()) {
        Fail("<real> " + Quote(text) + " is not a number", inFrame.line);
        return nullptr;
    }
    return CFNumberCreate(nullptr, kCFNumberFloat64Type, &value);
}

CFTypeRef XMLPropertyListReader::CreateData(const Frame& inFrame) {
    std::vector<UInt8> bytes;
    if (!DecodeBase64(mText, bytes)) {
        Fail("<data> is not valid base64", inFrame.line);
        return nullptr;
    }
    if (mMutability & kCFPropertyListMutableContainersAndLeaves) {
        CFMutableDataRef data = CFDataCreateMutable(nullptr, 0);
        CFDataAppendBytes(data, bytes.data(), CFIndex(bytes.size()));
        return data;
    }
    return CFDataCreate(nullptr, bytes.data(), CFIndex(bytes.size()));
}

CFTypeRef XMLPropertyListReader::CreateDate(const Frame& inFrame) {
    const std::string_view text = TrimWhitespace(mText);
    CFGregorianDate date;
    if (!ParseISO8601(text, date)) {
        Fail("<date> " + Quote(text) + " is not a date YYYY-MM-DDTHH:MM:SSZ", inFrame.line);
        return nullptr;
    }
    if (mGMT == nullptr)
        mGMT = CFTimeZoneCreateWithTimeIntervalFromGMT(nullptr, 0);
    return CFDateCreate(nullptr, CFGregorianDateGetAbsoluteTime(date, mGMT));
}

bool XMLPropertyListReader::RequireNoText(const Frame& inFrame) {
    if (TrimWhitespace(mText).empty())
        return true;
    Fail(std::string(inFrame.element == Element::True ? "<true>" : "<false>") + " holds text " +
             Quote(TrimWhitespace(mText)),
         inFrame.line);
    return false;
}

void XMLPropertyListReader::Deliver(CFTypeRef inValue) {
    Frame& parent = mStack.back();
    switch (parent.element) {
    case Element::Plist:
        mRoot = inValue;
        return;
    case Element::Array:
        CFArrayAppendValue(static_cast<CFMutableArrayRef>(const_cast<void*>(parent.container)),
                           inValue);
        break;
    default: // Element::Dict; the start tag was refused unless a key was waiting.
        CFDictionarySetValue(
            static_cast<CFMutableDictionaryRef>(const_cast<void*>(parent.container)),
            parent.pendingKey, inValue);
        CFRelease(parent.pendingKey);
        parent.pendingKey = nullptr;
        break;
    }
    CFRelease(inValue);
}

void XMLPropertyListReader::Fail(const std::string& inFault) {
    Fail(inFault, XML_GetCurrentLineNumber(mParser));
}

void XMLPropertyListReader::Fail(const std::string& inFault, unsigned long inLine) {
    mFailed = true;
    mError = "XML parser error at line " + std::to_string(inLine) + ": " + inFault;
    XML_StopParser(mParser, XML_FALSE);
}

} // namespace orvo_cf

// Reads an XML property list (the PropertyList-1.0 document type) into values, on expat.
#pragma once

#include <CoreFoundation/CFDate.h>
#include <CoreFoundation/CFPropertyList.h>

#include <expat.h>

#include <cstddef>
#include <string>
#include <vector>

namespace orvo_cf {

// One reader parses one document. The parse runs on expat's callbacks with an explicit
// stack of open elements, so that no input, however deeply nested, recurses; containers
// nest at most kCFPropertyListMaxDepth deep. Entity declarations and DOCTYPE internal
// subsets are refused (no entity expansion at all), external DTDs are never fetched.
//
// Accepted forms, beyond the document type itself:
// - <integer>: decimal or 0x hexadecimal with an optional sign, within SInt64;
// - <real>: decimal with optional fraction and exponent, "nan", "inf", "-inf";
// - <date>: "YYYY-MM-DDTHH:MM:SSZ" (UTC);
// - <data>: base64, whitespace anywhere, padding optional;
// - the text of <integer>, <real>, <date> may be surrounded by whitespace; the text of
//   <string> and <key> is kept exactly (entities and CDATA decoded);
// - a key given twice in one <dict>: the last value wins.
class XMLPropertyListReader {
public:
    explicit XMLPropertyListReader(CFOptionFlags inMutability);
    ~XMLPropertyListReader();
    XMLPropertyListReader(const XMLPropertyListReader&) = delete;
    XMLPropertyListReader& operator=(const XMLPropertyListReader&) = delete;

    // The value (a new reference) or null with outError set to
    // "XML parser error at line N: <fault>".
    CFPropertyListRef Read(const UInt8* inBytes, size_t inLength, std::string& outError);

private:
    enum class Element { Plist, Dict, Array, Key, String, Integer, Real, True, False, Data, Date };
    struct Frame {
        Element element;
        unsigned long line;               // line of the start tag
        CFTypeRef container = nullptr;    // owned: the mutable array or dictionary being filled
        CFStringRef pendingKey = nullptr; // owned: a dictionary key waiting for its value
    };

    static void XMLCALL StartElementHandler(void* inUserData, const XML_Char* inName,
                                            const XML_Char** inAttributes);
    static void XMLCALL EndElementHandler(void* inUserData, const XML_Char* inName);
    static void XMLCALL CharacterDataHandler(void* inUserData, const XML_Char* inText,
                                             int inLength);
    static void XMLCALL StartDoctypeHandler(void* inUserData, const XML_Char* inName,
                                            const XML_Char* inSystemID, const XML_Char* inPublicID,
                                            int inHasInternalSubset);
    static void XMLCALL SkippedEntityHandler(void* inUserData, const XML_Char* inName,
                                             int inIsParameterEntity);
    static void XMLCALL EntityDeclHandler(void* inUserData, const XML_Char* inName,
                                          int inIsParameterEntity, const XML_Char* inValue,
                                          int inValueLength, const XML_Char* inBase,
                                          const XML_Char* inSystemID, const XML_Char* inPublicID,
                                          const XML_Char* inNotationName);

    void StartElement(const char* inName);
    void EndElement();
    void CharacterData(const char* inText, int inLength);

    bool IsLeaf(Element inElement) const;
    // The value of a finished leaf element (a new reference), or null after Fail.
    CFTypeRef CreateLeafValue(const Frame& inFrame);
    CFTypeRef CreateInteger(const Frame& inFrame);
    CFTypeRef CreateReal(const Frame& inFrame);
    CFTypeRef CreateData(const Frame& inFrame);
    CFTypeRef CreateDate(const Frame& inFrame);
    bool RequireNoText(const Frame& inFrame);
    // Hands a finished value (a reference that this call consumes) to the open container.
    void Deliver(CFTypeRef inValue);

    void Fail(const std::string& inFault);
    void Fail(const std::string& inFault, unsigned long inLine);

    const CFOptionFlags mMutability;
    XML_Parser mParser = nullptr;
    std::vector<Frame> mStack;
    CFIndex mDepth = 0; // containers open
    std::string mText;  // text of the open leaf element
    CFPropertyListRef mRoot = nullptr;
    CFTimeZoneRef mGMT = nullptr; // made on the first <date>
    bool mFailed = false;
    std::string mError;
};

} // namespace orvo_cf

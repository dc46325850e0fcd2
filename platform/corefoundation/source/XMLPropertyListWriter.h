// Writes values as an XML property list (the PropertyList-1.0 document type).
#pragma once

#include <CoreFoundation/CFDate.h>
#include <CoreFoundation/CFPropertyList.h>

#include <string>

namespace orvo_cf {

// The standard form: XML declaration, DOCTYPE, <plist version="1.0">, one element per line
// indented by tabs, dictionary keys sorted by UTF-16 code units, empty containers as
// <dict/> and <array/>, base64 data in lines at the element's indentation, reals in the
// shortest text that reads back to the same bits, dates in UTC to the whole second
// (rounded down, the format having no fractions).
//
// A value has no XML form, and the writer refuses it, when it holds a kind other than
// dictionary, array, string, number, boolean, data and date; a dictionary key that is not
// a string; containers nested deeper than kCFPropertyListMaxDepth (this also stops a
// container that holds itself); a string with an unpaired surrogate, U+FFFE, U+FFFF or a
// control character other than tab, line feed and carriage return (XML 1.0 cannot carry
// them, even escaped); a date outside the years 1 to 9999.
class XMLPropertyListWriter {
public:
    XMLPropertyListWriter() = default;
    ~XMLPropertyListWriter();
    XMLPropertyListWriter(const XMLPropertyListWriter&) = delete;
    XMLPropertyListWriter& operator=(const XMLPropertyListWriter&) = delete;

    // True with the document in outXML; false with the reason in outProblem.
    bool Write(CFPropertyListRef inValue, std::string& outXML, std::string& outProblem);

private:
    bool WriteValue(CFTypeRef inValue, int inLevel, CFIndex inDepth);
    bool WriteDictionary(CFDictionaryRef inDictionary, int inLevel, CFIndex inDepth);
    bool WriteArray(CFArrayRef inArray, int inLevel, CFIndex inDepth);
    bool WriteNumber(CFNumberRef inNumber, int inLevel);
    bool WriteData(CFDataRef inData, int inLevel);
    bool WriteDate(CFDateRef inDate, int inLevel);
    // Appends the string's characters as escaped UTF-8.
    bool AppendEscaped(CFStringRef inString);
    void StartLine(int inLevel);
    bool Refuse(const std::string& inProblem);

    std::string mOut;
    std::string mProblem;
    CFTimeZoneRef mGMT = nullptr; // made on the first date
};

} // namespace orvo_cf

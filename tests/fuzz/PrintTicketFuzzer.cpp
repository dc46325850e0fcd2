// Feeds arbitrary bytes to the readers of the print system's XML ticket and template forms.
// Whatever they accept must write back out, read back equal and copy equal; every typed
// reader must answer any item without harm; nothing may leak on any path.
#include <CoreFoundation/CoreFoundation.h>
#include <PrintCore/PrintCore.h>

#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool inCondition) {
    if (!inCondition)
        std::abort();
}

// Reads every item of the ticket through every typed reader, at its top level and through
// the node indexes of its first nested tickets.
void ReadEverything(PMTicketRef inTicket) {
    CFArrayRef keys = nullptr;
    Check(PMTicketCopyItemKeys(inTicket, &keys) == kPMNoError);
    for (CFIndex i = 0, count = CFArrayGetCount(keys); i < count; ++i) {
        CFStringRef key = static_cast<CFStringRef>(CFArrayGetValueAtIndex(keys, i));
        for (UInt32 index : {UInt32(kPMTopLevel), 0u, 1u}) {
            const UInt32 second = index == kPMTopLevel ? kPMTopLevel : 0u;
            CFTypeRef any = nullptr;
            CFDictionaryRef dictionary = nullptr;
            CFStringRef string = nullptr;
            CFArrayRef array = nullptr;
            CFDataRef data = nullptr;
            CFDateRef date = nullptr;
            SInt32 integer = 0;
            double real = 0;
            Boolean flag = false;
            PMRect rect{};
            PMTicketGetItem(inTicket, index, second, key, &any);
            PMTicketGetCFDictionary(inTicket, index, second, key, &dictionary);
            PMTicketGetCFString(inTicket, index, second, key, &string);
            PMTicketGetCFArray(inTicket, index, second, key, &array);
            PMTicketGetCFData(inTicket, index, second, key, &data);
            PMTicketGetCFDate(inTicket, index, second, key, &date);
            PMTicketGetSInt32(inTicket, index, second, key, &integer);
            PMTicketGetDouble(inTicket, index, second, key, &real);
            PMTicketGetBoolean(inTicket, index, second, key, &flag);
            PMTicketGetPMRect(inTicket, index, second, key, &rect);
        }
    }
    CFRelease(keys);
}

void FuzzTicket(CFDataRef inXML) {
    PMTicketRef ticket = nullptr;
    if (PMXMLToTicket(inXML, &ticket) != kPMNoError) {
        Check(ticket == nullptr);
        return;
    }
    ReadEverything(ticket);
    CFDataRef written = nullptr;
    Check(PMTicketToXML(ticket, &written) == kPMNoError);
    PMTicketRef reread = nullptr;
    Check(PMXMLToTicket(written, &reread) == kPMNoError);
    Check(CFEqual(ticket, reread));
    CFDataRef rewritten = nullptr;
    Check(PMTicketToXML(reread, &rewritten) == kPMNoError);
    Check(CFEqual(written, rewritten));
    PMTicketRef copy = nullptr;
    Check(PMTicketCopy(nullptr, ticket, &copy) == kPMNoError);
    Check(CFEqual(copy, ticket));
    CFStringRef description = CFCopyDescription(ticket);
    CFRelease(description);
    PMTicketRelease(copy);
    CFRelease(rewritten);
    PMTicketRelease(reread);
    CFRelease(written);
    PMTicketRelease(ticket);
}

void FuzzTemplate(CFDataRef inXML) {
    PMTemplateRef pmTemplate = nullptr;
    if (PMTemplateLoadFromXML(inXML, &pmTemplate) != kPMNoError) {
        Check(pmTemplate == nullptr);
        return;
    }
    // Every default must pass its own kind check.
    CFArrayRef keys = nullptr;
    Check(PMTemplateCopyEntryKeys(pmTemplate, &keys) == kPMNoError);
    for (CFIndex i = 0, count = CFArrayGetCount(keys); i < count; ++i) {
        CFStringRef key = static_cast<CFStringRef>(CFArrayGetValueAtIndex(keys, i));
        CFTypeRef value = nullptr;
        Boolean valid = false;
        if (PMTemplateGetDefaultValue(pmTemplate, key, &value) == kPMNoError)
            Check(PMTemplateValidateItem(pmTemplate, key, value, &valid) == kPMNoError);
    }
    CFRelease(keys);
    CFDataRef written = nullptr;
    Check(PMTemplateCreateXML(pmTemplate, &written) == kPMNoError);
    PMTemplateRef reread = nullptr;
    Check(PMTemplateLoadFromXML(written, &reread) == kPMNoError);
    Check(CFEqual(pmTemplate, reread));
    CFDataRef rewritten = nullptr;
    Check(PMTemplateCreateXML(reread, &rewritten) == kPMNoError);
    Check(CFEqual(written, rewritten));
    CFRelease(rewritten);
    PMTemplateRelease(reread);
    CFRelease(written);
    PMTemplateRelease(pmTemplate);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* inData, size_t inSize) {
    CFDataRef input = CFDataCreate(nullptr, inData, CFIndex(inSize));
    FuzzTicket(input);
    FuzzTemplate(input);
    CFRelease(input);
    return 0;
}

// Ticket creation and reference counting.
#include "PMTicketObject.h"

#include <CoreFoundation/CFString.h>

#include <cstdio>

using orvo_pm::TicketOf;

__PMTicket::__PMTicket(CFStringRef inType)
    : orvo_cf::Object(orvo_pm::kTypeIDTicket), mType(static_cast<CFStringRef>(CFRetain(inType))) {}

__PMTicket::~__PMTicket() {
    CFRelease(mType);
}

void __PMTicket::Describe(std::string& ioOut, int, bool) const {
    char address[64];
    std::snprintf(address, sizeof address, "<PMTicket %p>{", static_cast<const void*>(this));
    ioOut += address;
    ioOut += orvo_cf::UTF8FromString(mType);
    ioOut += '}';
}

CFTypeID PMTicketGetTypeID(void) {
    return orvo_pm::kTypeIDTicket;
}

OSStatus PMTicketCreate(CFAllocatorRef, CFStringRef ticketType, PMTicketRef* outTicket) {
    if (outTicket == nullptr)
        return kPMInvalidParameter;
    if (ticketType == nullptr || CFGetTypeID(ticketType) != CFStringGetTypeID())
        return kPMInvalidParameter;
    *outTicket = new __PMTicket(ticketType);
    return kPMNoError;
}

OSStatus PMTicketRetain(PMTicketRef ticket) {
    if (TicketOf(ticket) == nullptr)
        return kPMInvalidTicket;
    CFRetain(ticket);
    return kPMNoError;
}

OSStatus PMTicketRelease(PMTicketRef ticket) {
    if (TicketOf(ticket) == nullptr)
        return kPMInvalidTicket;
    CFRelease(ticket);
    return kPMNoError;
}

OSStatus PMTicketReleaseAndClear(PMTicketRef* ticket) {
    if (ticket == nullptr)
        return kPMInvalidParameter;
    OSStatus status = PMTicketRelease(*ticket);
    if (status == kPMNoError)
        *ticket = nullptr;
    return status;
}

OSStatus PMTicketGetRetainCount(PMTicketRef ticket, CFIndex* outCount) {
    if (outCount == nullptr)
        return kPMInvalidParameter;
    if (TicketOf(ticket) == nullptr)
        return kPMInvalidTicket;
    *outCount = CFGetRetainCount(ticket);
    return kPMNoError;
}

OSStatus PMTicketGetType(PMTicketRef ticket, CFStringRef* outType) {
    if (outType == nullptr)
        return kPMInvalidParameter;
    const __PMTicket* object = TicketOf(ticket);
    if (object == nullptr)
        return kPMInvalidTicket;
    *outType = object->mType;
    return kPMNoError;
}

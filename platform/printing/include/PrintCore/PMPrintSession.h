// Print sessions: what a print dialog hands its panels. A session holds data items by
// name; among them the tickets of the dialog, under "PMPrintSettingsTicket" (the print
// settings ticket) and "PMJobTemplateTicket" (the job template).
//
// A ticket or template item is a number holding the object's reference (its address) as
// a pointer-width integer: read it with CFNumberGetValue(number, kCFNumberSInt64Type, &v)
// and convert v back to the reference (a 32-bit integer cannot hold an address on a 64-bit
// host). The session keeps the object alive while the item exists.
//
// A session is a platform object (CFRetain and CFRelease work on it); every call may be
// made from any thread.
#pragma once

#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFString.h>
#include <PrintCore/PMErrors.h>

typedef struct __PMPrintSession* PMPrintSession;

#define kPMPrintSettingsTicketKey CFSTR("PMPrintSettingsTicket")
#define kPMJobTemplateTicketKey CFSTR("PMJobTemplateTicket")

CFTypeID PMPrintSessionGetTypeID(void);

// A new, empty session with one reference that the caller releases.
OSStatus PMSessionCreate(PMPrintSession* outSession);
// kPMInvalidSession when the reference is null or not a session.
OSStatus PMSessionRetain(PMPrintSession session);
OSStatus PMSessionRelease(PMPrintSession session);

// Stores any platform value under the key (retained), replacing an older item; a null data
// removes the item. kPMInvalidParameter for a null or non-string key.
OSStatus PMSessionSetDataInSession(PMPrintSession session, CFStringRef key, CFTypeRef data);
// The item under the key, borrowed (valid until the item is replaced or the session is
// destroyed). kPMItemNotFound when there is none.
OSStatus PMSessionGetDataFromSession(PMPrintSession session, CFStringRef key, CFTypeRef* outData);
// Stores a ticket or a template as described above: the item becomes a number holding its
// reference, and the session retains the object for as long as the item exists.
// kPMInvalidParameter when the object is neither a ticket nor a template.
OSStatus PMSessionSetTicketInSession(PMPrintSession session, CFStringRef key,
                                     CFTypeRef ticketOrTemplate);

// Tickets: the print system's reference-counted records of job and printer settings.
//
// A ticket has a type (a name such as "com.apple.print.PrintSettingsTicket"), keyed items
// and nested tickets. Each item holds one property-list value together with the client
// identifier that wrote it, the time it was written (whole seconds) and a lock flag: a
// locked item can be rewritten or deleted only by the client that wrote it. Nested tickets
// are held by their own type and an index (0 for the one sub-ticket of a kind, 1, 2, 3 ...
// for the entries of a list ticket of type "com.apple.print.TicketList").
//
// A ticket is a platform object like any CFTypeRef (CFRetain, CFRelease, CFGetTypeID,
// CFEqual and CFShow work on it); the calls below are the print system's own and report
// misuse as a status instead of writing to the standard error stream. Every call may be
// made from any thread; each ticket guards its state with its own lock.
//
// Values stored are immutable deep copies of what the caller passed; values and nested
// tickets handed out by the Get calls are borrowed from the ticket and stay valid for the
// ticket's lifetime, even when the item is later replaced or deleted.
#pragma once

#include <CoreFoundation/CFBase.h>
#include <PrintCore/PMErrors.h>

typedef struct __PMTicket* PMTicketRef;

// The print system's rectangle: four 64-bit floats in the order top, left, bottom, right.
// In a ticket it is stored as an array of four reals in that order.
struct PMRect {
    double top;
    double left;
    double bottom;
    double right;
};

// Addressing of the Get calls. Both node indexes kPMTopLevel: an item of the ticket
// itself. A first index i (and the second kPMTopLevel): an item of the ticket's nested
// ticket at index i (of any type, searched in order of type). Both indexes i and j: an
// item of a ticket at index j nested in a ticket at index i. The first nested ticket on
// that path that holds the key answers.
enum : UInt32 { kPMTopLevel = 0xFFFFFFFFu };

// The type identifier of tickets.
CFTypeID PMTicketGetTypeID(void);

// A new, empty ticket of the given type, with one reference that the caller releases. The
// allocator is accepted for the platform's sake and not used. kPMInvalidParameter when
// ticketType is not a string or outTicket is null.
OSStatus PMTicketCreate(CFAllocatorRef allocator, CFStringRef ticketType, PMTicketRef* outTicket);
// A new ticket equal to the source: the same type, items (with their clients, dates and
// locks) and deep copies of its nested tickets. The caller releases it.
OSStatus PMTicketCopy(CFAllocatorRef allocator, PMTicketRef source, PMTicketRef* outCopy);

// Adds or removes one reference; the ticket is destroyed with its last reference.
// kPMInvalidTicket when the reference is null or not a ticket.
OSStatus PMTicketRetain(PMTicketRef ticket);
OSStatus PMTicketRelease(PMTicketRef ticket);
// Releases *ticket and sets it to null. kPMInvalidParameter for a null pointer;
// kPMInvalidTicket (and *ticket unchanged) when *ticket is null or not a ticket.
OSStatus PMTicketReleaseAndClear(PMTicketRef* ticket);

// The number of references held on the ticket.
OSStatus PMTicketGetRetainCount(PMTicketRef ticket, CFIndex* outCount);
// The ticket's type, borrowed from the ticket.
OSStatus PMTicketGetType(PMTicketRef ticket, CFStringRef* outType);

// ---- Writing items (always at the ticket's own top level) ----
// Each stores the value under the key, stamped with clientID and the current time, locked
// or not. Results: kPMInvalidTicket; kPMInvalidParameter for a null or non-string client
// or key, or a null value; kPMInvalidValue for a value that is not a property list;
// kPMTicketLocked when the item exists, is locked and was written by another client (the
// item is left unchanged). The client that wrote a locked item may rewrite it, and may
// unlock it by writing it with locked false.
OSStatus PMTicketSetItem(PMTicketRef ticket, CFStringRef clientID, CFStringRef key, CFTypeRef value,
                         Boolean locked);
OSStatus PMTicketSetCFDictionary(PMTicketRef ticket, CFStringRef clientID, CFStringRef key,
                                 CFDictionaryRef value, Boolean locked);
OSStatus PMTicketSetCFString(PMTicketRef ticket, CFStringRef clientID, CFStringRef key,
                             CFStringRef value, Boolean locked);
OSStatus PMTicketSetCFArray(PMTicketRef ticket, CFStringRef clientID, CFStringRef key,
                            CFArrayRef value, Boolean locked);
OSStatus PMTicketSetCFData(PMTicketRef ticket, CFStringRef clientID, CFStringRef key,
                           CFDataRef value, Boolean locked);
OSStatus PMTicketSetCFDate(PMTicketRef ticket, CFStringRef clientID, CFStringRef key,
                           CFDateRef value, Boolean locked);
OSStatus PMTicketSetSInt32(PMTicketRef ticket, CFStringRef clientID, CFStringRef key, SInt32 value,
                           Boolean locked);
OSStatus PMTicketSetDouble(PMTicketRef ticket, CFStringRef clientID, CFStringRef key, double value,
                           Boolean locked);
OSStatus PMTicketSetBoolean(PMTicketRef ticket, CFStringRef clientID, CFStringRef key,
                            Boolean value, Boolean locked);
// kPMInvalidParameter for a null rectangle.
OSStatus PMTicketSetPMRect(PMTicketRef ticket, CFStringRef clientID, CFStringRef key,
                           const PMRect* value, Boolean locked);

// Removes an item. kPMItemNotFound when there is none; kPMTicketLocked when it is locked
// by another client.
OSStatus PMTicketDeleteItem(PMTicketRef ticket, CFStringRef clientID, CFStringRef key);

// ---- Reading items (addressed as described at kPMTopLevel) ----
// Results: kPMInvalidTicket; kPMInvalidParameter for a null key or out pointer;
// kPMItemNotFound when no item answers; kPMWrongValueKind when it holds another kind (a
// number read as SInt32 must be an exact 32-bit integer; any number reads as a double;
// a rectangle is an array of exactly four numbers). The out value is left unchanged on
// failure. Object values are borrowed from the ticket.
Boolean PMTicketContainsItem(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                             CFStringRef key);
OSStatus PMTicketGetItem(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2, CFStringRef key,
                         CFTypeRef* outValue);
OSStatus PMTicketGetCFDictionary(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                                 CFStringRef key, CFDictionaryRef* outValue);
OSStatus PMTicketGetCFString(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                             CFStringRef key, CFStringRef* outValue);
OSStatus PMTicketGetCFArray(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                            CFStringRef key, CFArrayRef* outValue);
OSStatus PMTicketGetCFData(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                           CFStringRef key, CFDataRef* outValue);
OSStatus PMTicketGetCFDate(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                           CFStringRef key, CFDateRef* outValue);
OSStatus PMTicketGetSInt32(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                           CFStringRef key, SInt32* outValue);
OSStatus PMTicketGetDouble(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                           CFStringRef key, double* outValue);
OSStatus PMTicketGetBoolean(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                            CFStringRef key, Boolean* outValue);
OSStatus PMTicketGetPMRect(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                           CFStringRef key, PMRect* outValue);
// The stamp of an item: its writing client and modification date (borrowed) and its lock
// flag. Any out pointer may be null.
OSStatus PMTicketGetItemAttributes(PMTicketRef ticket, UInt32 nodeIndex1, UInt32 nodeIndex2,
                                   CFStringRef key, CFStringRef* outClientID, CFDateRef* outModDate,
                                   Boolean* outLocked);
// A new array (the caller releases it) of the keys of the ticket's own items, sorted.
OSStatus PMTicketCopyItemKeys(PMTicketRef ticket, CFArrayRef* outKeys);

// ---- Nested tickets and ticket lists ----
// Stores a deep copy of subTicket in the ticket under the sub-ticket's type and the index,
// replacing one held there before. kPMInvalidTicket when either is not a ticket;
// kPMInvalidParameter for the index kPMTopLevel.
OSStatus PMTicketSetTicket(PMTicketRef ticket, PMTicketRef subTicket, UInt32 index);
// The nested ticket of that type at that index, borrowed (it may be changed through the
// reference). kPMItemNotFound when there is none.
OSStatus PMTicketGetTicket(PMTicketRef ticket, CFStringRef ticketType, UInt32 index,
                           PMTicketRef* outTicket);
// Removes a nested ticket. kPMItemNotFound when there is none.
OSStatus PMTicketRemoveTicket(PMTicketRef ticket, CFStringRef ticketType, UInt32 index);
// A new array (the caller releases it) of the indexes (SInt64 numbers, ascending) at which
// the ticket holds nested tickets of that type; empty when it holds none.
OSStatus PMTicketCopyTicketIndexes(PMTicketRef ticket, CFStringRef ticketType,
                                   CFArrayRef* outIndexes);

// ---- XML form (the form of a printer's Ticket.xml; see platform/printing/README.md) ----
// A new ticket made from an XML property list in the ticket form. kPMInvalidParameter for
// a null argument; kPMInvalidXML for data that does not parse or does not have the form
// (nothing is made then).
OSStatus PMXMLToTicket(CFDataRef xmlData, PMTicketRef* outTicket);
// New data (the caller releases it) holding the ticket in its XML form. kPMInvalidValue
// when a value cannot be written as XML.
OSStatus PMTicketToXML(PMTicketRef ticket, CFDataRef* outXMLData);

// Tickets: the print system's reference-counted records of job and printer settings.
// A ticket is a platform object like any CFTypeRef (CFRetain, CFRelease, CFGetTypeID and
// CFShow work on it); the calls below are the print system's own and report misuse as a
// status instead of writing to the standard error stream.
#pragma once

#include <CoreFoundation/CFBase.h>
#include <PrintCore/PMErrors.h>

typedef struct __PMTicket* PMTicketRef;

// The type identifier of tickets.
CFTypeID PMTicketGetTypeID(void);

// A new, empty ticket of the given type (a name such as a print settings or a job
// template ticket), with one reference that the caller releases. The allocator is accepted
// for the platform's sake and not used. kPMInvalidParameter when ticketType is not a
// string or outTicket is null.
OSStatus PMTicketCreate(CFAllocatorRef allocator, CFStringRef ticketType, PMTicketRef* outTicket);

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

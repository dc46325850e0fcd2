// Result codes of the print system's calls.
#pragma once

#include <CarbonCore/MacTypes.h>

enum : OSStatus {
    kPMNoError = noErr,
    kPMInvalidParameter = paramErr, // a required argument is null or out of range
    kPMGeneralError = -30870,       // a failure with no more specific code
    kPMItemNotFound = -30880,       // no item, nested ticket, entry or session data of that name
    kPMWrongValueKind = -30881,     // the item holds a value of another kind than asked for
    kPMTicketLocked = -30882,       // the item is locked by another client
    kPMInvalidXML = -30883,         // the data is not an XML property list of the expected form
    kPMInvalidValue = -30884,    // a value that is not a property list, or not of the entry's kind
    kPMInvalidTemplate = -30885, // the reference is null or not a template
    kPMInvalidSession = -30886,  // the reference is null or not a print session
    kPMInvalidTicket = -30891,   // the reference is null or not a ticket
};

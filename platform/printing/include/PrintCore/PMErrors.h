// Result codes of the print system's calls.
#pragma once

#include <CarbonCore/MacTypes.h>

enum : OSStatus {
    kPMNoError = noErr,
    kPMInvalidParameter = paramErr, // a required argument is null or out of range
    kPMGeneralError = -30870,       // a failure with no more specific code
    kPMInvalidTicket = -30891,      // the reference is null or not a ticket
};

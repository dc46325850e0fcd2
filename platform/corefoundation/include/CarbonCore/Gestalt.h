// Gestalt: queries about the machine the code runs on.
#pragma once

#include <CarbonCore/MacTypes.h>

enum : OSType {
    gestaltPhysicalRAMSize = 0x72616D20, // 'ram ': physical memory in bytes
};

// Answers the selector in *response. Unknown selectors give gestaltUndefSelectorErr and
// leave *response alone; a null response gives paramErr. The response is a long, 64 bits
// here, so that physical memory beyond 2 GiB is reported as it is.
OSErr Gestalt(OSType selector, long* response);

// Type identifiers of the print system's object kinds. They take the block
// kTypeIDFirstFree + 0 to kTypeIDFirstFree + 15 of the platform's type identifiers, so
// that other platform libraries numbering their kinds from a different offset never
// collide with them.
#pragma once

#include <CoreFoundation/CFRuntime.h>

namespace orvo_pm {

enum : CFTypeID {
    kTypeIDTicket = orvo_cf::kTypeIDFirstFree + 0,
    kTypeIDTemplate = orvo_cf::kTypeIDFirstFree + 1,
    kTypeIDPrintSession = orvo_cf::kTypeIDFirstFree + 2,
    kTypeIDLastReserved = orvo_cf::kTypeIDFirstFree + 15,
};

} // namespace orvo_pm

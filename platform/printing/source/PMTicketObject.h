// The ticket object behind a PMTicketRef.
#pragma once

#include "PrintingTypeIDs.h"

#include <PrintCore/PMTicket.h>

struct __PMTicket : orvo_cf::Object {
    // Retains inType.
    explicit __PMTicket(CFStringRef inType);
    ~__PMTicket() override;

    void Describe(std::string& ioOut, int inIndent, bool inTopLevel) const override;
    const char* TypeName() const override { return "PMTicket"; }

    const CFStringRef mType;
};

namespace orvo_pm {

// The ticket behind a reference, or null when the reference is null or not a ticket.
inline __PMTicket* TicketOf(PMTicketRef inTicket) {
    return orvo_cf::CastMutable<__PMTicket>(inTicket, kTypeIDTicket);
}

} // namespace orvo_pm

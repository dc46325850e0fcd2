// Takes over a print-system ticket and releases it at the end of the scope, unless it has
// been handed on in the meantime.
#pragma once

#include <PrintCore/PMTicket.h>

namespace Tarvel {

class StPMTicketRelease {
public:
    explicit StPMTicketRelease(PMTicketRef inTicket);
    ~StPMTicketRelease();
    StPMTicketRelease(const StPMTicketRelease&) = delete;
    StPMTicketRelease& operator=(const StPMTicketRelease&) = delete;

    // Forgets the ticket, so that nothing is released: its new owner lives outside the
    // scope.
    void Nullify() { mPMTicket = nullptr; }

private:
    PMTicketRef mPMTicket;
};

} // namespace Tarvel

#include "legacy/helpers/StPMTicketRelease.h"

namespace Tarvel {

StPMTicketRelease::StPMTicketRelease(PMTicketRef inTicket) : mPMTicket(inTicket) {}

StPMTicketRelease::~StPMTicketRelease() {
    if (mPMTicket != nullptr)
        PMTicketReleaseAndClear(&mPMTicket);
}

} // namespace Tarvel

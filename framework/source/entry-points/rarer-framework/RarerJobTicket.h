// The job ticket of a job that the print system prints: the page size comes from the
// paper ticket of the job's print settings, and the user's print-dialog choices (the
// selections in the print settings) are applied to the engine settings.
//
// A job ticket without its print settings ticket, its paper ticket or a usable page
// rectangle is refused with an error: the ticket then does not exist.
#pragma once

#include "controller/JobTicket.h"

#include <PrintCore/PMTicket.h>

namespace Tarvel {

class RarerJobTicket : public JobTicket {
public:
    // Retains the print system's job ticket for the object's lifetime.
    RarerJobTicket(CFBundleRef inPrinter, PMTicketRef inJobTicket);
    ~RarerJobTicket() override;

    // The job ticket's "com.apple.print.JobInfo.PMJobName", read on every call (borrowed);
    // null when the job has none.
    CFStringRef GetJobName() const override;
    UInt32 GetPageWidthInPSPoints() const override { return mPagePointWidth; }
    UInt32 GetPageHeightInPSPoints() const override { return mPagePointHeight; }
    // points x resolution / 72, truncated; the resolution after the overlays, not divided
    // by the pixel expansion multiplier. A page too large for 32 bits is an error.
    UInt32 GetPageWidthInPixels() const override;
    UInt32 GetPageHeightInPixels() const override;

private:
    // Finds the print settings and paper tickets and reads the page size.
    void PrepareGetRequests();

    PMTicketRef mJob;
    PMTicketRef mPrintSettings; // borrowed from mJob
    PMTicketRef mPaper;         // borrowed from mPrintSettings
    UInt32 mPagePointWidth;
    UInt32 mPagePointHeight;
};

} // namespace Tarvel

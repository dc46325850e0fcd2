// The user's choices in the print dialog, as the overlay names to apply to the job's
// engine settings.
//
// The panels store a selections dictionary in the print settings ticket under
// "orvo.engine.pde-selections": dictionaries nested to any depth in which every entry
// keyed "Overlay" (compared without regard to case) names overlays, a string one name, an
// array several in order. The names are collected depth first, sibling entries in the
// sorted order of their keys (by character code, case-sensitively), so that the same
// selections always apply the same overlays in the same order and a job always renders the
// same way. A name found twice is applied twice.
#pragma once

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>
#include <PrintCore/PMPrintSession.h>
#include <PrintCore/PMTicket.h>

namespace Tarvel {

class JobSettings {
public:
    // The key of the selections dictionary in the print settings ticket.
    static const CFStringRef kPDESelections_Key; // "orvo.engine.pde-selections"

    // The selections of a print settings ticket (none when it holds none).
    explicit JobSettings(PMTicketRef inPrintSettings);
    // The selections of the print settings ticket that a print session holds.
    explicit JobSettings(PMPrintSession inPrintJobSession);
    ~JobSettings();
    JobSettings(const JobSettings&) = delete;
    JobSettings& operator=(const JobSettings&) = delete;

    // A new array of the selected overlay names (the caller releases it), possibly empty.
    CFArrayRef CopySelectedOptionOverlays() const;

private:
    void FinishCreateSelf(PMTicketRef inPrintSettings);
    // Stores the session's ticket item named inTicket at inContainer (a PMTicketRef*):
    // 0 on success, -30891 when the session has no such item or reports an error.
    OSStatus GetTicketRef(PMPrintSession inPrintSession, CFStringRef inTicket,
                          void* inContainer) const;
    // The selections dictionary, borrowed from the ticket; null when it holds none.
    CFDictionaryRef GetPrintJobSettings(PMTicketRef inPrintSettings) const;
    void ExtractSelectedOptionOverlays(CFDictionaryRef inOptions, CFMutableArrayRef outOverlays,
                                       int inDepth = 0) const;

    CFDictionaryRef mJobSettings;
};

} // namespace Tarvel

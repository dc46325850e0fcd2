// What the engine factory, the engines and the job controller know about a job: the
// printer, its engine settings with the user's choices applied, the output resolution and
// the page size. Complete when its constructor returns, and read without locks by several
// threads afterwards; nothing changes it then.
#pragma once

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFBundle.h>
#include <CoreFoundation/CFString.h>

namespace Tarvel {

class EngineSettings;

class JobTicket {
public:
    // Retains the printer bundle and builds the engine settings from the printer's engine
    // dictionary (its base; the overlays come later).
    explicit JobTicket(CFBundleRef inPrinter);
    virtual ~JobTicket();
    JobTicket(const JobTicket&) = delete;
    JobTicket& operator=(const JobTicket&) = delete;

    // The job's name, borrowed; the empty string here.
    virtual CFStringRef GetJobName() const;
    // The engine settings' "Resolution", dots per inch.
    virtual UInt32 GetHorizontalResolution() const;
    virtual UInt32 GetVerticalResolution() const;
    // The page in PostScript points (1/72 inch) and in output pixels.
    virtual UInt32 GetPageWidthInPSPoints() const = 0;
    virtual UInt32 GetPageHeightInPSPoints() const = 0;
    virtual UInt32 GetPageWidthInPixels() const = 0;
    virtual UInt32 GetPageHeightInPixels() const = 0;
    // The page size in whole inches (truncated).
    virtual UInt32 GetPageWidthInInches() const;
    virtual UInt32 GetPageHeightInInches() const;
    // Borrowed; the ticket keeps ownership.
    virtual EngineSettings* GetEngineSettings() const;

protected:
    // Applies the named overlays, in order, to the engine settings.
    void ApplyOptionOverlays(CFArrayRef inOptionOverlayNames);

private:
    CFBundleRef mPrinter;
    EngineSettings* mLegacySettings;
};

} // namespace Tarvel

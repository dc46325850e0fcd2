#include "entry-points/rarer-framework/RarerJobTicket.h"

#include "legacy/exception/TarvelException.h"
#include "legacy/helpers/StCFAutoRelease.h"
#include "legacy/settings/JobSettings.h"

#include <cstdint>

namespace Tarvel {

namespace {

const CFStringRef kPrintSettingsTicket_Type = CFSTR("com.apple.print.PrintSettingsTicket");
const CFStringRef kPaperInfoTicket_Type = CFSTR("com.apple.print.PaperInfoTicket");
const CFStringRef kPageRect_Key = CFSTR("com.apple.print.PaperInfo.PMUnadjustedPageRect");
const CFStringRef kJobName_Key = CFSTR("com.apple.print.JobInfo.PMJobName");

constexpr double kPointsPerInch = 72.0;

// A page extent in whole points (truncated toward zero); refuses what is not a size.
UInt32 PageExtent(double inExtent) {
    if (!(inExtent >= 1.0) || inExtent >= 4294967296.0)
        TarvelException::Raise("PrepareGetRequests: the page rectangle is not a usable size.");
    return static_cast<UInt32>(inExtent);
}

UInt32 Pixels(UInt32 inPoints, UInt32 inResolution) {
    // The product is formed in 32 bits; one that does not fit is refused rather than
    // wrapped round.
    uint64_t product = static_cast<uint64_t>(inPoints) * inResolution;
    if (product > UINT32_MAX)
        TarvelException::Raise("GetPageSizeInPixels: the page is too large at this resolution.");
    return static_cast<UInt32>(static_cast<double>(product) / kPointsPerInch);
}

} // namespace

RarerJobTicket::RarerJobTicket(CFBundleRef inPrinter, PMTicketRef inJobTicket)
    : JobTicket(inPrinter), mJob(inJobTicket), mPrintSettings(nullptr), mPaper(nullptr),
      mPagePointWidth(0), mPagePointHeight(0) {
    if (mJob == nullptr || PMTicketRetain(mJob) != kPMNoError)
        TarvelException::Raise("RarerJobTicket: the job ticket is not a ticket.");
    try {
        PrepareGetRequests();
        JobSettings selections(mPrintSettings);
        CFArrayRef overlays = selections.CopySelectedOptionOverlays();
        StCFAutoRelease releaseOverlays(overlays);
        ApplyOptionOverlays(overlays);
    } catch (...) {
        PMTicketRelease(mJob);
        throw;
    }
}

RarerJobTicket::~RarerJobTicket() {
    PMTicketRelease(mJob);
}

void RarerJobTicket::PrepareGetRequests() {
    if (PMTicketGetTicket(mJob, kPrintSettingsTicket_Type, 0, &mPrintSettings) != kPMNoError ||
        mPrintSettings == nullptr)
        TarvelException::Raise("PrepareGetRequests: the job ticket has no print settings ticket.");
    if (PMTicketGetTicket(mPrintSettings, kPaperInfoTicket_Type, 0, &mPaper) != kPMNoError ||
        mPaper == nullptr)
        TarvelException::Raise("PrepareGetRequests: the print settings ticket has no paper "
                               "ticket.");
    PMRect page;
    if (PMTicketGetPMRect(mPaper, kPMTopLevel, kPMTopLevel, kPageRect_Key, &page) != kPMNoError)
        TarvelException::Raise("PrepareGetRequests: the paper ticket has no page rectangle.");
    mPagePointWidth = PageExtent(page.right - page.left);
    mPagePointHeight = PageExtent(page.bottom - page.top);
}

CFStringRef RarerJobTicket::GetJobName() const {
    CFStringRef name = nullptr;
    if (PMTicketGetCFString(mJob, kPMTopLevel, kPMTopLevel, kJobName_Key, &name) != kPMNoError)
        return nullptr;
    return name;
}

UInt32 RarerJobTicket::GetPageWidthInPixels() const {
    return Pixels(mPagePointWidth, GetHorizontalResolution());
}

UInt32 RarerJobTicket::GetPageHeightInPixels() const {
    return Pixels(mPagePointHeight, GetVerticalResolution());
}

} // namespace Tarvel

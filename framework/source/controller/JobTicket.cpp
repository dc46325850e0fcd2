#include "controller/JobTicket.h"

#include "legacy/helpers/StCFAutoRelease.h"
#include "legacy/printerconfiguration/PrinterInfo.h"
#include "legacy/settings/EngineSettings.h"

namespace Tarvel {

namespace {

constexpr Float32 kPointsPerInch = 72.0f;

// The engine settings of the printer's engine dictionary.
EngineSettings* MakeEngineSettings(CFBundleRef inPrinter) {
    PrinterInfo printer(inPrinter);
    CFDictionaryRef engine = printer.CopyEngineDictionary();
    StCFAutoRelease releaseEngine(engine);
    return new EngineSettings(engine);
}

} // namespace

JobTicket::JobTicket(CFBundleRef inPrinter)
    : mPrinter(nullptr), mLegacySettings(MakeEngineSettings(inPrinter)) {
    mPrinter = static_cast<CFBundleRef>(const_cast<void*>(CFRetain(inPrinter)));
}

JobTicket::~JobTicket() {
    delete mLegacySettings;
    if (mPrinter != nullptr)
        CFRelease(mPrinter);
}

CFStringRef JobTicket::GetJobName() const {
    return CFSTR("");
}

UInt32 JobTicket::GetHorizontalResolution() const {
    unsigned long horizontal = 0;
    unsigned long vertical = 0;
    mLegacySettings->GetResolution(horizontal, vertical);
    return static_cast<UInt32>(horizontal);
}

UInt32 JobTicket::GetVerticalResolution() const {
    unsigned long horizontal = 0;
    unsigned long vertical = 0;
    mLegacySettings->GetResolution(horizontal, vertical);
    return static_cast<UInt32>(vertical);
}

UInt32 JobTicket::GetPageWidthInInches() const {
    return static_cast<UInt32>(static_cast<Float32>(GetPageWidthInPSPoints()) / kPointsPerInch);
}

UInt32 JobTicket::GetPageHeightInInches() const {
    return static_cast<UInt32>(static_cast<Float32>(GetPageHeightInPSPoints()) / kPointsPerInch);
}

EngineSettings* JobTicket::GetEngineSettings() const {
    return mLegacySettings;
}

void JobTicket::ApplyOptionOverlays(CFArrayRef inOptionOverlayNames) {
    GetEngineSettings()->ApplyArray(inOptionOverlayNames);
}

} // namespace Tarvel

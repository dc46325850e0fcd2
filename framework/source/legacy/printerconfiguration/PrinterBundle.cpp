#include "legacy/printerconfiguration/PrinterBundle.h"

namespace Tarvel {

CFBundleRef PrinterBundle::GetBundle() {
    CFURLRef url = CFURLCreateWithFileSystemPath(
        nullptr, CFSTR("/Library/Printers/Tarvel/Orvo/Orvo.framework"), kCFURLPOSIXPathStyle, true);
    CFBundleRef bundle = url == nullptr ? nullptr : CFBundleCreate(nullptr, url);
    if (url != nullptr)
        CFRelease(url);
    if (bundle != nullptr)
        return bundle;
    bundle = CFBundleGetBundleWithIdentifier(CFSTR("orvo.engine.framework"));
    if (bundle != nullptr)
        CFRetain(bundle);
    return bundle;
}

} // namespace Tarvel

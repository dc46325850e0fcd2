// The framework's own bundle, which holds the description files that every printer model
// shares (the universal engine file and paper list) and the print dialog panels.
#pragma once

#include <CoreFoundation/CFBundle.h>

namespace Tarvel {

class PrinterBundle {
public:
    // The framework bundle installed at "/Library/Printers/Tarvel/Orvo/Orvo.framework",
    // or, when nothing is installed there, the bundle with the framework's identifier
    // "orvo.engine.framework" wherever it was found. A new reference (the caller releases
    // it); null when there is neither.
    static CFBundleRef GetBundle();
};

} // namespace Tarvel

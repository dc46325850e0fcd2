// Writes what a decoded job produced next to each other: BASE.json and one preview per
// page (BASE.png, then BASE-2.png, ...). Every file appears whole or not at all.
#pragma once

#include "JobSummary.h"

#include <string>
#include <vector>

namespace Tarvel::VirtualPrinter {

class JobOutput {
public:
    // The preview path of page inPage (0-based) for inPngPath ("x.png" -> "x-2.png", ...).
    static std::string PreviewPath(const std::string& inPngPath, std::size_t inPage);
    static bool WritePreviews(const JobSummary& inSummary, const std::string& inPngPath,
                              std::string& outError);
    static bool WriteFile(const std::string& inPath, const void* inData, std::size_t inSize,
                          std::string& outError);
};

} // namespace Tarvel::VirtualPrinter

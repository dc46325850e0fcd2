// Writes a page preview as an 8-bit RGB PNG file. The image goes to a temporary file
// beside the target, renamed into place only when complete.
#pragma once

#include "PagePreview.h"

#include <string>

namespace Tarvel::VirtualPrinter {

class PngWriter {
public:
    // False with outError set when the file could not be written.
    static bool Write(const PagePreview& inPreview, const std::string& inPath,
                      std::string& outError);
};

} // namespace Tarvel::VirtualPrinter

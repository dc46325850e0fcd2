// Writes a JobSummary as a JSON document.
#pragma once

#include "JobSummary.h"

#include <string>

namespace Tarvel::VirtualPrinter {

class JsonSummaryWriter {
public:
    static std::string Write(const JobSummary& inSummary);
    // inText as a JSON string literal, quotes included; bytes outside printable ASCII are
    // written as \u escapes of their byte value.
    static std::string Quote(const std::string& inText);
};

} // namespace Tarvel::VirtualPrinter

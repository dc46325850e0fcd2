// Reads the PJL command lines that follow a universal exit language sequence, up to the
// next escape byte or the line that enters a printer language.
#pragma once

#include "ByteReader.h"
#include "JobSummary.h"

#include <string>
#include <utility>
#include <vector>

namespace Tarvel::VirtualPrinter {

class PjlParser {
public:
    struct State {
        bool jobOpen = false;
        std::size_t jobOffset = 0;
        std::string jobName;
        std::vector<std::pair<std::string, std::string>> variables;
        bool jobEnded = false; // an EOJ was read since the caller last looked
        bool cutOff = false;   // the stream ended inside a line
    };

    // Parses lines at the reader's cursor. Returns the language named by ENTER LANGUAGE
    // (upper case), or an empty string when the lines end at an escape byte or at the end.
    static std::string Parse(ByteReader& ioReader, State& ioState,
                             std::vector<Diagnostic>& outErrors);

private:
    static void ParseCommand(const std::string& inLine, std::size_t inOffset, State& ioState,
                             std::string& outLanguage, std::vector<Diagnostic>& outErrors);
};

} // namespace Tarvel::VirtualPrinter

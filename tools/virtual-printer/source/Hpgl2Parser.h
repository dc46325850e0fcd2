// Reads HP-GL/2 commands (two-letter mnemonics with their parameters) up to the next
// escape byte, which returns control to PCL/RTL.
#pragma once

#include "ByteReader.h"
#include "JobSummary.h"

#include <functional>
#include <string>
#include <vector>

namespace Tarvel::VirtualPrinter {

class Hpgl2Parser {
public:
    // Called for every command: the upper-case mnemonic, its parameter text and its offset.
    using CommandHandler = std::function<void(
        const std::string& inMnemonic, const std::string& inParameters, std::size_t inOffset)>;

    static void Parse(ByteReader& ioReader, const CommandHandler& inHandler,
                      std::vector<Diagnostic>& outErrors);
};

} // namespace Tarvel::VirtualPrinter

#include "PjlParser.h"

#include <algorithm>
#include <cctype>

namespace Tarvel::VirtualPrinter {

namespace {

std::string Trim(const std::string& inText) {
    std::size_t begin = inText.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return {};
    std::size_t end = inText.find_last_not_of(" \t");
    return inText.substr(begin, end - begin + 1);
}

std::string Upper(std::string inText) {
    for (char& c : inText)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return inText;
}

// The value of NAME="..." or NAME=word in inArguments; empty when absent.
std::string NameValue(const std::string& inArguments) {
    std::size_t equals = inArguments.find('=');
    if (equals == std::string::npos)
        return {};
    std::string value = Trim(inArguments.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

} // namespace

std::string PjlParser::Parse(ByteReader& ioReader, State& ioState,
                             std::vector<Diagnostic>& outErrors) {
    std::string language;
    while (!ioReader.AtEnd() && language.empty()) {
        int c = ioReader.Peek();
        if (c == 0x1B)
            break;
        if (c == '\r' || c == '\n' || c == ' ' || c == '\t') {
            ioReader.Skip(1);
            continue;
        }
        std::size_t lineOffset = ioReader.Offset();
        if (ioReader.Remaining() < 4 ||
            std::string(ioReader.Current(), ioReader.Current() + 4) != "@PJL") {
            outErrors.push_back({lineOffset, "PJL line does not begin with @PJL"});
            // Resynchronise on the next line or escape.
            while (!ioReader.AtEnd() && ioReader.Peek() != '\n' && ioReader.Peek() != 0x1B)
                ioReader.Skip(1);
            continue;
        }
        const std::uint8_t* begin = ioReader.Current();
        const std::uint8_t* end = begin + ioReader.Remaining();
        const std::uint8_t* newline = std::find(begin, end, '\n');
        if (newline == end) {
            outErrors.push_back({lineOffset, "PJL line is not terminated by a line feed"});
            ioState.cutOff = true;
            ioReader.Skip(ioReader.Remaining());
            break;
        }
        std::string line(begin, newline);
        ioReader.Skip(static_cast<std::size_t>(newline - begin) + 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        ParseCommand(line, lineOffset, ioState, language, outErrors);
    }
    return language;
}

void PjlParser::ParseCommand(const std::string& inLine, std::size_t inOffset, State& ioState,
                             std::string& outLanguage, std::vector<Diagnostic>& outErrors) {
    std::string rest = Trim(inLine.substr(4));
    if (rest.empty())
        return; // "@PJL" alone is a valid no-op
    std::size_t space = rest.find_first_of(" \t");
    std::string command = Upper(rest.substr(0, space));
    std::string arguments = space == std::string::npos ? std::string() : Trim(rest.substr(space));
    if (command == "JOB") {
        if (ioState.jobOpen)
            outErrors.push_back({inOffset, "PJL JOB inside an open PJL job"});
        ioState.jobOpen = true;
        ioState.jobOffset = inOffset;
        ioState.jobName = NameValue(arguments);
        ioState.variables.clear();
    } else if (command == "EOJ") {
        if (!ioState.jobOpen)
            outErrors.push_back({inOffset, "PJL EOJ without an open PJL job"});
        else if (NameValue(arguments) != ioState.jobName)
            outErrors.push_back({inOffset, "PJL EOJ names \"" + NameValue(arguments) +
                                               "\", the job is \"" + ioState.jobName + "\""});
        ioState.jobOpen = false;
        ioState.jobEnded = true;
    } else if (command == "SET" || command == "DEFAULT") {
        std::size_t equals = arguments.find('=');
        if (equals == std::string::npos || Trim(arguments.substr(0, equals)).empty()) {
            outErrors.push_back({inOffset, "malformed PJL " + command + ": " + arguments});
            return;
        }
        ioState.variables.emplace_back(Trim(arguments.substr(0, equals)),
                                       Trim(arguments.substr(equals + 1)));
    } else if (command == "ENTER") {
        std::string upper = Upper(arguments);
        std::size_t equals = upper.find('=');
        if (upper.rfind("LANGUAGE", 0) != 0 || equals == std::string::npos ||
            Trim(upper.substr(equals + 1)).empty()) {
            outErrors.push_back({inOffset, "malformed PJL ENTER: " + arguments});
            return;
        }
        outLanguage = Trim(upper.substr(equals + 1));
    } else if (command != "RESET" && command != "COMMENT" && command != "INFO" &&
               command != "INQUIRE" && command != "DINQUIRE" && command != "ECHO" &&
               command != "USTATUS" && command != "USTATUSOFF" && command != "INITIALIZE") {
        outErrors.push_back({inOffset, "unknown PJL command " + command});
    }
}

} // namespace Tarvel::VirtualPrinter

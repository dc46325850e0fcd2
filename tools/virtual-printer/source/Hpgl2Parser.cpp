#include "Hpgl2Parser.h"

#include <cctype>

namespace Tarvel::VirtualPrinter {

namespace {

constexpr std::size_t kMaxParameterText = 256;

bool IsLetter(int c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The HP-GL/2 instructions a plotter of this class understands.
bool IsKnownMnemonic(const std::string& inMnemonic) {
    static const char* const kKnown[] = {
        "AA", "AC", "AD", "AR", "AT", "BP", "BR", "BZ", "CF", "CI", "CO", "CP", "CR", "CT",
        "DF", "DI", "DL", "DR", "DT", "DV", "EA", "EC", "EP", "ER", "ES", "EW", "FI", "FN",
        "FP", "FR", "FT", "IN", "IP", "IR", "IW", "LA", "LB", "LM", "LO", "LT", "MC", "MG",
        "MT", "NP", "NR", "OP", "PA", "PC", "PD", "PE", "PG", "PM", "PP", "PR", "PS", "PU",
        "PW", "QL", "RA", "RF", "RO", "RP", "RR", "RT", "SA", "SB", "SC", "SD", "SI", "SL",
        "SM", "SP", "SR", "SS", "ST", "SV", "TD", "TR", "UL", "WG", "WU"};
    for (const char* known : kKnown)
        if (inMnemonic == known)
            return true;
    return false;
}

bool IsSeparator(int c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ';' || c == ',';
}

} // namespace

void Hpgl2Parser::Parse(ByteReader& ioReader, const CommandHandler& inHandler,
                        std::vector<Diagnostic>& outErrors) {
    while (!ioReader.AtEnd()) {
        int c = ioReader.Peek();
        if (c == 0x1B)
            return;
        if (IsSeparator(c)) {
            ioReader.Skip(1);
            continue;
        }
        std::size_t offset = ioReader.Offset();
        if (!IsLetter(c) || !IsLetter(ioReader.Peek(1))) {
            outErrors.push_back({offset, "malformed HP-GL/2 command"});
            // Skip to the next terminator or escape.
            while (!ioReader.AtEnd() && ioReader.Peek() != ';' && ioReader.Peek() != 0x1B)
                ioReader.Skip(1);
            continue;
        }
        std::string mnemonic;
        mnemonic += static_cast<char>(std::toupper(ioReader.Next()));
        mnemonic += static_cast<char>(std::toupper(ioReader.Next()));
        std::string parameters;
        bool terminated = false;
        if (mnemonic == "LB") {
            // A label runs to its terminator, ETX by default.
            while (!ioReader.AtEnd() && ioReader.Peek() != 0x03) {
                int b = ioReader.Next();
                if (parameters.size() < kMaxParameterText)
                    parameters += static_cast<char>(b);
            }
            terminated = ioReader.Next() == 0x03;
        } else {
            while (!ioReader.AtEnd()) {
                int b = ioReader.Peek();
                if (b == ';') {
                    ioReader.Skip(1);
                    terminated = true;
                    break;
                }
                if (b == 0x1B || IsLetter(b)) {
                    terminated = true;
                    break;
                }
                if (b == '"') {
                    std::size_t quote = ioReader.Offset();
                    ioReader.Skip(1);
                    parameters += '"';
                    while (!ioReader.AtEnd() && ioReader.Peek() != '"') {
                        int q = ioReader.Next();
                        if (parameters.size() < kMaxParameterText)
                            parameters += static_cast<char>(q);
                    }
                    if (ioReader.AtEnd()) {
                        outErrors.push_back({quote, "unterminated HP-GL/2 string"});
                        break;
                    }
                    ioReader.Skip(1);
                    parameters += '"';
                    continue;
                }
                if (!(std::isdigit(b) || b == '-' || b == '+' || b == '.' || IsSeparator(b))) {
                    outErrors.push_back({ioReader.Offset(),
                                         "unexpected byte in HP-GL/2 " + mnemonic + " parameters"});
                    ioReader.Skip(1);
                    continue;
                }
                ioReader.Skip(1);
                if (parameters.size() < kMaxParameterText)
                    parameters += static_cast<char>(b);
            }
        }
        if (!terminated) {
            outErrors.push_back({offset, "HP-GL/2 " + mnemonic + " is not terminated"});
            return;
        }
        if (!IsKnownMnemonic(mnemonic)) {
            outErrors.push_back({offset, "unknown HP-GL/2 command " + mnemonic});
            continue;
        }
        inHandler(mnemonic, parameters, offset);
    }
}

} // namespace Tarvel::VirtualPrinter

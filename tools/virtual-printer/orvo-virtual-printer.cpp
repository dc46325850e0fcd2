// orvo-virtual-printer: decodes, checks and previews HP-RTL, PCL3GUI and Encad RTL jobs,
// from a file or from a raw TCP print port.
#include "JobDecoder.h"
#include "JobListener.h"
#include "JobOutput.h"
#include "JsonSummaryWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

using namespace Tarvel::VirtualPrinter;

namespace {

const char* kUsage =
    "usage: orvo-virtual-printer decode FILE [--png OUT.png] [--scale N] [--json]\n"
    "       orvo-virtual-printer listen [--address 127.0.0.1] [--port 9100] [--out DIR]\n"
    "                                   [--scale N] [--once]\n";

const char* kDecodeHelp =
    "orvo-virtual-printer decode FILE [--png OUT.png] [--scale N] [--json]\n"
    "\n"
    "Reads a whole printer job (HP-RTL in PJL and HP-GL/2, PCL3GUI or Encad RTL) and checks\n"
    "it strictly. Protocol errors are reported on standard error with their byte offsets and\n"
    "make the exit status 1.\n"
    "\n"
    "  --png OUT.png  render each page as printed: OUT.png, then OUT-2.png, ...\n"
    "  --scale N      reduce the preview N times by averaging (raised when needed so that\n"
    "                 a side fits in 4096 pixels)\n"
    "  --json         write the job summary as JSON on standard output\n";

const char* kListenHelp =
    "orvo-virtual-printer listen [--address A] [--port P] [--out DIR] [--scale N] [--once]\n"
    "\n"
    "Accepts raw TCP connections like a JetDirect port, one job per connection, one\n"
    "connection after the other. Each job is stored in DIR as job-N.prn, job-N.json and\n"
    "job-N.png, and one summary line per job is printed.\n"
    "\n"
    "  --address A  IPv4 address to listen on (default 127.0.0.1)\n"
    "  --port P     TCP port (default 9100; 0 picks a free one, named on standard error)\n"
    "  --out DIR    existing output directory (default .)\n"
    "  --scale N    preview reduction factor (default 1)\n"
    "  --once       serve a single connection, then exit\n";

bool ParseNumber(const char* inText, unsigned long inMax, unsigned long& outValue) {
    char* end = nullptr;
    errno = 0;
    unsigned long value = std::strtoul(inText, &end, 10);
    if (errno != 0 || end == inText || *end != '\0' || value > inMax || inText[0] == '-')
        return false;
    outValue = value;
    return true;
}

int Decode(int argc, char** argv) {
    std::string input, png;
    bool json = false;
    unsigned long scale = 1;
    for (int i = 0; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::cout << kDecodeHelp;
            return 0;
        } else if (argument == "--json") {
            json = true;
        } else if (argument == "--png" && i + 1 < argc) {
            png = argv[++i];
        } else if (argument == "--scale" && i + 1 < argc) {
            if (!ParseNumber(argv[++i], 256, scale) || scale == 0) {
                std::cerr << "orvo-virtual-printer: --scale needs a number from 1 to 256\n";
                return 2;
            }
        } else if (argument.rfind("--", 0) != 0 && input.empty()) {
            input = argument;
        } else {
            std::cerr << "orvo-virtual-printer: unexpected argument " << argument << "\n" << kUsage;
            return 2;
        }
    }
    if (input.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    std::ifstream file(input, std::ios::binary);
    if (!file) {
        std::cerr << "orvo-virtual-printer: cannot open " << input << ": " << std::strerror(errno)
                  << "\n";
        return 2;
    }
    std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(file)),
                                   std::istreambuf_iterator<char>());
    if (file.bad()) {
        std::cerr << "orvo-virtual-printer: cannot read " << input << "\n";
        return 2;
    }
    DecodeOptions options;
    options.render = !png.empty();
    options.scale = static_cast<unsigned>(scale);
    JobSummary summary = JobDecoder(options).Decode(data.data(), data.size());
    for (const Diagnostic& error : summary.errors)
        std::cerr << input << ": offset " << error.offset << ": " << error.message << "\n";
    if (!png.empty()) {
        std::string error;
        if (!JobOutput::WritePreviews(summary, png, error)) {
            std::cerr << "orvo-virtual-printer: " << error << "\n";
            return 2;
        }
    }
    if (json)
        std::cout << JsonSummaryWriter::Write(summary);
    return summary.Ok() ? 0 : 1;
}

int Listen(int argc, char** argv) {
    JobListener::Options options;
    bool once = false;
    for (int i = 0; i < argc; ++i) {
        std::string argument = argv[i];
        unsigned long number = 0;
        if (argument == "--help" || argument == "-h") {
            std::cout << kListenHelp;
            return 0;
        } else if (argument == "--once") {
            once = true;
        } else if (argument == "--address" && i + 1 < argc) {
            options.address = argv[++i];
        } else if (argument == "--out" && i + 1 < argc) {
            options.outputDirectory = argv[++i];
        } else if (argument == "--port" && i + 1 < argc) {
            if (!ParseNumber(argv[++i], 65535, number)) {
                std::cerr << "orvo-virtual-printer: --port needs a number from 0 to 65535\n";
                return 2;
            }
            options.port = static_cast<std::uint16_t>(number);
        } else if (argument == "--scale" && i + 1 < argc) {
            if (!ParseNumber(argv[++i], 256, number) || number == 0) {
                std::cerr << "orvo-virtual-printer: --scale needs a number from 1 to 256\n";
                return 2;
            }
            options.scale = static_cast<unsigned>(number);
        } else {
            std::cerr << "orvo-virtual-printer: unexpected argument " << argument << "\n" << kUsage;
            return 2;
        }
    }
    JobListener listener(options);
    std::string error;
    if (!listener.Open(error)) {
        std::cerr << "orvo-virtual-printer: " << error << "\n";
        return 2;
    }
    if (options.port == 0) // the system chose the port: say which
        std::cerr << "orvo-virtual-printer: listening on " << options.address << ":"
                  << listener.Port() << std::endl;
    do {
        std::string line;
        if (!listener.ServeOne(line, error)) {
            if (!line.empty())
                std::cout << line << std::endl;
            std::cerr << "orvo-virtual-printer: " << error << "\n";
            return 2;
        }
        std::cout << line << std::endl;
    } while (!once);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << kUsage;
        return 2;
    }
    std::string command = argv[1];
    if (command == "decode")
        return Decode(argc - 2, argv + 2);
    if (command == "listen")
        return Listen(argc - 2, argv + 2);
    if (command == "--help" || command == "-h") {
        std::cout << kUsage;
        return 0;
    }
    std::cerr << "orvo-virtual-printer: unknown command " << command << "\n" << kUsage;
    return 2;
}

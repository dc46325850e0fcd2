// Decode throughput of the virtual printer on a ~100 MB HP-RTL colour job: PackBits rows of
// three planes across a 36-inch page at 600 dpi, decoded with and without a preview.
#include "JobDecoder.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>

namespace {

using Tarvel::VirtualPrinter::DecodeOptions;
using Tarvel::VirtualPrinter::JobDecoder;
using Tarvel::VirtualPrinter::JobSummary;

constexpr int kWidth = 21600;
constexpr std::size_t kTargetBytes = 100u << 20;

std::string Esc(const std::string& inText) {
    return "\x1b" + inText;
}

// PackBits data for one plane: literal groups of halftone-like bytes between runs.
std::string PlaneData(std::mt19937& ioRandom) {
    std::string out;
    int bytes = kWidth / 8;
    int done = 0;
    while (done < bytes) {
        int literal = std::min<int>(bytes - done, 1 + static_cast<int>(ioRandom() % 64));
        out += static_cast<char>(literal - 1);
        for (int i = 0; i < literal; ++i)
            out += static_cast<char>(ioRandom() & 0xFF);
        done += literal;
        int run = std::min<int>(bytes - done, static_cast<int>(ioRandom() % 48));
        if (run >= 2) {
            out += static_cast<char>(1 - run);
            out += static_cast<char>(0);
            done += run;
        }
    }
    return out;
}

const std::string& Stream() {
    static const std::string stream = [] {
        std::mt19937 random(7);
        std::vector<std::string> rows;
        for (int r = 0; r < 32; ++r) {
            std::string row;
            for (int p = 0; p < 3; ++p) {
                std::string data = PlaneData(random);
                row += Esc("*b" + std::string(r == 0 && p == 0 ? "2m" : "") +
                           std::to_string(data.size()) + (p == 2 ? "W" : "V")) +
                       data;
            }
            rows.push_back(row);
        }
        std::string body;
        int count = 0;
        while (body.size() < kTargetBytes)
            body += rows[static_cast<std::size_t>(count++) % rows.size()];
        std::string configure = Esc("*v6W") + std::string("\0\0\3\10\10\10", 6);
        const char* palette[] = {"255a255b255c0I", "0a255b255c1I", "255a0b255c2I", "0a0b255c3I",
                                 "255a255b0c4I",   "0a255b0c5I",   "255a0b0c6I",   "0a0b0c7I"};
        for (const char* entry : palette)
            configure += Esc(std::string("*v") + entry);
        return Esc("E") + Esc("%-12345X") + "@PJL JOB NAME=\"Bench\"\r\n" +
               "@PJL ENTER LANGUAGE=HPGL2\r\n" + Esc("E") + Esc("%0B") +
               "BP1,\"Bench\",2,1,3,0,4,0,5,1;PS" + std::to_string(count * 1016 / 600) + "," +
               std::to_string(kWidth * 1016 / 600) + ";PU;PA0,0;" + Esc("%1A") + Esc("*b0L") +
               Esc("*r" + std::to_string(kWidth) + "S") + Esc("*r" + std::to_string(count) + "T") +
               Esc("*t600R") + configure + Esc("*r0A") + body + Esc("*rC") + Esc("%0B") + "PG;" +
               Esc("%-12345X") + "@PJL EOJ NAME=\"Bench\"\r\n@PJL RESET\r\n";
    }();
    return stream;
}

void Decode(benchmark::State& ioState, bool inRender, unsigned inScale) {
    const std::string& stream = Stream();
    DecodeOptions options;
    options.render = inRender;
    options.scale = inScale;
    for (auto _ : ioState) {
        JobSummary summary = JobDecoder(options).Decode(
            reinterpret_cast<const std::uint8_t*>(stream.data()), stream.size());
        if (!summary.Ok())
            ioState.SkipWithError(summary.errors.front().message.c_str());
        benchmark::DoNotOptimize(summary.pages);
    }
    ioState.SetBytesProcessed(static_cast<std::int64_t>(ioState.iterations()) *
                              static_cast<std::int64_t>(stream.size()));
}

void BM_DecodeCheckAndCount(benchmark::State& ioState) {
    Decode(ioState, false, 1);
}

void BM_DecodeWithPreviewScale8(benchmark::State& ioState) {
    Decode(ioState, true, 8);
}

BENCHMARK(BM_DecodeCheckAndCount)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_DecodeWithPreviewScale8)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

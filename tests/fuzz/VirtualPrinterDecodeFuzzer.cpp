// Feeds arbitrary bytes to the virtual printer's job decoder with previews on, then writes
// the JSON summary and walks every preview row: nothing may crash, hang or over-allocate.
#include "JobDecoder.h"
#include "JsonSummaryWriter.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* inData, std::size_t inSize) {
    using namespace Tarvel::VirtualPrinter;
    DecodeOptions options;
    options.render = true;
    options.scale = inSize > 0 ? 1 + inData[0] % 4 : 1;
    JobSummary summary = JobDecoder(options).Decode(inData, inSize);
    std::string json = JsonSummaryWriter::Write(summary);
    std::vector<std::uint8_t> row;
    for (const PageSummary& page : summary.pages)
        if (page.preview)
            for (std::size_t y = 0; y < page.preview->Height(); ++y)
                page.preview->PaddedRow(y, row);
    return json.empty() ? 1 : 0;
}

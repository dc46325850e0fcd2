// Decoders of the RTL raster compression modes: 0 unencoded, 1 run-length, 2 TIFF PackBits
// and 3 delta row. Output never exceeds the given limit (a printer drops data beyond the
// raster width), so a forged count cannot make it allocate more than the row needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Tarvel::VirtualPrinter {

class RasterDecompressor {
public:
    struct Result {
        bool ok = true;
        std::size_t errorOffset = 0; // offset of the bad group inside the transfer's data
        std::string message;
    };

    static bool IsSupportedMode(int inMode);
    // Decodes inSize bytes of mode inMode into outRow (replaced), at most inLimit bytes.
    // ioSeed is the previous row of the same plane, used and updated by delta row.
    static Result Decode(int inMode, const std::uint8_t* inData, std::size_t inSize,
                         std::size_t inLimit, std::vector<std::uint8_t>& ioSeed,
                         std::vector<std::uint8_t>& outRow);

private:
    static Result DecodePackBits(const std::uint8_t* inData, std::size_t inSize,
                                 std::size_t inLimit, std::vector<std::uint8_t>& outRow);
    static Result DecodeRunLength(const std::uint8_t* inData, std::size_t inSize,
                                  std::size_t inLimit, std::vector<std::uint8_t>& outRow);
    static Result DecodeDeltaRow(const std::uint8_t* inData, std::size_t inSize,
                                 std::size_t inLimit, std::vector<std::uint8_t>& ioSeed,
                                 std::vector<std::uint8_t>& outRow);
};

} // namespace Tarvel::VirtualPrinter

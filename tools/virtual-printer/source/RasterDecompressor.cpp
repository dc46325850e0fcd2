#include "RasterDecompressor.h"

#include <algorithm>
#include <cstring>

namespace Tarvel::VirtualPrinter {

namespace {

RasterDecompressor::Result Failure(std::size_t inOffset, std::string inMessage) {
    RasterDecompressor::Result result;
    result.ok = false;
    result.errorOffset = inOffset;
    result.message = std::move(inMessage);
    return result;
}

// Appends up to inCount bytes without passing inLimit.
void AppendBytes(std::vector<std::uint8_t>& ioRow, const std::uint8_t* inBytes, std::size_t inCount,
                 std::size_t inLimit) {
    std::size_t room = inLimit - std::min(inLimit, ioRow.size());
    ioRow.insert(ioRow.end(), inBytes, inBytes + std::min(room, inCount));
}

void AppendRun(std::vector<std::uint8_t>& ioRow, std::uint8_t inByte, std::size_t inCount,
               std::size_t inLimit) {
    std::size_t room = inLimit - std::min(inLimit, ioRow.size());
    ioRow.insert(ioRow.end(), std::min(room, inCount), inByte);
}

} // namespace

bool RasterDecompressor::IsSupportedMode(int inMode) {
    return inMode >= 0 && inMode <= 3;
}

RasterDecompressor::Result RasterDecompressor::Decode(int inMode, const std::uint8_t* inData,
                                                      std::size_t inSize, std::size_t inLimit,
                                                      std::vector<std::uint8_t>& ioSeed,
                                                      std::vector<std::uint8_t>& outRow) {
    outRow.clear();
    Result result;
    switch (inMode) {
    case 0:
        AppendBytes(outRow, inData, inSize, inLimit);
        break;
    case 1:
        result = DecodeRunLength(inData, inSize, inLimit, outRow);
        break;
    case 2:
        result = DecodePackBits(inData, inSize, inLimit, outRow);
        break;
    case 3:
        return DecodeDeltaRow(inData, inSize, inLimit, ioSeed, outRow);
    default:
        return Failure(0, "unsupported compression mode " + std::to_string(inMode));
    }
    ioSeed = outRow;
    return result;
}

RasterDecompressor::Result RasterDecompressor::DecodePackBits(const std::uint8_t* inData,
                                                              std::size_t inSize,
                                                              std::size_t inLimit,
                                                              std::vector<std::uint8_t>& outRow) {
    std::size_t pos = 0;
    while (pos < inSize) {
        std::size_t group = pos;
        int control = static_cast<std::int8_t>(inData[pos++]);
        if (control >= 0) {
            std::size_t count = static_cast<std::size_t>(control) + 1;
            if (count > inSize - pos)
                return Failure(group, "PackBits literal group of " + std::to_string(count) +
                                          " bytes runs past the end of the data");
            AppendBytes(outRow, inData + pos, count, inLimit);
            pos += count;
        } else if (control != -128) {
            if (pos >= inSize)
                return Failure(group, "PackBits repeat group without its byte");
            AppendRun(outRow, inData[pos++], static_cast<std::size_t>(1 - control), inLimit);
        }
    }
    return {};
}

RasterDecompressor::Result RasterDecompressor::DecodeRunLength(const std::uint8_t* inData,
                                                               std::size_t inSize,
                                                               std::size_t inLimit,
                                                               std::vector<std::uint8_t>& outRow) {
    if (inSize % 2 != 0)
        return Failure(inSize - 1, "run-length data has an odd byte count");
    for (std::size_t pos = 0; pos < inSize; pos += 2)
        AppendRun(outRow, inData[pos + 1], static_cast<std::size_t>(inData[pos]) + 1, inLimit);
    return {};
}

RasterDecompressor::Result RasterDecompressor::DecodeDeltaRow(const std::uint8_t* inData,
                                                              std::size_t inSize,
                                                              std::size_t inLimit,
                                                              std::vector<std::uint8_t>& ioSeed,
                                                              std::vector<std::uint8_t>& outRow) {
    outRow = ioSeed;
    if (outRow.size() > inLimit)
        outRow.resize(inLimit);
    std::size_t position = 0;
    std::size_t pos = 0;
    while (pos < inSize) {
        std::size_t group = pos;
        std::uint8_t command = inData[pos++];
        std::size_t count = (command >> 5) + 1;
        std::size_t offset = command & 0x1F;
        if (offset == 31) {
            std::uint8_t more;
            do {
                if (pos >= inSize)
                    return Failure(group, "delta row offset runs past the end of the data");
                more = inData[pos++];
                offset += more;
            } while (more == 255);
        }
        if (count > inSize - pos)
            return Failure(group, "delta row replacement runs past the end of the data");
        position += offset;
        for (std::size_t i = 0; i < count && position < inLimit; ++i, ++position) {
            if (position >= outRow.size())
                outRow.resize(position + 1, 0);
            outRow[position] = inData[pos + i];
        }
        position = std::min(position, inLimit);
        pos += count;
    }
    ioSeed = outRow;
    return {};
}

} // namespace Tarvel::VirtualPrinter

// A cursor over an immutable byte buffer that knows its offset, for parsers that report
// errors by byte position.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Tarvel::VirtualPrinter {

class ByteReader {
public:
    ByteReader(const std::uint8_t* inData, std::size_t inSize) : mData(inData), mSize(inSize) {}

    bool AtEnd() const { return mOffset >= mSize; }
    std::size_t Offset() const { return mOffset; }
    std::size_t Size() const { return mSize; }
    std::size_t Remaining() const { return mSize - mOffset; }
    // The byte at the cursor plus inAhead, or -1 past the end.
    int Peek(std::size_t inAhead = 0) const;
    // The byte at the cursor, advancing; -1 at the end.
    int Next();
    void Skip(std::size_t inCount);
    const std::uint8_t* Current() const { return mData + mOffset; }
    const std::uint8_t* Data() const { return mData; }
    // True and advances when the bytes at the cursor equal inText.
    bool Match(const char* inText);

private:
    const std::uint8_t* mData;
    std::size_t mSize;
    std::size_t mOffset = 0;
};

} // namespace Tarvel::VirtualPrinter

#include "ByteReader.h"

#include <cstring>

namespace Tarvel::VirtualPrinter {

int ByteReader::Peek(std::size_t inAhead) const {
    if (inAhead >= mSize - mOffset || mOffset >= mSize)
        return -1;
    return mData[mOffset + inAhead];
}

int ByteReader::Next() {
    if (mOffset >= mSize)
        return -1;
    return mData[mOffset++];
}

void ByteReader::Skip(std::size_t inCount) {
    mOffset = inCount >= mSize - mOffset ? mSize : mOffset + inCount;
}

bool ByteReader::Match(const char* inText) {
    std::size_t length = std::strlen(inText);
    if (length > mSize - mOffset || std::memcmp(mData + mOffset, inText, length) != 0)
        return false;
    mOffset += length;
    return true;
}

} // namespace Tarvel::VirtualPrinter

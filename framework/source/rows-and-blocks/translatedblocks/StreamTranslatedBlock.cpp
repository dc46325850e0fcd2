#include "rows-and-blocks/translatedblocks/StreamTranslatedBlock.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace Tarvel {

namespace {

// Formats one number; the text may be longer than the small buffer tried first.
template <class T>
std::string FormatNumber(const char* inFormat, T inValue) {
    char small[32];
    const int length = std::snprintf(small, sizeof small, inFormat, inValue);
    if (length < 0)
        return std::string();
    if (static_cast<size_t>(length) < sizeof small)
        return std::string(small, static_cast<size_t>(length));
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), inFormat, inValue);
    text.resize(static_cast<size_t>(length));
    return text;
}

} // namespace

StreamTranslatedBlock::StreamTranslatedBlock() {
    FinishCreateSelf(kDefaultUnitSize);
}

StreamTranslatedBlock::StreamTranslatedBlock(unsigned long inUnitSize) {
    FinishCreateSelf(inUnitSize);
}

void StreamTranslatedBlock::FinishCreateSelf(unsigned long inUnitSize) {
    mUnitSize = inUnitSize;
    mBuffer = nullptr;
    mBufferSize = 0;
    mBytesUsed = 0;
    mNextWriteByte = nullptr;
}

StreamTranslatedBlock::~StreamTranslatedBlock() {
    std::free(mBuffer);
}

void StreamTranslatedBlock::PutBytes(const void* inData, long inLength) {
    if (inData == nullptr || inLength <= 0)
        return;
    const unsigned long length = static_cast<unsigned long>(inLength);
    if (length >= mBufferSize - mBytesUsed) {
        // Grow by a unit, or by a unit plus the write when the write is longer.
        unsigned long increment = mUnitSize;
        if (mUnitSize < length)
            increment += length;
        char* grown = static_cast<char*>(std::malloc(mBufferSize + increment));
        if (grown == nullptr)
            throw std::bad_alloc();
        if (mBytesUsed > 0)
            std::memcpy(grown, mBuffer, mBytesUsed);
        std::free(mBuffer);
        mBuffer = grown;
        mBufferSize += increment;
        mNextWriteByte = mBuffer + mBytesUsed;
    }
    std::memcpy(mNextWriteByte, inData, length);
    mNextWriteByte += length;
    mBytesUsed += length;
}

StreamTranslatedBlock& StreamTranslatedBlock::operator<<(char inByte) {
    PutBytes(&inByte, 1);
    return *this;
}

StreamTranslatedBlock& StreamTranslatedBlock::operator<<(unsigned char inByte) {
    PutBytes(&inByte, 1);
    return *this;
}

StreamTranslatedBlock& StreamTranslatedBlock::operator<<(unsigned short inValue) {
    const unsigned char bytes[2] = {static_cast<unsigned char>(inValue >> 8),
                                    static_cast<unsigned char>(inValue)};
    PutBytes(bytes, sizeof bytes);
    return *this;
}

StreamTranslatedBlock& StreamTranslatedBlock::operator<<(unsigned long inValue) {
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(inValue >> 24), static_cast<unsigned char>(inValue >> 16),
        static_cast<unsigned char>(inValue >> 8), static_cast<unsigned char>(inValue)};
    PutBytes(bytes, sizeof bytes);
    return *this;
}

StreamTranslatedBlock& StreamTranslatedBlock::operator<<(const char* inText) {
    if (inText != nullptr)
        PutBytes(inText, static_cast<long>(std::strlen(inText)));
    return *this;
}

StreamTranslatedBlock& StreamTranslatedBlock::operator<<(const TranslatedBlock& inBlock) {
    PutBytes(inBlock.Get(), static_cast<long>(inBlock.GetByteSize()));
    return *this;
}

StreamTranslatedBlock& StreamTranslatedBlock::operator<<(CFStringRef inString) {
    if (inString == nullptr)
        return *this;
    const CFIndex length = CFStringGetLength(inString);
    if (length <= 0)
        return *this;
    std::vector<UInt8> bytes(static_cast<size_t>(length));
    CFIndex used = 0;
    CFStringGetBytes(inString, CFRangeMake(0, length), kCFStringEncodingASCII, '?', false,
                     bytes.data(), length, &used);
    PutBytes(bytes.data(), used);
    return *this;
}

StreamTranslatedBlock& StreamTranslatedBlock::ASCIIInteger(long inValue) {
    const std::string text = FormatNumber("%ld", inValue);
    PutBytes(text.data(), static_cast<long>(text.size()));
    return *this;
}

StreamTranslatedBlock& StreamTranslatedBlock::ASCIIFloat(float inValue) {
    const std::string text = FormatNumber("%.2f", static_cast<double>(inValue));
    PutBytes(text.data(), static_cast<long>(text.size()));
    return *this;
}

} // namespace Tarvel

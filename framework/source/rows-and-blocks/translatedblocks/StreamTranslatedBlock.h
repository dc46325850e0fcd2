// A growable byte buffer that command bytes are streamed into: bytes, numbers sent most
// significant byte first, strings, and numbers as ASCII text.
#pragma once

#include "rows-and-blocks/translatedblocks/TranslatedBlock.h"

#include <CoreFoundation/CFString.h>

namespace Tarvel {

class StreamTranslatedBlock : public TranslatedBlock {
public:
    static constexpr unsigned long kDefaultUnitSize = 1024;

    StreamTranslatedBlock();
    // The buffer grows by whole units of inUnitSize bytes.
    explicit StreamTranslatedBlock(unsigned long inUnitSize);
    ~StreamTranslatedBlock() override;

    const char* Get() const override { return mBuffer; }
    unsigned long GetByteSize() const override { return mBytesUsed; }
    unsigned long GetBufferSize() const { return mBufferSize; }
    unsigned long GetUnitSize() const { return mUnitSize; }

    // Appends the bytes; nothing for null data or a length below 1.
    void PutBytes(const void* inData, long inLength);

    StreamTranslatedBlock& operator<<(char inByte);
    StreamTranslatedBlock& operator<<(unsigned char inByte);
    // Two bytes, most significant first.
    StreamTranslatedBlock& operator<<(unsigned short inValue);
    // The low four bytes, most significant first.
    StreamTranslatedBlock& operator<<(unsigned long inValue);
    // The characters without the terminating zero; nothing for null.
    StreamTranslatedBlock& operator<<(const char* inText);
    StreamTranslatedBlock& operator<<(const TranslatedBlock& inBlock);
    // The string as ASCII, one byte per character ('?' for a character ASCII lacks);
    // nothing for a null or empty string.
    StreamTranslatedBlock& operator<<(CFStringRef inString);

    // The decimal text of the value ("%ld").
    StreamTranslatedBlock& ASCIIInteger(long inValue);
    // The value with two decimals ("%.2f").
    StreamTranslatedBlock& ASCIIFloat(float inValue);

private:
    void FinishCreateSelf(unsigned long inUnitSize);

    unsigned long mUnitSize;
    char* mBuffer;
    unsigned long mBufferSize;
    unsigned long mBytesUsed;
    char* mNextWriteByte;
};

} // namespace Tarvel

#include "UTF8.h"

namespace orvo_cf {

bool DecodeUTF8Sequence(std::string_view inText, size_t& ioIndex, UTF32Char& outCodePoint) {
    const auto lead = static_cast<unsigned char>(inText[ioIndex]);
    if (lead < 0x80) {
        outCodePoint = lead;
        ++ioIndex;
        return true;
    }
    size_t extra;
    UTF32Char value;
    if (lead >= 0xC2 && lead <= 0xDF)
        extra = 1, value = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF)
        extra = 2, value = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4)
        extra = 3, value = lead & 0x07;
    else
        return false;
    if (ioIndex + extra >= inText.size())
        return false;
    for (size_t k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(inText[ioIndex + k]);
        if ((next & 0xC0) != 0x80)
            return false;
        value = (value << 6) | (next & 0x3F);
    }
    static const UTF32Char kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (value < kMinimum[extra] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return false;
    outCodePoint = value;
    ioIndex += extra + 1;
    return true;
}

bool IsValidUTF8(std::string_view inText) {
    size_t i = 0;
    UTF32Char codePoint;
    while (i < inText.size())
        if (!DecodeUTF8Sequence(inText, i, codePoint))
            return false;
    return true;
}

void AppendUTF8(std::string& ioOut, UTF32Char inCodePoint) {
    if (inCodePoint < 0x80) {
        ioOut += static_cast<char>(inCodePoint);
    } else if (inCodePoint < 0x800) {
        ioOut += static_cast<char>(0xC0 | (inCodePoint >> 6));
        ioOut += static_cast<char>(0x80 | (inCodePoint & 0x3F));
    } else if (inCodePoint < 0x10000) {
        ioOut += static_cast<char>(0xE0 | (inCodePoint >> 12));
        ioOut += static_cast<char>(0x80 | ((inCodePoint >> 6) & 0x3F));
        ioOut += static_cast<char>(0x80 | (inCodePoint & 0x3F));
    } else {
        ioOut += static_cast<char>(0xF0 | (inCodePoint >> 18));
        ioOut += static_cast<char>(0x80 | ((inCodePoint >> 12) & 0x3F));
        ioOut += static_cast<char>(0x80 | ((inCodePoint >> 6) & 0x3F));
        ioOut += static_cast<char>(0x80 | (inCodePoint & 0x3F));
    }
}

} // namespace orvo_cf

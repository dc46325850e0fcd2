#include "rows-and-blocks/sourcerows/RasterSourceRow.h"

#include "assistants/PixelAssistant.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace Tarvel {

RasterSourceRow::RasterSourceRow(const char* inData, long inByteSize, unsigned long inPixelLayout,
                                 unsigned long inPixelFormat)
    : mImageRow(nullptr), mImageRowByteSize(inByteSize < 0 ? 0 : inByteSize),
      mPixelLayout(inPixelLayout), mPixelFormat(inPixelFormat) {
    // At least one byte, so that an empty row still owns a buffer of its own.
    mImageRow = static_cast<char*>(
        std::malloc(static_cast<size_t>(mImageRowByteSize > 0 ? mImageRowByteSize : 1)));
    if (mImageRow == nullptr)
        throw std::bad_alloc();
    if (inData != nullptr)
        std::memcpy(mImageRow, inData, static_cast<size_t>(mImageRowByteSize));
    else
        std::memset(mImageRow, 0, static_cast<size_t>(mImageRowByteSize));
}

RasterSourceRow::~RasterSourceRow() {
    std::free(mImageRow);
}

unsigned long RasterSourceRow::GetPixelWidth(unsigned long inPixelFormat) {
    switch (inPixelFormat) {
    case kPixelFormatGrey8:
        return 1;
    case kPixelFormatRGB24:
    case kPixelFormatBGR24:
        return 3;
    case kPixelFormatXRGB32:
    case kPixelFormatRGBX32:
    case kPixelFormatBGRX32:
    case kPixelFormatUnreadable32:
        return 4;
    default:
        return 0;
    }
}

unsigned long RasterSourceRow::GetPixelCount() const {
    const unsigned long width = GetPixelWidth(mPixelFormat);
    return width == 0 ? 0 : static_cast<unsigned long>(mImageRowByteSize) / width;
}

long RasterSourceRow::GetByteSize() const {
    return mImageRowByteSize;
}

SourceRow::SourceRowIterator* RasterSourceRow::CreatePixelIterator() const {
    return new RasterSourceRowIterator(mImageRow, GetPixelCount(), mPixelLayout, mPixelFormat);
}

void RasterSourceRow::ReleasePixelIterator(SourceRowIterator* inIterator) const {
    delete inIterator;
}

RasterSourceRow* RasterSourceRow::Copy() const {
    return new RasterSourceRow(mImageRow, mImageRowByteSize, mPixelLayout, mPixelFormat);
}

unsigned char RasterSourceRow::Luminance(unsigned char inRed, unsigned char inGreen,
                                         unsigned char inBlue) {
    const float red = static_cast<float>(0.299 * inRed);
    const float green = static_cast<float>(0.587 * inGreen);
    const float blue = static_cast<float>(0.114 * inBlue);
    const float sum = red + green + blue;
    return static_cast<unsigned char>(static_cast<int>(sum) & 0xFF);
}

RasterSourceRow::RasterSourceRowIterator::RasterSourceRowIterator(const char* inImageRow,
                                                                  unsigned long inPixelCount,
                                                                  unsigned long inPixelLayout,
                                                                  unsigned long inPixelFormat)
    : mImageRow(inImageRow), mPixelCount(inPixelCount), mPixelLayout(inPixelLayout),
      mPixelFormat(inPixelFormat), mPixelIndex(0), mCurrentPixel(inImageRow),
      // No colour adjusters exist in the build yet, so none is in force; the pixels pass
      // through Adjust unchanged.
      mSaturationAssistant(nullptr), mGammaAssistant(nullptr), mLinearisationAssistant(nullptr) {}

RasterSourceRow::RasterSourceRowIterator::~RasterSourceRowIterator() = default;

bool RasterSourceRow::RasterSourceRowIterator::ReadComponents(unsigned char& outRed,
                                                              unsigned char& outGreen,
                                                              unsigned char& outBlue) {
    switch (mPixelFormat) {
    case kPixelFormatGrey8:
        mCurrentPixel =
            NextRGBChunkyPixelComponents<1, 0, 0, 0>(mCurrentPixel, outRed, outGreen, outBlue);
        // Grey bytes count ink, not light: the components are the inverted luminance.
        outRed = outGreen = outBlue =
            static_cast<unsigned char>(255 - Luminance(outRed, outGreen, outBlue));
        return true;
    case kPixelFormatRGB24:
    case kPixelFormatBGR24:
        mCurrentPixel =
            NextRGBChunkyPixelComponents<3, 0, 1, 2>(mCurrentPixel, outRed, outGreen, outBlue);
        return true;
    case kPixelFormatXRGB32:
        mCurrentPixel =
            NextRGBChunkyPixelComponents<4, 1, 2, 3>(mCurrentPixel, outRed, outGreen, outBlue);
        return true;
    case kPixelFormatRGBX32:
    case kPixelFormatBGRX32:
        mCurrentPixel =
            NextRGBChunkyPixelComponents<4, 0, 1, 2>(mCurrentPixel, outRed, outGreen, outBlue);
        return true;
    default:
        return false;
    }
}

void RasterSourceRow::RasterSourceRowIterator::Adjust(unsigned char& ioRed, unsigned char& ioGreen,
                                                      unsigned char& ioBlue) const {
    if (mSaturationAssistant != nullptr)
        mSaturationAssistant->Process(ioRed, ioGreen, ioBlue);
    if (mGammaAssistant != nullptr)
        mGammaAssistant->Process(ioRed, ioGreen, ioBlue);
    if (mLinearisationAssistant != nullptr)
        mLinearisationAssistant->Process(ioRed, ioGreen, ioBlue);
}

bool RasterSourceRow::RasterSourceRowIterator::NextPixel(unsigned char& outRed,
                                                         unsigned char& outGreen,
                                                         unsigned char& outBlue) {
    if (mPixelIndex >= mPixelCount)
        return false;
    unsigned char red, green, blue;
    if (!ReadComponents(red, green, blue))
        return false;
    ++mPixelIndex;
    Adjust(red, green, blue);
    outRed = red;
    outGreen = green;
    outBlue = blue;
    return true;
}

bool RasterSourceRow::RasterSourceRowIterator::NextPixel(unsigned char& outGrey) {
    if (mPixelIndex >= mPixelCount)
        return false;
    if (mPixelFormat == kPixelFormatGrey8) {
        outGrey = static_cast<unsigned char>(*mCurrentPixel);
        ++mCurrentPixel;
        ++mPixelIndex;
        return true;
    }
    unsigned char red, green, blue;
    if (!NextPixel(red, green, blue))
        return false;
    outGrey = Luminance(red, green, blue);
    return true;
}

} // namespace Tarvel

// A source row holding its own copy of a band row's chunky pixel bytes.
#pragma once

#include "rows-and-blocks/sourcerows/SourceRow.h"

namespace Tarvel {

class PixelAssistant;

// Copies the red, green and blue bytes at the given offsets of the pixel at inPixel and
// returns the pointer advanced by the stride.
template <unsigned long Stride, unsigned long RedOffset, unsigned long GreenOffset,
          unsigned long BlueOffset>
inline const char* NextRGBChunkyPixelComponents(const char* inPixel, unsigned char& outRed,
                                                unsigned char& outGreen, unsigned char& outBlue) {
    outRed = static_cast<unsigned char>(inPixel[RedOffset]);
    outGreen = static_cast<unsigned char>(inPixel[GreenOffset]);
    outBlue = static_cast<unsigned char>(inPixel[BlueOffset]);
    return inPixel + Stride;
}

class RasterSourceRow : public SourceRow {
public:
    // The print system's pixel-format codes that rows are made with.
    enum : unsigned long {
        kPixelFormatGrey8 = 2,
        kPixelFormatRGB24 = 4,
        kPixelFormatBGR24 = 8,
        kPixelFormatXRGB32 = 16,
        kPixelFormatRGBX32 = 32,
        kPixelFormatBGRX32 = 64,
        kPixelFormatUnreadable32 = 128,
    };

    class RasterSourceRowIterator : public SourceRow::SourceRowIterator {
    public:
        // Uses the colour adjusters active when it is made, for its whole life.
        RasterSourceRowIterator(const char* inImageRow, unsigned long inPixelCount,
                                unsigned long inPixelLayout, unsigned long inPixelFormat);
        ~RasterSourceRowIterator() override;

        bool NextPixel(unsigned char& outGrey) override;
        bool NextPixel(unsigned char& outRed, unsigned char& outGreen,
                       unsigned char& outBlue) override;
        using SourceRow::SourceRowIterator::NextPixel;

    private:
        // Reads the current pixel's components by the pixel format; false for a format
        // that cannot be read.
        bool ReadComponents(unsigned char& outRed, unsigned char& outGreen, unsigned char& outBlue);
        void Adjust(unsigned char& ioRed, unsigned char& ioGreen, unsigned char& ioBlue) const;

        [[maybe_unused]] const char* mImageRow; // the row's first byte
        unsigned long mPixelCount;
        [[maybe_unused]] unsigned long mPixelLayout; // carried, not interpreted
        unsigned long mPixelFormat;
        unsigned long mPixelIndex;
        const char* mCurrentPixel;
        PixelAssistant* mSaturationAssistant;
        PixelAssistant* mGammaAssistant;
        PixelAssistant* mLinearisationAssistant;
    };

    // Copies inByteSize bytes from inData, or zero-fills them when inData is null. A
    // negative size is taken as 0.
    RasterSourceRow(const char* inData, long inByteSize, unsigned long inPixelLayout,
                    unsigned long inPixelFormat);
    ~RasterSourceRow() override;

    unsigned long GetPixelCount() const override;
    long GetByteSize() const override;
    SourceRowIterator* CreatePixelIterator() const override;
    void ReleasePixelIterator(SourceRowIterator* inIterator) const override;

    RasterSourceRow* Copy() const;
    const char* GetImageRow() const { return mImageRow; }
    char* GetImageRow() { return mImageRow; }
    unsigned long GetPixelLayout() const { return mPixelLayout; }
    unsigned long GetPixelFormat() const { return mPixelFormat; }

    // Bytes per pixel of a format; 0 for a code the row does not know.
    static unsigned long GetPixelWidth(unsigned long inPixelFormat);
    // The luminance used for grey: 0.299 r + 0.587 g + 0.114 b, each product rounded to
    // single precision, summed in single precision and truncated; the low 8 bits.
    static unsigned char Luminance(unsigned char inRed, unsigned char inGreen,
                                   unsigned char inBlue);

private:
    char* mImageRow;
    long mImageRowByteSize;
    unsigned long mPixelLayout;
    unsigned long mPixelFormat;
};

} // namespace Tarvel

// One raster row of a page as the print system delivered it, read pixel by pixel.
#pragma once

#include "rows-and-blocks/Row.h"

namespace Tarvel {

class SourceRow : public Row {
public:
    // Reads the pixels of one row. Iteration is forward only and single pass.
    class SourceRowIterator {
    public:
        SourceRowIterator() = default;
        SourceRowIterator(const SourceRowIterator&) = delete;
        SourceRowIterator& operator=(const SourceRowIterator&) = delete;

        // Each returns false, leaving the outputs alone, when there is no pixel to read.
        virtual bool NextPixel(unsigned char& outGrey);
        virtual bool NextPixel(unsigned char& outRed, unsigned char& outGreen,
                               unsigned char& outBlue);
        virtual bool NextPixel(unsigned char& outComponent1, unsigned char& outComponent2,
                               unsigned char& outComponent3, unsigned char& outComponent4);
        virtual bool PreviousPixel(unsigned char& outGrey);
        virtual bool PreviousPixel(unsigned char& outRed, unsigned char& outGreen,
                                   unsigned char& outBlue);
        virtual bool PreviousPixel(unsigned char& outComponent1, unsigned char& outComponent2,
                                   unsigned char& outComponent3, unsigned char& outComponent4);
        virtual void MoveToFirstPixel();
        virtual void MoveToLastPixel();
        virtual ~SourceRowIterator();
    };

    ~SourceRow() override;

    virtual unsigned long GetPixelCount() const = 0;
    virtual long GetByteSize() const = 0;
    // A new iterator over this row, given back with ReleasePixelIterator before the row
    // is deleted.
    virtual SourceRowIterator* CreatePixelIterator() const = 0;
    virtual void ReleasePixelIterator(SourceRowIterator* inIterator) const = 0;
};

} // namespace Tarvel

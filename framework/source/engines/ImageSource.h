// The rows of one page, in order.
#pragma once

#include "rows-and-blocks/sourcerows/SourceRow.h"

namespace Tarvel {

class ImageSource {
public:
    ImageSource() = default;
    ImageSource(const ImageSource&) = delete;
    ImageSource& operator=(const ImageSource&) = delete;
    virtual ~ImageSource();

    // The next row, owned by the caller, or null when none was produced this time.
    virtual SourceRow* CopyNextSourceRow() = 0;
    // True once the page has no more rows.
    virtual bool End() const = 0;
    // The page's size in pixels, when the source knows it; 0 otherwise.
    virtual unsigned long GetHeight() const;
    virtual unsigned long GetWidth() const;
};

} // namespace Tarvel

// The image stage for printers that print more dots than the raster has pixels: each
// source row is widened by the horizontal multiplier and handed to the image engine
// vertical-multiplier times.
#pragma once

#include "processors/ImageProcessor.h"
#include "rows-and-blocks/sourcerows/RasterSourceRow.h"

namespace Tarvel {

class ExpandedImageProcessor : public ImageProcessor {
public:
    ExpandedImageProcessor(SourceRowQueue* inIncomingSourceRows, ImageEngine* inImageEngine,
                           ImageRowQueue* inOutgoingRowQueue, unsigned char inHorizontalMultiplier,
                           unsigned char inVerticalMultiplier);
    ~ExpandedImageProcessor() override;

    // As the plain image stage, except that null image rows are not queued.
    int Run() override;

    // A new row with every pixel of inRow repeated inMultiplier times in succession, or
    // null for a null row or one without pixels.
    static RasterSourceRow* CreateExpandedRow(const RasterSourceRow* inRow,
                                              unsigned char inMultiplier);

private:
    unsigned char mVerticalMultiplier;
    unsigned char mHoriztonalMultiplier;
};

} // namespace Tarvel

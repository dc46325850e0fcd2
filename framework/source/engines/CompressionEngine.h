// Encodes the planes of an image row.
#pragma once

#include "engines/Engine.h"
#include "rows-and-blocks/CompressedRow.h"
#include "rows-and-blocks/ImageRow.h"

namespace Tarvel {

class CompressionEngine : public Engine {
public:
    ~CompressionEngine() override = default;
    // A new row owned by the caller, or null.
    virtual CompressedRow* CreateCompressedRow(const ImageRow* inImageRow) = 0;
};

} // namespace Tarvel

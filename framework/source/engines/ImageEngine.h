// Turns a source row into an image row of ink planes (halftoned or repacked).
#pragma once

#include "engines/Engine.h"
#include "rows-and-blocks/ImageRow.h"
#include "rows-and-blocks/sourcerows/SourceRow.h"

namespace Tarvel {

class ImageEngine : public Engine {
public:
    ~ImageEngine() override = default;
    // A new row owned by the caller, or null.
    virtual ImageRow* CreateImageRow(const SourceRow* inSourceRow) = 0;
};

} // namespace Tarvel

// A halftoned (or repacked) row made by an image engine from a source row.
#pragma once

#include "rows-and-blocks/PlanarRow.h"

namespace Tarvel {

class ImageRow : public PlanarRow {};

} // namespace Tarvel

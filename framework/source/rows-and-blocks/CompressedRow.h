// An image row's planes after a compression engine has encoded them.
#pragma once

#include "rows-and-blocks/PlanarRow.h"

namespace Tarvel {

class CompressedRow : public PlanarRow {};

} // namespace Tarvel

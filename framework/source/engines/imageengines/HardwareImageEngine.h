// The image engine for printers that halftone themselves: repacks each pixel as 8-bit RGB.
#pragma once

#include "engines/ImageEngine.h"

#include <cstdint>

namespace Tarvel {

class HardwareImageEngine : public ImageEngine {
public:
    explicit HardwareImageEngine(bool inColour);
    ~HardwareImageEngine() override = default;

    // One plane of 3 bytes per pixel, red, green, blue; a monochrome job writes its grey
    // value three times.
    ImageRow* CreateImageRow(const SourceRow* inSourceRow) override;

private:
    int32_t mColourOutput;
};

} // namespace Tarvel

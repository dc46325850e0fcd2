#include "engines/imageengines/HardwareImageEngine.h"

#include "rows-and-blocks/Plane.h"

#include <memory>

namespace Tarvel {

HardwareImageEngine::HardwareImageEngine(bool inColour) : mColourOutput(inColour ? 1 : 0) {}

ImageRow* HardwareImageEngine::CreateImageRow(const SourceRow* inSourceRow) {
    const unsigned long pixelCount = inSourceRow->GetPixelCount();
    const long byteSize = static_cast<long>(3 * pixelCount);
    // The plane's own zeroed buffer is filled in place: no intermediate copy.
    auto plane = std::make_unique<Plane>(byteSize);
    unsigned char* out = reinterpret_cast<unsigned char*>(plane->Get());

    SourceRow::SourceRowIterator* iterator = inSourceRow->CreatePixelIterator();
    if (out != nullptr) {
        if (mColourOutput == 1) {
            for (unsigned long x = 0; x < pixelCount; ++x, out += 3)
                iterator->NextPixel(out[0], out[1], out[2]);
        } else {
            for (unsigned long x = 0; x < pixelCount; ++x, out += 3) {
                unsigned char grey = 0;
                iterator->NextPixel(grey);
                out[0] = out[1] = out[2] = grey;
            }
        }
    }
    inSourceRow->ReleasePixelIterator(iterator);

    auto row = std::make_unique<ImageRow>();
    row->AppendPlane(plane.release());
    return row.release();
}

} // namespace Tarvel

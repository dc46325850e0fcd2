#include "engines/imageengines/KCMYImageEngineAssistant.h"

#include "rows-and-blocks/Plane.h"

#include <algorithm>
#include <memory>

namespace Tarvel {

KCMYImageEngineAssistant::KCMYImageEngineAssistant(ImageEngine* inClientEngine)
    : ImageEngineAssistant(inClientEngine) {}

void KCMYImageEngineAssistant::PostProcessImageRow(ImageRow* ioImageRow) {
    if (ioImageRow->GetPlaneCount() != 3)
        return;
    Plane* cyanPlane = ioImageRow->GetPlaneAtIndex(0);
    Plane* magentaPlane = ioImageRow->GetPlaneAtIndex(1);
    Plane* yellowPlane = ioImageRow->GetPlaneAtIndex(2);
    auto blackPlane = std::make_unique<Plane>(cyanPlane->GetByteSize());

    // The planes should be of one size; never read past the shortest.
    const long size = std::min(
        {cyanPlane->GetByteSize(), magentaPlane->GetByteSize(), yellowPlane->GetByteSize()});
    char* k = blackPlane->Get();
    char* c = cyanPlane->Get();
    char* m = magentaPlane->Get();
    char* y = yellowPlane->Get();
    if (k != nullptr && c != nullptr && m != nullptr && y != nullptr) {
        for (long i = 0; i < size; ++i) {
            const char common = static_cast<char>(c[i] & m[i] & y[i]);
            k[i] = common;
            c[i] = static_cast<char>(c[i] ^ common);
            m[i] = static_cast<char>(m[i] ^ common);
            y[i] = static_cast<char>(y[i] ^ common);
        }
    }
    ioImageRow->PrefixPlane(blackPlane.release());
}

} // namespace Tarvel

#include "engines/imageengines/NullKCMYImageEngineAssistant.h"

#include "rows-and-blocks/Plane.h"

namespace Tarvel {

NullKCMYImageEngineAssistant::NullKCMYImageEngineAssistant(ImageEngine* inClientEngine)
    : ImageEngineAssistant(inClientEngine) {}

void NullKCMYImageEngineAssistant::PostProcessImageRow(ImageRow* ioImageRow) {
    if (ioImageRow->GetPlaneCount() != 3)
        return;
    ioImageRow->PrefixPlane(new Plane(ioImageRow->GetPlaneAtIndex(0)->GetByteSize()));
}

} // namespace Tarvel

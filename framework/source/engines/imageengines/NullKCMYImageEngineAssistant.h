// Gives three-plane colour rows an empty black plane in front, for printers that always
// expect black, cyan, magenta, yellow.
#pragma once

#include "engines/imageengines/ImageEngineAssistant.h"

namespace Tarvel {

class NullKCMYImageEngineAssistant : public ImageEngineAssistant {
public:
    explicit NullKCMYImageEngineAssistant(ImageEngine* inClientEngine);
    ~NullKCMYImageEngineAssistant() override = default;

    // Rows without exactly three planes are left alone.
    void PostProcessImageRow(ImageRow* ioImageRow) override;
};

} // namespace Tarvel

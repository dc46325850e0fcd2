// Black generation for three-plane colour rows: wherever cyan, magenta and yellow dots
// coincide, one black dot replaces all three. The result is black, cyan, magenta, yellow.
#pragma once

#include "engines/imageengines/ImageEngineAssistant.h"

namespace Tarvel {

class KCMYImageEngineAssistant : public ImageEngineAssistant {
public:
    explicit KCMYImageEngineAssistant(ImageEngine* inClientEngine);
    ~KCMYImageEngineAssistant() override = default;

    // Rows without exactly three planes are left alone.
    void PostProcessImageRow(ImageRow* ioImageRow) override;
};

} // namespace Tarvel

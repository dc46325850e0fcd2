// An image engine that wraps another one, with a hook before and after each row. The
// wrapped engine is not owned.
#pragma once

#include "engines/ImageEngine.h"

namespace Tarvel {

class ImageEngineAssistant : public ImageEngine {
public:
    explicit ImageEngineAssistant(ImageEngine* inClientEngine);
    ~ImageEngineAssistant() override = default;

    // PreProcessImageRow, the client's row, PostProcessImageRow on that same row.
    ImageRow* CreateImageRow(const SourceRow* inSourceRow) override;
    // Both do nothing here.
    virtual void PreProcessImageRow(SourceRow* ioSourceRow);
    virtual void PostProcessImageRow(ImageRow* ioImageRow);

protected:
    ImageEngine* mClientEngine;
};

} // namespace Tarvel

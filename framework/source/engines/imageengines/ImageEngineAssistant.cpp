#include "engines/imageengines/ImageEngineAssistant.h"

namespace Tarvel {

ImageEngineAssistant::ImageEngineAssistant(ImageEngine* inClientEngine)
    : mClientEngine(inClientEngine) {}

ImageRow* ImageEngineAssistant::CreateImageRow(const SourceRow* inSourceRow) {
    // The hook may adjust the row before the client reads it; the engine interface hands
    // rows on as const, the row itself is the caller's to change.
    PreProcessImageRow(const_cast<SourceRow*>(inSourceRow));
    ImageRow* row = mClientEngine->CreateImageRow(inSourceRow);
    if (row != nullptr)
        PostProcessImageRow(row);
    return row;
}

void ImageEngineAssistant::PreProcessImageRow(SourceRow*) {}

void ImageEngineAssistant::PostProcessImageRow(ImageRow*) {}

} // namespace Tarvel

#include "engines/translationengines/NullTranslationEngine.h"

namespace Tarvel {

TranslatedBlock* NullTranslationEngine::CreateStartBlock() {
    return nullptr;
}

TranslatedBlock* NullTranslationEngine::CreateEndBlock() {
    return nullptr;
}

TranslatedBlock* NullTranslationEngine::CreateTranslatedBlock(const CompressedRow*) {
    return nullptr;
}

} // namespace Tarvel

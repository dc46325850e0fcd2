#include "engines/TranslationEngine.h"

namespace Tarvel {

TranslationEngine::~TranslationEngine() = default;

TranslatedBlock* TranslationEngine::CreateStartBlock() {
    return nullptr;
}

TranslatedBlock* TranslationEngine::CreateEndBlock() {
    return nullptr;
}

} // namespace Tarvel

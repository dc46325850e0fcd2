// A translation engine that produces no output at all: a page through it delivers nothing.
#pragma once

#include "engines/TranslationEngine.h"

namespace Tarvel {

class NullTranslationEngine : public TranslationEngine {
public:
    NullTranslationEngine() = default;

    TranslatedBlock* CreateStartBlock() override;
    TranslatedBlock* CreateEndBlock() override;
    TranslatedBlock* CreateTranslatedBlock(const CompressedRow* inCompressedRow) override;
};

} // namespace Tarvel

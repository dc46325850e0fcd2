// Wraps compressed rows in the printer's command language, with a start and an end block
// around the page.
#pragma once

#include "engines/Engine.h"
#include "rows-and-blocks/CompressedRow.h"
#include "rows-and-blocks/translatedblocks/TranslatedBlock.h"

namespace Tarvel {

class TranslationEngine : public Engine {
public:
    ~TranslationEngine() override;
    // Each returns a new block owned by the caller, or null; the base makes none.
    virtual TranslatedBlock* CreateStartBlock();
    virtual TranslatedBlock* CreateEndBlock();
    virtual TranslatedBlock* CreateTranslatedBlock(const CompressedRow* inCompressedRow) = 0;
};

} // namespace Tarvel

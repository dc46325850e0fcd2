// Writes a page's translated blocks to their destination.
#pragma once

#include "engines/Engine.h"
#include "rows-and-blocks/translatedblocks/TranslatedBlock.h"

namespace Tarvel {

class DeliveryEngine : public Engine {
public:
    ~DeliveryEngine() override;
    // Called once before and once after the page's blocks; the base does nothing.
    virtual void StartDelivery();
    virtual void EndDelivery();
    // The block stays owned by the caller.
    virtual void Deliver(const TranslatedBlock* inBlock) = 0;
};

} // namespace Tarvel

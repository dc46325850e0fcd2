// Delivers a page's bytes to a standard-library output stream, unformatted.
#pragma once

#include "engines/DeliveryEngine.h"

#include <ostream>

namespace Tarvel {

class stdcoutDeliveryEngine : public DeliveryEngine {
public:
    // The stream is not owned and must outlive the engine.
    explicit stdcoutDeliveryEngine(std::ostream& inOutputStream);

    void StartDelivery() override;
    // Flushes the stream; a stream that failed is reported on the standard error stream.
    void EndDelivery() override;
    void Deliver(const TranslatedBlock* inBlock) override;

private:
    std::ostream& mOutputStream;
};

} // namespace Tarvel

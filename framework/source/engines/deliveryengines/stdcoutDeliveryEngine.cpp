#include "engines/deliveryengines/stdcoutDeliveryEngine.h"

#include <cstdio>

namespace Tarvel {

stdcoutDeliveryEngine::stdcoutDeliveryEngine(std::ostream& inOutputStream)
    : mOutputStream(inOutputStream) {}

void stdcoutDeliveryEngine::StartDelivery() {}

void stdcoutDeliveryEngine::EndDelivery() {
    mOutputStream.flush();
    if (!mOutputStream.good())
        std::fputs("stdcoutDeliveryEngine: writing the output stream failed; the page's bytes "
                   "are incomplete\n",
                   stderr);
}

void stdcoutDeliveryEngine::Deliver(const TranslatedBlock* inBlock) {
    if (inBlock == nullptr || inBlock->Get() == nullptr)
        return;
    mOutputStream.write(inBlock->Get(), static_cast<std::streamsize>(inBlock->GetByteSize()));
}

} // namespace Tarvel

#include "engines/DeliveryEngine.h"

namespace Tarvel {

DeliveryEngine::~DeliveryEngine() = default;

void DeliveryEngine::StartDelivery() {}

void DeliveryEngine::EndDelivery() {}

} // namespace Tarvel

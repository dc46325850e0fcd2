// A per-pixel colour adjuster: changes 8-bit components in place. Source-row iterators
// apply the active adjusters to every pixel they read.
#pragma once

#include "assistants/Assistant.h"

namespace Tarvel {

class PixelAssistant : public Assistant {
public:
    ~PixelAssistant() override = default;

    virtual void Process(unsigned char& ioGrey) = 0;
    virtual void Process(unsigned char& ioRed, unsigned char& ioGreen, unsigned char& ioBlue) = 0;
};

} // namespace Tarvel

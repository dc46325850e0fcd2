// Root of the per-pixel colour adjusters.
#pragma once

namespace Tarvel {

class Assistant {
public:
    Assistant() = default;
    Assistant(const Assistant&) = delete;
    Assistant& operator=(const Assistant&) = delete;
    virtual ~Assistant() = default;
};

} // namespace Tarvel

// Root of every unit of work that travels through a page's pipeline.
#pragma once

namespace Tarvel {

class Row {
public:
    Row() = default;
    Row(const Row&) = delete;
    Row& operator=(const Row&) = delete;
    virtual ~Row() = default;
};

} // namespace Tarvel

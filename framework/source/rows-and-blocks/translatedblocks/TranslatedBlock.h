// A run of bytes in the printer's command language, ready to be delivered.
#pragma once

namespace Tarvel {

class TranslatedBlock {
public:
    TranslatedBlock() = default;
    TranslatedBlock(const TranslatedBlock&) = delete;
    TranslatedBlock& operator=(const TranslatedBlock&) = delete;
    virtual ~TranslatedBlock() = default;

    virtual const char* Get() const = 0;
    virtual unsigned long GetByteSize() const = 0;
};

} // namespace Tarvel

#include "engines/ImageSource.h"

namespace Tarvel {

ImageSource::~ImageSource() = default;

unsigned long ImageSource::GetHeight() const {
    return 0;
}

unsigned long ImageSource::GetWidth() const {
    return 0;
}

} // namespace Tarvel

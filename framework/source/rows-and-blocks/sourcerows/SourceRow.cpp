#include "rows-and-blocks/sourcerows/SourceRow.h"

namespace Tarvel {

SourceRow::~SourceRow() = default;

bool SourceRow::SourceRowIterator::NextPixel(unsigned char&) {
    return false;
}
bool SourceRow::SourceRowIterator::NextPixel(unsigned char&, unsigned char&, unsigned char&) {
    return false;
}
bool SourceRow::SourceRowIterator::NextPixel(unsigned char&, unsigned char&, unsigned char&,
                                             unsigned char&) {
    return false;
}
bool SourceRow::SourceRowIterator::PreviousPixel(unsigned char&) {
    return false;
}
bool SourceRow::SourceRowIterator::PreviousPixel(unsigned char&, unsigned char&, unsigned char&) {
    return false;
}
bool SourceRow::SourceRowIterator::PreviousPixel(unsigned char&, unsigned char&, unsigned char&,
                                                 unsigned char&) {
    return false;
}
void SourceRow::SourceRowIterator::MoveToFirstPixel() {}
void SourceRow::SourceRowIterator::MoveToLastPixel() {}
SourceRow::SourceRowIterator::~SourceRowIterator() = default;

} // namespace Tarvel

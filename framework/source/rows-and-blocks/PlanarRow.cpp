#include "rows-and-blocks/PlanarRow.h"

namespace Tarvel {

PlanarRow::PlaneIterator::PlaneIterator(const PlanarRow* inRow)
    : mRow(inRow), mPlaneTotal(inRow != nullptr ? inRow->GetPlaneCount() : 0), mPlaneIndex(0) {}

PlanarRow::PlaneIterator::~PlaneIterator() = default;

bool PlanarRow::PlaneIterator::NextPlane(Plane*& outPlane) {
    outPlane = nullptr;
    if (mPlaneIndex >= mPlaneTotal)
        return false;
    outPlane = mRow->GetPlaneAtIndex(mPlaneIndex);
    ++mPlaneIndex;
    return true;
}

bool PlanarRow::PlaneIterator::EndOfPlanes() const {
    return mPlaneIndex >= mPlaneTotal;
}

PlanarRow::~PlanarRow() {
    ReleaseAllPlanes();
}

void PlanarRow::PrefixPlane(Plane* inPlane) {
    if (inPlane != nullptr)
        mPlanes.insert(mPlanes.begin(), inPlane);
}

void PlanarRow::AppendPlane(Plane* inPlane) {
    if (inPlane != nullptr)
        mPlanes.push_back(inPlane);
}

PlanarRow::PlaneIterator* PlanarRow::CreatePlaneIterator() const {
    return new PlaneIterator(this);
}

void PlanarRow::ReleasePlaneIterator(PlaneIterator* inIterator) const {
    delete inIterator;
}

Plane* PlanarRow::GetPlaneAtIndex(long inIndex) const {
    if (inIndex < 0 || inIndex >= GetPlaneCount())
        return nullptr;
    return mPlanes[static_cast<size_t>(inIndex)];
}

void PlanarRow::ReleaseAllPlanes() {
    for (Plane* plane : mPlanes)
        delete plane;
    mPlanes.clear();
}

bool PlanarRow::AllPlanesEmpty() const {
    for (const Plane* plane : mPlanes)
        if (plane->GetByteSize() > 0)
            return false;
    return true;
}

long PlanarRow::GetByteSize() const {
    long total = 0;
    for (const Plane* plane : mPlanes)
        total += plane->GetByteSize();
    return total;
}

} // namespace Tarvel

// A row held as an ordered list of planes, one per ink; the row owns its planes.
#pragma once

#include "rows-and-blocks/Plane.h"
#include "rows-and-blocks/Row.h"

#include <vector>

namespace Tarvel {

class PlanarRow : public Row {
public:
    // Walks the planes present when it was made.
    class PlaneIterator {
    public:
        explicit PlaneIterator(const PlanarRow* inRow);
        PlaneIterator(const PlaneIterator&) = delete;
        PlaneIterator& operator=(const PlaneIterator&) = delete;
        virtual ~PlaneIterator();

        // Sets outPlane to the next plane and returns true, or to null and returns false
        // past the last one.
        virtual bool NextPlane(Plane*& outPlane);
        virtual bool EndOfPlanes() const;

    private:
        const PlanarRow* mRow;
        long mPlaneTotal;
        long mPlaneIndex;
    };

    PlanarRow() = default;
    ~PlanarRow() override;

    // Both take ownership of the plane; a null plane is ignored.
    virtual void PrefixPlane(Plane* inPlane);
    virtual void AppendPlane(Plane* inPlane);
    virtual PlaneIterator* CreatePlaneIterator() const;
    // A null iterator is ignored.
    virtual void ReleasePlaneIterator(PlaneIterator* inIterator) const;

    long GetPlaneCount() const { return static_cast<long>(mPlanes.size()); }
    // Null for an index out of range.
    Plane* GetPlaneAtIndex(long inIndex) const;
    void ReleaseAllPlanes();
    // True when no plane has a byte size above 0 (also for a row without planes).
    bool AllPlanesEmpty() const;
    // The sum of the planes' byte sizes.
    long GetByteSize() const;

private:
    std::vector<Plane*> mPlanes;
};

} // namespace Tarvel

#include "rows-and-blocks/PlanarRow.h"
#include "rows-and-blocks/ImageRow.h"
#include "rows-and-blocks/Plane.h"

#include <CoreFoundation/CFNumber.h>

#include <gtest/gtest.h>

#include <cstring>

using namespace Tarvel;

TEST(PlaneTest, BuffersAreZeroFilledOrPrivateCopies) {
    Plane zeroed(5);
    ASSERT_NE(zeroed.Get(), nullptr);
    EXPECT_EQ(zeroed.GetByteSize(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(zeroed.Get()[i], 0);

    char data[3] = {1, 2, 3};
    Plane copy(data, 3);
    data[0] = 9;
    ASSERT_NE(copy.Get(), nullptr);
    EXPECT_NE(copy.Get(), data);
    EXPECT_EQ(std::memcmp(copy.Get(), "\x01\x02\x03", 3), 0);
}

TEST(PlaneTest, NullDataOrEmptySizeHoldsNoBufferButKeepsTheSize) {
    Plane noData(nullptr, 10);
    EXPECT_EQ(noData.Get(), nullptr);
    EXPECT_EQ(noData.GetByteSize(), 10);

    Plane empty("abc", 0);
    EXPECT_EQ(empty.Get(), nullptr);
    EXPECT_EQ(empty.GetByteSize(), 0);
}

TEST(PlaneTest, ValuesAreRetainedAndAbsentUntilSet) {
    Plane plane(1);
    EXPECT_EQ(plane.GetValue(CFSTR("orvo.compression-method")), nullptr);

    CFStringRef method =
        CFStringCreateWithCString(nullptr, "orvo.compression.packbits", kCFStringEncodingUTF8);
    plane.SetValue(CFSTR("orvo.compression-method"), method);
    EXPECT_EQ(CFGetRetainCount(method), 2);
    CFRelease(method);
    EXPECT_TRUE(CFEqual(plane.GetValue(CFSTR("orvo.compression-method")),
                        CFSTR("orvo.compression.packbits")));
    EXPECT_EQ(plane.GetValue(CFSTR("other")), nullptr);
}

TEST(PlanarRowTest, EmptyRow) {
    ImageRow row;
    EXPECT_EQ(row.GetPlaneCount(), 0);
    EXPECT_EQ(row.GetByteSize(), 0);
    EXPECT_TRUE(row.AllPlanesEmpty());
    PlanarRow::PlaneIterator* iterator = row.CreatePlaneIterator();
    EXPECT_TRUE(iterator->EndOfPlanes());
    Plane* plane = reinterpret_cast<Plane*>(&row);
    EXPECT_FALSE(iterator->NextPlane(plane));
    EXPECT_EQ(plane, nullptr);
    row.ReleasePlaneIterator(iterator);
    row.ReleasePlaneIterator(nullptr);
}

TEST(PlanarRowTest, OrderSizesAndEmptiness) {
    PlanarRow row;
    Plane* second = new Plane(4);
    Plane* first = new Plane(nullptr, 0);
    Plane* third = new Plane(nullptr, 10);
    row.AppendPlane(second);
    row.PrefixPlane(first);
    row.AppendPlane(nullptr);
    EXPECT_TRUE(row.GetPlaneCount() == 2);
    EXPECT_FALSE(row.AllPlanesEmpty());

    PlanarRow::PlaneIterator* iterator = row.CreatePlaneIterator();
    row.AppendPlane(third); // not seen by the iterator made before it
    Plane* plane = nullptr;
    ASSERT_TRUE(iterator->NextPlane(plane));
    EXPECT_EQ(plane, first);
    ASSERT_TRUE(iterator->NextPlane(plane));
    EXPECT_EQ(plane, second);
    EXPECT_TRUE(iterator->EndOfPlanes());
    EXPECT_FALSE(iterator->NextPlane(plane));
    EXPECT_EQ(plane, nullptr);
    row.ReleasePlaneIterator(iterator);

    EXPECT_EQ(row.GetPlaneAtIndex(2), third);
    EXPECT_EQ(row.GetPlaneAtIndex(3), nullptr);
    EXPECT_EQ(row.GetPlaneAtIndex(-1), nullptr);
    EXPECT_EQ(row.GetByteSize(), 14);

    row.ReleaseAllPlanes();
    EXPECT_EQ(row.GetPlaneCount(), 0);
    EXPECT_TRUE(row.AllPlanesEmpty());
}

TEST(PlanarRowTest, OnlyZeroSizedPlanesAreEmpty) {
    PlanarRow row;
    row.AppendPlane(new Plane(nullptr, 0));
    row.AppendPlane(new Plane(0));
    EXPECT_TRUE(row.AllPlanesEmpty());
    row.AppendPlane(new Plane(nullptr, 10)); // no buffer, but a size
    EXPECT_FALSE(row.AllPlanesEmpty());
}

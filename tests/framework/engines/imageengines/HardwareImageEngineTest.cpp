#include "engines/imageengines/HardwareImageEngine.h"

#include "rows-and-blocks/sourcerows/RasterSourceRow.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace Tarvel;

namespace {

std::string PlaneBytes(const ImageRow& inRow, long inIndex) {
    const Plane* plane = inRow.GetPlaneAtIndex(inIndex);
    return std::string(plane->Get(), static_cast<size_t>(plane->GetByteSize()));
}

} // namespace

TEST(HardwareImageEngineTest, MonochromeGreyIsRepeatedIntoRedGreenBlue) {
    const char grey[] = {'\x80', '\x00', '\xFF'};
    RasterSourceRow source(grey, 3, 0, RasterSourceRow::kPixelFormatGrey8);
    HardwareImageEngine engine(false);
    std::unique_ptr<ImageRow> row(engine.CreateImageRow(&source));
    ASSERT_EQ(row->GetPlaneCount(), 1);
    EXPECT_EQ(PlaneBytes(*row, 0), std::string("\x80\x80\x80\x00\x00\x00\xFF\xFF\xFF", 9));
}

TEST(HardwareImageEngineTest, ColourKeepsComponentOrderWhateverThePixelFormat) {
    const char xrgb[] = {'\x00', '\x11', '\x22', '\x33', '\x00', '\x44', '\x55', '\x66'};
    RasterSourceRow source(xrgb, 8, 0, RasterSourceRow::kPixelFormatXRGB32);
    HardwareImageEngine engine(true);
    std::unique_ptr<ImageRow> row(engine.CreateImageRow(&source));
    ASSERT_EQ(row->GetPlaneCount(), 1);
    EXPECT_EQ(PlaneBytes(*row, 0), std::string("\x11\x22\x33\x44\x55\x66", 6));
}

TEST(HardwareImageEngineTest, EmptyRowGivesOneEmptyPlane) {
    RasterSourceRow source(nullptr, 0, 0, RasterSourceRow::kPixelFormatRGB24);
    HardwareImageEngine engine(true);
    std::unique_ptr<ImageRow> row(engine.CreateImageRow(&source));
    ASSERT_EQ(row->GetPlaneCount(), 1);
    EXPECT_EQ(row->GetPlaneAtIndex(0)->GetByteSize(), 0);
}

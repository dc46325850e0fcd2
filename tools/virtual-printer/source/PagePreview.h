// The printed page as an RGB image reduced by an integer factor: every output pixel is the
// average of a scale x scale block of printer pixels, paper white where nothing was printed.
// Rows are added as they arrive; the image never exceeds the given width and height, so a
// page's declared size cannot make it allocate more than its rows justify.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Tarvel::VirtualPrinter {

class PagePreview {
public:
    static constexpr std::size_t kMaxWidth = 4096;
    static constexpr std::size_t kMaxHeight = 4096;

    explicit PagePreview(unsigned inScale, std::size_t inMaxWidth = kMaxWidth,
                         std::size_t inMaxHeight = kMaxHeight);

    unsigned Scale() const { return mScale; }
    // One printer row of inPixels RGB pixels (3 bytes each).
    void AddRow(const std::uint8_t* inRGB, std::size_t inPixels);
    void AddBlankRows(std::uint64_t inCount);
    // Makes the image at least inPixels printer pixels wide (within the limit).
    void ExtendWidth(std::uint64_t inPixels);
    // Completes a partly accumulated last block of rows; call once after the last row.
    void Finish();

    std::size_t Width() const { return mWidth; }
    std::size_t Height() const { return mRows.size(); }
    // RGB bytes of output row inY, Width() pixels wide once padded with PaddedRow.
    void PaddedRow(std::size_t inY, std::vector<std::uint8_t>& outRow) const;
    // True when rows or columns beyond the size limit were left out.
    bool Clipped() const { return mClipped; }

private:
    void EmitRow();

    unsigned mScale;
    std::size_t mMaxWidth;
    std::size_t mMaxHeight;
    std::size_t mWidth = 0;
    bool mClipped = false;
    unsigned mPending = 0;                        // printer rows accumulated in mSums
    std::vector<std::uint32_t> mSums;             // per output pixel: R, G, B, printed-pixel count
    std::vector<std::vector<std::uint8_t>> mRows; // empty vector = white row
};

} // namespace Tarvel::VirtualPrinter

#include "PagePreview.h"

#include <algorithm>

namespace Tarvel::VirtualPrinter {

PagePreview::PagePreview(unsigned inScale, std::size_t inMaxWidth, std::size_t inMaxHeight)
    : mScale(std::max(1u, inScale)), mMaxWidth(inMaxWidth), mMaxHeight(inMaxHeight) {}

void PagePreview::AddRow(const std::uint8_t* inRGB, std::size_t inPixels) {
    if (mRows.size() >= mMaxHeight) {
        mClipped = true;
        return;
    }
    std::size_t outPixels = (inPixels + mScale - 1) / mScale;
    if (outPixels > mMaxWidth) {
        outPixels = mMaxWidth;
        inPixels = mMaxWidth * mScale;
        mClipped = true;
    }
    if (mSums.size() < outPixels * 4)
        mSums.resize(outPixels * 4, 0);
    mWidth = std::max(mWidth, outPixels);
    std::uint32_t* sums = mSums.data();
    for (std::size_t x = 0; x < inPixels; x += mScale) {
        std::size_t end = std::min(inPixels, x + mScale);
        std::uint32_t r = 0, g = 0, b = 0;
        for (std::size_t i = x; i < end; ++i) {
            r += inRGB[3 * i];
            g += inRGB[3 * i + 1];
            b += inRGB[3 * i + 2];
        }
        sums[0] += r;
        sums[1] += g;
        sums[2] += b;
        sums[3] += static_cast<std::uint32_t>(end - x);
        sums += 4;
    }
    if (++mPending == mScale)
        EmitRow();
}

void PagePreview::AddBlankRows(std::uint64_t inCount) {
    while (inCount > 0 && mPending != 0) {
        if (++mPending == mScale)
            EmitRow();
        --inCount;
    }
    std::uint64_t whole = inCount / mScale;
    std::uint64_t room = mMaxHeight - std::min<std::uint64_t>(mMaxHeight, mRows.size());
    if (whole > room) {
        whole = room;
        mClipped = true;
    }
    mRows.resize(mRows.size() + whole);
    mPending = static_cast<unsigned>(inCount % mScale);
    if (mRows.size() >= mMaxHeight && mPending != 0) {
        mPending = 0;
        mClipped = true;
    }
}

void PagePreview::ExtendWidth(std::uint64_t inPixels) {
    std::uint64_t outPixels = (inPixels + mScale - 1) / mScale;
    mWidth = std::max<std::size_t>(mWidth, std::min<std::uint64_t>(outPixels, mMaxWidth));
}

void PagePreview::Finish() {
    if (mPending != 0)
        EmitRow();
}

void PagePreview::EmitRow() {
    std::uint32_t area = mScale * mScale;
    std::vector<std::uint8_t> row;
    std::size_t pixels = mSums.size() / 4;
    bool white = true;
    for (std::size_t x = 0; x < pixels && white; ++x)
        white = mSums[4 * x + 3] == 0 || (mSums[4 * x] == 255u * mSums[4 * x + 3] &&
                                          mSums[4 * x + 1] == 255u * mSums[4 * x + 3] &&
                                          mSums[4 * x + 2] == 255u * mSums[4 * x + 3]);
    if (!white) {
        row.resize(pixels * 3);
        for (std::size_t x = 0; x < pixels; ++x) {
            std::uint32_t paper = (area - mSums[4 * x + 3]) * 255u;
            for (int c = 0; c < 3; ++c)
                row[3 * x + c] =
                    static_cast<std::uint8_t>((mSums[4 * x + c] + paper + area / 2) / area);
        }
    }
    std::fill(mSums.begin(), mSums.end(), 0);
    mPending = 0;
    if (mRows.size() < mMaxHeight)
        mRows.push_back(std::move(row));
    else
        mClipped = true;
}

void PagePreview::PaddedRow(std::size_t inY, std::vector<std::uint8_t>& outRow) const {
    outRow.assign(mWidth * 3, 255);
    if (inY < mRows.size())
        std::copy(mRows[inY].begin(), mRows[inY].end(), outRow.begin());
}

} // namespace Tarvel::VirtualPrinter

// Small engines, sources and units for pipeline tests. Every unit counts how many of its
// kind are alive, so that a test can check that nothing leaked or was freed twice.
#pragma once

#include "engines/CompressionEngine.h"
#include "engines/DeliveryEngine.h"
#include "engines/ImageEngine.h"
#include "engines/ImageSource.h"
#include "engines/TranslationEngine.h"
#include "rows-and-blocks/sourcerows/RasterSourceRow.h"
#include "rows-and-blocks/translatedblocks/StreamTranslatedBlock.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace StageFakes {

using namespace Tarvel;

inline std::atomic<long> sLiveSourceRows{0};
inline std::atomic<long> sLiveImageRows{0};
inline std::atomic<long> sLiveCompressedRows{0};
inline std::atomic<long> sLiveBlocks{0};

inline long LiveUnits() {
    return sLiveSourceRows + sLiveImageRows + sLiveCompressedRows + sLiveBlocks;
}

class CountedSourceRow : public RasterSourceRow {
public:
    CountedSourceRow(const char* inData, long inByteSize)
        : RasterSourceRow(inData, inByteSize, 2, kPixelFormatXRGB32) {
        ++sLiveSourceRows;
    }
    ~CountedSourceRow() override { --sLiveSourceRows; }
};

class CountedImageRow : public ImageRow {
public:
    CountedImageRow() { ++sLiveImageRows; }
    ~CountedImageRow() override { --sLiveImageRows; }
};

class CountedCompressedRow : public CompressedRow {
public:
    CountedCompressedRow() { ++sLiveCompressedRows; }
    ~CountedCompressedRow() override { --sLiveCompressedRows; }
};

class CountedBlock : public StreamTranslatedBlock {
public:
    explicit CountedBlock(const std::string& inBytes) {
        ++sLiveBlocks;
        PutBytes(inBytes.data(), static_cast<long>(inBytes.size()));
    }
    ~CountedBlock() override { --sLiveBlocks; }
};

// The first 4 bytes of row n's first pixel hold "r" and n in 3 digits ("r007"); the rest
// is zero.
inline std::string RowLabel(long inIndex) {
    char label[8];
    std::snprintf(label, sizeof label, "r%03ld", inIndex % 1000);
    return label;
}

class FakeImageSource : public ImageSource {
public:
    // inNullEvery > 0: every inNullEvery-th call produces no row (and does not advance).
    // inThrowAt >= 0: that call throws.
    explicit FakeImageSource(long inRows, long inRowBytes = 16, long inNullEvery = 0,
                             long inThrowAt = -1)
        : mRows(inRows), mRowBytes(inRowBytes), mNullEvery(inNullEvery), mThrowAt(inThrowAt) {}

    SourceRow* CopyNextSourceRow() override {
        const long call = mCalls++;
        if (call == mThrowAt)
            throw std::runtime_error("the band could not be read");
        if (mNullEvery > 0 && call % mNullEvery == mNullEvery - 1)
            return nullptr;
        std::vector<char> bytes(static_cast<size_t>(mRowBytes), 0);
        const std::string label = RowLabel(mProduced);
        std::memcpy(bytes.data(), label.data(), std::min<size_t>(label.size(), bytes.size()));
        ++mProduced;
        return new CountedSourceRow(bytes.data(), mRowBytes);
    }
    bool End() const override { return mProduced >= mRows; }

    long Produced() const { return mProduced; }

private:
    long mRows;
    long mRowBytes;
    long mNullEvery;
    long mThrowAt;
    std::atomic<long> mCalls{0};
    std::atomic<long> mProduced{0};
};

// One plane holding the source row's bytes; or null rows.
class FakeImageEngine : public ImageEngine {
public:
    explicit FakeImageEngine(bool inNullRows = false) : mNullRows(inNullRows) {}
    ImageRow* CreateImageRow(const SourceRow* inRow) override {
        ++mCalls;
        mPixelCounts.push_back(inRow->GetPixelCount());
        if (mNullRows)
            return nullptr;
        const auto* raster = dynamic_cast<const RasterSourceRow*>(inRow);
        auto* row = new CountedImageRow();
        row->AppendPlane(new Plane(raster->GetImageRow(), raster->GetByteSize()));
        return row;
    }
    long mCalls = 0;
    std::vector<unsigned long> mPixelCounts;

private:
    bool mNullRows;
};

// Copies the planes; or null rows.
class FakeCompressionEngine : public CompressionEngine {
public:
    explicit FakeCompressionEngine(bool inNullRows = false) : mNullRows(inNullRows) {}
    CompressedRow* CreateCompressedRow(const ImageRow* inRow) override {
        ++mCalls;
        if (mNullRows)
            return nullptr;
        auto* row = new CountedCompressedRow();
        for (long i = 0; i < inRow->GetPlaneCount(); ++i) {
            const Plane* plane = inRow->GetPlaneAtIndex(i);
            row->AppendPlane(new Plane(plane->Get(), plane->GetByteSize()));
        }
        return row;
    }
    long mCalls = 0;

private:
    bool mNullRows;
};

// "S" first, the first 4 bytes of each row's first plane, "E" last. Empty blocks on
// request.
class FakeTranslationEngine : public TranslationEngine {
public:
    explicit FakeTranslationEngine(bool inEmptyRowBlocks = false)
        : mEmptyRowBlocks(inEmptyRowBlocks) {}
    TranslatedBlock* CreateStartBlock() override {
        ++mStartBlocks;
        return new CountedBlock("S");
    }
    TranslatedBlock* CreateEndBlock() override {
        ++mEndBlocks;
        return new CountedBlock("E");
    }
    TranslatedBlock* CreateTranslatedBlock(const CompressedRow* inRow) override {
        ++mRowBlocks;
        if (mEmptyRowBlocks || inRow->GetPlaneCount() == 0)
            return new CountedBlock("");
        const Plane* plane = inRow->GetPlaneAtIndex(0);
        return new CountedBlock(std::string(plane->Get(), std::min<long>(4, plane->GetByteSize())));
    }
    long mStartBlocks = 0, mEndBlocks = 0, mRowBlocks = 0;

private:
    bool mEmptyRowBlocks;
};

// Records what it is asked to do. With a gate, the first Deliver waits until Open().
class RecordingDeliveryEngine : public DeliveryEngine {
public:
    explicit RecordingDeliveryEngine(bool inGated = false) : mGated(inGated) {}
    void StartDelivery() override { ++mStarts; }
    void EndDelivery() override { ++mEnds; }
    void Deliver(const TranslatedBlock* inBlock) override {
        mDelivered.emplace_back(inBlock->Get(), inBlock->GetByteSize());
        if (!mGated)
            return;
        std::unique_lock<std::mutex> guard(mLock);
        mWaiting = true;
        mChanged.notify_all();
        mChanged.wait(guard, [this] { return mOpen; });
    }
    // Waits until the first Deliver is held at the gate.
    void WaitUntilHeld() {
        std::unique_lock<std::mutex> guard(mLock);
        mChanged.wait(guard, [this] { return mWaiting; });
    }
    void Open() {
        std::lock_guard<std::mutex> guard(mLock);
        mOpen = true;
        mChanged.notify_all();
    }
    int mStarts = 0, mEnds = 0;
    std::vector<std::string> mDelivered;

private:
    bool mGated;
    std::mutex mLock;
    std::condition_variable mChanged;
    bool mWaiting = false;
    bool mOpen = false;
};

} // namespace StageFakes

// The page pipeline with trivial engines: throughput through all five stages for a
// 20000-pixel-wide page, the cost of one queue hand-over, and how long Run takes to return
// after a cancel in the middle of a 100 000-row page.
#include "controller/OrvoController.h"
#include "events/CancelEvent.h"
#include "events/OrvoEventController.h"
#include "queues/TranslatedBlockQueue.h"
#include "rows-and-blocks/sourcerows/RasterSourceRow.h"
#include "rows-and-blocks/translatedblocks/StreamTranslatedBlock.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

using namespace Tarvel;

namespace {

constexpr long kPageWidth = 20000;
constexpr long kRowBytes = kPageWidth * 4;         // 32-bit pixels
constexpr long kPlaneBytes = (kPageWidth + 7) / 8; // one bit per pixel

// Copies rows out of one band-sized buffer, as the band source does.
class BandSource : public ImageSource {
public:
    explicit BandSource(long inRows) : mRows(inRows), mBand(kRowBytes, '\x7f') {}
    SourceRow* CopyNextSourceRow() override {
        ++mProduced;
        return new RasterSourceRow(mBand.data(), kRowBytes, 2, 16);
    }
    bool End() const override { return mProduced >= mRows; }

private:
    long mRows;
    long mProduced = 0;
    std::vector<char> mBand;
};

// Four one-bit planes a row.
class PlaneImageEngine : public ImageEngine {
public:
    ImageRow* CreateImageRow(const SourceRow*) override {
        ImageRow* row = new ImageRow();
        for (int ink = 0; ink < 4; ++ink)
            row->AppendPlane(new Plane(kPlaneBytes));
        return row;
    }
};

class CopyCompressionEngine : public CompressionEngine {
public:
    CompressedRow* CreateCompressedRow(const ImageRow* inRow) override {
        CompressedRow* row = new CompressedRow();
        for (long i = 0; i < inRow->GetPlaneCount(); ++i) {
            const Plane* plane = inRow->GetPlaneAtIndex(i);
            row->AppendPlane(new Plane(plane->Get(), plane->GetByteSize()));
        }
        return row;
    }
};

class ConcatenatingTranslationEngine : public TranslationEngine {
public:
    TranslatedBlock* CreateTranslatedBlock(const CompressedRow* inRow) override {
        StreamTranslatedBlock* block = new StreamTranslatedBlock(4 * kPlaneBytes + 64);
        for (long i = 0; i < inRow->GetPlaneCount(); ++i) {
            const Plane* plane = inRow->GetPlaneAtIndex(i);
            block->ASCIIInteger(plane->GetByteSize());
            block->PutBytes(plane->Get(), plane->GetByteSize());
        }
        return block;
    }
};

// Counts blocks; optionally posts a cancel when a given block arrives.
class CountingDeliveryEngine : public DeliveryEngine {
public:
    explicit CountingDeliveryEngine(long inCancelAtBlock = -1) : mCancelAtBlock(inCancelAtBlock) {}
    void Deliver(const TranslatedBlock* inBlock) override {
        mBytes += inBlock->GetByteSize();
        if (++mBlocks == mCancelAtBlock) {
            mCancelPosted = std::chrono::steady_clock::now();
            OrvoEventController::PostToCurrentQueue(new CancelEvent());
        }
    }
    long mBlocks = 0;
    unsigned long mBytes = 0;
    std::chrono::steady_clock::time_point mCancelPosted;

private:
    long mCancelAtBlock;
};

void BM_PipelineThroughput(benchmark::State& state) {
    const long rows = state.range(0);
    PlaneImageEngine image;
    CopyCompressionEngine compression;
    ConcatenatingTranslationEngine translation;
    long totalRows = 0;
    for (auto _ : state) {
        BandSource source(rows);
        CountingDeliveryEngine delivery;
        OrvoEventController events;
        OrvoController controller(&events);
        controller.Run(&source, &image, &compression, &translation, &delivery, nullptr);
        totalRows += delivery.mBlocks;
    }
    state.counters["rows/s"] =
        benchmark::Counter(static_cast<double>(totalRows), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(totalRows * kRowBytes); // source bytes through the pipeline
    state.SetLabel("20000-pixel rows, queue bound = physical memory / 78");
}
BENCHMARK(BM_PipelineThroughput)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A block that stays alive: the hand-over is measured, not the allocation of units.
class FixedBlock : public TranslatedBlock {
public:
    const char* Get() const override { return nullptr; }
    unsigned long GetByteSize() const override { return 100; }
};

void BM_QueueHandOverBetweenThreads(benchmark::State& state) {
    FixedBlock block;
    const long elements = 100000;
    double nanoseconds = 0;
    for (auto _ : state) {
        TranslatedBlockQueue queue(static_cast<unsigned long>(state.range(0)));
        const auto start = std::chrono::steady_clock::now();
        std::thread producer([&] {
            for (long i = 0; i < elements; ++i)
                queue.Enqueue(&block);
            queue.SetEndOfQueue();
        });
        while (!queue.EndOfQueue())
            benchmark::DoNotOptimize(queue.Dequeue());
        producer.join();
        nanoseconds +=
            std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start)
                .count();
    }
    state.SetItemsProcessed(state.iterations() * elements);
    state.counters["ns/element"] = nanoseconds / static_cast<double>(state.iterations() * elements);
}
// Bound in bytes: room for about 10 and about 10 000 elements of 100 bytes.
BENCHMARK(BM_QueueHandOverBetweenThreads)
    ->Arg(1000)
    ->Arg(1000000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_QueueEnqueueDequeueOneThread(benchmark::State& state) {
    FixedBlock block;
    TranslatedBlockQueue queue(0);
    for (auto _ : state) {
        queue.Enqueue(&block);
        benchmark::DoNotOptimize(queue.Dequeue());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_QueueEnqueueDequeueOneThread);

void BM_CancelLatency(benchmark::State& state) {
    constexpr long kRows = 100000;
    PlaneImageEngine image;
    CopyCompressionEngine compression;
    ConcatenatingTranslationEngine translation;
    double worst = 0, total = 0;
    for (auto _ : state) {
        BandSource source(kRows);
        CountingDeliveryEngine delivery(kRows / 2);
        OrvoEventController events;
        OrvoController controller(&events);
        controller.Run(&source, &image, &compression, &translation, &delivery, nullptr);
        const double latency =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - delivery.mCancelPosted)
                .count();
        state.SetIterationTime(latency);
        std::printf("cancel at row %ld of %ld: Run returned %.1f ms after the cancel "
                    "(%ld rows delivered)\n",
                    kRows / 2, kRows, latency * 1e3, delivery.mBlocks);
        worst = std::max(worst, latency);
        total += latency;
    }
    state.counters["worst_ms"] = worst * 1e3;
    state.counters["mean_ms"] = total * 1e3 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_CancelLatency)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

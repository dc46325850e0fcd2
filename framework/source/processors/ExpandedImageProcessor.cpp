#include "processors/ExpandedImageProcessor.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace Tarvel {

ExpandedImageProcessor::ExpandedImageProcessor(SourceRowQueue* inIncomingSourceRows,
                                               ImageEngine* inImageEngine,
                                               ImageRowQueue* inOutgoingRowQueue,
                                               unsigned char inHorizontalMultiplier,
                                               unsigned char inVerticalMultiplier)
    : ImageProcessor(inIncomingSourceRows, inImageEngine, inOutgoingRowQueue),
      mVerticalMultiplier(inVerticalMultiplier), mHoriztonalMultiplier(inHorizontalMultiplier) {
    SetPerformanceAttribute_CFAbsoluteTimeCurrent(CFSTR("ExpandedImageProcessor c_tor"));
}

ExpandedImageProcessor::~ExpandedImageProcessor() {
    SetPerformanceAttribute_CFAbsoluteTimeCurrent(CFSTR("ExpandedImageProcessor d_tor"));
}

RasterSourceRow* ExpandedImageProcessor::CreateExpandedRow(const RasterSourceRow* inRow,
                                                           unsigned char inMultiplier) {
    if (inRow == nullptr || inRow->GetPixelCount() == 0)
        return nullptr;
    const unsigned long pixelCount = inRow->GetPixelCount();
    const unsigned long byteSize = static_cast<unsigned long>(inRow->GetByteSize());
    const unsigned long pixelWidth = byteSize / pixelCount;
    RasterSourceRow* expanded =
        new RasterSourceRow(nullptr, static_cast<long>(byteSize * inMultiplier),
                            inRow->GetPixelLayout(), inRow->GetPixelFormat());
    const char* from = inRow->GetImageRow();
    char* to = expanded->GetImageRow();
    for (unsigned long pixel = 0; pixel < pixelCount; ++pixel, from += pixelWidth)
        for (unsigned char copy = 0; copy < inMultiplier; ++copy, to += pixelWidth)
            std::memcpy(to, from, pixelWidth);
    return expanded;
}

int ExpandedImageProcessor::Run() {
    SetPerformanceAttribute_CFAbsoluteTimeCurrent(CFSTR("ExpandedImageProcessor started"));
    bool reportedForeignRow = false;
    try {
        while (!Killed() && !mOutgoingRowQueue->IsClosed() && !mIncomingSourceRows->EndOfQueue()) {
            std::unique_ptr<SourceRow> sourceRow(mIncomingSourceRows->Dequeue());
            if (sourceRow == nullptr)
                continue;
            const RasterSourceRow* rasterRow =
                dynamic_cast<const RasterSourceRow*>(sourceRow.get());
            if (rasterRow == nullptr && !reportedForeignRow) {
                std::fputs("ExpandedImageProcessor: only raster rows can be widened; other "
                           "rows are dropped\n",
                           stderr);
                reportedForeignRow = true;
            }
            std::unique_ptr<RasterSourceRow> expanded(
                CreateExpandedRow(rasterRow, mHoriztonalMultiplier));
            sourceRow.reset();
            if (expanded == nullptr)
                continue;
            for (unsigned char pass = 0; pass < mVerticalMultiplier; ++pass) {
                ImageRow* imageRow = mImageEngine->CreateImageRow(expanded.get());
                if (imageRow == nullptr)
                    continue;
                IncrementPerformanceDetails(kStatusWorking, 1,
                                            static_cast<unsigned long>(imageRow->GetByteSize()));
                mOutgoingRowQueue->Enqueue(imageRow);
            }
        }
    } catch (...) {
        ReportStageFailure("ExpandedImageProcessor", __FILE__, __LINE__);
    }
    AbandonInput();
    mOutgoingRowQueue->SetEndOfQueue();
    IncrementPerformanceDetails(kStatusIdle, 0, 0);
    SetPerformanceAttribute_CFAbsoluteTimeCurrent(CFSTR("ExpandedImageProcessor ended"));
    return 0;
}

} // namespace Tarvel

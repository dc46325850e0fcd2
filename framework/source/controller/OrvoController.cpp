#include "controller/OrvoController.h"

#include "legacy/exception/TarvelException.h"
#include "processors/CompressionProcessor.h"
#include "processors/DeliveryProcessor.h"
#include "processors/ExpandedImageProcessor.h"
#include "processors/ImageProcessor.h"
#include "processors/PerformanceProcessor.h"
#include "processors/SourceProcessor.h"
#include "processors/TranslationProcessor.h"
#include "queues/CompressedRowQueue.h"
#include "queues/EventQueue.h"
#include "queues/ImageRowQueue.h"
#include "queues/SourceRowQueue.h"
#include "queues/TranslatedBlockQueue.h"

#include <CarbonCore/Gestalt.h>

#include <cstdio>
#include <exception>
#include <memory>

namespace Tarvel {

namespace {

// The status of the exception being handled, reported on the standard error stream.
long ReportCurrentFailure() {
    try {
        throw;
    } catch (long status) {
        std::fprintf(stderr, "OrvoController: the page stopped on error %ld\n", status);
        return status;
    } catch (const TarvelException& exception) {
        std::fprintf(stderr, "OrvoController: the page stopped on error %ld\n",
                     static_cast<long>(exception.GetErrorStatus()));
        return exception.GetErrorStatus();
    } catch (const std::exception& exception) {
        std::fprintf(stderr, "OrvoController: the page stopped on an exception: %s\n",
                     exception.what());
    } catch (...) {
        std::fputs("OrvoController: the page stopped on an exception\n", stderr);
    }
    return OrvoController::kUnexpectedFailureStatus;
}

void StartThread(Processor& ioProcessor, const char* inName) {
    const int status = ioProcessor.EnterRunLoop();
    if (status != 0) {
        std::fprintf(stderr, "OrvoController: the %s thread could not be started (error %d)\n",
                     inName, status);
        throw static_cast<long>(status);
    }
}

} // namespace

OrvoController::OrvoController(OrvoEventController* inEventController)
    : mEventController(inEventController), mMaximumQueueSize(0), mUseSourceRowExpansion(false),
      mVerticalMultiplier(1), mHorizontalMultiplier(1) {
    UseImageRowExpansion(false, 1, 1);
    SetMaximumQueueSize(static_cast<long>(GetPhysicalRAMSize() / 78));
}

OrvoController::~OrvoController() = default;

void OrvoController::UseImageRowExpansion(bool inExpand, unsigned char inHorizontalMultiplier,
                                          unsigned char inVerticalMultiplier) {
    mUseSourceRowExpansion = inExpand;
    mHorizontalMultiplier = inHorizontalMultiplier;
    mVerticalMultiplier = inVerticalMultiplier;
}

unsigned long OrvoController::GetPhysicalRAMSize() const {
    long response = 0;
    if (Gestalt(gestaltPhysicalRAMSize, &response) != noErr || response <= 0)
        return kDefaultPhysicalRAMSize;
    return static_cast<unsigned long>(response);
}

bool OrvoController::IsCancelEvent(const Event* inEvent) const {
    return inEvent != nullptr && inEvent->GetType() == Event::kStopEventType;
}

long OrvoController::Run(ImageSource* inSource, ImageEngine* inImageEngine,
                         CompressionEngine* inCompressionEngine,
                         TranslationEngine* inTranslationEngine, DeliveryEngine* inDeliveryEngine,
                         PerformanceEngine* inPerformanceEngine) {
    const unsigned long bound =
        mMaximumQueueSize > 0 ? static_cast<unsigned long>(mMaximumQueueSize) : 0;
    SourceRowQueue sourceRows(bound);
    ImageRowQueue imageRows(bound);
    CompressedRowQueue compressedRows(bound);
    TranslatedBlockQueue translatedBlocks(bound);

    // The current controller's queue receives the page's events (cancels among them).
    // Without a current controller nobody can post to the page; a queue of its own still
    // lets the event loop end.
    std::unique_ptr<EventQueue> privateEvents;
    EventQueue* events = OrvoEventController::GetEventQueue();
    if (events == nullptr) {
        privateEvents = std::make_unique<EventQueue>();
        events = privateEvents.get();
    }

    SourceProcessor source(inSource, &sourceRows);
    std::unique_ptr<ImageProcessor> image;
    if (mUseSourceRowExpansion)
        image = std::make_unique<ExpandedImageProcessor>(
            &sourceRows, inImageEngine, &imageRows, mHorizontalMultiplier, mVerticalMultiplier);
    else
        image = std::make_unique<ImageProcessor>(&sourceRows, inImageEngine, &imageRows);
    CompressionProcessor compression(&imageRows, inCompressionEngine, &compressedRows);
    TranslationProcessor translation(&compressedRows, inTranslationEngine, &translatedBlocks);
    DeliveryProcessor delivery(&translatedBlocks, inDeliveryEngine, events);
    PerformanceProcessor performance(inPerformanceEngine);

    PerformanceComponent* const components[] = {&sourceRows,       &imageRows,   &compressedRows,
                                                &translatedBlocks, &source,      image.get(),
                                                &compression,      &translation, &delivery};
    if (inPerformanceEngine != nullptr)
        for (PerformanceComponent* component : components)
            inPerformanceEngine->RegisterComponent(component);

    Processor* const stages[] = {&source, image.get(), &compression, &translation, &delivery};
    long result = 0;
    try {
        StartThread(performance, "performance");
        StartThread(source, "source");
        StartThread(*image, "image");
        StartThread(compression, "compression");
        StartThread(translation, "translation");
        StartThread(delivery, "delivery");

        while (!events->EndOfQueue()) {
            std::unique_ptr<Event> event(events->Dequeue());
            if (event == nullptr)
                continue;
            // A stop drops every undelivered block; the closed queue then stops the
            // stages upstream one after the other.
            if (IsCancelEvent(event.get()))
                translatedBlocks.FlushAndSetEndOfQueue();
            event->Process();
        }

        for (Processor* stage : stages)
            stage->JoinRunLoop();
        performance.KillRunLoop();
        performance.JoinRunLoop();
        performance.ThreadUnsafeProcess();
    } catch (...) {
        result = ReportCurrentFailure();
        // Stop every thread, wake any that waits inside a queue, and wait for all of them
        // before anything they use is destroyed.
        for (Processor* stage : stages)
            stage->KillRunLoop();
        performance.KillRunLoop();
        sourceRows.FlushAndSetEndOfQueue();
        imageRows.FlushAndSetEndOfQueue();
        compressedRows.FlushAndSetEndOfQueue();
        translatedBlocks.FlushAndSetEndOfQueue();
        for (Processor* stage : stages)
            stage->JoinRunLoop();
        performance.JoinRunLoop();
    }

    if (inPerformanceEngine != nullptr)
        for (PerformanceComponent* component : components)
            inPerformanceEngine->UnregisterComponent(component);
    return result;
}

} // namespace Tarvel

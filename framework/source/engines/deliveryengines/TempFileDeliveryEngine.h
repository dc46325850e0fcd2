// Delivers each page's bytes into the file "/tmp/engine-output.orvo", recreated at the
// start of every page.
//
// The directory is shared with other users, so the file is opened without following a
// symbolic link, refused unless it is a regular file of our own with a single link,
// truncated only after those checks, and kept at permissions no wider than 0644. Failures
// to open, write or close are reported on the standard error stream.
#pragma once

#include "engines/DeliveryEngine.h"

#include <string>

namespace Tarvel {

class TempFileDeliveryEngine : public DeliveryEngine {
public:
    static constexpr const char* kOutputPath = "/tmp/engine-output.orvo";

    // The job context is kept, not used.
    explicit TempFileDeliveryEngine(const void* inJobContext);
    // Delivers into another file, with the same care (for tests and tools).
    TempFileDeliveryEngine(const void* inJobContext, const std::string& inOutputPath);
    ~TempFileDeliveryEngine() override;

    void StartDelivery() override;
    void EndDelivery() override;
    void Deliver(const TranslatedBlock* inBlock) override;

    const std::string& GetOutputPath() const { return mOutputPath; }

private:
    void Report(const char* inWhat, int inError) const;

    [[maybe_unused]] const void* mJobContext;
    int mDebugFile;
    std::string mOutputPath;
    bool mWriteFailed;
};

} // namespace Tarvel

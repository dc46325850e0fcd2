#include "engines/deliveryengines/TempFileDeliveryEngine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace Tarvel {

TempFileDeliveryEngine::TempFileDeliveryEngine(const void* inJobContext)
    : TempFileDeliveryEngine(inJobContext, kOutputPath) {}

TempFileDeliveryEngine::TempFileDeliveryEngine(const void* inJobContext,
                                               const std::string& inOutputPath)
    : mJobContext(inJobContext), mDebugFile(-1), mOutputPath(inOutputPath), mWriteFailed(false) {}

TempFileDeliveryEngine::~TempFileDeliveryEngine() {
    if (mDebugFile >= 0)
        close(mDebugFile);
}

void TempFileDeliveryEngine::Report(const char* inWhat, int inError) const {
    std::fprintf(stderr, "TempFileDeliveryEngine: %s %s: %s\n", inWhat, mOutputPath.c_str(),
                 std::strerror(inError));
}

void TempFileDeliveryEngine::StartDelivery() {
    if (mDebugFile >= 0) {
        close(mDebugFile);
        mDebugFile = -1;
    }
    mWriteFailed = false;
    // O_NONBLOCK keeps a planted FIFO from blocking the open; it is cleared once the file
    // is known to be a regular one.
    const int file =
        open(mOutputPath.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0644);
    if (file < 0) {
        Report("cannot open", errno);
        return;
    }
    struct stat status;
    if (fstat(file, &status) != 0) {
        Report("cannot examine", errno);
        close(file);
        return;
    }
    if (!S_ISREG(status.st_mode) || status.st_uid != geteuid() || status.st_nlink != 1) {
        std::fprintf(stderr,
                     "TempFileDeliveryEngine: refusing %s: not a regular file of this user "
                     "with a single link\n",
                     mOutputPath.c_str());
        close(file);
        return;
    }
    const int flags = fcntl(file, F_GETFL);
    if (flags < 0 || fcntl(file, F_SETFL, flags & ~O_NONBLOCK) != 0 || ftruncate(file, 0) != 0 ||
        ((status.st_mode & 07777 & ~0644) != 0 && fchmod(file, status.st_mode & 0644) != 0)) {
        Report("cannot prepare", errno);
        close(file);
        return;
    }
    mDebugFile = file;
}

void TempFileDeliveryEngine::Deliver(const TranslatedBlock* inBlock) {
    if (inBlock == nullptr || inBlock->Get() == nullptr || mDebugFile < 0 || mWriteFailed)
        return;
    const char* bytes = inBlock->Get();
    unsigned long remaining = inBlock->GetByteSize();
    while (remaining > 0) {
        const ssize_t written = write(mDebugFile, bytes, remaining);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            // Reported once per page; the file then stays short.
            Report("cannot write", written < 0 ? errno : EIO);
            mWriteFailed = true;
            return;
        }
        bytes += written;
        remaining -= static_cast<unsigned long>(written);
    }
}

void TempFileDeliveryEngine::EndDelivery() {
    if (mDebugFile < 0)
        return;
    if (close(mDebugFile) != 0)
        Report("cannot close", errno);
    mDebugFile = -1;
}

} // namespace Tarvel

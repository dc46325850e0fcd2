#include "legacy/exception/TarvelException.h"

#include <cstdio>
#include <string>

namespace Tarvel {

TarvelException::TarvelException() {
    FinishCreateSelf(0, nullptr);
}

TarvelException::TarvelException(long inErrorStatus) {
    FinishCreateSelf(inErrorStatus, nullptr);
}

TarvelException::TarvelException(const CFStringRef inErrorString) {
    FinishCreateSelf(0, inErrorString);
}

TarvelException::~TarvelException() = default;

void TarvelException::FinishCreateSelf(long inErrorStatus, const CFStringRef inErrorString) {
    mErrorStatus = static_cast<SInt32>(inErrorStatus);
    mErrorString = inErrorString;
}

void TarvelException::LogToConsole() const {
    if (mErrorString != nullptr)
        CFShow(mErrorString);
}

void TarvelException::Raise(const char* inMessage) {
    // One write, so that the line stays whole among other threads' output.
    std::string line = "KELDOR:  ExCa-";
    if (inMessage != nullptr)
        line += inMessage;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    throw TarvelException(static_cast<long>(kErrorStatus));
}

} // namespace Tarvel

// The driver's exception: a status code and an optional message string.
#pragma once

#include <CoreFoundation/CFBase.h>

namespace Tarvel {

class TarvelException {
public:
    // The status of every error the driver raises.
    static constexpr SInt32 kErrorStatus = 128;

    TarvelException();
    explicit TarvelException(long inErrorStatus);
    // The string is neither retained nor released: its creator keeps it alive.
    explicit TarvelException(const CFStringRef inErrorString);
    virtual ~TarvelException();

    // Writes the string's description to the standard error stream; nothing without one.
    virtual void LogToConsole() const;

    SInt32 GetErrorStatus() const { return mErrorStatus; }
    // Borrowed; may be null.
    CFStringRef GetErrorString() const { return mErrorString; }

    // Raises an error the driver's way: writes the line "KELDOR:  ExCa-" + inMessage to
    // the standard error stream and throws a TarvelException with kErrorStatus.
    [[noreturn]] static void Raise(const char* inMessage);

private:
    void FinishCreateSelf(long inErrorStatus, const CFStringRef inErrorString);

    SInt32 mErrorStatus;
    CFStringRef mErrorString;
};

} // namespace Tarvel

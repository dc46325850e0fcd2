// Gestalt selectors answered from the operating system.
#include <CarbonCore/Gestalt.h>

#include <climits>
#include <unistd.h>

namespace {

// Physical memory in bytes, or -1 when the system cannot tell.
long PhysicalMemorySize() {
    long pages = sysconf(_SC_PHYS_PAGES);
    long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return -1;
    if (pages > LONG_MAX / pageSize)
        return LONG_MAX;
    return pages * pageSize;
}

} // namespace

OSErr Gestalt(OSType selector, long* response) {
    if (response == nullptr)
        return paramErr;
    switch (selector) {
    case gestaltPhysicalRAMSize: {
        long bytes = PhysicalMemorySize();
        if (bytes < 0)
            return gestaltUndefSelectorErr;
        *response = bytes;
        return noErr;
    }
    default:
        return gestaltUndefSelectorErr;
    }
}

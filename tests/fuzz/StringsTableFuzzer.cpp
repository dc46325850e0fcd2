// Feeds arbitrary bytes to the reader of bundle string tables (".strings" files, text or
// XML form). It must yield a dictionary of strings or an error, never both, and leak
// nothing.
#include <CoreFoundation/CoreFoundation.h>

#include "OrvoStringsTable.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* inData, size_t inSize) {
    std::string error;
    CFDictionaryRef table = orvo_cf::CreateStringsTable(
        std::string(reinterpret_cast<const char*>(inData), inSize), error);
    if ((table == nullptr) == error.empty())
        std::abort();
    if (table == nullptr)
        return 0;
    const CFIndex count = CFDictionaryGetCount(table);
    std::vector<const void*> keys(static_cast<size_t>(count)), values(keys.size());
    CFDictionaryGetKeysAndValues(table, keys.data(), values.data());
    for (size_t i = 0; i < keys.size(); ++i) {
        if (CFGetTypeID(keys[i]) != CFStringGetTypeID() ||
            CFGetTypeID(values[i]) != CFStringGetTypeID())
            std::abort();
    }
    CFRelease(table);
    return 0;
}

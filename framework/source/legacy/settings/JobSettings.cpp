#include "legacy/settings/JobSettings.h"

#include "legacy/exception/TarvelException.h"

#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFPropertyList.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace Tarvel {

const CFStringRef JobSettings::kPDESelections_Key = CFSTR("orvo.engine.pde-selections");

namespace {

const CFStringRef kOverlay_Key = CFSTR("Overlay");

constexpr OSStatus kNoTicket = -30891;

// Selections nest no deeper than a property list may.
constexpr int kMaximumDepth = kCFPropertyListMaxDepth;

bool IsString(CFTypeRef inValue) {
    return inValue != nullptr && CFGetTypeID(inValue) == CFStringGetTypeID();
}

// Null keys first, then other keys that are not strings, then string keys in the order of
// their characters. Faulty keys come first so that the same faulty dictionary always
// reports the same fault.
int KeyRank(const void* inKey) {
    return inKey == nullptr ? 0 : IsString(inKey) ? 2 : 1;
}
bool EntryPrecedes(const std::pair<const void*, const void*>& inLeft,
                   const std::pair<const void*, const void*>& inRight) {
    int left = KeyRank(inLeft.first);
    int right = KeyRank(inRight.first);
    if (left != right || left != 2)
        return left < right;
    return CFStringCompare(static_cast<CFStringRef>(inLeft.first),
                           static_cast<CFStringRef>(inRight.first), 0) == kCFCompareLessThan;
}

} // namespace

JobSettings::JobSettings(PMTicketRef inPrintSettings) : mJobSettings(nullptr) {
    FinishCreateSelf(inPrintSettings);
}

JobSettings::JobSettings(PMPrintSession inPrintJobSession) : mJobSettings(nullptr) {
    PMTicketRef printSettings = nullptr;
    if (GetTicketRef(inPrintJobSession, kPMPrintSettingsTicketKey, &printSettings) != noErr ||
        printSettings == nullptr)
        TarvelException::Raise("JobSettings: Unable to get print settings ticket.");
    FinishCreateSelf(printSettings);
}

JobSettings::~JobSettings() {
    if (mJobSettings != nullptr)
        CFRelease(mJobSettings);
}

void JobSettings::FinishCreateSelf(PMTicketRef inPrintSettings) {
    mJobSettings = GetPrintJobSettings(inPrintSettings);
    if (mJobSettings != nullptr)
        CFRetain(mJobSettings);
}

OSStatus JobSettings::GetTicketRef(PMPrintSession inPrintSession, CFStringRef inTicket,
                                   void* inContainer) const {
    CFTypeRef item = nullptr;
    if (inContainer == nullptr ||
        PMSessionGetDataFromSession(inPrintSession, inTicket, &item) != noErr || item == nullptr ||
        CFGetTypeID(item) != CFNumberGetTypeID())
        return kNoTicket;
    // The item holds the ticket's address as a pointer-width integer.
    SInt64 address = 0;
    if (!CFNumberGetValue(static_cast<CFNumberRef>(item), kCFNumberSInt64Type, &address))
        return kNoTicket;
    PMTicketRef ticket = reinterpret_cast<PMTicketRef>(static_cast<intptr_t>(address));
    if (ticket == nullptr || CFGetTypeID(ticket) != PMTicketGetTypeID())
        return kNoTicket;
    *static_cast<PMTicketRef*>(inContainer) = ticket;
    return noErr;
}

CFDictionaryRef JobSettings::GetPrintJobSettings(PMTicketRef inPrintSettings) const {
    if (inPrintSettings == nullptr ||
        !PMTicketContainsItem(inPrintSettings, kPMTopLevel, kPMTopLevel, kPDESelections_Key))
        return nullptr;
    CFDictionaryRef selections = nullptr;
    if (PMTicketGetCFDictionary(inPrintSettings, kPMTopLevel, kPMTopLevel, kPDESelections_Key,
                                &selections) != noErr)
        TarvelException::Raise("GetOptions: PMTicketGetCFDictionary returned an OS error.");
    if (selections == nullptr)
        TarvelException::Raise("GetOptions: exisitingOptions is null after "
                               "PMTicketGetCFDictionary.");
    return selections;
}

CFArrayRef JobSettings::CopySelectedOptionOverlays() const {
    CFMutableArrayRef overlays = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    try {
        ExtractSelectedOptionOverlays(mJobSettings, overlays);
    } catch (...) {
        CFRelease(overlays);
        throw;
    }
    return overlays;
}

void JobSettings::ExtractSelectedOptionOverlays(CFDictionaryRef inOptions,
                                                CFMutableArrayRef outOverlays, int inDepth) const {
    if (inOptions == nullptr || outOverlays == nullptr)
        return;
    if (inDepth >= kMaximumDepth)
        TarvelException::Raise("ExtractSelectedOptionOverlays: selections are nested too deeply.");

    CFIndex count = CFDictionaryGetCount(inOptions);
    std::vector<const void*> keys(static_cast<size_t>(count));
    std::vector<const void*> values(static_cast<size_t>(count));
    if (count > 0)
        CFDictionaryGetKeysAndValues(inOptions, keys.data(), values.data());
    std::vector<std::pair<const void*, const void*>> entries;
    entries.reserve(keys.size());
    for (size_t index = 0; index < keys.size(); ++index)
        entries.emplace_back(keys[index], values[index]);
    std::sort(entries.begin(), entries.end(), EntryPrecedes);

    for (const auto& [key, value] : entries) {
        if (key == nullptr)
            TarvelException::Raise("ExtractSelectedOptionOverlays: key is null.");
        if (!IsString(key))
            TarvelException::Raise("ExtractSelectedOptionOverlays: key is not a string.");
        if (value == nullptr)
            TarvelException::Raise("ExtractSelectedOptionOverlays: value is null.");
        CFTypeID kind = CFGetTypeID(value);
        if (CFStringCompare(static_cast<CFStringRef>(key), kOverlay_Key,
                            kCFCompareCaseInsensitive) == kCFCompareEqualTo) {
            // One name, or several in order; anything else names nothing.
            if (kind == CFStringGetTypeID()) {
                CFArrayAppendValue(outOverlays, value);
            } else if (kind == CFArrayGetTypeID()) {
                CFArrayRef names = static_cast<CFArrayRef>(value);
                CFArrayAppendArray(outOverlays, names, CFRangeMake(0, CFArrayGetCount(names)));
            }
        } else if (kind == CFDictionaryGetTypeID()) {
            ExtractSelectedOptionOverlays(static_cast<CFDictionaryRef>(value), outOverlays,
                                          inDepth + 1);
        }
    }
}

} // namespace Tarvel

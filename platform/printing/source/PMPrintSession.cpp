// Print sessions: data items by name, guarded by one mutex.
#include "PMTemplateObject.h"
#include "PMTicketObject.h"
#include "PrintingTypeIDs.h"

#include <PrintCore/PMPrintSession.h>

#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>

#include <cstdint>
#include <mutex>
#include <vector>

using namespace orvo_pm;

struct __PMPrintSession : orvo_cf::Object {
    __PMPrintSession()
        : orvo_cf::Object(kTypeIDPrintSession),
          mData(CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                          &kCFTypeDictionaryValueCallBacks)),
          mHeld(CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                          &kCFTypeDictionaryValueCallBacks)) {}
    ~__PMPrintSession() override {
        CFRelease(mData);
        CFRelease(mHeld);
    }
    const char* TypeName() const override { return "PMPrintSession"; }

    // Stores data under the key (null removes it), and the object that the data refers to
    // (null for none). The replaced values are released after the lock is let go.
    void Store(CFStringRef inKey, CFTypeRef inData, CFTypeRef inHeld) {
        CFTypeRef oldData = nullptr, oldHeld = nullptr;
        {
            std::lock_guard<std::mutex> lock(mMutex);
            oldData = CFRetain(CFDictionaryGetValue(mData, inKey));
            oldHeld = CFRetain(CFDictionaryGetValue(mHeld, inKey));
            if (inData != nullptr)
                CFDictionarySetValue(mData, inKey, inData);
            else
                CFDictionaryRemoveValue(mData, inKey);
            if (inHeld != nullptr)
                CFDictionarySetValue(mHeld, inKey, inHeld);
            else
                CFDictionaryRemoveValue(mHeld, inKey);
        }
        CFRelease(oldData);
        CFRelease(oldHeld);
    }
    CFTypeRef Get(CFStringRef inKey) const {
        std::lock_guard<std::mutex> lock(mMutex);
        return CFDictionaryGetValue(mData, inKey);
    }

private:
    mutable std::mutex mMutex;
    CFMutableDictionaryRef mData; // key -> data item
    CFMutableDictionaryRef mHeld; // key -> ticket or template that the item refers to
};

namespace {

__PMPrintSession* SessionOf(CFTypeRef inSession) {
    return orvo_cf::CastMutable<__PMPrintSession>(inSession, kTypeIDPrintSession);
}

OSStatus CheckArguments(PMPrintSession inSession, CFStringRef inKey) {
    if (SessionOf(inSession) == nullptr)
        return kPMInvalidSession;
    if (inKey == nullptr || CFGetTypeID(inKey) != CFStringGetTypeID())
        return kPMInvalidParameter;
    return kPMNoError;
}

} // namespace

CFTypeID PMPrintSessionGetTypeID(void) {
    return kTypeIDPrintSession;
}

OSStatus PMSessionCreate(PMPrintSession* outSession) {
    if (outSession == nullptr)
        return kPMInvalidParameter;
    *outSession = new __PMPrintSession();
    return kPMNoError;
}

OSStatus PMSessionRetain(PMPrintSession session) {
    if (SessionOf(session) == nullptr)
        return kPMInvalidSession;
    CFRetain(session);
    return kPMNoError;
}

OSStatus PMSessionRelease(PMPrintSession session) {
    if (SessionOf(session) == nullptr)
        return kPMInvalidSession;
    CFRelease(session);
    return kPMNoError;
}

OSStatus PMSessionSetDataInSession(PMPrintSession session, CFStringRef key, CFTypeRef data) {
    OSStatus status = CheckArguments(session, key);
    if (status == kPMNoError)
        SessionOf(session)->Store(key, data, nullptr);
    return status;
}

OSStatus PMSessionGetDataFromSession(PMPrintSession session, CFStringRef key, CFTypeRef* outData) {
    OSStatus status = CheckArguments(session, key);
    if (status != kPMNoError)
        return status;
    if (outData == nullptr)
        return kPMInvalidParameter;
    CFTypeRef data = SessionOf(session)->Get(key);
    if (data == nullptr)
        return kPMItemNotFound;
    *outData = data;
    return kPMNoError;
}

OSStatus PMSessionSetTicketInSession(PMPrintSession session, CFStringRef key,
                                     CFTypeRef ticketOrTemplate) {
    OSStatus status = CheckArguments(session, key);
    if (status != kPMNoError)
        return status;
    if (TicketOf(ticketOrTemplate) == nullptr && TemplateOf(ticketOrTemplate) == nullptr)
        return kPMInvalidParameter;
    const SInt64 address = SInt64(reinterpret_cast<intptr_t>(ticketOrTemplate));
    CFNumberRef reference = CFNumberCreate(nullptr, kCFNumberSInt64Type, &address);
    SessionOf(session)->Store(key, reference, ticketOrTemplate);
    CFRelease(reference);
    return kPMNoError;
}

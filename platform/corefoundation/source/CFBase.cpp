// Reference counting, equality, hashing and descriptions shared by every kind of value.
#include <CoreFoundation/CFRuntime.h>

#include <CoreFoundation/CFString.h>

#include <cstdio>
#include <cstring>

const CFAllocatorRef kCFAllocatorDefault = nullptr;
const CFAllocatorRef kCFAllocatorSystemDefault = nullptr;
const CFAllocatorRef kCFAllocatorNull = nullptr;

namespace orvo_cf {

void Object::Retain() const {
    if (!mImmortal)
        mRefCount.fetch_add(1, std::memory_order_relaxed);
}

bool Object::Release() const {
    if (mImmortal)
        return false;
    long previous = mRefCount.fetch_sub(1, std::memory_order_acq_rel);
    if (previous <= 0) {
        // Over-release: restore the count and refuse rather than free twice.
        mRefCount.fetch_add(1, std::memory_order_relaxed);
        ReportMisuse("CFRelease", "object released more often than retained");
        return false;
    }
    return previous == 1;
}

CFIndex Object::RetainCount() const {
    return mImmortal ? 0x7fffffffL : mRefCount.load(std::memory_order_relaxed);
}

CFHashCode Object::Hash() const {
    return reinterpret_cast<CFHashCode>(this);
}

void Object::Describe(std::string& ioOut, int, bool) const {
    char text[64];
    std::snprintf(text, sizeof text, "<%s %p>", TypeName(), static_cast<const void*>(this));
    ioOut += text;
}

void AppendIndent(std::string& ioOut, int inIndent) {
    ioOut.append(inIndent, '\t');
}

void DescribeValue(std::string& ioOut, CFTypeRef inValue, int inIndent) {
    if (inValue == nullptr)
        ioOut += "(null)";
    else
        ObjectOf(inValue)->Describe(ioOut, inIndent, false);
}

const void* RetainCallBack(CFAllocatorRef, const void* inValue) {
    return CFRetain(inValue);
}
void ReleaseCallBack(CFAllocatorRef, const void* inValue) {
    CFRelease(inValue);
}
Boolean EqualCallBack(const void* inA, const void* inB) {
    return CFEqual(inA, inB);
}

void ReportMisuse(const char* inFunction, const char* inProblem) {
    std::fprintf(stderr, "%s: %s\n", inFunction, inProblem);
}

} // namespace orvo_cf

using namespace orvo_cf;

CFTypeRef CFRetain(CFTypeRef cf) {
    if (cf != nullptr)
        ObjectOf(cf)->Retain();
    return cf;
}

void CFRelease(CFTypeRef cf) {
    if (cf == nullptr)
        return;
    const Object* object = ObjectOf(cf);
    if (object->Release())
        delete object;
}

CFIndex CFGetRetainCount(CFTypeRef cf) {
    return cf == nullptr ? 0 : ObjectOf(cf)->RetainCount();
}

CFTypeID CFGetTypeID(CFTypeRef cf) {
    return cf == nullptr ? kTypeIDNotAType : ObjectOf(cf)->TypeID();
}

Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2) {
    if (cf1 == cf2)
        return true;
    if (cf1 == nullptr || cf2 == nullptr)
        return false;
    const Object* a = ObjectOf(cf1);
    const Object* b = ObjectOf(cf2);
    if (a->TypeID() != b->TypeID())
        return false;
    return a->Equals(*b);
}

CFHashCode CFHash(CFTypeRef cf) {
    return cf == nullptr ? 0 : ObjectOf(cf)->Hash();
}

CFStringRef CFCopyDescription(CFTypeRef cf) {
    std::string text;
    if (cf == nullptr)
        text = "(null)";
    else
        ObjectOf(cf)->Describe(text, 0, true);
    return CreateStringFromUTF8(text);
}

CFStringRef CFCopyTypeIDDescription(CFTypeID type_id) {
    static const char* const kNames[] = {"CFString",
                                         "CFNumber",
                                         "CFBoolean",
                                         "CFData",
                                         "CFArray",
                                         "CFDictionary",
                                         "CFDate",
                                         "CFTimeZone",
                                         "CFURL",
                                         "CFUUID",
                                         "CFBundle",
                                         "CFPlugIn",
                                         "CFPlugInInstance",
                                         "CFRunLoop",
                                         "CFRunLoopSource",
                                         "CFRunLoopTimer",
                                         "CFNotificationCenter"};
    const char* name = "(unknown)";
    if (type_id >= kTypeIDString && type_id < kTypeIDFirstFree)
        name = kNames[type_id - kTypeIDString];
    return CreateStringFromUTF8(name);
}

void CFShow(CFTypeRef obj) {
    std::string text;
    if (obj == nullptr)
        text = "(null)";
    else
        ObjectOf(obj)->Describe(text, 0, true);
    text += '\n';
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

// UUIDs: random creation, the canonical text form and interned constants.
#include <CoreFoundation/CFUUID.h>

#include <CoreFoundation/CFRuntime.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <random>
#include <sys/random.h>

namespace {

using Bytes = std::array<UInt8, 16>;

Bytes BytesOf(const CFUUIDBytes& inBytes) {
    Bytes bytes;
    std::memcpy(bytes.data(), &inBytes, bytes.size());
    return bytes;
}

// The positions of the dashes in the canonical form.
bool IsDashPosition(size_t inIndex) {
    return inIndex == 8 || inIndex == 13 || inIndex == 18 || inIndex == 23;
}
constexpr size_t kCanonicalLength = 36;

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

struct __CFUUID : orvo_cf::Object {
    __CFUUID(const Bytes& inBytes, bool inImmortal)
        : Object(orvo_cf::kTypeIDUUID, inImmortal), mBytes(inBytes) {}

    bool Equals(const Object& inOther) const override {
        return mBytes == static_cast<const __CFUUID&>(inOther).mBytes;
    }
    CFHashCode Hash() const override {
        CFHashCode hash = 0;
        for (UInt8 byte : mBytes)
            hash = orvo_cf::HashCombine(hash, byte);
        return hash;
    }
    void Describe(std::string& ioOut, int, bool) const override {
        char prefix[64];
        std::snprintf(prefix, sizeof prefix, "<CFUUID %p>{", static_cast<const void*>(this));
        ioOut += prefix + Text() + "}";
    }
    const char* TypeName() const override { return "CFUUID"; }

    std::string Text() const {
        static const char kDigits[] = "0123456789ABCDEF";
        std::string text;
        for (size_t i = 0; i < mBytes.size(); ++i) {
            if (i == 4 || i == 6 || i == 8 || i == 10)
                text += '-';
            text += kDigits[mBytes[i] >> 4];
            text += kDigits[mBytes[i] & 15];
        }
        return text;
    }

    const Bytes mBytes;
};

namespace {

const __CFUUID* UUIDOf(CFUUIDRef inUUID, const char* inFunction) {
    const __CFUUID* uuid = orvo_cf::Cast<__CFUUID>(inUUID, orvo_cf::kTypeIDUUID);
    if (uuid == nullptr && inUUID != nullptr)
        orvo_cf::ReportMisuse(inFunction, "not a UUID");
    return uuid;
}

// Random bytes from the kernel; a seeded generator only if the kernel refuses.
void FillRandom(Bytes& outBytes) {
    size_t filled = 0;
    while (filled < outBytes.size()) {
        ssize_t got = ::getrandom(outBytes.data() + filled, outBytes.size() - filled, 0);
        if (got <= 0)
            break;
        filled += static_cast<size_t>(got);
    }
    if (filled == outBytes.size())
        return;
    static std::mutex mutex;
    static std::mt19937_64 generator{std::random_device{}()};
    std::lock_guard<std::mutex> lock(mutex);
    for (UInt8& byte : outBytes)
        byte = static_cast<UInt8>(generator());
}

struct ConstantTable {
    std::mutex mutex;
    std::map<Bytes, const __CFUUID*> constants;
};

// Never destroyed: its constants outlive every static destructor.
ConstantTable& Constants() {
    static ConstantTable* table = new ConstantTable;
    return *table;
}

} // namespace

CFTypeID CFUUIDGetTypeID(void) {
    return orvo_cf::kTypeIDUUID;
}

CFUUIDRef CFUUIDCreate(CFAllocatorRef) {
    Bytes bytes;
    FillRandom(bytes);
    bytes[6] = static_cast<UInt8>((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = static_cast<UInt8>((bytes[8] & 0x3F) | 0x80); // RFC 4122 variant
    return new __CFUUID(bytes, false);
}

CFUUIDRef CFUUIDCreateFromString(CFAllocatorRef, CFStringRef uuidStr) {
    if (uuidStr == nullptr)
        return nullptr;
    if (CFGetTypeID(uuidStr) != CFStringGetTypeID()) {
        orvo_cf::ReportMisuse("CFUUIDCreateFromString", "not a string");
        return nullptr;
    }
    std::string text = orvo_cf::UTF8FromString(uuidStr);
    if (text.size() != kCanonicalLength)
        return nullptr;
    Bytes bytes{};
    size_t nibble = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsDashPosition(i)) {
            if (text[i] != '-')
                return nullptr;
            continue;
        }
        int value = HexValue(text[i]);
        if (value < 0)
            return nullptr;
        bytes[nibble / 2] =
            static_cast<UInt8>(bytes[nibble / 2] | (nibble % 2 == 0 ? value << 4 : value));
        ++nibble;
    }
    return new __CFUUID(bytes, false);
}

CFStringRef CFUUIDCreateString(CFAllocatorRef, CFUUIDRef uuid) {
    const __CFUUID* object = UUIDOf(uuid, "CFUUIDCreateString");
    if (object == nullptr)
        return nullptr;
    return orvo_cf::CreateStringFromUTF8(object->Text());
}

CFUUIDRef CFUUIDCreateWithBytes(CFAllocatorRef, UInt8 byte0, UInt8 byte1, UInt8 byte2, UInt8 byte3,
                                UInt8 byte4, UInt8 byte5, UInt8 byte6, UInt8 byte7, UInt8 byte8,
                                UInt8 byte9, UInt8 byte10, UInt8 byte11, UInt8 byte12, UInt8 byte13,
                                UInt8 byte14, UInt8 byte15) {
    return new __CFUUID(Bytes{byte0, byte1, byte2, byte3, byte4, byte5, byte6, byte7, byte8, byte9,
                              byte10, byte11, byte12, byte13, byte14, byte15},
                        false);
}

CFUUIDRef CFUUIDCreateFromUUIDBytes(CFAllocatorRef, CFUUIDBytes bytes) {
    return new __CFUUID(BytesOf(bytes), false);
}

CFUUIDRef CFUUIDGetConstantUUIDWithBytes(CFAllocatorRef, UInt8 byte0, UInt8 byte1, UInt8 byte2,
                                         UInt8 byte3, UInt8 byte4, UInt8 byte5, UInt8 byte6,
                                         UInt8 byte7, UInt8 byte8, UInt8 byte9, UInt8 byte10,
                                         UInt8 byte11, UInt8 byte12, UInt8 byte13, UInt8 byte14,
                                         UInt8 byte15) {
    Bytes bytes{byte0, byte1, byte2,  byte3,  byte4,  byte5,  byte6,  byte7,
                byte8, byte9, byte10, byte11, byte12, byte13, byte14, byte15};
    ConstantTable& table = Constants();
    std::lock_guard<std::mutex> lock(table.mutex);
    const __CFUUID*& constant = table.constants[bytes];
    if (constant == nullptr)
        constant = new __CFUUID(bytes, true);
    return constant;
}

CFUUIDBytes CFUUIDGetUUIDBytes(CFUUIDRef uuid) {
    CFUUIDBytes result{};
    const __CFUUID* object = UUIDOf(uuid, "CFUUIDGetUUIDBytes");
    if (object != nullptr)
        std::memcpy(&result, object->mBytes.data(), sizeof result);
    return result;
}

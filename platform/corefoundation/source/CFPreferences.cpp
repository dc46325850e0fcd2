// Preferences: per-domain XML property lists, cached in memory, written atomically.
#include <CoreFoundation/CFPreferences.h>

#include <CoreFoundation/CFBundle.h>
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFPropertyList.h>
#include <CoreFoundation/CFRuntime.h>
#include <CoreFoundation/OrvoPlatformRoot.h>

#include "OrvoFileIO.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <pwd.h>
#include <unistd.h>
#include <vector>

const CFStringRef kCFPreferencesAnyApplication = CFSTR("kCFPreferencesAnyApplication");
const CFStringRef kCFPreferencesCurrentApplication = CFSTR("kCFPreferencesCurrentApplication");
const CFStringRef kCFPreferencesAnyHost = CFSTR("kCFPreferencesAnyHost");
const CFStringRef kCFPreferencesCurrentHost = CFSTR("kCFPreferencesCurrentHost");
const CFStringRef kCFPreferencesAnyUser = CFSTR("kCFPreferencesAnyUser");
const CFStringRef kCFPreferencesCurrentUser = CFSTR("kCFPreferencesCurrentUser");

namespace {

const char kGlobalDomainName[] = ".GlobalPreferences";

// One domain's file and what is known of it. Changes not yet synchronised are kept in
// order (a null value removes the key) and applied over the file when it is written.
class Domain {
public:
    Domain(std::string inPath, bool inMachineWide)
        : mPath(std::move(inPath)), mMachineWide(inMachineWide) {}
    Domain(const Domain&) = delete;
    Domain& operator=(const Domain&) = delete;
    ~Domain() {
        if (mValues != nullptr)
            CFRelease(mValues);
        DropPending();
    }

    CFPropertyListRef Copy(CFStringRef inKey) {
        std::lock_guard<std::mutex> lock(mMutex);
        Load();
        CFTypeRef value = CFDictionaryGetValue(mValues, inKey);
        return value == nullptr ? nullptr : CFRetain(value);
    }

    // inValue is an immutable deep copy (or null), owned by the caller.
    void Set(CFStringRef inKey, CFPropertyListRef inValue) {
        std::lock_guard<std::mutex> lock(mMutex);
        Load();
        if (inValue != nullptr)
            CFDictionarySetValue(mValues, inKey, inValue);
        else
            CFDictionaryRemoveValue(mValues, inKey);
        CFRetain(inKey);
        if (inValue != nullptr)
            CFRetain(inValue);
        mPending.emplace_back(inKey, inValue);
    }

    CFArrayRef CopyKeys() {
        std::lock_guard<std::mutex> lock(mMutex);
        Load();
        CFIndex count = CFDictionaryGetCount(mValues);
        std::vector<const void*> keys(static_cast<size_t>(count));
        CFDictionaryGetKeysAndValues(mValues, keys.data(), nullptr);
        std::sort(keys.begin(), keys.end(), [](const void* inA, const void* inB) {
            return CFStringCompare(static_cast<CFStringRef>(inA), static_cast<CFStringRef>(inB),
                                   0) == kCFCompareLessThan;
        });
        return CFArrayCreate(nullptr, keys.data(), count, &kCFTypeArrayCallBacks);
    }

    // Writes pending changes over the file as it now is, then holds what was written.
    // Without pending changes the file is only read again.
    bool Synchronize() {
        std::lock_guard<std::mutex> lock(mMutex);
        CFMutableDictionaryRef current = ReadFile();
        if (mPending.empty()) {
            Replace(current);
            return true;
        }
        for (const auto& [key, value] : mPending) {
            if (value != nullptr)
                CFDictionarySetValue(current, key, value);
            else
                CFDictionaryRemoveValue(current, key);
        }
        std::string message;
        if (!Write(current, message)) {
            std::fprintf(stderr, "CFPreferences: cannot write %s: %s\n", mPath.c_str(),
                         message.c_str());
            // Keep the changes for the next attempt, and keep showing them.
            Replace(current);
            return false;
        }
        DropPending();
        Replace(current);
        return true;
    }

private:
    void Load() {
        if (mValues == nullptr)
            mValues = ReadFile();
    }

    void Replace(CFMutableDictionaryRef inValues) {
        if (mValues != nullptr)
            CFRelease(mValues);
        mValues = inValues;
    }

    void DropPending() {
        for (const auto& [key, value] : mPending) {
            CFRelease(key);
            if (value != nullptr)
                CFRelease(value);
        }
        mPending.clear();
    }

    // The file's dictionary (a new mutable one); empty when the file is missing, and also,
    // with a report, when it is unreadable or does not parse.
    CFMutableDictionaryRef ReadFile() const {
        CFMutableDictionaryRef values = CFDictionaryCreateMutable(
            nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
        std::string bytes, message;
        orvo_cf::FileReadResult result = orvo_cf::ReadWholeFile(mPath, bytes, &message);
        if (result == orvo_cf::FileReadResult::kNotFound)
            return values;
        if (result != orvo_cf::FileReadResult::kOK) {
            std::fprintf(stderr, "CFPreferences: %s; the domain is read as empty\n",
                         message.c_str());
            return values;
        }
        CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes.data()),
                                      static_cast<CFIndex>(bytes.size()));
        CFStringRef error = nullptr;
        CFPropertyListRef list =
            CFPropertyListCreateFromXMLData(nullptr, data, kCFPropertyListImmutable, &error);
        CFRelease(data);
        if (list == nullptr || CFGetTypeID(list) != CFDictionaryGetTypeID()) {
            std::string reason =
                list == nullptr
                    ? (error != nullptr ? orvo_cf::UTF8FromString(error) : std::string("malformed"))
                    : std::string("the root is not a dictionary");
            std::fprintf(stderr,
                         "CFPreferences: %s is not a valid preferences file (%s); the domain "
                         "is read as empty and the file left unchanged\n",
                         mPath.c_str(), reason.c_str());
        } else {
            CFDictionaryRef dictionary = static_cast<CFDictionaryRef>(list);
            CFIndex count = CFDictionaryGetCount(dictionary);
            std::vector<const void*> keys(static_cast<size_t>(count)), items(keys.size());
            CFDictionaryGetKeysAndValues(dictionary, keys.data(), items.data());
            for (size_t i = 0; i < keys.size(); ++i)
                CFDictionarySetValue(values, keys[i], items[i]);
        }
        if (list != nullptr)
            CFRelease(list);
        if (error != nullptr)
            CFRelease(error);
        return values;
    }

    bool Write(CFDictionaryRef inValues, std::string& outMessage) const {
        CFDataRef xml = CFPropertyListCreateXMLData(nullptr, inValues);
        if (xml == nullptr) {
            outMessage = "the values have no XML form";
            return false;
        }
        std::string folder = mPath.substr(0, mPath.find_last_of('/'));
        bool written = orvo_cf::MakeDirectories(folder, outMessage) &&
                       orvo_cf::WriteFileAtomically(mPath, CFDataGetBytePtr(xml),
                                                    static_cast<size_t>(CFDataGetLength(xml)),
                                                    mMachineWide ? 0644 : 0600, outMessage);
        CFRelease(xml);
        return written;
    }

    const std::string mPath;
    const bool mMachineWide;
    std::mutex mMutex;
    CFMutableDictionaryRef mValues = nullptr; // the file as read, with pending changes
    std::vector<std::pair<CFStringRef, CFPropertyListRef>> mPending;
};

// Domains by file path. Never destroyed, so that preferences work during process exit.
struct DomainTable {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<Domain>> domains;
};
DomainTable& Domains() {
    static DomainTable* table = new DomainTable;
    return *table;
}

std::string CurrentApplicationName() {
    CFStringRef identifier = CFBundleGetIdentifier(CFBundleGetMainBundle());
    if (identifier != nullptr && CFStringGetLength(identifier) > 0)
        return orvo_cf::UTF8FromString(identifier);
    char buffer[4096];
    ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return std::string();
    std::string executable(buffer, static_cast<size_t>(length));
    return executable.substr(executable.find_last_of('/') + 1);
}

std::string CurrentUserLoginName() {
    struct passwd entry;
    struct passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr)
        return std::string();
    return found->pw_name;
}

std::string UserConfigurationFolder() {
    const char* configuration = std::getenv("XDG_CONFIG_HOME");
    if (configuration != nullptr && configuration[0] == '/')
        return configuration;
    const char* home = std::getenv("HOME");
    std::string homeFolder = home != nullptr && home[0] == '/' ? std::string(home) : std::string();
    if (homeFolder.empty()) {
        struct passwd entry;
        struct passwd* found = nullptr;
        std::vector<char> buffer(16384);
        if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
            found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/')
            homeFolder = found->pw_dir;
    }
    if (homeFolder.empty())
        return std::string();
    return homeFolder + "/.config";
}

// The file of a domain; nothing (with a report) when the domain cannot be named.
std::optional<std::pair<std::string, bool>> DomainFile(CFStringRef inApplication,
                                                       CFStringRef inUser, const char* inFunction) {
    if (inApplication == nullptr || CFGetTypeID(inApplication) != CFStringGetTypeID()) {
        orvo_cf::ReportMisuse(inFunction, "the application must be a string");
        return std::nullopt;
    }
    std::string application;
    if (CFEqual(inApplication, kCFPreferencesAnyApplication))
        application = kGlobalDomainName;
    else if (CFEqual(inApplication, kCFPreferencesCurrentApplication))
        application = CurrentApplicationName();
    else
        application = orvo_cf::UTF8FromString(inApplication);
    if (application.empty() || application == "." || application == ".." ||
        application.find_first_of(std::string("/\0", 2)) != std::string::npos) {
        orvo_cf::ReportMisuse(inFunction,
                              ("\"" + application + "\" cannot name a preferences domain").c_str());
        return std::nullopt;
    }
    bool machineWide;
    if (inUser != nullptr && CFEqual(inUser, kCFPreferencesAnyUser))
        machineWide = true;
    else if (inUser != nullptr && (CFEqual(inUser, kCFPreferencesCurrentUser) ||
                                   (CFGetTypeID(inUser) == CFStringGetTypeID() &&
                                    orvo_cf::UTF8FromString(inUser) == CurrentUserLoginName())))
        machineWide = false;
    else {
        orvo_cf::ReportMisuse(inFunction, "only the current user's and any user's preferences "
                                          "are available");
        return std::nullopt;
    }
    std::string file = application + ".plist";
    if (machineWide)
        return std::make_pair(OrvoPlatformResolvePath("/Library/Preferences/" + file), true);
    std::string folder = UserConfigurationFolder();
    if (folder.empty()) {
        orvo_cf::ReportMisuse(inFunction, "the user's configuration folder is unknown (no HOME)");
        return std::nullopt;
    }
    return std::make_pair(folder + "/orvo/preferences/" + file, false);
}

std::shared_ptr<Domain> DomainFor(CFStringRef inApplication, CFStringRef inUser,
                                  const char* inFunction) {
    std::optional<std::pair<std::string, bool>> file =
        DomainFile(inApplication, inUser, inFunction);
    if (!file)
        return nullptr;
    DomainTable& table = Domains();
    std::lock_guard<std::mutex> lock(table.mutex);
    std::shared_ptr<Domain>& domain = table.domains[file->first];
    if (domain == nullptr)
        domain = std::make_shared<Domain>(file->first, file->second);
    return domain;
}

bool ValidKey(CFStringRef inKey, const char* inFunction) {
    if (inKey != nullptr && CFGetTypeID(inKey) == CFStringGetTypeID())
        return true;
    orvo_cf::ReportMisuse(inFunction, "the key must be a string");
    return false;
}

// The application's search list, most specific first: (application, user) pairs.
std::vector<std::pair<CFStringRef, CFStringRef>> SearchList(CFStringRef inApplication) {
    std::vector<std::pair<CFStringRef, CFStringRef>> list;
    bool global = inApplication != nullptr && CFEqual(inApplication, kCFPreferencesAnyApplication);
    for (CFStringRef user : {kCFPreferencesCurrentUser, kCFPreferencesAnyUser}) {
        if (!global)
            list.emplace_back(inApplication, user);
        list.emplace_back(kCFPreferencesAnyApplication, user);
    }
    return list;
}

void SetValue(CFStringRef inKey, CFPropertyListRef inValue, CFStringRef inApplication,
              CFStringRef inUser, const char* inFunction) {
    if (!ValidKey(inKey, inFunction))
        return;
    CFPropertyListRef copy = nullptr;
    if (inValue != nullptr) {
        copy = CFPropertyListCreateDeepCopy(nullptr, inValue, kCFPropertyListImmutable);
        if (copy == nullptr) {
            orvo_cf::ReportMisuse(inFunction, "the value is not a property list");
            return;
        }
    }
    std::shared_ptr<Domain> domain = DomainFor(inApplication, inUser, inFunction);
    if (domain != nullptr)
        domain->Set(inKey, copy);
    if (copy != nullptr)
        CFRelease(copy);
}

} // namespace

CFPropertyListRef CFPreferencesCopyAppValue(CFStringRef key, CFStringRef applicationID) {
    if (!ValidKey(key, "CFPreferencesCopyAppValue"))
        return nullptr;
    for (const auto& [application, user] : SearchList(applicationID)) {
        std::shared_ptr<Domain> domain = DomainFor(application, user, "CFPreferencesCopyAppValue");
        if (domain == nullptr)
            continue;
        if (CFPropertyListRef value = domain->Copy(key))
            return value;
    }
    return nullptr;
}

void CFPreferencesSetAppValue(CFStringRef key, CFPropertyListRef value, CFStringRef applicationID) {
    SetValue(key, value, applicationID, kCFPreferencesCurrentUser, "CFPreferencesSetAppValue");
}

Boolean CFPreferencesAppSynchronize(CFStringRef applicationID) {
    bool synchronized = true;
    for (const auto& [application, user] : SearchList(applicationID)) {
        std::shared_ptr<Domain> domain =
            DomainFor(application, user, "CFPreferencesAppSynchronize");
        if (domain == nullptr)
            return false;
        synchronized = domain->Synchronize() && synchronized;
    }
    return synchronized;
}

CFPropertyListRef CFPreferencesCopyValue(CFStringRef key, CFStringRef applicationID,
                                         CFStringRef userName, CFStringRef) {
    if (!ValidKey(key, "CFPreferencesCopyValue"))
        return nullptr;
    std::shared_ptr<Domain> domain = DomainFor(applicationID, userName, "CFPreferencesCopyValue");
    return domain == nullptr ? nullptr : domain->Copy(key);
}

void CFPreferencesSetValue(CFStringRef key, CFPropertyListRef value, CFStringRef applicationID,
                           CFStringRef userName, CFStringRef) {
    SetValue(key, value, applicationID, userName, "CFPreferencesSetValue");
}

Boolean CFPreferencesSynchronize(CFStringRef applicationID, CFStringRef userName, CFStringRef) {
    std::shared_ptr<Domain> domain = DomainFor(applicationID, userName, "CFPreferencesSynchronize");
    return domain != nullptr && domain->Synchronize();
}

CFArrayRef CFPreferencesCopyKeyList(CFStringRef applicationID, CFStringRef userName, CFStringRef) {
    std::shared_ptr<Domain> domain = DomainFor(applicationID, userName, "CFPreferencesCopyKeyList");
    return domain == nullptr ? nullptr : domain->CopyKeys();
}

void OrvoPreferencesDiscardCachedDomains(void) {
    DomainTable& table = Domains();
    std::map<std::string, std::shared_ptr<Domain>> discarded;
    {
        std::lock_guard<std::mutex> lock(table.mutex);
        discarded.swap(table.domains);
    }
}

// Bundles: the registry of bundle objects, lookup by identifier, resources, localised
// strings and loading the executable.
#include <CoreFoundation/CFBundle.h>

#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFPropertyList.h>
#include <CoreFoundation/CFRuntime.h>
#include <CoreFoundation/OrvoPlatformRoot.h>

#include "OrvoFileIO.h"
#include "OrvoStringsTable.h"

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <dlfcn.h>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

const CFStringRef kCFBundleInfoDictionaryVersionKey = CFSTR("CFBundleInfoDictionaryVersion");
const CFStringRef kCFBundleExecutableKey = CFSTR("CFBundleExecutable");
const CFStringRef kCFBundleIdentifierKey = CFSTR("CFBundleIdentifier");
const CFStringRef kCFBundleVersionKey = CFSTR("CFBundleVersion");
const CFStringRef kCFBundleDevelopmentRegionKey = CFSTR("CFBundleDevelopmentRegion");
const CFStringRef kCFBundleNameKey = CFSTR("CFBundleName");
const CFStringRef kCFBundleLocalizationsKey = CFSTR("CFBundleLocalizations");

namespace {

bool IsFolder(const std::string& inPath) {
    struct stat info;
    return ::stat(inPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& inPath, bool* outIsFolder = nullptr) {
    struct stat info;
    if (::stat(inPath.c_str(), &info) != 0)
        return false;
    if (outIsFolder != nullptr)
        *outIsFolder = S_ISDIR(info.st_mode);
    return true;
}

// Removes empty and "." segments and resolves ".." without touching the file system, so
// that one folder has one spelling.
std::string NormalisedPath(const std::string& inAbsolutePath) {
    std::vector<std::string> segments;
    size_t start = 0;
    while (start <= inAbsolutePath.size()) {
        size_t slash = inAbsolutePath.find('/', start);
        if (slash == std::string::npos)
            slash = inAbsolutePath.size();
        std::string segment = inAbsolutePath.substr(start, slash - start);
        if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = slash + 1;
    }
    std::string path;
    for (const std::string& segment : segments)
        path += '/' + segment;
    return path.empty() ? std::string("/") : path;
}

std::string StringOf(CFTypeRef inValue) {
    if (inValue == nullptr || CFGetTypeID(inValue) != CFStringGetTypeID())
        return std::string();
    return orvo_cf::UTF8FromString(static_cast<CFStringRef>(inValue));
}

CFDictionaryRef CreateEmptyDictionary() {
    return CFDictionaryCreate(nullptr, nullptr, nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                              &kCFTypeDictionaryValueCallBacks);
}

// Reads and parses an information dictionary. Null, with the reason in outMessage, when
// the file is missing, unreadable, malformed or not a dictionary.
CFDictionaryRef CopyInfoDictionary(const std::string& inPath, std::string& outMessage) {
    std::string bytes;
    if (orvo_cf::ReadWholeFile(inPath, bytes, &outMessage) != orvo_cf::FileReadResult::kOK)
        return nullptr;
    CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes.data()),
                                  static_cast<CFIndex>(bytes.size()));
    CFStringRef error = nullptr;
    CFPropertyListRef list =
        CFPropertyListCreateFromXMLData(nullptr, data, kCFPropertyListImmutable, &error);
    CFRelease(data);
    if (list == nullptr) {
        outMessage = inPath + ": " +
                     (error != nullptr ? orvo_cf::UTF8FromString(error) : std::string("malformed"));
        if (error != nullptr)
            CFRelease(error);
        return nullptr;
    }
    if (error != nullptr)
        CFRelease(error);
    if (CFGetTypeID(list) != CFDictionaryGetTypeID()) {
        CFRelease(list);
        outMessage = inPath + ": the root is not a dictionary";
        return nullptr;
    }
    return static_cast<CFDictionaryRef>(list);
}

} // namespace

struct __CFBundle : orvo_cf::Object {
    // inPath: the folder as the driver names it; inFileSystemPath: where it is.
    __CFBundle(std::string inPath, std::string inFileSystemPath, bool inFlat,
               CFDictionaryRef inInfo)
        : Object(orvo_cf::kTypeIDBundle), mPath(std::move(inPath)),
          mFileSystemPath(std::move(inFileSystemPath)), mFlat(inFlat), mInfo(inInfo) {
        mURL = CFURLCreateFromFileSystemRepresentation(nullptr,
                                                       reinterpret_cast<const UInt8*>(mPath.data()),
                                                       static_cast<CFIndex>(mPath.size()), true);
        CFTypeRef identifier = CFDictionaryGetValue(mInfo, kCFBundleIdentifierKey);
        if (identifier != nullptr && CFGetTypeID(identifier) == CFStringGetTypeID())
            mIdentifier = static_cast<CFStringRef>(identifier);
        CFTypeRef region = CFDictionaryGetValue(mInfo, kCFBundleDevelopmentRegionKey);
        if (region != nullptr && CFGetTypeID(region) == CFStringGetTypeID() &&
            CFStringGetLength(static_cast<CFStringRef>(region)) > 0)
            mDevelopmentRegion = static_cast<CFStringRef>(CFRetain(region));
        else
            mDevelopmentRegion = CFSTR("en");
    }
    ~__CFBundle() override {
        CFRelease(mURL);
        CFRelease(mInfo);
        CFRelease(mDevelopmentRegion);
        for (auto& [name, table] : mTables)
            CFRelease(table);
    }

    void Describe(std::string& ioOut, int, bool) const override {
        char prefix[64];
        std::snprintf(prefix, sizeof prefix, "<CFBundle %p>{", static_cast<const void*>(this));
        ioOut += prefix + mPath;
        if (mIdentifier != nullptr)
            ioOut += ", identifier = " + orvo_cf::UTF8FromString(mIdentifier);
        ioOut += '}';
    }
    const char* TypeName() const override { return "CFBundle"; }

    // Paths below the bundle folder, relative ("Contents/Resources").
    std::string ResourcesFolder() const { return mFlat ? std::string() : "/Contents/Resources"; }

    const std::string mPath;
    const std::string mFileSystemPath;
    const bool mFlat; // the main executable's plain folder: resources lie in the folder itself
    CFDictionaryRef const mInfo;
    CFStringRef mIdentifier = nullptr; // borrowed from mInfo
    CFStringRef mDevelopmentRegion = nullptr;
    CFURLRef mURL = nullptr;
    std::string mExecutablePath; // file-system path, set for the main bundle's executable
    bool mIsMain = false;

    // Loading. Recursive, so that a library's initialisers may use their own bundle.
    std::recursive_mutex mLoadMutex;
    void* mHandle = nullptr;

    // String tables by name, read once; an empty table stands for a missing or bad file.
    std::mutex mTablesMutex;
    std::map<std::string, CFDictionaryRef> mTables;
};

namespace {

// Every bundle made so far. Bundles stay for the life of the process (borrowed references
// to them are handed out); the registry is never destroyed so that they stay reachable.
struct Registry {
    std::mutex mutex;
    std::map<std::string, __CFBundle*> byFileSystemPath;
    std::vector<__CFBundle*> inOrder;
};
Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

__CFBundle* BundleOf(CFBundleRef inBundle, const char* inFunction) {
    __CFBundle* bundle = orvo_cf::CastMutable<__CFBundle>(inBundle, orvo_cf::kTypeIDBundle);
    if (bundle == nullptr)
        orvo_cf::ReportMisuse(inFunction, inBundle == nullptr ? "null bundle" : "not a bundle");
    return bundle;
}

// The registered bundle of a folder, retained; else a new one registered. inPath is the
// normalised driver path.
__CFBundle* BundleForFolder(const std::string& inPath) {
    std::string fileSystemPath = OrvoPlatformResolvePath(inPath);
    Registry& registry = TheRegistry();
    {
        std::lock_guard<std::mutex> lock(registry.mutex);
        auto found = registry.byFileSystemPath.find(fileSystemPath);
        if (found != registry.byFileSystemPath.end()) {
            CFRetain(found->second);
            return found->second;
        }
    }
    std::string infoPath = fileSystemPath + "/Contents/Info.plist";
    if (!IsFolder(fileSystemPath + "/Contents") || !Exists(infoPath))
        return nullptr;
    std::string message;
    CFDictionaryRef info = CopyInfoDictionary(infoPath, message);
    if (info == nullptr) {
        std::fprintf(stderr, "CFBundleCreate: %s\n", message.c_str());
        return nullptr;
    }
    __CFBundle* bundle = new __CFBundle(inPath, fileSystemPath, false, info);
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto [position, inserted] = registry.byFileSystemPath.emplace(fileSystemPath, bundle);
    if (!inserted) {
        // Another thread made it meanwhile: use that one.
        CFRelease(bundle);
        bundle = position->second;
    } else {
        registry.inOrder.push_back(bundle); // the registry's own reference
    }
    CFRetain(bundle);
    return bundle;
}

// The bundle of the identifier among those made so far (still resolving where they were
// made), or null.
__CFBundle* RegisteredBundleWithIdentifier(CFStringRef inIdentifier) {
    Registry& registry = TheRegistry();
    std::vector<__CFBundle*> candidates;
    {
        std::lock_guard<std::mutex> lock(registry.mutex);
        for (__CFBundle* bundle : registry.inOrder) {
            if (bundle->mIdentifier != nullptr && CFEqual(bundle->mIdentifier, inIdentifier))
                candidates.push_back(bundle);
        }
    }
    for (__CFBundle* bundle : candidates) {
        if (bundle->mIsMain || OrvoPlatformResolvePath(bundle->mPath) == bundle->mFileSystemPath)
            return bundle;
    }
    return nullptr;
}

// Searches a folder tree for a bundle with the identifier; its file-system path or nothing.
class IdentifierSearch {
public:
    explicit IdentifierSearch(std::string inIdentifier) : mIdentifier(std::move(inIdentifier)) {}

    std::optional<std::string> Search(const std::string& inFolder, int inDepth = 0) {
        struct stat info;
        if (inDepth > kMaximumDepth || ::stat(inFolder.c_str(), &info) != 0 ||
            !S_ISDIR(info.st_mode))
            return std::nullopt;
        if (!mVisited.insert({info.st_dev, info.st_ino}).second)
            return std::nullopt; // a link back up the tree
        if (IsFolder(inFolder + "/Contents") && Exists(inFolder + "/Contents/Info.plist")) {
            std::string message;
            CFDictionaryRef infoDictionary =
                CopyInfoDictionary(inFolder + "/Contents/Info.plist", message);
            if (infoDictionary != nullptr) {
                bool match = StringOf(CFDictionaryGetValue(infoDictionary,
                                                           kCFBundleIdentifierKey)) == mIdentifier;
                CFRelease(infoDictionary);
                if (match)
                    return inFolder;
            }
        }
        DIR* folder = ::opendir(inFolder.c_str());
        if (folder == nullptr)
            return std::nullopt;
        std::vector<std::string> names;
        while (struct dirent* entry = ::readdir(folder)) {
            std::string name = entry->d_name;
            if (name != "." && name != ".." && entry->d_type != DT_REG)
                names.push_back(name);
        }
        ::closedir(folder);
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            if (name == "MacOS" ||
                (name.size() > 6 && name.compare(name.size() - 6, 6, ".lproj") == 0))
                continue; // executables and localisations hold no bundles
            std::optional<std::string> found = Search(inFolder + '/' + name, inDepth + 1);
            if (found)
                return found;
        }
        return std::nullopt;
    }

private:
    static constexpr int kMaximumDepth = 16;
    std::string mIdentifier;
    std::set<std::pair<dev_t, ino_t>> mVisited;
};

// The folders a resource is looked for in, relative to the bundle folder, in order.
std::vector<std::string> SearchFolders(const __CFBundle* inBundle, CFStringRef inSubDirectory) {
    std::string resources = inBundle->ResourcesFolder();
    std::string subFolder = StringOf(inSubDirectory);
    while (!subFolder.empty() && subFolder.back() == '/')
        subFolder.pop_back();
    if (!subFolder.empty() && subFolder.front() != '/')
        subFolder = '/' + subFolder;
    std::vector<std::string> folders{resources + subFolder};
    std::vector<std::string> languages{orvo_cf::UTF8FromString(inBundle->mDevelopmentRegion), "en",
                                       "English", "Base"};
    std::vector<std::string> seen;
    for (const std::string& language : languages) {
        if (language.empty() || language.find('/') != std::string::npos ||
            std::find(seen.begin(), seen.end(), language) != seen.end())
            continue;
        seen.push_back(language);
        folders.push_back(resources + '/' + language + ".lproj" + subFolder);
    }
    return folders;
}

std::string TypeWithoutDot(CFStringRef inType) {
    std::string type = StringOf(inType);
    if (!type.empty() && type.front() == '.')
        type.erase(0, 1);
    return type;
}

bool HasExtension(const std::string& inName, const std::string& inType) {
    return inName.size() > inType.size() + 1 &&
           inName.compare(inName.size() - inType.size() - 1, std::string::npos, '.' + inType) == 0;
}

// Names in a folder, sorted, without hidden ones.
std::vector<std::string> FolderEntries(const std::string& inPath) {
    std::vector<std::string> names;
    DIR* folder = ::opendir(inPath.c_str());
    if (folder == nullptr)
        return names;
    while (struct dirent* entry = ::readdir(folder)) {
        if (entry->d_name[0] != '.')
            names.push_back(entry->d_name);
    }
    ::closedir(folder);
    std::sort(names.begin(), names.end());
    return names;
}

// The URL of an entry below the bundle folder (relative path beginning with "/").
CFURLRef CreateURLBelow(const __CFBundle* inBundle, const std::string& inRelative,
                        bool inIsFolder) {
    std::string path = inBundle->mPath == "/" ? inRelative : inBundle->mPath + inRelative;
    return CFURLCreateFromFileSystemRepresentation(nullptr,
                                                   reinterpret_cast<const UInt8*>(path.data()),
                                                   static_cast<CFIndex>(path.size()), inIsFolder);
}

CFURLRef CreateRelativeURL(const __CFBundle* inBundle, const char* inRelative) {
    CFStringRef relative = CFStringCreateWithCString(nullptr, inRelative, kCFStringEncodingUTF8);
    CFURLRef url = CFURLCreateWithString(nullptr, relative, inBundle->mURL);
    CFRelease(relative);
    return url;
}

std::string ExecutableFileSystemPath(const __CFBundle* inBundle) {
    if (!inBundle->mExecutablePath.empty())
        return inBundle->mExecutablePath;
    std::string name = StringOf(CFDictionaryGetValue(inBundle->mInfo, kCFBundleExecutableKey));
    if (name.empty() || name.find('/') != std::string::npos || inBundle->mFlat)
        return std::string();
    return inBundle->mFileSystemPath + "/Contents/MacOS/" + name;
}

// The string table of a name, read on first use.
CFDictionaryRef TableNamed(__CFBundle* inBundle, const std::string& inTable) {
    {
        std::lock_guard<std::mutex> lock(inBundle->mTablesMutex);
        auto found = inBundle->mTables.find(inTable);
        if (found != inBundle->mTables.end())
            return found->second;
    }
    CFDictionaryRef table = nullptr;
    CFStringRef name = orvo_cf::CreateStringFromUTF8(inTable);
    CFURLRef url = CFBundleCopyResourceURL(inBundle, name, CFSTR("strings"), nullptr);
    CFRelease(name);
    if (url != nullptr) {
        CFDataRef data = nullptr;
        SInt32 error = 0;
        if (CFURLCreateDataAndPropertiesFromResource(nullptr, url, &data, nullptr, nullptr,
                                                     &error)) {
            std::string message;
            table = orvo_cf::CreateStringsTable(
                std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(data)),
                            static_cast<size_t>(CFDataGetLength(data))),
                message);
            CFRelease(data);
            if (table == nullptr)
                std::fprintf(stderr, "CFBundleCopyLocalizedString: %s: %s\n",
                             orvo_cf::UTF8FromString(CFURLGetString(url)).c_str(), message.c_str());
        } else {
            std::fprintf(stderr, "CFBundleCopyLocalizedString: %s: unreadable (error %d)\n",
                         orvo_cf::UTF8FromString(CFURLGetString(url)).c_str(),
                         static_cast<int>(error));
        }
        CFRelease(url);
    }
    if (table == nullptr)
        table = CreateEmptyDictionary();
    std::lock_guard<std::mutex> lock(inBundle->mTablesMutex);
    auto [position, inserted] = inBundle->mTables.emplace(inTable, table);
    if (!inserted)
        CFRelease(table); // read by another thread meanwhile
    return position->second;
}

void* SymbolNamed(CFBundleRef inBundle, CFStringRef inName, const char* inFunction) {
    __CFBundle* bundle = BundleOf(inBundle, inFunction);
    if (bundle == nullptr || inName == nullptr)
        return nullptr;
    if (!CFBundleLoadExecutable(inBundle))
        return nullptr;
    std::string name = StringOf(inName);
    std::lock_guard<std::recursive_mutex> lock(bundle->mLoadMutex);
    if (bundle->mHandle == nullptr)
        return nullptr;
    ::dlerror();
    void* symbol = ::dlsym(bundle->mHandle, name.c_str());
    if (symbol == nullptr) {
        const char* error = ::dlerror();
        std::fprintf(stderr, "%s: %s\n", inFunction,
                     error != nullptr ? error : (name + ": symbol is null").c_str());
    }
    return symbol;
}

} // namespace

CFTypeID CFBundleGetTypeID(void) {
    return orvo_cf::kTypeIDBundle;
}

CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef bundleURL) {
    if (bundleURL == nullptr)
        return nullptr;
    CFURLRef absolute = CFURLCopyAbsoluteURL(bundleURL);
    if (absolute == nullptr)
        return nullptr;
    CFStringRef scheme = CFURLCopyScheme(absolute);
    bool isFile =
        scheme != nullptr &&
        CFStringCompare(scheme, CFSTR("file"), kCFCompareCaseInsensitive) == kCFCompareEqualTo;
    if (scheme != nullptr)
        CFRelease(scheme);
    CFStringRef path = isFile ? CFURLCopyFileSystemPath(absolute, kCFURLPOSIXPathStyle) : nullptr;
    CFRelease(absolute);
    if (path == nullptr)
        return nullptr;
    std::string folder = orvo_cf::UTF8FromString(path);
    CFRelease(path);
    if (folder.empty() || folder[0] != '/')
        return nullptr;
    return BundleForFolder(NormalisedPath(folder));
}

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID) {
    if (bundleID == nullptr || CFGetTypeID(bundleID) != CFStringGetTypeID())
        return nullptr;
    if (__CFBundle* bundle = RegisteredBundleWithIdentifier(bundleID))
        return bundle;
    IdentifierSearch search(orvo_cf::UTF8FromString(bundleID));
    for (const char* tree : {"/Library/Printers", "/Library/Frameworks"}) {
        // The trailing slash puts the tree below the root; the search wants it without.
        std::string folder = OrvoPlatformResolvePath(std::string(tree) + "/");
        folder.pop_back();
        std::optional<std::string> found = search.Search(folder);
        if (!found)
            continue;
        __CFBundle* bundle = BundleForFolder(NormalisedPath(OrvoPlatformDriverPathForFile(*found)));
        if (bundle == nullptr)
            continue;
        CFRelease(bundle); // the registry keeps it
        return bundle;
    }
    return nullptr;
}

CFBundleRef CFBundleGetMainBundle(void) {
    static __CFBundle* mainBundle = [] {
        std::vector<char> buffer(4096);
        ssize_t length;
        for (;;) {
            length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
            if (length < 0 || static_cast<size_t>(length) < buffer.size())
                break;
            buffer.resize(buffer.size() * 2);
        }
        std::string executable =
            length > 0 ? std::string(buffer.data(), static_cast<size_t>(length)) : std::string("/");
        std::string folder = executable.substr(0, executable.find_last_of('/'));
        if (folder.empty())
            folder = "/";
        const std::string kMacOS = "/Contents/MacOS";
        __CFBundle* bundle = nullptr;
        if (folder.size() > kMacOS.size() &&
            folder.compare(folder.size() - kMacOS.size(), kMacOS.size(), kMacOS) == 0) {
            std::string bundleFolder = folder.substr(0, folder.size() - kMacOS.size());
            bundle = BundleForFolder(NormalisedPath(OrvoPlatformDriverPathForFile(bundleFolder)));
        }
        if (bundle == nullptr)
            bundle = new __CFBundle(OrvoPlatformDriverPathForFile(folder), folder, true,
                                    CreateEmptyDictionary());
        bundle->mIsMain = true;
        bundle->mExecutablePath = executable;
        return bundle;
    }();
    return mainBundle;
}

CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle) {
    __CFBundle* object = BundleOf(bundle, "CFBundleGetInfoDictionary");
    return object == nullptr ? nullptr : object->mInfo;
}

CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key) {
    __CFBundle* object = BundleOf(bundle, "CFBundleGetValueForInfoDictionaryKey");
    if (object == nullptr || key == nullptr)
        return nullptr;
    return CFDictionaryGetValue(object->mInfo, key);
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle) {
    __CFBundle* object = BundleOf(bundle, "CFBundleGetIdentifier");
    return object == nullptr ? nullptr : object->mIdentifier;
}

CFStringRef CFBundleGetDevelopmentRegion(CFBundleRef bundle) {
    __CFBundle* object = BundleOf(bundle, "CFBundleGetDevelopmentRegion");
    return object == nullptr ? nullptr : object->mDevelopmentRegion;
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle) {
    __CFBundle* object = BundleOf(bundle, "CFBundleCopyBundleURL");
    return object == nullptr ? nullptr : static_cast<CFURLRef>(CFRetain(object->mURL));
}

CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle) {
    __CFBundle* object = BundleOf(bundle, "CFBundleCopyResourcesDirectoryURL");
    if (object == nullptr)
        return nullptr;
    if (object->mFlat)
        return static_cast<CFURLRef>(CFRetain(object->mURL));
    return CreateRelativeURL(object, "Contents/Resources/");
}

CFURLRef CFBundleCopyBuiltInPlugInsURL(CFBundleRef bundle) {
    __CFBundle* object = BundleOf(bundle, "CFBundleCopyBuiltInPlugInsURL");
    if (object == nullptr)
        return nullptr;
    return CreateRelativeURL(object, object->mFlat ? "PlugIns/" : "Contents/PlugIns/");
}

CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle) {
    __CFBundle* object = BundleOf(bundle, "CFBundleCopyExecutableURL");
    if (object == nullptr)
        return nullptr;
    std::string path = ExecutableFileSystemPath(object);
    bool isFolder = false;
    if (path.empty() || !Exists(path, &isFolder) || isFolder)
        return nullptr;
    if (!object->mExecutablePath.empty()) {
        std::string driverPath = OrvoPlatformDriverPathForFile(path);
        return CFURLCreateFromFileSystemRepresentation(
            nullptr, reinterpret_cast<const UInt8*>(driverPath.data()),
            static_cast<CFIndex>(driverPath.size()), false);
    }
    return CreateURLBelow(object, path.substr(object->mFileSystemPath.size()), false);
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName,
                                 CFStringRef resourceType, CFStringRef subDirName) {
    __CFBundle* object = BundleOf(bundle, "CFBundleCopyResourceURL");
    if (object == nullptr)
        return nullptr;
    std::string type = TypeWithoutDot(resourceType);
    std::string name = StringOf(resourceName);
    if (resourceName == nullptr) {
        if (type.empty())
            return nullptr;
        CFArrayRef all = CFBundleCopyResourceURLsOfType(bundle, resourceType, subDirName);
        CFURLRef first = nullptr;
        if (all != nullptr && CFArrayGetCount(all) > 0)
            first = static_cast<CFURLRef>(CFRetain(CFArrayGetValueAtIndex(all, 0)));
        if (all != nullptr)
            CFRelease(all);
        return first;
    }
    if (name.empty())
        return nullptr;
    std::vector<std::string> candidates;
    if (type.empty()) {
        candidates.push_back(name);
    } else {
        candidates.push_back(name + '.' + type);
        if (HasExtension(name, type))
            candidates.push_back(name);
    }
    for (const std::string& folder : SearchFolders(object, subDirName)) {
        for (const std::string& candidate : candidates) {
            std::string relative = folder + '/' + candidate;
            bool isFolder = false;
            if (Exists(object->mFileSystemPath + relative, &isFolder))
                return CreateURLBelow(object, relative, isFolder);
        }
    }
    return nullptr;
}

CFArrayRef CFBundleCopyResourceURLsOfType(CFBundleRef bundle, CFStringRef resourceType,
                                          CFStringRef subDirName) {
    __CFBundle* object = BundleOf(bundle, "CFBundleCopyResourceURLsOfType");
    if (object == nullptr)
        return nullptr;
    std::string type = TypeWithoutDot(resourceType);
    CFMutableArrayRef urls = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    std::set<std::string> seen;
    for (const std::string& folder : SearchFolders(object, subDirName)) {
        for (const std::string& name : FolderEntries(object->mFileSystemPath + folder)) {
            if ((!type.empty() && !HasExtension(name, type)) || !seen.insert(name).second)
                continue;
            std::string relative = folder + '/' + name;
            bool isFolder = false;
            if (!Exists(object->mFileSystemPath + relative, &isFolder))
                continue;
            CFURLRef url = CreateURLBelow(object, relative, isFolder);
            if (url != nullptr) {
                CFArrayAppendValue(urls, url);
                CFRelease(url);
            }
        }
    }
    return urls;
}

CFStringRef CFBundleCopyLocalizedString(CFBundleRef bundle, CFStringRef key, CFStringRef value,
                                        CFStringRef tableName) {
    auto fallback = [&]() -> CFStringRef {
        if (value != nullptr && CFStringGetLength(value) > 0)
            return static_cast<CFStringRef>(CFRetain(value));
        if (key != nullptr)
            return static_cast<CFStringRef>(CFRetain(key));
        return CFSTR("");
    };
    __CFBundle* object = BundleOf(bundle, "CFBundleCopyLocalizedString");
    if (object == nullptr || key == nullptr)
        return fallback();
    std::string table = StringOf(tableName);
    if (table.empty())
        table = "Localizable";
    CFTypeRef found = CFDictionaryGetValue(TableNamed(object, table), key);
    if (found != nullptr && CFGetTypeID(found) == CFStringGetTypeID())
        return static_cast<CFStringRef>(CFRetain(found));
    return fallback();
}

Boolean CFBundleLoadExecutable(CFBundleRef bundle) {
    __CFBundle* object = BundleOf(bundle, "CFBundleLoadExecutable");
    if (object == nullptr)
        return false;
    std::lock_guard<std::recursive_mutex> lock(object->mLoadMutex);
    if (object->mHandle != nullptr)
        return true;
    if (object->mIsMain) {
        object->mHandle = ::dlopen(nullptr, RTLD_NOW);
        return object->mHandle != nullptr;
    }
    std::string path = ExecutableFileSystemPath(object);
    if (path.empty()) {
        std::fprintf(stderr, "CFBundleLoadExecutable: %s: the bundle names no executable\n",
                     object->mPath.c_str());
        return false;
    }
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* error = ::dlerror();
        std::fprintf(stderr, "CFBundleLoadExecutable: %s\n",
                     error != nullptr ? error : path.c_str());
        return false;
    }
    object->mHandle = handle;
    return true;
}

Boolean CFBundleIsExecutableLoaded(CFBundleRef bundle) {
    __CFBundle* object = BundleOf(bundle, "CFBundleIsExecutableLoaded");
    if (object == nullptr)
        return false;
    if (object->mIsMain)
        return true;
    std::lock_guard<std::recursive_mutex> lock(object->mLoadMutex);
    return object->mHandle != nullptr;
}

void CFBundleUnloadExecutable(CFBundleRef bundle) {
    __CFBundle* object = BundleOf(bundle, "CFBundleUnloadExecutable");
    if (object == nullptr || object->mIsMain)
        return;
    std::lock_guard<std::recursive_mutex> lock(object->mLoadMutex);
    if (object->mHandle == nullptr)
        return;
    if (::dlclose(object->mHandle) != 0) {
        const char* error = ::dlerror();
        std::fprintf(stderr, "CFBundleUnloadExecutable: %s\n",
                     error != nullptr ? error : object->mPath.c_str());
    }
    object->mHandle = nullptr;
}

void* CFBundleGetFunctionPointerForName(CFBundleRef bundle, CFStringRef functionName) {
    return SymbolNamed(bundle, functionName, "CFBundleGetFunctionPointerForName");
}

void* CFBundleGetDataPointerForName(CFBundleRef bundle, CFStringRef symbolName) {
    return SymbolNamed(bundle, symbolName, "CFBundleGetDataPointerForName");
}

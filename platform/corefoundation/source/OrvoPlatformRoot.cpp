// The platform root directory and the mapping of driver paths below it.
#include <CoreFoundation/OrvoPlatformRoot.h>

#include <CoreFoundation/CFRuntime.h>

#include <cstdio>
#include <mutex>

#ifndef ORVO_DEFAULT_ROOT
#error "ORVO_DEFAULT_ROOT must name the default platform root"
#endif

namespace {

const char kLibraryPrefix[] = "/Library/";
constexpr size_t kLibraryPrefixLength = sizeof kLibraryPrefix - 1;

// Strips trailing slashes; the file-system root becomes the empty string.
std::string NormalisedRoot(std::string inPath) {
    while (!inPath.empty() && inPath.back() == '/')
        inPath.pop_back();
    return inPath;
}

struct RootState {
    std::mutex mutex;
    std::string root = NormalisedRoot(ORVO_DEFAULT_ROOT);
};

// Never destroyed, so that code running during process exit can still resolve paths.
RootState& State() {
    static RootState* state = new RootState;
    return *state;
}

} // namespace

void OrvoPlatformSetRootDirectory(const char* path) {
    std::string root = (path == nullptr || *path == '\0') ? std::string(ORVO_DEFAULT_ROOT) : path;
    if (root.front() != '/') {
        std::fprintf(stderr, "OrvoPlatformSetRootDirectory: \"%s\" is not an absolute path\n",
                     root.c_str());
        return;
    }
    RootState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.root = NormalisedRoot(root);
}

std::string OrvoPlatformRootPath() {
    RootState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.root;
}

CFStringRef OrvoPlatformCopyRootDirectory(void) {
    std::string root = OrvoPlatformRootPath();
    return orvo_cf::CreateStringFromUTF8(root.empty() ? std::string("/") : root);
}

std::string OrvoPlatformResolvePath(const std::string& absolutePath) {
    if (absolutePath.compare(0, kLibraryPrefixLength, kLibraryPrefix) != 0)
        return absolutePath;
    return OrvoPlatformRootPath() + absolutePath;
}

std::string OrvoPlatformDriverPathForFile(const std::string& fileSystemPath) {
    std::string root = OrvoPlatformRootPath();
    if (root.empty())
        return fileSystemPath;
    if (fileSystemPath.size() < root.size() + kLibraryPrefixLength ||
        fileSystemPath.compare(0, root.size(), root) != 0 ||
        fileSystemPath.compare(root.size(), kLibraryPrefixLength, kLibraryPrefix) != 0)
        return fileSystemPath;
    return fileSystemPath.substr(root.size());
}

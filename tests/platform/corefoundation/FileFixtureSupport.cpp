// Temporary folders with files for the file-backed platform tests.
#include "FileFixtureSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <ftw.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orvo_test {

namespace {

int RemoveEntry(const char* inPath, const struct stat*, int, struct FTW*) {
    ::chmod(inPath, 0700); // folders made unreadable by a test must still be emptied
    return ::remove(inPath);
}

void MakeFolders(const std::string& inPath) {
    for (size_t slash = inPath.find('/', 1); slash != std::string::npos;
         slash = inPath.find('/', slash + 1))
        ::mkdir(inPath.substr(0, slash).c_str(), 0755);
    ::mkdir(inPath.c_str(), 0755);
}

} // namespace

TemporaryFolder::TemporaryFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base == '/' ? base : "/tmp") + "/orvo-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr)
        ADD_FAILURE() << "cannot create a temporary folder";
    mPath = buffer.data();
}

TemporaryFolder::~TemporaryFolder() {
    // Depth-first with chmod on the way, so that read-only fixtures go too.
    ::chmod(mPath.c_str(), 0700);
    ::nftw(mPath.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string TemporaryFolder::Write(const std::string& inRelativePath,
                                   const std::string& inContent) const {
    std::string path = mPath + "/" + inRelativePath;
    MakeFolders(path.substr(0, path.find_last_of('/')));
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << inContent;
    if (!file)
        ADD_FAILURE() << "cannot write " << path;
    return path;
}

std::string TemporaryFolder::MakeFolder(const std::string& inRelativePath) const {
    std::string path = mPath + "/" + inRelativePath;
    MakeFolders(path);
    return path;
}

std::string ReadFile(const std::string& inPath) {
    std::ifstream file(inPath, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

bool FileExists(const std::string& inPath) {
    struct stat info;
    return ::stat(inPath.c_str(), &info) == 0;
}

std::vector<std::string> FolderNames(const std::string& inPath) {
    std::vector<std::string> names;
    if (DIR* folder = ::opendir(inPath.c_str())) {
        while (struct dirent* entry = ::readdir(folder)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(folder);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string Text(CFStringRef inString) {
    if (inString == nullptr)
        return "(null)";
    CFIndex size =
        CFStringGetMaximumSizeForEncoding(CFStringGetLength(inString), kCFStringEncodingUTF8) + 1;
    std::vector<char> buffer(static_cast<size_t>(size));
    if (!CFStringGetCString(inString, buffer.data(), size, kCFStringEncodingUTF8))
        return "(unconvertible)";
    return buffer.data();
}

std::string URLText(CFURLRef inURL) {
    return inURL == nullptr ? std::string("(null)") : Text(CFURLGetString(inURL));
}

CFStringRef MakeString(const std::string& inText) {
    return CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(inText.data()),
                                   static_cast<CFIndex>(inText.size()), kCFStringEncodingUTF8,
                                   false);
}

std::string PlistOfStrings(const std::vector<std::pair<std::string, std::string>>& inEntries) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                      "<plist version=\"1.0\">\n<dict>\n";
    for (const auto& [key, value] : inEntries)
        xml += "\t<key>" + key + "</key>\n\t<string>" + value + "</string>\n";
    return xml + "</dict>\n</plist>\n";
}

} // namespace orvo_test

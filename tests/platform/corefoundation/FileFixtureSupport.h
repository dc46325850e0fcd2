// Temporary folders with files, for the tests of the platform's file-backed services
// (URLs, bundles, preferences, the platform root).
#pragma once

#include <CoreFoundation/CoreFoundation.h>

#include <string>
#include <utility>
#include <vector>

namespace orvo_test {

// A new empty folder below the system's temporary folder, removed with everything in it
// when the object goes.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& Path() const { return mPath; }
    // Writes a file below the folder (relative path), creating the folders on the way;
    // returns its full path.
    std::string Write(const std::string& inRelativePath, const std::string& inContent) const;
    // Creates a folder below this one (and its parents); returns its full path.
    std::string MakeFolder(const std::string& inRelativePath) const;

private:
    std::string mPath;
};

// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::string& inPath);
bool FileExists(const std::string& inPath);
// Names in a folder, sorted, without "." and "..".
std::vector<std::string> FolderNames(const std::string& inPath);

// The characters of a string as UTF-8 ("(null)" for null), for comparisons.
std::string Text(CFStringRef inString);
// The string of a URL ("(null)" for null).
std::string URLText(CFURLRef inURL);
// A new string from UTF-8 text.
CFStringRef MakeString(const std::string& inText);

// An XML property list dictionary of string values, as written in bundles.
std::string PlistOfStrings(const std::vector<std::pair<std::string, std::string>>& inEntries);

} // namespace orvo_test

// Whole-file reads and atomic whole-file writes for the platform's resources, bundles and
// preferences. Paths are file-system paths (already resolved below the platform root).
#pragma once

#include <string>
#include <sys/types.h>

namespace orvo_cf {

enum class FileReadResult {
    kOK,
    kNotFound,     // no such file, or a path component is not a folder
    kAccessDenied, // permission refused
    kNotAFile,     // a folder, device, pipe or socket
    kFailed,       // any other failure (I/O error, too large for memory)
};

// Reads a regular file whole. On failure outBytes is empty and outMessage (when not null)
// holds the reason.
FileReadResult ReadWholeFile(const std::string& inPath, std::string& outBytes,
                             std::string* outMessage = nullptr);

// Replaces the file with the given bytes so that readers see the old content or the new,
// never a part: the bytes go to a temporary file in the same folder, are flushed to disk,
// and the temporary file is renamed over the target. A new file gets inMode; an existing
// one keeps its permissions. On failure the target is untouched, no temporary file is
// left behind, outMessage holds the reason and *outError (when not null) the errno value.
bool WriteFileAtomically(const std::string& inPath, const void* inBytes, size_t inLength,
                         mode_t inMode, std::string& outMessage, int* outError = nullptr);

// Creates a folder and its missing parents (mode 0755 before the umask).
bool MakeDirectories(const std::string& inPath, std::string& outMessage);

} // namespace orvo_cf

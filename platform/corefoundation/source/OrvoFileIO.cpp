// Whole-file reads and atomic writes.
#include "OrvoFileIO.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orvo_cf {

namespace {

std::string Reason(const std::string& inPath, int inError) {
    return inPath + ": " + std::strerror(inError);
}

bool WriteAll(int inFd, const char* inBytes, size_t inLength) {
    while (inLength > 0) {
        ssize_t written = ::write(inFd, inBytes, inLength);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        inBytes += written;
        inLength -= static_cast<size_t>(written);
    }
    return true;
}

std::string ParentFolder(const std::string& inPath) {
    size_t slash = inPath.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return inPath.substr(0, slash);
}

} // namespace

FileReadResult ReadWholeFile(const std::string& inPath, std::string& outBytes,
                             std::string* outMessage) {
    outBytes.clear();
    auto fail = [&](FileReadResult inResult, const std::string& inMessage) {
        outBytes.clear();
        if (outMessage != nullptr)
            *outMessage = inMessage;
        return inResult;
    };
    // Non-blocking open, so that a named pipe cannot stall the caller before it is refused.
    int fd = ::open(inPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        int error = errno;
        if (error == ENOENT || error == ENOTDIR || error == ENAMETOOLONG || error == ELOOP)
            return fail(FileReadResult::kNotFound, Reason(inPath, error));
        if (error == EACCES || error == EPERM)
            return fail(FileReadResult::kAccessDenied, Reason(inPath, error));
        if (error == EISDIR)
            return fail(FileReadResult::kNotAFile, inPath + ": is a folder");
        return fail(FileReadResult::kFailed, Reason(inPath, error));
    }
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        int error = errno;
        ::close(fd);
        return fail(FileReadResult::kFailed, Reason(inPath, error));
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return fail(FileReadResult::kNotAFile,
                    inPath + (S_ISDIR(info.st_mode) ? ": is a folder" : ": is not a regular file"));
    }
    try {
        outBytes.reserve(static_cast<size_t>(info.st_size));
        std::vector<char> chunk(65536);
        for (;;) {
            ssize_t got = ::read(fd, chunk.data(), chunk.size());
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                int error = errno;
                ::close(fd);
                return fail(FileReadResult::kFailed, Reason(inPath, error));
            }
            if (got == 0)
                break;
            outBytes.append(chunk.data(), static_cast<size_t>(got));
        }
    } catch (const std::bad_alloc&) {
        ::close(fd);
        return fail(FileReadResult::kFailed, inPath + ": too large to read into memory");
    }
    ::close(fd);
    return FileReadResult::kOK;
}

bool WriteFileAtomically(const std::string& inPath, const void* inBytes, size_t inLength,
                         mode_t inMode, std::string& outMessage, int* outError) {
    int ignored = 0;
    int& error = outError != nullptr ? *outError : ignored;
    error = 0;
    std::string folder = ParentFolder(inPath);
    std::string name = inPath.substr(inPath.find_last_of('/') + 1);
    if (name.empty()) {
        outMessage = inPath + ": not a file name";
        error = EISDIR;
        return false;
    }
    struct stat existing;
    if (::stat(inPath.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) {
            outMessage = inPath + ": is a folder";
            error = EISDIR;
            return false;
        }
        inMode = existing.st_mode & 07777;
    }

    std::string temporary = folder + "/." + name + ".XXXXXX";
    std::vector<char> pattern(temporary.begin(), temporary.end());
    pattern.push_back('\0');
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        error = errno;
        outMessage = Reason(folder, error);
        return false;
    }
    temporary.assign(pattern.data());
    auto fail = [&](int inError) {
        ::close(fd);
        ::unlink(temporary.c_str());
        error = inError;
        outMessage = Reason(inPath, inError);
        return false;
    };
    if (::fchmod(fd, inMode) != 0)
        return fail(errno);
    if (!WriteAll(fd, static_cast<const char*>(inBytes), inLength))
        return fail(errno);
    if (::fsync(fd) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        error = errno;
        ::unlink(temporary.c_str());
        outMessage = Reason(inPath, error);
        return false;
    }
    if (::rename(temporary.c_str(), inPath.c_str()) != 0) {
        error = errno;
        ::unlink(temporary.c_str());
        outMessage = Reason(inPath, error);
        return false;
    }
    // Make the rename itself durable.
    int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return true;
}

bool MakeDirectories(const std::string& inPath, std::string& outMessage) {
    if (inPath.empty())
        return true;
    size_t position = 0;
    while (position != std::string::npos) {
        position = inPath.find('/', position + 1);
        std::string prefix = inPath.substr(0, position);
        if (prefix.empty())
            continue;
        if (::mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) {
            outMessage = Reason(prefix, errno);
            return false;
        }
    }
    struct stat info;
    if (::stat(inPath.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        outMessage = inPath + ": not a folder";
        return false;
    }
    return true;
}

} // namespace orvo_cf

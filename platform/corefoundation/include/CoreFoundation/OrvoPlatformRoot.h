// The platform root: the directory below which the absolute "/Library/..." paths that the
// driver names are found. The host (or a test) chooses it; until then it is the root
// compiled into the platform (the build's staged install root).
//
// Only file-system access goes through the root: URLs, bundle URLs and the strings made
// of them keep the path as the driver names it ("/Library/Printers/...").
#pragma once

#include <CoreFoundation/CFBase.h>

#ifdef __cplusplus
#include <string>
#endif

// Sets the root directory (an absolute path; trailing slashes are ignored). Null or an
// empty path restores the compiled-in default; "/" maps every path onto itself. A relative
// path is refused with a message on the standard error stream. Safe from any thread.
void OrvoPlatformSetRootDirectory(const char* path);

// The current root directory, without a trailing slash ("/" for the file-system root).
CFStringRef OrvoPlatformCopyRootDirectory(void);

#ifdef __cplusplus
// The file-system path of an absolute driver path: a path that begins with "/Library/"
// (exactly, case-sensitively) is placed below the root; every other path is returned
// unchanged.
std::string OrvoPlatformResolvePath(const std::string& absolutePath);

// The reverse: a file-system path below the root's "Library/" folder becomes the driver
// path ("/Library/..."); every other path is returned unchanged.
std::string OrvoPlatformDriverPathForFile(const std::string& fileSystemPath);

// The current root directory as a file-system path, without a trailing slash (empty for
// the file-system root, so that root + "/Library/..." is always the resolved path).
std::string OrvoPlatformRootPath();
#endif

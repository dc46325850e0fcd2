// URLs: parsed as RFC 3986 describes (scheme, authority with user, password, host and
// port, path, query, fragment), optionally relative to a base URL; file URLs and the
// conversion to and from file-system paths; percent escapes; reading and writing the
// resource a file URL names.
//
// A URL keeps the string it was made from; equality and hashing are by that string and
// the base URL. Components come back with their percent escapes in place unless the
// function says otherwise. File-system access for a "file:" URL whose path begins with
// "/Library/" goes below the platform root (OrvoPlatformRoot.h); the URL itself keeps the
// path as given.
#pragma once

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>

typedef CFIndex CFURLPathStyle;
enum : CFIndex {
    kCFURLPOSIXPathStyle = 0, // the only style supported; the others yield null
    kCFURLHFSPathStyle = 1,
    kCFURLWindowsPathStyle = 2,
};

CFTypeID CFURLGetTypeID(void);

// Parses a URL string, relative to baseURL when that is not null. Null when the string is
// not a URL: characters that may not stand in a URL (controls, space, non-ASCII, any of
// "<>\"\\^`{|}"), a "%" not followed by two hexadecimal digits, brackets outside an IPv6
// host, a malformed IPv6 host, or a port that is not a decimal number below 65536.
CFURLRef CFURLCreateWithString(CFAllocatorRef allocator, CFStringRef URLString, CFURLRef baseURL);
// The same from bytes in the given encoding (UTF-8 or ASCII).
CFURLRef CFURLCreateWithBytes(CFAllocatorRef allocator, const UInt8* URLBytes, CFIndex length,
                              CFStringEncoding encoding, CFURLRef baseURL);

// A "file://" URL for a path: characters that may not stand in a path are percent-escaped;
// a relative path is taken relative to the current working folder; isDirectory adds a
// trailing "/" (without it a trailing "/" is dropped, except for "/" itself).
CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef allocator, CFStringRef filePath,
                                       CFURLPathStyle pathStyle, Boolean isDirectory);
// The same from a UTF-8 path of bufLen bytes.
CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef allocator, const UInt8* buffer,
                                                 CFIndex bufLen, Boolean isDirectory);

// The URL's string as it was given (relative to the base URL when there is one); borrowed.
CFStringRef CFURLGetString(CFURLRef anURL);
CFURLRef CFURLGetBaseURL(CFURLRef anURL);
// The URL resolved against its base (RFC 3986 section 5.2); the URL itself, retained, when
// it has no base.
CFURLRef CFURLCopyAbsoluteURL(CFURLRef relativeURL);
// True when the URL has the hierarchical form scheme://authority/path or scheme:/path (or
// is relative to a base URL that has it, or is a plain relative reference). "mailto:x@y"
// cannot be decomposed: only its scheme is available.
Boolean CFURLCanBeDecomposed(CFURLRef anURL);

// Components. Scheme, user, password, host and port come from the base URL when a relative
// URL lacks them; the path, query and fragment are the URL's own. Null when absent.
CFStringRef CFURLCopyScheme(CFURLRef anURL);
// The host with its escapes removed, and without the brackets of an IPv6 address. Null
// when there is no authority or the host is empty ("file:///x").
CFStringRef CFURLCopyHostName(CFURLRef anURL);
// The port, -1 when the URL names none.
SInt32 CFURLGetPortNumber(CFURLRef anURL);
CFStringRef CFURLCopyUserName(CFURLRef anURL); // escapes removed
CFStringRef CFURLCopyPassword(CFURLRef anURL); // escapes removed
CFStringRef CFURLCopyPath(CFURLRef anURL);     // escapes kept; "" when the path is empty
CFStringRef CFURLCopyQueryString(CFURLRef anURL, CFStringRef charactersToLeaveEscaped);
CFStringRef CFURLCopyFragment(CFURLRef anURL, CFStringRef charactersToLeaveEscaped);
// True when the path ends with "/".
Boolean CFURLHasDirectoryPath(CFURLRef anURL);

// The path of the absolute URL with its escapes removed and without a trailing "/" (except
// for "/"). Null when the URL cannot be decomposed or its path does not decode to UTF-8
// text without NUL characters.
CFStringRef CFURLCopyFileSystemPath(CFURLRef anURL, CFURLPathStyle pathStyle);
// The same path as NUL-terminated UTF-8 in the caller's buffer; false when it does not fit
// or there is no such path. resolveAgainstBase false uses the URL's own path alone.
Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase, UInt8* buffer,
                                         CFIndex maxBufLen);

// The last path segment with escapes removed (a trailing "/" is ignored; "/" for the root).
CFStringRef CFURLCopyLastPathComponent(CFURLRef url);
// The text after the last "." of the last segment; null when there is none (a leading dot
// does not start an extension).
CFStringRef CFURLCopyPathExtension(CFURLRef url);
// New URLs with the path changed; query and fragment are kept, the base URL too.
CFURLRef CFURLCreateCopyAppendingPathComponent(CFAllocatorRef allocator, CFURLRef url,
                                               CFStringRef pathComponent, Boolean isDirectory);
CFURLRef CFURLCreateCopyDeletingLastPathComponent(CFAllocatorRef allocator, CFURLRef url);
CFURLRef CFURLCreateCopyAppendingPathExtension(CFAllocatorRef allocator, CFURLRef url,
                                               CFStringRef extension);
CFURLRef CFURLCreateCopyDeletingPathExtension(CFAllocatorRef allocator, CFURLRef url);

// Decodes "%XX" escapes (the bytes taken as UTF-8), except those that decode to a character
// in charactersToLeaveEscaped. Null charactersToLeaveEscaped replaces nothing (a copy is
// returned); "" replaces every escape. Null when an escape is malformed or the decoded
// bytes are not UTF-8.
CFStringRef CFURLCreateStringByReplacingPercentEscapes(CFAllocatorRef allocator,
                                                       CFStringRef originalString,
                                                       CFStringRef charactersToLeaveEscaped);
// Escapes as "%XX", byte by byte of the string in the given encoding, every character
// that may not stand in a URL (controls, space, non-ASCII, "%" and "<>\"\\^`{|}"), except
// those in charactersToLeaveUnescaped, and also the characters in
// legalURLCharactersToBeEscaped (for example "/?#&=" to escape a query value). Null when
// the string cannot be represented in the encoding.
CFStringRef CFURLCreateStringByAddingPercentEscapes(CFAllocatorRef allocator,
                                                    CFStringRef originalString,
                                                    CFStringRef charactersToLeaveUnescaped,
                                                    CFStringRef legalURLCharactersToBeEscaped,
                                                    CFStringEncoding encoding);

// Resource access (file URLs only). Error codes:
enum : SInt32 {
    kCFURLUnknownError = -10,
    kCFURLUnknownSchemeError = -11,
    kCFURLResourceNotFoundError = -12,
    kCFURLResourceAccessViolationError = -13,
    kCFURLRemoteHostUnavailableError = -14,
    kCFURLImproperArgumentsError = -15,
    kCFURLUnknownPropertyKeyError = -16,
    kCFURLPropertyKeyUnavailableError = -17,
    kCFURLTimeoutError = -18,
};

// Property keys of CFURLCreateDataAndPropertiesFromResource.
extern const CFStringRef kCFURLFileExists;               // boolean
extern const CFStringRef kCFURLFileDirectoryContents;    // array of URLs, for a folder
extern const CFStringRef kCFURLFileLength;               // number of bytes (SInt64)
extern const CFStringRef kCFURLFileLastModificationTime; // date
extern const CFStringRef kCFURLFilePOSIXMode;            // number (SInt32)
extern const CFStringRef kCFURLFileOwnerID;              // number (SInt32)

// Reads the resource a file URL names. With resourceData not null the whole file is read
// into a new data object (a folder, device or unreadable file is an error). With
// properties not null a new dictionary receives the properties named in
// desiredProperties (all of them when that is null); a missing file then yields
// kCFURLFileExists false and no other property. Returns true on success; on failure the
// outputs are null and *errorCode (when not null) holds the reason: kCFURLResourceNotFound
// Error, kCFURLResourceAccessViolationError (permission refused, or not a regular file),
// kCFURLUnknownSchemeError (not a file URL), kCFURLImproperArgumentsError (no usable path),
// kCFURLUnknownError. *errorCode is 0 on success.
Boolean CFURLCreateDataAndPropertiesFromResource(CFAllocatorRef alloc, CFURLRef url,
                                                 CFDataRef* resourceData,
                                                 CFDictionaryRef* properties,
                                                 CFArrayRef desiredProperties, SInt32* errorCode);
// Writes data to the file a file URL names, atomically: the bytes go to a temporary file
// in the same folder, are flushed to disk and renamed over the target, so that a reader
// never sees a partial file. A URL with a directory path and null data creates the folder.
// propertiesToWrite may hold kCFURLFilePOSIXMode. Returns false with *errorCode set on
// failure; the target is then unchanged.
Boolean CFURLWriteDataAndPropertiesToResource(CFURLRef url, CFDataRef dataToWrite,
                                              CFDictionaryRef propertiesToWrite, SInt32* errorCode);

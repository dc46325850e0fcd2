// Bundles: a folder "Name.ext/" holding
//     Contents/Info.plist                  the information dictionary (XML property list)
//     Contents/MacOS/<CFBundleExecutable>  the executable, a shared object
//     Contents/Resources/                  resources, optionally per language in
//     Contents/Resources/<language>.lproj/ folders such as "en.lproj"
//     Contents/PlugIns/                    bundles built into this one
// Bundles live for the rest of the process once created: the same folder always gives the
// same bundle object, and "Get" functions return borrowed references to them.
//
// A bundle's URLs keep the folder's path as it was named (for example
// "/Library/Printers/..."); the files themselves are found below the platform root
// (OrvoPlatformRoot.h). Localised string tables are described in
// platform/corefoundation/README.md.
#pragma once

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFURL.h>

// Keys of the information dictionary.
extern const CFStringRef kCFBundleInfoDictionaryVersionKey; // "CFBundleInfoDictionaryVersion"
extern const CFStringRef kCFBundleExecutableKey;            // "CFBundleExecutable"
extern const CFStringRef kCFBundleIdentifierKey;            // "CFBundleIdentifier"
extern const CFStringRef kCFBundleVersionKey;               // "CFBundleVersion"
extern const CFStringRef kCFBundleDevelopmentRegionKey;     // "CFBundleDevelopmentRegion"
extern const CFStringRef kCFBundleNameKey;                  // "CFBundleName"
extern const CFStringRef kCFBundleLocalizationsKey;         // "CFBundleLocalizations"

CFTypeID CFBundleGetTypeID(void);

// The bundle in the folder a file URL names, retained (the same object for the same
// folder). Null when the folder has no "Contents/Info.plist"; a malformed Info.plist is
// reported on the standard error stream and also yields null.
CFBundleRef CFBundleCreate(CFAllocatorRef allocator, CFURLRef bundleURL);
// A bundle with the given identifier (borrowed): one created before, else the first found
// (folders in name order) below the platform root's "/Library/Printers/" and
// "/Library/Frameworks/" trees, bundles inside bundles included. Null when there is none.
// Safe from any thread.
CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID);
// The bundle of the running executable when it lies in "<bundle>/Contents/MacOS/", else a
// bundle for the executable's folder (its resources are that folder, its information
// dictionary is empty). Borrowed.
CFBundleRef CFBundleGetMainBundle(void);

// The information dictionary (borrowed; empty, never null, for a bundle without one) and
// values from it.
CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle);
CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key);
CFStringRef CFBundleGetIdentifier(CFBundleRef bundle);
// CFBundleDevelopmentRegion, or "en" when the bundle names none.
CFStringRef CFBundleGetDevelopmentRegion(CFBundleRef bundle);

// The bundle's folder ("file:///.../Name.ext/").
CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
// "Contents/Resources/" relative to the bundle's URL (CFURLCopyAbsoluteURL gives the full
// URL).
CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle);
// "Contents/PlugIns/" relative to the bundle's URL.
CFURLRef CFBundleCopyBuiltInPlugInsURL(CFBundleRef bundle);
// "Contents/MacOS/<CFBundleExecutable>"; null when the key is missing or the file does not
// exist.
CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle);

// The URL of a resource (a file or a folder), or null. resourceType is an extension with or
// without its dot, or null/empty when resourceName is a whole file name; resourceName may
// also carry the extension itself. Null resourceName finds the first resource of the type.
// Folders searched, in order: Resources/<subDirName>, then
// Resources/<language>.lproj/<subDirName> for the development region, "en", "English" and
// "Base".
CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName,
                                 CFStringRef resourceType, CFStringRef subDirName);
// Every resource with the extension (all resources for null or empty), from the same
// folders in the same order, each file name once.
CFArrayRef CFBundleCopyResourceURLsOfType(CFBundleRef bundle, CFStringRef resourceType,
                                          CFStringRef subDirName);

// The localised string for key from the table "<tableName>.strings" ("Localizable" when
// tableName is null or empty), found like a resource. A key the table lacks (or a missing
// table) gives value when it is not null and not empty, else the key itself. A table that
// does not parse is reported once on the standard error stream and treated as empty.
CFStringRef CFBundleCopyLocalizedString(CFBundleRef bundle, CFStringRef key, CFStringRef value,
                                        CFStringRef tableName);
#define CFCopyLocalizedString(key, comment)                                                        \
    CFBundleCopyLocalizedString(CFBundleGetMainBundle(), (key), (key), NULL)
#define CFCopyLocalizedStringFromTable(key, tbl, comment)                                          \
    CFBundleCopyLocalizedString(CFBundleGetMainBundle(), (key), (key), (tbl))
#define CFCopyLocalizedStringFromTableInBundle(key, tbl, bundle, comment)                          \
    CFBundleCopyLocalizedString((bundle), (key), (key), (tbl))
#define CFCopyLocalizedStringWithDefaultValue(key, tbl, bundle, value, comment)                    \
    CFBundleCopyLocalizedString((bundle), (key), (value), (tbl))

// The executable, loaded with dlopen (RTLD_NOW | RTLD_LOCAL). Failures are reported on the
// standard error stream with the loader's message. The main bundle's executable is always
// loaded. Getting a symbol loads the executable first when needed; a missing symbol is
// reported and gives null.
Boolean CFBundleLoadExecutable(CFBundleRef bundle);
Boolean CFBundleIsExecutableLoaded(CFBundleRef bundle);
void CFBundleUnloadExecutable(CFBundleRef bundle);
void* CFBundleGetFunctionPointerForName(CFBundleRef bundle, CFStringRef functionName);
void* CFBundleGetDataPointerForName(CFBundleRef bundle, CFStringRef symbolName);

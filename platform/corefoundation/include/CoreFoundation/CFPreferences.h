// Preferences: property-list values stored by key in domains named by application, user
// and host.
//
// Storage, one XML property list per domain:
//   any user:      <platform root>/Library/Preferences/<application>.plist (machine-wide)
//   current user:  $XDG_CONFIG_HOME/orvo/preferences/<application>.plist, where
//                  XDG_CONFIG_HOME defaults to ~/.config
// The host plays no part: "any host" and "current host" share the same file. The
// application kCFPreferencesAnyApplication is stored as ".GlobalPreferences";
// kCFPreferencesCurrentApplication is the main bundle's identifier, or the executable's
// file name when it has none.
//
// Changes are held in memory until the domain is synchronised; synchronising reads the
// file again, applies the changes over it and replaces the file atomically (a temporary
// file renamed over it), so a reader never sees a half-written file. A file that does not
// parse is reported on the standard error stream and read as an empty domain; it is left
// as it is until a value is set in that domain and the domain synchronised. Every call is
// safe from any thread.
#pragma once

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFString.h>

extern const CFStringRef kCFPreferencesAnyApplication;
extern const CFStringRef kCFPreferencesCurrentApplication;
extern const CFStringRef kCFPreferencesAnyHost;
extern const CFStringRef kCFPreferencesCurrentHost;
extern const CFStringRef kCFPreferencesAnyUser;
extern const CFStringRef kCFPreferencesCurrentUser;

// The value of key for the application, searched in this order: current user and this
// application, current user and any application, any user and this application, any user
// and any application. Null when none has it.
CFPropertyListRef CFPreferencesCopyAppValue(CFStringRef key, CFStringRef applicationID);
// Sets (or with null value removes) key for the current user and the application.
void CFPreferencesSetAppValue(CFStringRef key, CFPropertyListRef value, CFStringRef applicationID);
// Synchronises every domain of the application's search list; false when a write failed
// (the changes are kept in memory and written at the next synchronisation).
Boolean CFPreferencesAppSynchronize(CFStringRef applicationID);

// The same for exactly one domain. userName is kCFPreferencesAnyUser,
// kCFPreferencesCurrentUser or the current user's login name; others are refused.
CFPropertyListRef CFPreferencesCopyValue(CFStringRef key, CFStringRef applicationID,
                                         CFStringRef userName, CFStringRef hostName);
void CFPreferencesSetValue(CFStringRef key, CFPropertyListRef value, CFStringRef applicationID,
                           CFStringRef userName, CFStringRef hostName);
Boolean CFPreferencesSynchronize(CFStringRef applicationID, CFStringRef userName,
                                 CFStringRef hostName);
// The keys of one domain, sorted (an empty array for an empty domain); null when the
// domain cannot be named.
CFArrayRef CFPreferencesCopyKeyList(CFStringRef applicationID, CFStringRef userName,
                                    CFStringRef hostName);

// Test hook: forgets every domain held in memory, including changes not yet synchronised,
// so that the next access reads the files as a new process would.
void OrvoPreferencesDiscardCachedDomains(void);

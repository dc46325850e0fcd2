// The ".strings" files of bundles: the tables that CFBundleCopyLocalizedString reads. The
// formats are described in platform/corefoundation/README.md.
#pragma once

#include <CoreFoundation/CFDictionary.h>

#include <string>

namespace orvo_cf {

// Parses the bytes of a strings file (an XML property list dictionary, or the text form
// "key" = "value";) into a new dictionary of strings. Null with outError describing the
// fault (and its line in the text form) when the bytes are not a strings table.
CFDictionaryRef CreateStringsTable(const std::string& inBytes, std::string& outError);

} // namespace orvo_cf

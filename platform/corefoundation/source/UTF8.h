// The platform's one UTF-8 codec, shared by strings, URLs, strings tables and the
// property-list writer. Decoding is strict: overlong forms, surrogates and values past
// U+10FFFF are malformed.
#pragma once

#include <CoreFoundation/CFBase.h>

#include <string>
#include <string_view>

namespace orvo_cf {

// Decodes the sequence at ioIndex and advances past it; false (ioIndex unchanged) when it
// is malformed or truncated.
bool DecodeUTF8Sequence(std::string_view inText, size_t& ioIndex, UTF32Char& outCodePoint);
bool IsValidUTF8(std::string_view inText);
// Appends the encoding of a code point (a surrogate is encoded as itself; callers that
// must not write one check first).
void AppendUTF8(std::string& ioOut, UTF32Char inCodePoint);

} // namespace orvo_cf

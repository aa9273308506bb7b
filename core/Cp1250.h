// Windows-1250, the single-byte code page of every text file the program reads or writes.
// The five bytes the code page leaves undefined (0x81, 0x83, 0x88, 0x90, 0x98) map to the C1
// control characters of the same number, so that every byte survives a round trip.
#pragma once

#include "Error.h"

#include <string>
#include <string_view>

namespace vorida {

// The Unicode code point of a Windows-1250 byte.
char32_t Cp1250ToUnicode(unsigned char byte);
// The Windows-1250 byte of a code point, or -1 when the code page has none.
int UnicodeToCp1250(char32_t codePoint);

// The one UTF-8 reader of the program: the code point of the character at bytes[i], with i
// moved past it, or -1 (i unchanged) when no well-formed sequence starts there (overlong forms,
// surrogates and anything beyond U+10FFFF are malformed).
long DecodeUtf8(std::string_view bytes, size_t& i);
// True when bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

// Windows-1250 bytes to UTF-8; never fails.
std::string Cp1250ToUtf8(std::string_view bytes);

class EncodingError : public Error
{
public:
    using Error::Error;
};

// UTF-8 to Windows-1250. Throws EncodingError on malformed UTF-8 or on a character the code
// page cannot hold, unless a replacement byte is given.
std::string Utf8ToCp1250(std::string_view utf8);
std::string Utf8ToCp1250(std::string_view utf8, char replacement);

} // namespace vorida

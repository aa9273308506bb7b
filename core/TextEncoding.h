// Which encoding a text file is in: the program's own Windows-1250, or UTF-8 as Windows Notepad
// saves it (with or without the byte-order mark). The editor opens and saves files by it and the
// run reads point files by it, so both take a file the same way.
#pragma once

#include <string_view>

namespace vorida {

// The UTF-8 byte-order mark, which belongs to the file, not to its text.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Cp1250: single-byte Windows-1250 (plain ASCII among it: the two read alike). Utf8: UTF-8
// without a byte-order mark. Utf8Bom: the bytes begin with the byte-order mark.
enum class TextEncoding { Cp1250, Utf8, Utf8Bom };

// A file that begins with the byte-order mark is UTF-8. Otherwise it is UTF-8 only when its
// bytes are well-formed UTF-8 with at least one character beyond ASCII, and every such
// character is one a Polish text plausibly holds (Latin letters, Polish ones among them,
// punctuation and the common symbols) or the Windows-1250 reading is no better. A short
// Windows-1250 word is often well-formed UTF-8 by chance: "PÓŁNOC" (D3 A3) reads as a Cyrillic
// letter, and stays Windows-1250.
TextEncoding DetectEncoding(std::string_view bytes);

} // namespace vorida

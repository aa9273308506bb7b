#include "TextEncoding.h"

#include "Cp1250.h"

namespace vorida {

namespace {

// A character beyond ASCII that a Polish point file or report plausibly holds: the Latin
// letters with their accents (Latin-1 and Latin Extended-A, where every Polish letter lies), the
// spacing accents of Windows-1250 (ˇ ˘ ˙ ˛ ˝), the general punctuation (dashes, quotes, the
// ellipsis), the currency and letterlike symbols (€, №, ™), arrows, the mathematical operators
// (±, ×, −, ≤), the box drawing and geometric shapes (▲, ●), the Greek letters of a surveyor's
// descriptions (φ, λ, Δh) and the byte-order mark that starts each of several files put
// together. A Windows-1250 text read as UTF-8 by chance gives other blocks: a capital such as Ó,
// Ń, Ę or Ć before Ł, Ś, Ź or Ż reads as Latin Extended-B, IPA or Cyrillic (Greek would need
// Í, Î or Ď, which Polish has not), and three or four high bytes read as Asian scripts or
// beyond.
bool isPlausible(char32_t c)
{
    return (c >= 0x00A0 && c <= 0x017F) || (c >= 0x02C6 && c <= 0x02DD)
        || (c >= 0x0370 && c <= 0x03FF) || c == 0xFEFF || (c >= 0x2000 && c <= 0x206F)
        || (c >= 0x20A0 && c <= 0x214F) || (c >= 0x2190 && c <= 0x22FF)
        || (c >= 0x2500 && c <= 0x25FF);
}

// The Windows-1250 reading of the bytes holds no byte the code page leaves undefined. Control
// characters read alike in both encodings, so they tell nothing.
bool isPlausibleCp1250(std::string_view bytes)
{
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98)
            return false;
    }
    return true;
}

} // namespace

TextEncoding DetectEncoding(std::string_view bytes)
{
    if (bytes.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark)
        return TextEncoding::Utf8Bom;
    bool beyondAscii = false, plausible = true;
    for (size_t i = 0; i < bytes.size();) {
        const long c = DecodeUtf8(bytes, i);
        if (c < 0)
            return TextEncoding::Cp1250;
        if (c >= 0x80) {
            beyondAscii = true;
            plausible = plausible && isPlausible(static_cast<char32_t>(c));
        }
    }
    if (!beyondAscii || (!plausible && isPlausibleCp1250(bytes)))
        return TextEncoding::Cp1250;
    return TextEncoding::Utf8;
}

} // namespace vorida

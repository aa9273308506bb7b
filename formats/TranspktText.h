// TRANSPKT.BIN as editable text, for the command-line tool's pack and dump.
//
// UTF-8, one item a line, lines ending in LF or CR LF:
//   # a comment (a line starting with "#" that is not a point line)
//   @area<TAB>the area name, every character after the tab
//   @system<TAB>the system code
//   @skipped<TAB>the value stored in the field the program skips
//   name<TAB>localX<TAB>localY<TAB>nationalX<TAB>nationalY
// A line with exactly four tabs is always a point line; a point line without tabs may separate
// its five words by blanks instead. Blank lines are skipped. Numbers use "." only; a value
// with no decimal form of its own (NaN payloads, unnormals) stands as raw: and the 20 hex
// digits of its 10 bytes in file order.
#pragma once

#include "Error.h"
#include "UPKTBIN.h"

#include <string>
#include <string_view>

namespace vorida {

class PackError : public Error
{
public:
    PackError(long line, const std::string& message);
    long Line; // from 1
};

// Parses the text; names and the area name become Windows-1250 (a character the code page
// cannot hold is an error). Throws PackError naming the first bad line.
TranspktFile ParseTranspktText(std::string_view text);

// The text of a file's contents: every header value, every coordinate exactly.
std::string DumpTranspktText(const TranspktFile& contents);

} // namespace vorida

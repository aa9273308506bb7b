// Columns of plain lines as the editor shows them: tab expansion, and where smart Tab and smart
// Backspace go. Pure functions, on lines given with their tabs already expanded.
#pragma once

#include <QString>

#include <functional>
#include <string>
#include <string_view>

namespace vorida::editor {

// `line` with every tab replaced by the blanks up to the next multiple of `width`.
QString ExpandTabsInLine(const QString& line, int width);
// The same for a UTF-8 text of LF-separated lines: columns count characters and start again
// after every LF.
std::string ExpandTabsInText(std::string_view utf8, int width);
// The same, appended to `out`.
void AppendExpandedTabs(std::string& out, std::string_view utf8, int width);

// Line `index` (from 0) of a text, its tabs expanded.
using ExpandedLineAt = std::function<QString(int index)>;

// Smart Tab at display column `column` of line `line` (both from 0): the column below the next
// word start of the nearest non-blank line above, else the next tab stop.
int SmartTabColumn(const ExpandedLineAt& lineAt, int line, int column, int tabWidth);
// Smart Backspace in the leading blanks, at `column` of line `line`: back to the previous
// indentation level, the indentation of the nearest non-blank line above that is indented less
// than `column`, else column 0.
int SmartBackspaceColumn(const ExpandedLineAt& lineAt, int line, int column);

} // namespace vorida::editor

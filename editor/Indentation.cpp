#include "Indentation.h"

#include <algorithm>

namespace vorida::editor {

QString ExpandTabsInLine(const QString& line, int width)
{
    QString out;
    for (QChar c : line) {
        if (c == u'\t')
            out += QString(width - out.size() % width, u' ');
        else
            out += c;
    }
    return out;
}

std::string ExpandTabsInText(std::string_view utf8, int width)
{
    std::string out;
    out.reserve(utf8.size() + utf8.size() / 4);
    AppendExpandedTabs(out, utf8, width);
    return out;
}

void AppendExpandedTabs(std::string& out, std::string_view utf8, int width)
{
    // Runs between tabs go over whole. Columns matter only at a tab: the characters from the
    // start of its line (or from the tab before, on the same line) are counted there.
    int column = 0;
    for (size_t i = 0; i < utf8.size();) {
        const size_t tab = std::min(utf8.find('\t', i), utf8.size());
        out.append(utf8.substr(i, tab - i));
        if (tab == utf8.size())
            break;
        size_t from = tab;
        while (from > i && utf8[from - 1] != '\n')
            --from;
        if (from > i)
            column = 0; // a line began since the tab before (i follows a tab, or is 0)
        for (size_t k = from; k < tab; ++k)
            if ((static_cast<unsigned char>(utf8[k]) & 0xC0) != 0x80) // not a continuation byte
                ++column;
        const int blanks = width - column % width;
        out.append(static_cast<size_t>(blanks), ' ');
        column += blanks;
        i = tab + 1;
    }
}

int SmartTabColumn(const ExpandedLineAt& lineAt, int line, int column, int tabWidth)
{
    for (int above = line - 1; above >= 0; --above) {
        const QString text = lineAt(above);
        if (text.trimmed().isEmpty())
            continue;
        for (int c = column + 1; c < text.size(); ++c)
            if (text[c] != u' ' && text[c - 1] == u' ')
                return c;
        break; // only the nearest non-blank line counts
    }
    return (column / tabWidth + 1) * tabWidth;
}

int SmartBackspaceColumn(const ExpandedLineAt& lineAt, int line, int column)
{
    for (int above = line - 1; above >= 0; --above) {
        const QString text = lineAt(above);
        if (text.trimmed().isEmpty())
            continue;
        int indent = 0;
        while (indent < text.size() && text[indent] == u' ')
            ++indent;
        if (indent < column)
            return indent;
    }
    return 0;
}

} // namespace vorida::editor

#include "System.h"

namespace vorida {

std::string NativeSeparators(std::string path)
{
    if (kPathSeparator != '/')
        for (char& c : path)
            if (c == '/')
                c = kPathSeparator;
    return path;
}

std::string PathIn(const std::string& directory, std::string_view name)
{
    std::string path = directory;
    path += kPathSeparator;
    path += name;
    return path;
}

} // namespace vorida

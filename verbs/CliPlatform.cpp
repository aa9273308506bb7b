#include "CliPlatform.h"

#include <ostream>

namespace vorida::cli {

void CliPlatform::Release(std::ostream& out)
{
    for (const std::string& text : Held)
        out << ConsoleMessage(text);
    Held.clear();
}

} // namespace vorida::cli

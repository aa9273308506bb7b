// The platform of the verbs: the console's, with the messages held until the outcome is known.
#pragma once

#include "ConsolePlatform.h"

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace vorida::cli {

// Messages are held until the outcome is known: the closing message of a complete run goes to
// standard output, everything else to standard error.
class CliPlatform : public ConsolePlatform
{
public:
    std::vector<std::string> Held;
    void ShowMessage(std::string_view text) override { Held.emplace_back(text); }
    void Release(std::ostream& out);
};

} // namespace vorida::cli

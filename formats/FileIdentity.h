// Whether two paths name one file, and the inputs an output must never be, by their identity
// when they were opened.
#pragma once

#include "System.h"

#include <string>
#include <vector>

namespace vorida {

// True when both paths name one file: the same existing file by the system's identity (another
// spelling, a hard or symbolic link), or, where it does not exist yet, the same place.
bool SameFile(const std::string& a, const std::string& b);
// True when both paths name one existing file (the system's identity only).
bool SameExistingFile(const std::string& a, const std::string& b);

// An input a run reads, by its identity when it was opened: no output may be it.
struct GuardedInput
{
    FileIdentity Identity;
    std::string Path; // for the message
};
// The identity of the file at path (links followed), when it exists, appended to inputs.
void GuardInput(std::vector<GuardedInput>& inputs, const std::string& path);

} // namespace vorida

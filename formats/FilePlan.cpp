#include "FilePlan.h"

#include "FileError.h"
#include "FileNames.h"
#include "System.h"

namespace vorida {

void FilePlan::Reads(const std::string& path)
{
    if (!path.empty() && !IsStandardStream(path))
        inputs_.push_back(path);
}

void FilePlan::Writes(const std::string& path)
{
    if (!path.empty())
        outputs_.push_back(path);
}

std::optional<FilePlan::Clash> FilePlan::FirstClash() const
{
    for (size_t i = 0; i < outputs_.size(); ++i) {
        const std::string& out = outputs_[i];
        const bool standard = IsStandardStream(out);
        // A device or a FIFO loses nothing by being written.
        if (!standard && FileKindOnDisk(out) == FileKind::Other)
            continue;
        for (const std::string& in : inputs_)
            if (!standard && SameFile(out, in))
                return Clash { out, in, false };
        for (size_t j = 0; j < i; ++j)
            if (standard ? IsStandardStream(outputs_[j])
                         : !IsStandardStream(outputs_[j]) && SameFile(out, outputs_[j]))
                return Clash { out, outputs_[j], true };
    }
    return std::nullopt;
}

std::vector<GuardedInput> FilePlan::InputGuards() const
{
    std::vector<GuardedInput> guards;
    for (const std::string& in : inputs_)
        GuardInput(guards, in);
    return guards;
}

std::string FilePlan::ClashText(const Clash& c)
{
    auto name = [](const std::string& path) {
        return IsStandardStream(path) ? std::string("standardowe wyjście") : PathForMessage(path);
    };
    if (c.OtherIsOutput)
        return "Dwa pliki wynikowe to ten sam plik: " + name(c.Other) + " i " + name(c.Output)
            + ". Nic nie zostało zapisane.";
    return "Plik wynikowy " + name(c.Output) + " to plik wejściowy " + name(c.Other)
        + ": zapis zniszczyłby dane. Nic nie zostało zapisane.";
}

} // namespace vorida

// The files of one command, gathered before anything is written, so that no output destroys an
// input or another output.
#pragma once

#include "FileIdentity.h"

#include <optional>
#include <string>
#include <vector>

namespace vorida {

// The files of one command: an output that is one of the inputs, or another output, would
// destroy it. The standard streams are never files of the command (but two outputs on standard
// output clash), and an output that is a device or a FIFO destroys nothing.
class FilePlan
{
public:
    void Reads(const std::string& path);
    void Writes(const std::string& path);
    struct Clash
    {
        std::string Output, Other;
        bool OtherIsOutput = false;
    };
    // The first output that clashes with an input or an earlier output.
    std::optional<Clash> FirstClash() const;
    // The message of a clash: both files named, nothing written.
    static std::string ClashText(const Clash& clash);
    // The inputs as they are now, for the outputs to be checked against once more as they are
    // written (OutputFile::Guard, WriteWholeFile).
    std::vector<GuardedInput> InputGuards() const;

private:
    std::vector<std::string> inputs_, outputs_;
};

} // namespace vorida

// The files of the verbs: whole inputs (standard input for "-"), whole outputs written whole or
// not at all (standard output for "-"), the refusal of an output that is an input, and a stream
// copied to a file for a library that only takes a path.
#pragma once

#include "VerbStreams.h"

#include "FilePlan.h"

#include <optional>
#include <string>
#include <string_view>

namespace vorida::cli {

// The whole file, or standard input for "-" (binary).
bool ReadWholeInput(const std::string& path, std::string& contents);
// Writes bytes to the file whole or not at all (beside it, then renamed over it), or to standard
// output for "-"; false after a message on standard error naming the file and the reason. With a
// plan, the output is checked once more against its inputs as they are at the moment of writing:
// a link planted at the output while an input was read (a FIFO waits for its writer) cannot turn
// an input into the output.
bool WriteWholeOutput(VerbStreams& io, const std::string& path, std::string_view bytes,
    const FilePlan* plan = nullptr);

// Refuses (exit status 2, both files named) an output that is one of the inputs or another
// output, by the files' identity; nothing when the plan is sound.
std::optional<ExitStatus> RefuseClash(VerbStreams& io, const FilePlan& plan);

// A file that a library only takes by path: the path itself, or for "-" or a FIFO (a named pipe,
// a process substitution) a temporary copy of the stream, removed again with this object.
class InputPath
{
public:
    InputPath(VerbStreams& io, const std::string& path);
    ~InputPath();
    InputPath(const InputPath&) = delete;
    InputPath& operator=(const InputPath&) = delete;
    // False when standard input could not be copied (after a message).
    bool Ready() const { return ready_; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    bool temporary_ = false, ready_ = true;
    int removalSlot_ = -1; // the copy goes when the tool is interrupted
};

} // namespace vorida::cli

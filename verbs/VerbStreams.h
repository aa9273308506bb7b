// What every verb of vorida-cli writes through: its two streams, the exit statuses, and the
// watch on the program's standard output that reports a failed write at the end.
#pragma once

#include <iosfwd>
#include <string_view>
#include <vector>

namespace vorida::cli {

// The two streams a verb writes to: its standard output and its standard error.
struct VerbStreams
{
    std::ostream& Out;
    std::ostream& Err;
    // The verb has shown the failure of its standard output already (the end of the program
    // says no more).
    bool OutFailureShown = false;
};

// The exit statuses of vorida-cli, for every verb (the help, the manual page and
// docs/command-line.md show ExitStatusTexts).
enum class ExitStatus : int {
    Ok = 0, // done
    Failure = 1, // a file that cannot be read or written, a refused area, a failed run
    Usage = 2, // wrong usage (the complaint and the help), or an output that is an input
    // Complete, but convert --strict met a defective point, or verify --tolerance a check point
    // over the tolerance.
    Shortfall = 3,
};

// Each exit status with its Polish words, short (a line of the help) and whole (the manual).
struct ExitStatusText
{
    ExitStatus Status;
    std::string_view Short, Whole;
};
const std::vector<ExitStatusText>& ExitStatusTexts();

// The program's standard output, watched from the start (after UseUtf8Console): its bytes go
// straight to the C library's stream, so that they keep their order with the files written
// there, and the reason of the first failed write is kept for Finish.
class StandardOutput
{
public:
    StandardOutput();
    // Standard output at the end of a verb: flushed; after a write failure, exit status 1 and
    // the reason on standard error, unless the verb has shown it (a reader that closed the pipe
    // early ends it quietly).
    int Finish(int status, const VerbStreams& io);

private:
    class Buffer;
    Buffer* buffer_ = nullptr; // never destroyed: std::cout is flushed once more at the end
};

} // namespace vorida::cli

// What the verbs of vorida-cli share: their streams, the exit statuses, the verbs' table, the
// held messages and number helpers. Each verb lives in a source file of its own with its option
// table and only reads options and prints; the work is done by the libraries.
#pragma once

#include "ConsolePlatform.h"
#include "Extended.h"
#include "FilePlan.h"
#include "Options.h"
#include "Run.h"
#include "System.h"
#include "UTrKonfAf.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorida {
struct CheckPointFile;
}

namespace vorida::cli {

// The two streams a verb writes to: its standard output and its standard error.
struct VerbStreams
{
    std::ostream& Out;
    std::ostream& Err;
};

// The exit statuses of vorida-cli, for every verb (the help, the manual page and
// docs/command-line.md show exitStatusTexts).
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
const std::vector<ExitStatusText>& exitStatusTexts();

// A verb: its name, its line in the tool's help, its operands (before the options in the
// synopsis), its description, its options and its work once they are read.
struct VerbSpec
{
    std::string_view Name;
    std::string_view Summary;
    std::string_view Operands;
    std::string Description;
    std::vector<OptionSpec> Table;
    ExitStatus (*Run)(VerbStreams& io, const Options& o);
};

// The verbs in the order of the tool's help.
const std::vector<const VerbSpec*>& allVerbs();
const VerbSpec& packVerb();
const VerbSpec& dumpVerb();
const VerbSpec& fitVerb();
const VerbSpec& convertVerb();
const VerbSpec& verifyVerb();
const VerbSpec& plotVerb();

// The help of the tool as a whole (no verb, or --help), from the verbs' table.
std::string mainHelp();

bool isHelp(const std::string& a);

// Prints the complaint (when any) and the help to standard error; returns ExitStatus::Usage.
ExitStatus usage(VerbStreams& io, std::string_view help, const std::string& complaint = {});
ExitStatus usage(VerbStreams& io, const VerbSpec& verb, const std::string& complaint);

// Messages are held until the outcome is known: the closing message of a complete run goes to
// standard output, everything else to standard error.
class CliPlatform : public ConsolePlatform
{
public:
    std::vector<std::string> Held;
    void ShowMessage(std::string_view text) override { Held.emplace_back(text); }
    void Release(std::ostream& out);
};

// What every verb shares, shown below each verb's help: --opt=value, "-" for the standard
// streams, --version.
extern const char* const kConventionsText;
// kConventionsText and the exit statuses, shown below each verb's help.
std::string conventionsHelp();
// The line of --version.
std::string versionText();

// The whole file, or standard input for "-" (binary).
bool readWholeFile(const std::string& path, std::string& contents);
// Writes bytes to the file whole or not at all (beside it, then renamed over it), or to standard
// output for "-"; false after a message on standard error naming the file and the reason.
bool writeWholeFile(VerbStreams& io, const std::string& path, std::string_view bytes);

// Refuses (exit status 2, both files named) an output that is one of the inputs or another
// output, by the files' identity; nothing when the plan is sound.
std::optional<ExitStatus> refuseClash(VerbStreams& io, const FilePlan& plan);

// Keeps the reason of a failure to write standard output for finishStandardOutput (at the
// start, after UseUtf8Console).
void watchStandardOutput();
// A verb has shown the failure of standard output already (finishStandardOutput says no more).
void standardOutputFailureReported();
// Standard output at the end of a verb: flushed; after a write failure, exit status 1 and the
// reason on standard error (a reader that closed the pipe early ends it quietly).
int finishStandardOutput(int status);

// The message of an area file that cannot be read, naming it and the reason.
std::string areaReadFailure(const std::string& path);

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

// The area file of a verb: --area FILE; else TRANSPKT.BIN in --dir; else TRANSPKT.BIN in the
// working directory, and when there is none there, the one beside the executable (the one
// looked up is named on standard error unless tell is false).
std::string areaPath(VerbStreams& io, const Options& o, bool tell = true);

// Loads the area file (areaPath) into area with its extents; false (after the message on
// standard error) when it cannot be read.
bool loadArea(VerbStreams& io, const Options& o, RunArea& area);

// Loads the area file at path into area with its extents, its read failure held in messages
// with the file named.
void loadAreaFile(VerbStreams& io, const std::string& path, CliPlatform& messages, RunArea& area);

// Reads a check-point file; reports each unreadable line on standard error. False (after a
// message) when the file cannot be read.
bool readCheckPointFile(VerbStreams& io, const std::string& path, CheckPointFile& file);

} // namespace vorida::cli

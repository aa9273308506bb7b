// Which files a run and a command read and write, and how: the standard streams, the paths in
// messages, the identity of files (an output must never be one of the inputs), and the one
// writer of every output file, which writes either in place (the window's run) or whole or not
// at all (the command-line tool).
#pragma once

#include "Error.h"
#include "System.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorida {

// A file that could not be read or written. The text is the Polish line that names the file
// and the system's reason ("Nie można zapisać pliku wynik.txt: brak miejsca na dysku").
class LineFileError : public Error
{
public:
    using Error::Error;
};

// "-" stands for standard input where a file is read and for standard output where one is
// written.
inline constexpr std::string_view kStandardStream = "-";
bool IsStandardStream(const std::string& path);

// The program's fixed file names: the local point files and the report; the national ones are
// named after the national system's tag (SystemNames.h).
inline constexpr std::string_view kLocalInputName = "xy_LOK";
inline constexpr std::string_view kLocalResultName = "xy_LOK.1";
inline constexpr std::string_view kReportName = "Raport.txt";
inline constexpr std::string_view kDataFileName = "TRANSPKT.BIN";

// The files of one run. "-" reads standard input (Input) or writes standard output (Result,
// Report); an empty Report writes no report.
struct RunFiles
{
    std::string Input, Result, Report;
};
// The files of the run of one direction (true: local to national) under the fixed names in
// directory, for the national system systemCode.
RunFiles FixedRunFiles(bool localToNational, const std::string& directory, std::int32_t systemCode);

// A path in a message (UTF-8), with the system's separators. A path whose bytes are not UTF-8 (a
// name from an old single-byte system) is read as Windows-1250, so that the message is valid
// UTF-8 either way.
std::string PathForMessage(const std::string& path);
// Reasons of the program's own beside the errno values: a file the user may not write, and an
// empty file name.
inline constexpr int kReadOnlyFileError = -1001;
inline constexpr int kEmptyNameError = -1002;
// The system's reason for an errno value, in Polish ("brak miejsca na dysku"); an uncommon one as
// "błąd systemu N" with the system's own words after it.
std::string ReasonText(int error);
// "Nie można zapisać pliku PATH: REASON"; for "-" the standard output is named instead.
std::string WriteFailureText(const std::string& path, int error);
// "Nie można odczytać pliku PATH: REASON"; for "-" the standard input.
std::string ReadFailureText(const std::string& path, int error);
// The errno value of a directory where a file was expected.
int DirectoryError();

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

// The files of one command, gathered before anything is written: an output that is one of the
// inputs, or another output, would destroy it. The standard streams are never files of the
// command (but two outputs on standard output clash), and an output that is a device or a
// FIFO destroys nothing.
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

// For tests: a write fault to simulate (a full disk where the system has no /dev/full). When
// set, every write to a file whose path it returns true for fails as a full disk would fail
// it, with nothing written. Empty: no faults.
using WriteFault = std::function<bool(const std::string& path)>;
void SetWriteFault(WriteFault fault);

// How an output file reaches its place.
enum class WriteMode {
    // Created or emptied, then written: after a failure it keeps what was written up to it (the
    // window's run, where the last line written shows the user the failing one).
    InPlace,
    // Written beside its target under a temporary name (private: the target's permissions from
    // the start), handed to the disk, and put in the target's place only when complete: on a
    // failure or an interruption the temporary file is removed and the old file stays as it was.
    // The new file takes the old one's place by a rename (on Windows ReplaceFileW, which keeps
    // the attributes, owner and ACL), unless a rename would lose what the file is (other hard
    // links, an owner or group the process cannot give back, ACL entries): then the new bytes
    // are written into the old file itself, its old content kept aside until they are whole and
    // put back on a failure. A link is followed (its file is replaced, the link stays; a link
    // to a missing file in an existing folder creates it); a target that is no regular file (a
    // device, a FIFO) is written into.
    WholeOrNothing,
};

// The writer of every output file (the tool's, the window's run, the area window's saves),
// through a large buffer, in binary mode (line ends are written as given). Every failure
// throws LineFileError. A file the user may not write is refused ("plik tylko do odczytu"), in
// either mode.
class OutputFile
{
public:
    OutputFile() = default;
    // In place: writes out what is buffered and closes, ignoring failures. Whole or not at all,
    // when not closed: the temporary file is removed (and an old file already replaced by
    // Commit with keepOld is put back).
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // The inputs this output must never be: checked when the file is created and again right
    // before the file takes its place, so that a link planted meanwhile is caught.
    void Guard(std::vector<GuardedInput> inputs) { guards_ = std::move(inputs); }
    void Create(const std::string& path, WriteMode mode = WriteMode::InPlace);
    // Writes to standard output (in binary mode), which Close flushes and leaves open.
    void CreateStandardOutput();
    // Takes every byte and keeps none (an output nobody asked for).
    void CreateDiscarding();
    // Appends bytes to the buffer; when they do not fit in what is left of it, the buffer is
    // handed to the file first. Bytes larger than the whole buffer go out at once.
    void Write(std::string_view bytes);
    // What the buffer takes before a Write hands it to the file: a Write of at most this many
    // bytes only appends to the buffer, and cannot fail.
    size_t Room() const;
    // Hands the buffered bytes to the file.
    void Flush();
    // The bytes given to Write so far, and those of them the file took (the rest are buffered,
    // or were lost to a failure).
    std::uint64_t Appended() const { return written_ + buffer_.size(); }
    std::uint64_t Written() const { return written_; }
    // Flushes and closes; whole or not at all, the complete file then takes the target's place
    // (Finish, then Commit). A closed file ignores further Close calls.
    void Close();
    // Whole or not at all, in two steps: Finish makes the new file whole on the disk and checks
    // that the target may still be replaced; Commit puts it in place, and with keepOld keeps the
    // old file aside until Release (or Restore puts it back). Elsewhere Finish is Close.
    void Finish();
    void Commit(bool keepOld = false);
    void Release();
    void Restore();
    // After a failure: in place, closes keeping what was written; whole or not at all, removes
    // the temporary file and leaves the target as it was. Never throws.
    void Abandon();

private:
    void Prepare(const std::string& path);
    void Fail(int error);
    void CheckGuards(const std::string& path) const;
    void CreateTemporary(WriteMode mode);
    void CommitInPlace();
    void KeepOld();
    void RemoveTemporary();
    void DropOld();

    std::FILE* file_ = nullptr;
    bool owned_ = false; // opened here, closed by Close
    bool discarding_ = false;
    std::string path_; // as given, for messages
    std::vector<GuardedInput> guards_;
    // Whole or not at all: the file replaced, its stand-in, the old file kept aside.
    std::string target_, temporary_, old_;
    int removalSlot_ = -1, oldSlot_ = -1;
    bool finished_ = false, committed_ = false, inPlace_ = false, existed_ = false;
    std::string buffer_;
    std::uint64_t written_ = 0;
};

// Closes both files, which become one outcome: both made whole and checked before either takes
// its place, and the first put back when the second cannot take its place. Throws LineFileError.
void CloseTogether(OutputFile& first, OutputFile& second);

// An output of a run: empty discards, "-" is standard output, any other path a file.
void OpenOutput(OutputFile& file, const std::string& path, WriteMode mode);

// Writes bytes to the file, or to standard output for "-"; an empty path is refused. Throws
// LineFileError. The one call for a program's saves (the tool, the area window's report and
// picture): WriteWholeFile(path, bytes, WriteMode::WholeOrNothing).
void WriteWholeFile(const std::string& path, std::string_view bytes, WriteMode mode,
    const std::vector<GuardedInput>& guards = {});

} // namespace vorida

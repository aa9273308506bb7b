// The one writer of every output file, which writes either in place (the window's run) or whole
// or not at all (the command-line tool), and the calls that write a run's outputs and a
// program's saves through it.
#pragma once

#include "FileError.h"
#include "FileIdentity.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vorida {

// For tests: a write fault to simulate (a full disk where the system has no /dev/full), given to
// the writer that is to meet it. Every write to a file whose path it returns true for fails as a
// full disk would fail it, with nothing written. Empty: no faults.
using WriteFault = std::function<bool(const std::string& path)>;

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
// throws FileError. A file the user may not write is refused ("plik tylko do odczytu"), in
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
    // For tests: the write fault this file meets (WriteFault); set before the first Write.
    void SimulateFault(WriteFault fault) { fault_ = std::move(fault); }
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
    WriteFault fault_;
    // Whole or not at all: the file replaced, its stand-in, the old file kept aside.
    std::string target_, temporary_, old_;
    int removalSlot_ = -1, oldSlot_ = -1;
    bool finished_ = false, committed_ = false, inPlace_ = false, existed_ = false;
    std::string buffer_;
    std::uint64_t written_ = 0;
};

// Closes both files, which become one outcome: both made whole and checked before either takes
// its place, and the first put back when the second cannot take its place. Throws FileError.
void CloseTogether(OutputFile& first, OutputFile& second);

// An output of a run: empty discards, "-" is standard output, any other path a file, which
// meets the write fault fault (tests).
void OpenOutput(OutputFile& file, const std::string& path, WriteMode mode, WriteFault fault = {});

// Writes bytes to the file, or to standard output for "-"; an empty path is refused. Throws
// FileError. The one call for a program's saves (the tool, the area window's report and
// picture): WriteWholeFile(path, bytes, WriteMode::WholeOrNothing).
void WriteWholeFile(const std::string& path, std::string_view bytes, WriteMode mode,
    const std::vector<GuardedInput>& guards = {});

} // namespace vorida

// The writer of every output file: in place (the window's run) or whole or not at all, keeping
// what the replaced file is.
#include "OutputFile.h"

#include "FileNames.h"
#include "FilePlan.h"
#include "FileReplacement.h"
#include "System.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

namespace vorida {

namespace {
constexpr size_t kBlock = size_t { 1 } << 20;

namespace fs = std::filesystem;

} // namespace

OutputFile::~OutputFile()
{
    if (committed_) {
        Restore();
        return;
    }
    if (!temporary_.empty()) {
        Abandon();
        return;
    }
    try {
        Close();
    } catch (const FileError&) {
    }
    if (file_ != nullptr && owned_)
        std::fclose(file_);
}

void OutputFile::Prepare(const std::string& path)
{
    path_ = path;
    written_ = 0;
    buffer_.clear();
    buffer_.reserve(kBlock);
    finished_ = committed_ = inPlace_ = existed_ = false;
}

void OutputFile::CreateStandardOutput()
{
    UseBinaryStandardOutput();
    std::fflush(stdout); // what the program printed before goes first
    file_ = stdout;
    owned_ = false;
    discarding_ = false;
    Prepare(std::string(kStandardStream));
}

void OutputFile::CreateDiscarding()
{
    file_ = nullptr;
    owned_ = false;
    discarding_ = true;
    path_.clear();
    buffer_.clear();
}

void OutputFile::CheckGuards(const std::string& path) const
{
    FileIdentity identity;
    if (guards_.empty() || !IdentityOnDisk(path, identity))
        return;
    for (const GuardedInput& input : guards_)
        if (input.Identity == identity)
            throw FileError(FilePlan::ClashText({ path_, input.Path, false }));
}

void OutputFile::Create(const std::string& path, WriteMode mode)
{
    if (path.empty())
        throw FileError(WriteFailureText(path, kEmptyNameError));
    Prepare(path);
    std::string dangling;
    const std::string target = FollowLinks(path, dangling);
    const FileKind kind = FileKindOnDisk(target);
    if (kind == FileKind::Directory)
        throw FileError(WriteFailureText(path, EISDIR));
    std::error_code ec;
    const fs::path danglingFolder = FileSystemPath(dangling).parent_path();
    if (!dangling.empty()
        && !fs::is_directory(danglingFolder.empty() ? fs::path(".") : danglingFolder, ec))
        throw FileError("Nie można zapisać pliku " + PathForMessage(path)
            + ": łącze symboliczne wskazuje na " + PathForMessage(dangling)
            + ", a jego katalogu nie ma");
    // The window's run opens no FIFO: it would wait for a reader without end.
    if (mode == WriteMode::InPlace && kind == FileKind::Other) {
        const auto status = fs::status(FileSystemPath(path), ec);
        if (fs::is_fifo(status) || fs::is_socket(status))
            throw FileError(WriteFailureText(path, EACCES));
    }
    if (kind == FileKind::Regular && WriteProtectedOnDisk(target))
        throw FileError(WriteFailureText(path, kReadOnlyFileError));
    CheckGuards(target);
    discarding_ = false;
    owned_ = true;
    if (mode == WriteMode::WholeOrNothing && kind != FileKind::Other) {
        target_ = target;
        CreateTemporary(mode);
    } else {
        // Binary: the lines carry their own CR LF, which a text-mode file would double on
        // Windows.
        file_ = std::fopen(path.c_str(), "wb");
        if (file_ == nullptr)
            throw FileError(WriteFailureText(path, errno));
    }
    std::setvbuf(file_, nullptr, _IONBF, 0); // the buffer is the only one
}

void OutputFile::CreateTemporary(WriteMode)
{
    // Beside the target, so that the rename stays on one file system; never readable by more
    // users than the target is.
    const fs::path t = FileSystemPath(target_);
    RemoveStaleTemporaries(t);
    const unsigned old = PermissionsOf(target_);
    const unsigned mode = old == 0 ? 0666u : ((old & 0777u) | 0600u);
    file_ = CreateBeside(t, ".tmp", mode, temporary_);
    if (file_ == nullptr) {
        const int error = errno;
        if (error == EACCES || error == EPERM || error == EROFS) {
            const std::string folder = PathText(t.parent_path());
            throw FileError("Nie można zapisać pliku " + PathForMessage(path_) + ": "
                + ReasonText(error) + " do tworzenia plików w katalogu "
                + PathForMessage(folder.empty() ? "." : folder));
        }
        throw FileError(WriteFailureText(path_, error));
    }
    removalSlot_ = RemoveOnInterrupt(temporary_);
}

void OutputFile::Write(std::string_view bytes)
{
    if (discarding_)
        return;
    if (buffer_.size() + bytes.size() > kBlock)
        Flush();
    if (bytes.size() > kBlock) {
        // Larger than the buffer: it goes out on its own, in one write, from the emptied buffer.
        buffer_.append(bytes);
        Flush();
        return;
    }
    buffer_.append(bytes);
}

size_t OutputFile::Room() const
{
    if (discarding_)
        return kBlock;
    return kBlock - buffer_.size();
}

void OutputFile::Fail(int error)
{
    throw FileError(WriteFailureText(path_, error == 0 ? EIO : error));
}

void OutputFile::Flush()
{
    if (discarding_ || finished_)
        return;
    if (file_ == nullptr)
        throw FileError(WriteFailureText(path_, EBADF));
    if (buffer_.empty())
        return;
    if (fault_ && fault_(path_))
        Fail(ENOSPC);
    errno = 0;
    const size_t done = std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
    written_ += done;
    if (done < buffer_.size()) {
        const int error = errno;
        buffer_.erase(0, done);
        Fail(error);
    }
    buffer_.clear();
    if (!owned_ && std::fflush(file_) != 0) // standard output keeps a buffer of its own
        Fail(errno);
}

void OutputFile::RemoveTemporary()
{
    RemoveFile(temporary_, removalSlot_);
    temporary_.clear();
}

void OutputFile::DropOld()
{
    RemoveFile(old_, oldSlot_);
    old_.clear();
}

void OutputFile::Close()
{
    Finish();
    if (finished_ && !committed_) {
        Commit(false);
        Release();
    }
}

void OutputFile::Finish()
{
    if (discarding_) {
        discarding_ = false;
        return;
    }
    if (file_ == nullptr)
        return;
    if (!owned_) { // standard output: flushed, left open
        try {
            Flush();
        } catch (const FileError&) {
            file_ = nullptr;
            buffer_.clear();
            throw;
        }
        file_ = nullptr;
        return;
    }
    try {
        Flush();
    } catch (const FileError&) {
        buffer_.clear();
        Abandon();
        throw;
    }
    int error = 0;
    if (!temporary_.empty() && !FlushFileToDisk(file_))
        error = errno == 0 ? EIO : errno;
    if (std::fclose(file_) != 0 && error == 0)
        error = errno == 0 ? EIO : errno;
    file_ = nullptr;
    if (error != 0) {
        RemoveTemporary();
        Fail(error);
    }
    if (temporary_.empty())
        return;
    // The target as it is now: still replaceable, and still none of the inputs.
    try {
        if (FileKindOnDisk(target_) == FileKind::Regular && WriteProtectedOnDisk(target_))
            Fail(kReadOnlyFileError);
        CheckGuards(target_);
    } catch (const FileError&) {
        RemoveTemporary();
        throw;
    }
    existed_ = FileKindOnDisk(target_) == FileKind::Regular;
    inPlace_ = existed_ && RenameLosesIdentity(target_);
    finished_ = true;
}

void OutputFile::Commit(bool keepOld)
{
    if (!finished_ || committed_)
        return;
    try {
        if (inPlace_) {
            CommitInPlace();
        } else {
            std::error_code ec;
            if (keepOld && existed_)
                KeepOld();
            // The complete file takes the old one's permissions, then its place.
            if (existed_)
                fs::permissions(
                    FileSystemPath(temporary_), static_cast<fs::perms>(PermissionsOf(target_)), ec);
            const InterruptsHeld held;
            if (const int error = RenameOver(temporary_, target_); error != 0) {
                DropOld();
                Fail(error);
            }
            ReleaseOnInterrupt(removalSlot_);
            removalSlot_ = -1;
            temporary_.clear();
        }
    } catch (const FileError&) {
        RemoveTemporary();
        finished_ = false;
        throw;
    }
    committed_ = true;
    if (!keepOld)
        Release();
}

void OutputFile::KeepOld()
{
    // The old file by a second name: put back by a rename, it is the file it was. Where the
    // file system has no hard links, a copy with its permissions.
    std::string made;
    std::FILE* f = CreateBeside(FileSystemPath(target_), ".old", 0600, made);
    if (f == nullptr)
        Fail(errno);
    old_ = made;
    oldSlot_ = RemoveOnInterrupt(old_);
    std::fclose(f);
    std::error_code ec;
    fs::remove(FileSystemPath(old_), ec);
    fs::create_hard_link(FileSystemPath(target_), FileSystemPath(old_), ec);
    if (!ec)
        return;
    f = CreateNewFile(old_, PermissionsOf(target_) | 0600u);
    int error = f == nullptr ? (errno == 0 ? EIO : errno) : CopyInto(target_, f);
    if (f != nullptr && std::fclose(f) != 0 && error == 0)
        error = errno == 0 ? EIO : errno;
    if (error != 0) {
        DropOld();
        Fail(error);
    }
}

void OutputFile::CommitInPlace()
{
    // The old bytes aside first, whole on the disk; then the new ones into the file itself.
    std::FILE* old = CreateBeside(FileSystemPath(target_), ".old", 0600, old_);
    if (old == nullptr)
        Fail(errno);
    oldSlot_ = RemoveOnInterrupt(old_);
    int error = CopyInto(target_, old);
    if (std::fclose(old) != 0 && error == 0)
        error = errno == 0 ? EIO : errno;
    if (error != 0) {
        DropOld();
        Fail(error);
    }
    const InterruptsHeld held;
    std::FILE* into = OpenToRewrite(target_);
    if (into == nullptr) {
        error = errno == 0 ? EIO : errno;
        DropOld();
        Fail(error);
    }
    // The file opened is the one checked: none of the inputs.
    FileIdentity identity;
    bool guarded = false;
    if (IdentityOfOpenFile(into, identity))
        for (const GuardedInput& input : guards_)
            guarded = guarded || input.Identity == identity;
    if (guarded) {
        std::fclose(into);
        DropOld();
        CheckGuards(target_);
        Fail(EACCES);
    }
    error = CopyInto(temporary_, into);
    if (std::fclose(into) != 0 && error == 0)
        error = errno == 0 ? EIO : errno;
    if (error != 0) {
        // The old bytes go back where they were.
        if (std::FILE* back = OpenToRewrite(target_)) {
            CopyInto(old_, back);
            std::fclose(back);
        }
        DropOld();
        Fail(error);
    }
    RemoveTemporary();
}

void OutputFile::Release()
{
    DropOld();
    committed_ = false;
    finished_ = false;
}

void OutputFile::Restore()
{
    if (old_.empty()) {
        // Nothing was there before: the new file goes.
        if (committed_ && !existed_) {
            std::error_code ec;
            fs::remove(FileSystemPath(target_), ec);
        }
        committed_ = finished_ = false;
        return;
    }
    const InterruptsHeld held;
    if (inPlace_) {
        if (std::FILE* into = OpenToRewrite(target_)) {
            CopyInto(old_, into);
            std::fclose(into);
        }
        DropOld();
    } else if (RenameOver(old_, target_) == 0) {
        ReleaseOnInterrupt(oldSlot_);
        oldSlot_ = -1;
        old_.clear();
    } else {
        DropOld();
    }
    committed_ = finished_ = false;
}

void OutputFile::Abandon()
{
    if (temporary_.empty() && file_ != nullptr) {
        // In place: what was written up to the failure stays.
        try {
            Flush();
        } catch (const FileError&) {
        }
    }
    buffer_.clear();
    if (file_ != nullptr && owned_)
        std::fclose(file_);
    file_ = nullptr;
    discarding_ = false;
    RemoveTemporary();
    finished_ = false;
}

void CloseTogether(OutputFile& first, OutputFile& second)
{
    first.Finish();
    try {
        second.Finish();
    } catch (const FileError&) {
        first.Abandon();
        throw;
    }
    // No ending signal comes between the two.
    const InterruptsHeld held;
    first.Commit(true);
    try {
        second.Commit(false);
    } catch (const FileError&) {
        first.Restore();
        throw;
    }
    first.Release();
}

void OpenOutput(OutputFile& file, const std::string& path, WriteMode mode, WriteFault fault)
{
    file.SimulateFault(std::move(fault));
    if (path.empty())
        file.CreateDiscarding();
    else if (IsStandardStream(path))
        file.CreateStandardOutput();
    else
        file.Create(path, mode);
}

void WriteWholeFile(const std::string& path, std::string_view bytes, WriteMode mode,
    const std::vector<GuardedInput>& guards)
{
    if (path.empty())
        throw FileError(WriteFailureText(path, kEmptyNameError));
    OutputFile out;
    out.Guard(guards);
    OpenOutput(out, path, mode);
    out.Write(bytes);
    out.Close();
}

} // namespace vorida

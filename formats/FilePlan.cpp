#include "FilePlan.h"

#include "Cp1250.h"
#include "System.h"
#include "SystemNames.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

namespace vorida {

namespace {
constexpr size_t kBlock = size_t { 1 } << 20;

WriteFault& writeFault()
{
    static WriteFault fault;
    return fault;
}

namespace fs = std::filesystem;

// The file a path ends at, links followed; the path itself when it is no link or its link
// leads nowhere.
std::string followLinks(const std::string& path)
{
    std::error_code ec;
    const fs::path p = FileSystemPath(path);
    if (!fs::is_symlink(p, ec))
        return path;
    const fs::path target = fs::canonical(p, ec);
    return ec ? path : PathText(target);
}
} // namespace

void SetWriteFault(WriteFault fault)
{
    writeFault() = std::move(fault);
}

bool IsStandardStream(const std::string& path)
{
    return path == kStandardStream;
}

RunFiles FixedRunFiles(bool localToNational, const std::string& directory, std::int32_t systemCode)
{
    RunFiles f;
    f.Input = PathIn(
        directory, localToNational ? std::string(kLocalInputName) : NationalInputName(systemCode));
    f.Result = PathIn(directory,
        localToNational ? NationalResultName(systemCode) : std::string(kLocalResultName));
    f.Report = PathIn(directory, kReportName);
    return f;
}

std::string PathForMessage(const std::string& path)
{
    return NativeSeparators(IsValidUtf8(path) ? path : Cp1250ToUtf8(path));
}

int DirectoryError()
{
    return EISDIR;
}

std::string ReasonText(int error)
{
    switch (error) {
    case ENOSPC:
        return "brak miejsca na dysku";
    case EACCES:
    case EPERM:
        return "brak uprawnień";
    case EISDIR:
        return "jest katalogiem";
    case ENOENT:
        return "nie ma takiego pliku ani katalogu";
    case ENOTDIR:
        return "część ścieżki nie jest katalogiem";
    case EROFS:
        return "system plików tylko do odczytu";
#ifdef EDQUOT
    case EDQUOT:
        return "przekroczony przydział miejsca na dysku";
#endif
    case EFBIG:
        return "plik za duży";
    case ENAMETOOLONG:
        return "za długa nazwa";
    case EIO:
        return "błąd wejścia-wyjścia";
    case EPIPE:
        return "odbiorca zamknął potok";
    case EEXIST:
        return "plik już istnieje";
    default:
        return "błąd systemu " + std::to_string(error) + " (" + std::strerror(error) + ")";
    }
}

std::string WriteFailureText(const std::string& path, int error)
{
    if (IsStandardStream(path))
        return "Nie można zapisać na standardowe wyjście: " + ReasonText(error);
    return "Nie można zapisać pliku " + PathForMessage(path) + ": " + ReasonText(error);
}

std::string ReadFailureText(const std::string& path, int error)
{
    if (IsStandardStream(path))
        return "Nie można odczytać standardowego wejścia: " + ReasonText(error);
    return "Nie można odczytać pliku " + PathForMessage(path) + ": " + ReasonText(error);
}

bool SameExistingFile(const std::string& a, const std::string& b)
{
    return SameFileOnDisk(a, b);
}

bool SameFile(const std::string& a, const std::string& b)
{
    if (a == b || SameFileOnDisk(a, b))
        return true;
    // Where neither exists yet: the same place, folders' links resolved.
    std::error_code ea, eb;
    const fs::path pa = fs::weakly_canonical(fs::absolute(FileSystemPath(a), ea), ea);
    const fs::path pb = fs::weakly_canonical(fs::absolute(FileSystemPath(b), eb), eb);
    return !ea && !eb && !pa.empty() && pa == pb && FileKindOnDisk(a) == FileKind::Missing;
}

// ---- FilePlan ----

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

// ---- OutputFile ----

OutputFile::~OutputFile()
{
    if (!temporary_.empty()) {
        Abandon();
        return;
    }
    try {
        Close();
    } catch (const LineFileError&) {
    }
    if (file_ != nullptr && owned_)
        std::fclose(file_);
}

void OutputFile::Prepare(const std::string& path)
{
    path_ = path;
    buffer_.clear();
    buffer_.reserve(kBlock);
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

void OutputFile::Create(const std::string& path, WriteMode mode)
{
    const FileKind kind = FileKindOnDisk(path);
    if (kind == FileKind::Directory)
        throw LineFileError(WriteFailureText(path, EISDIR));
    // The window's run opens no FIFO: it would wait for a reader without end.
    if (mode == WriteMode::InPlace && kind == FileKind::Other) {
        std::error_code ec;
        const auto status = fs::status(FileSystemPath(path), ec);
        if (fs::is_fifo(status) || fs::is_socket(status))
            throw LineFileError(WriteFailureText(path, EACCES));
    }
    discarding_ = false;
    owned_ = true;
    Prepare(path);
    const std::string target = followLinks(path);
    if (mode == WriteMode::WholeOrNothing && kind != FileKind::Other
        && (kind == FileKind::Regular || target == path)) {
        // Beside the target, so that the rename stays on one file system.
        const fs::path t = FileSystemPath(target);
        const std::string name = PathText(t.filename());
        std::random_device seed;
        for (int attempt = 0; attempt < 100 && file_ == nullptr; ++attempt) {
            char tag[16];
            std::snprintf(tag, sizeof tag, "%08x", static_cast<unsigned>(seed()));
            const std::string candidate
                = PathText(t.parent_path() / FileSystemPath("." + name + "." + tag + ".tmp"));
            file_ = CreateNewFile(candidate);
            if (file_ != nullptr) {
                temporary_ = candidate;
                removalSlot_ = RemoveOnInterrupt(candidate);
            } else if (errno != EEXIST) {
                break;
            }
        }
        if (file_ == nullptr)
            throw LineFileError(WriteFailureText(path, errno == EEXIST ? EIO : errno));
        target_ = target;
    } else {
        // Binary: the lines carry their own CR LF, which a text-mode file would double on
        // Windows.
        file_ = std::fopen(path.c_str(), "wb");
        if (file_ == nullptr)
            throw LineFileError(WriteFailureText(path, errno));
    }
    std::setvbuf(file_, nullptr, _IONBF, 0); // the buffer is the only one
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
    throw LineFileError(WriteFailureText(path_, error == 0 ? EIO : error));
}

void OutputFile::Flush()
{
    if (discarding_)
        return;
    if (file_ == nullptr)
        throw LineFileError(WriteFailureText(path_, EBADF));
    if (buffer_.empty())
        return;
    if (writeFault() && writeFault()(path_))
        Fail(ENOSPC);
    errno = 0;
    const size_t done = std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
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
    if (temporary_.empty())
        return;
    std::error_code ec;
    fs::remove(FileSystemPath(temporary_), ec);
    ReleaseOnInterrupt(removalSlot_);
    removalSlot_ = -1;
    temporary_.clear();
}

void OutputFile::Close()
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
        } catch (const LineFileError&) {
            file_ = nullptr;
            buffer_.clear();
            throw;
        }
        file_ = nullptr;
        return;
    }
    int error = 0;
    try {
        Flush();
    } catch (const LineFileError&) {
        buffer_.clear();
        Abandon();
        throw;
    }
    if (!temporary_.empty() && !FlushFileToDisk(file_))
        error = errno == 0 ? EIO : errno;
    if (std::fclose(file_) != 0 && error == 0)
        error = errno == 0 ? EIO : errno;
    file_ = nullptr;
    if (error == 0 && !temporary_.empty()) {
        // The complete file takes the old one's permissions, then its place.
        std::error_code ec;
        const auto old = fs::status(FileSystemPath(target_), ec);
        if (!ec && fs::exists(old))
            fs::permissions(FileSystemPath(temporary_), old.permissions(), ec);
        error = RenameOver(temporary_, target_);
        if (error == 0) {
            ReleaseOnInterrupt(removalSlot_);
            removalSlot_ = -1;
            temporary_.clear();
        }
    }
    if (error != 0) {
        RemoveTemporary();
        Fail(error);
    }
}

void OutputFile::Abandon()
{
    if (temporary_.empty() && file_ != nullptr) {
        // In place: what was written up to the failure stays.
        try {
            Flush();
        } catch (const LineFileError&) {
        }
    }
    buffer_.clear();
    if (file_ != nullptr && owned_)
        std::fclose(file_);
    file_ = nullptr;
    discarding_ = false;
    RemoveTemporary();
}

void OpenOutput(OutputFile& file, const std::string& path, WriteMode mode)
{
    if (path.empty())
        file.CreateDiscarding();
    else if (IsStandardStream(path))
        file.CreateStandardOutput();
    else
        file.Create(path, mode);
}

void WriteWholeFile(const std::string& path, std::string_view bytes, WriteMode mode)
{
    OutputFile out;
    OpenOutput(out, path, mode);
    out.Write(bytes);
    out.Close();
}

} // namespace vorida

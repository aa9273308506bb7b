#include "FilePlan.h"

#include "Cp1250.h"
#include "System.h"
#include "SystemNames.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace vorida {

namespace {
namespace fs = std::filesystem;
} // namespace

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
    case EBADF:
        return "strumień zamknięty";
    case EMFILE:
    case ENFILE:
        return "za dużo otwartych plików";
    case ENOMEM:
        return "brak pamięci";
    case ELOOP:
        return "za dużo dowiązań symbolicznych (pętla)";
    case ETXTBSY:
    case EBUSY:
        return "plik jest w użyciu";
    case ENXIO:
    case ENODEV:
        return "brak urządzenia";
    case EINVAL:
        return "nieprawidłowy argument";
    case EMLINK:
        return "za dużo dowiązań";
    case EXDEV:
        return "inny system plików";
    case EAGAIN:
        return "zasób chwilowo niedostępny";
    case EINTR:
        return "przerwane wywołanie systemowe";
#ifdef ESTALE
    case ESTALE:
        return "nieaktualny uchwyt pliku sieciowego";
#endif
#ifdef ETIMEDOUT
    case ETIMEDOUT:
        return "przekroczony czas oczekiwania";
#endif
    case kReadOnlyFileError:
        return "plik tylko do odczytu";
    case kEmptyNameError:
        return "pusta nazwa pliku";
    default:
        return "błąd systemu " + std::to_string(error) + " (" + std::strerror(error) + ")";
    }
}

std::string WriteFailureText(const std::string& path, int error)
{
    if (path.empty())
        return "Nie można zapisać pliku: " + ReasonText(kEmptyNameError);
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

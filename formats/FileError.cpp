#include "FileError.h"

#include "Cp1250.h"
#include "FileNames.h"
#include "System.h"

#include <cerrno>
#include <cstring>

namespace vorida {

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

} // namespace vorida

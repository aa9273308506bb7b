// The system calls of the platform layer on Linux and other POSIX systems.
#include "Platform.h"
#include "RemovalSlots.h"
#include "System.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vorida {

namespace {

// strftime in the user's LC_TIME from the environment, without touching the process locale.
std::string formatLocal(const LocalDateTime& when, const char* format)
{
    std::tm tm {};
    tm.tm_year = when.Year - 1900;
    tm.tm_mon = when.Month - 1;
    tm.tm_mday = when.Day;
    tm.tm_hour = when.Hour;
    tm.tm_min = when.Minute;
    tm.tm_sec = when.Second;
    tm.tm_isdst = -1;
    locale_t loc = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0))
        loc = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
    char buffer[256];
    size_t n = strftime_l(buffer, sizeof buffer, format, &tm, loc);
    freelocale(loc);
    return std::string(buffer, n);
}

RemovalSlots<char, 4096> removals;

extern "C" void removeAndEnd(int signal)
{
    removals.ForEach([](const char* path) { ::unlink(path); });
    // Ends as the signal would have ended the program.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

FileKind FileKindOnDisk(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return FileKind::Missing;
    if (S_ISREG(st.st_mode))
        return FileKind::Regular;
    if (S_ISDIR(st.st_mode))
        return FileKind::Directory;
    return FileKind::Other;
}

bool SameFileOnDisk(const std::string& a, const std::string& b)
{
    struct stat sa, sb;
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev
        && sa.st_ino == sb.st_ino;
}

std::FILE* CreateNewFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        ::unlink(path.c_str());
        errno = error;
    }
    return file;
}

bool FlushFileToDisk(std::FILE* file)
{
    return std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
}

int RenameOver(const std::string& from, const std::string& to)
{
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

void InstallInterruptRemoval()
{
    struct sigaction action
    {
    };
    action.sa_handler = removeAndEnd;
    sigemptyset(&action.sa_mask);
    for (int signal : { SIGINT, SIGTERM, SIGHUP })
        sigaddset(&action.sa_mask, signal);
    for (int signal : { SIGINT, SIGTERM, SIGHUP }) {
        struct sigaction previous
        {
        };
        // A signal ignored by the caller (nohup, a background job) stays ignored.
        if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signal, &action, nullptr);
    }
}

int RemoveOnInterrupt(const std::string& path)
{
    return removals.Claim(path.c_str(), path.size());
}

void ReleaseOnInterrupt(int slot)
{
    removals.Release(slot);
}

bool StandardOutputIsTerminal()
{
    return ::isatty(STDOUT_FILENO) == 1;
}

std::string ExecutableDirectoryOfProcess()
{
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return ".";
    return exe.parent_path().string();
}

bool RegularFileExistsOnDisk(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool StandardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

void UseBinaryStandardInput() { }

void UseBinaryStandardOutput() { }

LocalDateTime LocalNow()
{
    std::time_t t = std::time(nullptr);
    std::tm tm {};
    localtime_r(&t, &tm);
    return { tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec };
}

std::string UserShortDate(const LocalDateTime& when)
{
    return formatLocal(when, "%x");
}

std::string UserLongTime(const LocalDateTime& when)
{
    return formatLocal(when, "%X");
}

std::filesystem::path FileSystemPath(const std::string& path)
{
    return std::filesystem::path(path);
}

std::string PathText(const std::filesystem::path& path)
{
    return path.string();
}

void UseUtf8Console() { }

} // namespace vorida

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
#include <pthread.h>
#include <sys/stat.h>
#include <sys/xattr.h>
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

// The signals whose default ends the program: a file being written goes with it.
constexpr int kEndingSignals[] = { SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGQUIT, SIGXFSZ, SIGXCPU,
    SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF };

sigset_t endingSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kEndingSignals)
        sigaddset(&set, signal);
    return set;
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

std::FILE* CreateNewFile(const std::string& path, unsigned mode)
{
    const int fd = ::open(
        path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode & 07777));
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

std::FILE* OpenToRewrite(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr)
        ::close(fd);
    return file;
}

std::FILE* OpenToRead(const std::string& path)
{
    return std::fopen(path.c_str(), "rb");
}

bool IdentityOnDisk(const std::string& path, FileIdentity& identity)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return false;
    identity = { static_cast<unsigned long long>(st.st_dev),
        static_cast<unsigned long long>(st.st_ino) };
    return true;
}

bool IdentityOfOpenFile(std::FILE* file, FileIdentity& identity)
{
    struct stat st;
    if (file == nullptr || ::fstat(::fileno(file), &st) != 0)
        return false;
    identity = { static_cast<unsigned long long>(st.st_dev),
        static_cast<unsigned long long>(st.st_ino) };
    return true;
}

bool WriteProtectedOnDisk(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    if (::geteuid() == 0)
        return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES;
}

bool RenameLosesIdentity(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    if (st.st_nlink > 1 || st.st_uid != ::geteuid())
        return true;
    // The group a new file gets: the folder's under a setgid folder, else the process's.
    const std::string folder = std::filesystem::path(path).parent_path().string();
    struct stat dir;
    gid_t group = ::getegid();
    if (::stat(folder.empty() ? "." : folder.c_str(), &dir) == 0 && (dir.st_mode & S_ISGID) != 0)
        group = dir.st_gid;
    if (st.st_gid != group)
        return true;
    // ACL entries beyond the permission bits live in this attribute.
    return ::getxattr(path.c_str(), "system.posix_acl_access", nullptr, 0) > 0;
}

long CurrentProcessId()
{
    return static_cast<long>(::getpid());
}

std::string ComputerName()
{
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

bool ProcessRunning(long id)
{
    return id > 0 && (::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM);
}

void HoldInterrupts(bool hold)
{
    const sigset_t set = endingSignals();
    ::pthread_sigmask(hold ? SIG_BLOCK : SIG_UNBLOCK, &set, nullptr);
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
    action.sa_mask = endingSignals();
    for (int signal : kEndingSignals) {
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

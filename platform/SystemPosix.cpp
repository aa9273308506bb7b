// The system calls of the platform layer on Linux and other POSIX systems.
#include "Platform.h"

#include <ctime>
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

} // namespace

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

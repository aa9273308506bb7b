// Replacing a file: where its links lead, the temporary files beside it, copying its bytes.
#include "FileReplacement.h"

#include "System.h"

#include <cerrno>
#include <cstdlib>
#include <random>

namespace vorida {

namespace fs = std::filesystem;

namespace {
// The bytes of a target's name a temporary file's name keeps, so that the temporary's name is
// never too long where the target's is allowed (255 bytes); the rest is ours.
constexpr size_t kNameKept = 200;
constexpr size_t kCopyBlock = size_t { 1 } << 16;

// The name's first bytes, cut before a UTF-8 sequence, never more than kNameKept.
std::string keptName(const std::string& name)
{
    if (name.size() <= kNameKept)
        return name;
    size_t n = kNameKept;
    while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80)
        --n;
    return name.substr(0, n);
}

// Four hex digits of the computer's name: a temporary file in a shared folder is removed as
// stale only by the computer whose process left it.
std::string computerTag()
{
    unsigned hash = 2166136261u;
    for (const char c : ComputerName())
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    char tag[8];
    std::snprintf(tag, sizeof tag, "%04x", (hash ^ (hash >> 16)) & 0xFFFFu);
    return tag;
}

// ".NAME." followed by the process, the computer and a random tag: "12345-ab12-0f3c9a1e".
std::string temporaryPrefix(const fs::path& target)
{
    std::string prefix(1, '.');
    prefix.append(keptName(PathText(target.filename())));
    prefix.push_back('.');
    return prefix;
}

} // namespace

// The file a path ends at, links followed (a relative link from its own folder); the path
// itself when it is no link. dangling: the link's last target, when that is missing.
std::string FollowLinks(const std::string& path, std::string& dangling)
{
    std::error_code ec;
    fs::path p = FileSystemPath(path);
    dangling.clear();
    for (int hop = 0; hop < 40 && fs::is_symlink(p, ec); ++hop) {
        fs::path next = fs::read_symlink(p, ec);
        if (ec)
            break;
        p = next.is_relative() ? p.parent_path() / next : next;
    }
    if (PathText(p) != path && !fs::exists(p, ec))
        dangling = PathText(p);
    return PathText(p);
}

// Removes the temporary files of target that processes of this computer left when they were
// killed (their process is gone).
void RemoveStaleTemporaries(const fs::path& target)
{
    const std::string prefix = temporaryPrefix(target);
    const std::string tag = computerTag();
    std::error_code ec;
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = PathText(it->path().filename());
        if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0
            || name.compare(name.size() - 4, 4, ".tmp") != 0)
            continue;
        // PID-TAGG-XXXXXXXX.tmp
        const std::string rest = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        const size_t dash = rest.find('-');
        if (dash == std::string::npos || dash == 0 || rest.size() != dash + 1 + 4 + 1 + 8
            || rest.compare(dash + 1, 4, tag) != 0 || rest.find_first_not_of("0123456789") != dash)
            continue;
        const long id = std::strtol(rest.substr(0, dash).c_str(), nullptr, 10);
        if (!ProcessRunning(id)) {
            std::error_code removed;
            fs::remove(it->path(), removed);
        }
    }
}

// A new file beside target named as ours, with the permission bits mode; its name in made.
std::FILE* CreateBeside(
    const fs::path& target, const char* suffix, unsigned mode, std::string& made)
{
    const std::string prefix
        = temporaryPrefix(target) + std::to_string(CurrentProcessId()) + "-" + computerTag() + "-";
    std::random_device seed;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char tag[16];
        std::snprintf(tag, sizeof tag, "%08x", static_cast<unsigned>(seed()));
        const std::string candidate
            = PathText(target.parent_path() / FileSystemPath(prefix + tag + suffix));
        if (std::FILE* file = CreateNewFile(candidate, mode)) {
            made = candidate;
            return file;
        }
        if (errno != EEXIST)
            return nullptr;
    }
    errno = EIO;
    return nullptr;
}

// Copies the file at from into to; 0 or the errno-style reason.
int CopyInto(const std::string& from, std::FILE* to)
{
    std::FILE* in = OpenToRead(from);
    if (in == nullptr)
        return errno == 0 ? EIO : errno;
    std::string block(kCopyBlock, '\0');
    int error = 0;
    for (size_t n = 0; error == 0 && (n = std::fread(block.data(), 1, block.size(), in)) > 0;)
        if (std::fwrite(block.data(), 1, n, to) != n)
            error = errno == 0 ? EIO : errno;
    if (error == 0 && std::ferror(in))
        error = errno == 0 ? EIO : errno;
    std::fclose(in);
    if (error == 0 && !FlushFileToDisk(to))
        error = errno == 0 ? EIO : errno;
    return error;
}

void RemoveFile(const std::string& path, int& slot)
{
    if (path.empty())
        return;
    std::error_code ec;
    fs::remove(FileSystemPath(path), ec);
    ReleaseOnInterrupt(slot);
    slot = -1;
}

// The permission bits of a file, 0 when it is missing.
unsigned PermissionsOf(const std::string& path)
{
    std::error_code ec;
    const auto status = fs::status(FileSystemPath(path), ec);
    return ec || !fs::exists(status) ? 0u : static_cast<unsigned>(status.permissions());
}

namespace {
thread_local int holds = 0;
} // namespace

InterruptsHeld::InterruptsHeld()
{
    if (holds++ == 0)
        HoldInterrupts(true);
}

InterruptsHeld::~InterruptsHeld()
{
    if (--holds == 0)
        HoldInterrupts(false);
}

} // namespace vorida

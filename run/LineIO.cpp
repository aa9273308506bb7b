#include "LineIO.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vorida {

namespace {
constexpr size_t kBlock = size_t { 1 } << 20;
constexpr char kCtrlZ = 0x1A;
} // namespace

bool SameExistingFile(const std::string& a, const std::string& b)
{
    struct stat sa, sb;
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev
        && sa.st_ino == sb.st_ino;
}

// ---- LineReader ----

LineReader::~LineReader()
{
    Close();
}

void LineReader::Open(const std::string& path)
{
    Close();
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr)
        throw FileError("cannot open " + path);
    if (!buffer_)
        buffer_ = std::make_unique<char[]>(kBlock);
    begin_ = end_ = 0;
    eof_ = false;
    filled_ = 0;
}

void LineReader::Close()
{
    if (file_ != nullptr)
        std::fclose(file_);
    file_ = nullptr;
}

bool LineReader::Fill()
{
    if (eof_)
        return false;
    size_t n = std::fread(buffer_.get(), 1, kBlock, file_);
    if (n < kBlock) {
        if (std::ferror(file_))
            throw FileError("read error");
        eof_ = true;
    }
    begin_ = 0;
    end_ = n;
    filled_ += n;
    return n > 0;
}

bool LineReader::Next(std::string& line)
{
    line.clear();
    if (begin_ == end_ && !Fill())
        return false;
    if (buffer_[begin_] == kCtrlZ) {
        begin_ = end_;
        eof_ = true;
        return false;
    }
    for (;;) {
        const char* start = buffer_.get() + begin_;
        const size_t available = end_ - begin_;
        const char* lf = static_cast<const char*>(std::memchr(start, '\n', available));
        const size_t take = lf ? static_cast<size_t>(lf - start) : available;
        // Copy without the CRs.
        const char* p = start;
        const char* stop = start + take;
        while (p < stop) {
            const char* cr
                = static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>(stop - p)));
            const char* segmentEnd = cr ? cr : stop;
            line.append(p, segmentEnd);
            p = cr ? cr + 1 : stop;
        }
        if (lf) {
            begin_ += take + 1;
            return true;
        }
        begin_ = end_;
        if (!Fill())
            return true; // the last line, without LF
    }
}

// ---- OutputFile ----

OutputFile::~OutputFile()
{
    try {
        Close();
    } catch (const FileError&) {
    }
    if (fd_ >= 0)
        ::close(fd_);
}

void OutputFile::Create(const std::string& path)
{
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0)
        throw FileError("cannot create " + path);
    buffer_.clear();
    buffer_.reserve(kBlock);
}

void OutputFile::Write(std::string_view bytes)
{
    if (buffer_.size() + bytes.size() > kBlock)
        Flush();
    if (bytes.size() > kBlock) {
        // Too large for the buffer: write it straight through.
        buffer_.append(bytes);
        Flush();
        return;
    }
    buffer_.append(bytes);
}

void OutputFile::Flush()
{
    if (fd_ < 0)
        throw FileError("file not open");
    size_t done = 0;
    while (done < buffer_.size()) {
        ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            buffer_.erase(0, done);
            throw FileError(std::string("write error: ") + std::strerror(errno));
        }
        done += static_cast<size_t>(n);
    }
    buffer_.clear();
}

void OutputFile::Close()
{
    if (fd_ < 0)
        return;
    try {
        Flush();
    } catch (const FileError&) {
        ::close(fd_);
        fd_ = -1;
        buffer_.clear();
        throw;
    }
    int rc = ::close(fd_);
    fd_ = -1;
    if (rc != 0)
        throw FileError("close error");
}

} // namespace vorida

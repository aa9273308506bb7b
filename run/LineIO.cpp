#include "LineIO.h"

#include "Platform.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace vorida {

namespace {
constexpr size_t kBlock = size_t { 1 } << 20;
constexpr char kCtrlZ = 0x1A;

WriteFault& writeFault()
{
    static WriteFault fault;
    return fault;
}
} // namespace

void SetWriteFault(WriteFault fault)
{
    writeFault() = std::move(fault);
}

bool SameExistingFile(const std::string& a, const std::string& b)
{
    // The file system's own identity of a file (device and inode, or volume and file index),
    // not the names: a hard or symbolic link is the same file.
    std::error_code ec;
    const bool same = std::filesystem::equivalent(FileSystemPath(a), FileSystemPath(b), ec);
    return !ec && same;
}

// ---- LineReader ----

LineReader::~LineReader()
{
    Close();
}

void LineReader::Open(const std::string& path)
{
    if (IsStandardStream(path)) {
        OpenStandardInput();
        return;
    }
    Close();
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr)
        throw LineFileError("cannot open " + path);
    owned_ = true;
    if (!buffer_)
        buffer_ = std::make_unique<char[]>(kBlock);
    begin_ = end_ = 0;
    eof_ = false;
    filled_ = 0;
}

void LineReader::OpenStandardInput()
{
    Close();
    UseBinaryStandardInput();
    file_ = stdin;
    owned_ = false;
    if (!buffer_)
        buffer_ = std::make_unique<char[]>(kBlock);
    begin_ = end_ = 0;
    eof_ = false;
    filled_ = 0;
}

bool LineReader::SkipPrefix(std::string_view prefix)
{
    if (begin_ == end_ && !Fill())
        return false;
    if (end_ - begin_ < prefix.size()
        || std::memcmp(buffer_.get() + begin_, prefix.data(), prefix.size()) != 0)
        return false;
    begin_ += prefix.size();
    return true;
}

void LineReader::Close()
{
    if (file_ != nullptr && owned_)
        std::fclose(file_);
    file_ = nullptr;
    owned_ = false;
}

bool LineReader::Fill()
{
    if (eof_)
        return false;
    size_t n = std::fread(buffer_.get(), 1, kBlock, file_);
    if (n < kBlock) {
        if (std::ferror(file_))
            throw LineFileError("read error");
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
    return AppendNext(line);
}

bool LineReader::AppendNext(std::string& line)
{
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

void OutputFile::Create(const std::string& path)
{
    // Opening a FIFO for writing would wait for a reader without end.
    std::error_code ec;
    const auto status = std::filesystem::status(FileSystemPath(path), ec);
    if (std::filesystem::is_fifo(status) || std::filesystem::is_socket(status))
        throw LineFileError("not a file: " + path);
    // Binary: the lines carry their own CR LF, which a text-mode file would double on Windows.
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr)
        throw LineFileError("cannot create " + path);
    std::setvbuf(file_, nullptr, _IONBF, 0); // the buffer below is the only one
    owned_ = true;
    discarding_ = false;
    Prepare(path);
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

void OutputFile::Flush()
{
    if (discarding_)
        return;
    if (file_ == nullptr)
        throw LineFileError("file not open");
    if (buffer_.empty())
        return;
    if (writeFault() && writeFault()(path_))
        throw LineFileError(std::string("write error: ") + std::strerror(ENOSPC));
    errno = 0;
    const size_t done = std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
    if (done < buffer_.size()) {
        const int error = errno;
        buffer_.erase(0, done);
        throw LineFileError(std::string("write error: ") + std::strerror(error));
    }
    buffer_.clear();
    if (!owned_ && std::fflush(file_) != 0) // standard output keeps a buffer of its own
        throw LineFileError(std::string("write error: ") + std::strerror(errno));
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
    try {
        Flush();
    } catch (const LineFileError&) {
        std::fclose(file_);
        file_ = nullptr;
        buffer_.clear();
        throw;
    }
    const int rc = std::fclose(file_);
    file_ = nullptr;
    if (rc != 0)
        throw LineFileError("close error");
}

} // namespace vorida

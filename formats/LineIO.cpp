#include "LineIO.h"

#include "FileNames.h"
#include "System.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace vorida {

namespace {
constexpr size_t kBlock = size_t { 1 } << 20;
constexpr char kCtrlZ = 0x1A;

} // namespace

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
    if (FileKindOnDisk(path) == FileKind::Directory)
        throw FileError(ReadFailureText(path, DirectoryError()));
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr)
        throw FileError(ReadFailureText(path, errno));
    path_ = path;
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
    path_ = std::string(kStandardStream);
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
            throw FileError(ReadFailureText(path_, errno == 0 ? EIO : errno));
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

} // namespace vorida

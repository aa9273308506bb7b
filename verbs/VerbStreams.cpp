#include "VerbStreams.h"

#include "FileError.h"
#include "System.h"

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <streambuf>

namespace vorida::cli {

const std::vector<ExitStatusText>& ExitStatusTexts()
{
    static const std::vector<ExitStatusText> texts = {
        { ExitStatus::Ok, "wykonane", "wykonane" },
        { ExitStatus::Failure, "błąd",
            "błąd: pliku nie można odczytać ani zapisać (także standardowego wyjścia), obszar "
            "odrzucony, przeliczenie nieudane albo błąd wewnętrzny programu" },
        { ExitStatus::Usage, "złe użycie",
            "złe użycie (skarga i pomoc polecenia na standardowym wyjściu błędów) albo plik "
            "wynikowy, który jest plikiem wejściowym (sama skarga)" },
        { ExitStatus::Shortfall,
            "punkty z defektem (convert --strict) albo ponad tolerancję (verify --tolerance)",
            "wszystko wykonane i zapisane, ale convert --strict napotkał punkt z defektem "
            "(nieczytelny albo poza obszarem), albo verify --tolerance punkt kontrolny w obszarze "
            "ponad tolerancję" },
    };
    return texts;
}

// Standard output's bytes, straight to the C library's stream (so that they keep their order
// with the files written there), with the reason of the first failure kept for the end.
class StandardOutput::Buffer : public std::streambuf
{
public:
    int Error = 0;

protected:
    int_type overflow(int_type c) override
    {
        if (c == traits_type::eof())
            return traits_type::not_eof(c);
        const char byte = static_cast<char>(c);
        return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        errno = 0;
        const size_t done = std::fwrite(s, 1, static_cast<size_t>(n), stdout);
        if (done < static_cast<size_t>(n) && Error == 0)
            Error = errno == 0 ? EIO : errno;
        return static_cast<std::streamsize>(done);
    }
    int sync() override
    {
        errno = 0;
        if (std::fflush(stdout) == 0)
            return 0;
        if (Error == 0)
            Error = errno == 0 ? EIO : errno;
        return -1;
    }
};

StandardOutput::StandardOutput()
{
    if (StandardOutputIsTerminal())
        return; // a console window has a writer of its own
    buffer_ = new Buffer;
    std::cout.rdbuf(buffer_);
}

int StandardOutput::Finish(int status, const VerbStreams& io)
{
    std::cout.flush();
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    int error = flushed ? 0 : errno;
    if (buffer_ != nullptr && buffer_->Error != 0)
        error = buffer_->Error;
    if (!flushed || std::ferror(stdout) || !std::cout.good()) {
        if (error == EPIPE || io.OutFailureShown)
            // the reader has all it wanted
            return error == EPIPE ? status : static_cast<int>(ExitStatus::Failure);
        std::cerr << WriteFailureText("-", error == 0 ? EIO : error) << '\n';
        return static_cast<int>(ExitStatus::Failure);
    }
    return status;
}

} // namespace vorida::cli

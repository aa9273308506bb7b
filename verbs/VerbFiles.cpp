#include "VerbFiles.h"

#include "FileNames.h"
#include "LineIO.h"
#include "OutputFile.h"
#include "System.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>

namespace vorida::cli {

bool ReadWholeInput(const std::string& path, std::string& contents)
{
    if (IsStandardStream(path) || FileKindOnDisk(path) == FileKind::Other) {
        std::FILE* stream = stdin;
        if (IsStandardStream(path))
            UseBinaryStandardInput();
        else if ((stream = std::fopen(path.c_str(), "rb")) == nullptr)
            return false;
        contents.clear();
        char buffer[1 << 16];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, stream)) > 0)
            contents.append(buffer, n);
        const bool ok = !std::ferror(stream);
        if (stream != stdin)
            std::fclose(stream);
        return ok;
    }
    std::ifstream in(FileSystemPath(path), std::ios::binary);
    if (!in)
        return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    contents = ss.str();
    return !in.bad();
}

bool WriteWholeOutput(
    VerbStreams& io, const std::string& path, std::string_view bytes, const FilePlan* plan)
{
    if (IsStandardStream(path) && &io.Out != &std::cout) {
        io.Out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return true;
    }
    try {
        io.Out.flush();
        WriteWholeFile(path, bytes, WriteMode::WholeOrNothing,
            plan != nullptr ? plan->InputGuards() : std::vector<GuardedInput> {});
    } catch (const FileError& e) {
        io.Err << e.what() << '\n';
        return false;
    }
    return true;
}

std::optional<ExitStatus> RefuseClash(VerbStreams& io, const FilePlan& plan)
{
    if (const auto clash = plan.FirstClash()) {
        io.Err << FilePlan::ClashText(*clash) << '\n';
        return ExitStatus::Usage;
    }
    return std::nullopt;
}

InputPath::InputPath(VerbStreams& io, const std::string& path) : path_(path)
{
    if (!IsStandardStream(path) && FileKindOnDisk(path) != FileKind::Other)
        return;
    namespace fs = std::filesystem;
    std::string contents;
    std::error_code ec;
    const fs::path folder = fs::temp_directory_path(ec);
    if (!ec && ReadWholeInput(path, contents)) {
        const fs::path file = folder / ("vorida-stdin-" + std::to_string(std::random_device {}()));
        path_ = PathText(file);
        temporary_ = true;
        removalSlot_ = RemoveOnInterrupt(path_);
        std::ofstream out(file, std::ios::binary);
        out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
        out.close();
        ready_ = static_cast<bool>(out);
    } else {
        ready_ = false;
    }
    if (!ready_)
        io.Err << ReadFailureText(path, EIO) << '\n';
}

InputPath::~InputPath()
{
    if (temporary_) {
        std::error_code ec;
        std::filesystem::remove(FileSystemPath(path_), ec);
        ReleaseOnInterrupt(removalSlot_);
    }
}

} // namespace vorida::cli

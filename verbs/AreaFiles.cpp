#include "AreaFiles.h"

#include "VerbFiles.h"

#include "AreaReport.h"
#include "CheckPoints.h"
#include "FileError.h"
#include "FileNames.h"
#include "LineIO.h"
#include "System.h"

#include <cerrno>
#include <ostream>

namespace vorida::cli {

std::string AreaReadFailure(const std::string& path)
{
    const FileKind kind = FileKindOnDisk(path);
    const std::string reason = kind == FileKind::Missing ? ReasonText(ENOENT)
        : kind == FileKind::Directory                    ? ReasonText(DirectoryError())
                                      : "uszkodzony albo nie jest plikiem obszaru";
    return "Błąd odczytu pliku " + PathForMessage(path) + ": " + reason;
}

std::string AreaPath(VerbStreams& io, const Options& o, bool tell)
{
    if (o.Area)
        return *o.Area;
    if (o.Dir)
        return PathIn(*o.Dir, kDataFileName);
    std::string path = PathIn(".", kDataFileName);
    if (!RegularFileExistsOnDisk(path)) {
        const std::string besideProgram = PathIn(ExecutableDirectoryOfProcess(), kDataFileName);
        if (RegularFileExistsOnDisk(besideProgram))
            path = besideProgram;
    }
    if (tell)
        io.Err << "Plik obszaru: " << NativeSeparators(path) << '\n';
    return path;
}

void LoadAreaFile(VerbStreams& io, const std::string& path, CliPlatform& messages, RunArea& area)
{
    const InputPath input(io, path);
    // The program's words name TRANSPKT.BIN; here the file may have any name.
    if (!LoadRunArea(input.Path(), area))
        messages.ShowMessage(AreaReadFailure(path));
}

bool LoadArea(VerbStreams& io, const Options& o, RunArea& area)
{
    const std::string path = AreaPath(io, o);
    CliPlatform messages;
    LoadAreaFile(io, path, messages, area);
    if (messages.Held.empty())
        return true;
    messages.Release(io.Err);
    return false;
}

bool ReadCheckPointFile(VerbStreams& io, const std::string& path, CheckPointFile& file)
{
    try {
        file = ReadCheckPoints(path);
    } catch (const FileError& e) {
        io.Err << e.what() << '\n';
        return false;
    } catch (const CheckPointFileError& e) {
        io.Err << e.what() << '\n';
        return false;
    }
    for (std::int64_t line : file.UnreadableLines)
        io.Err << UnreadableCheckLine(line) << '\n';
    return true;
}

} // namespace vorida::cli

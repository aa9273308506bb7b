// The files of a command: outputs that are inputs by identity, and the writer that replaces a
// file only when the new one is complete.
#include "FileNames.h"
#include "FilePlan.h"
#include "OutputFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

using namespace vorida;
using vorida::test::TempDir;

namespace {

std::string contents(const std::string& path)
{
    std::ifstream in(FileSystemPath(path), std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

void put(const std::string& path, const std::string& bytes)
{
    std::ofstream(FileSystemPath(path), std::ios::binary) << bytes;
}

size_t filesIn(const TempDir& dir)
{
    const auto it = std::filesystem::directory_iterator(FileSystemPath(dir.Path()));
    return static_cast<size_t>(std::distance(begin(it), end(it)));
}

} // namespace

TEST(FilePlan, AnOutputClashesWithAnInputOrAnotherOutputByIdentity)
{
    TempDir dir;
    put(dir / "a", "a");
    put(dir / "b", "b");
    std::filesystem::create_directory(FileSystemPath(dir / "sub"));
    std::error_code linked;
    std::filesystem::create_hard_link(
        FileSystemPath(dir / "a"), FileSystemPath(dir / "hard"), linked);
    struct Case
    {
        std::vector<std::string> In, Out;
        bool Clash;
    };
    const std::string respelled = PathIn(PathIn(dir / "sub", ".."), "a");
    const std::vector<Case> cases = {
        { { dir / "a" }, { dir / "b" }, false },
        { { dir / "a" }, { respelled }, true }, // another spelling
        { { dir / "a" }, { dir / "new", PathIn(PathIn(dir / "sub", ".."), "new") }, true },
        { { dir / "new" }, { respelled, PathIn(PathIn(dir / "sub", ".."), "new") }, true },
        { { "-" }, { "-" }, false }, // standard input, standard output
        { { dir / "a" }, { "-", "-" }, true }, // both on standard output
        { { dir / "a" }, { dir / "b", "" }, false }, // no report
    };
    for (const Case& c : cases) {
        FilePlan plan;
        for (const auto& in : c.In)
            plan.Reads(in);
        for (const auto& out : c.Out)
            plan.Writes(out);
        EXPECT_EQ(plan.FirstClash().has_value(), c.Clash) << c.Out[0];
    }
    if (!linked) { // a hard link is the same file
        FilePlan plan;
        plan.Reads(dir / "a");
        plan.Writes(dir / "hard");
        ASSERT_TRUE(plan.FirstClash());
        EXPECT_EQ(FilePlan::ClashText(*plan.FirstClash()),
            "Plik wynikowy " + PathForMessage(dir / "hard") + " to plik wejściowy "
                + PathForMessage(dir / "a")
                + ": zapis zniszczyłby dane. Nic nie zostało zapisane.");
    }
}

TEST(FilePlan, AFileWrittenWholeOrNotAtAllReplacesTheOldOneOnlyWhenComplete)
{
    TempDir dir;
    const std::string target = dir / "wynik.1";
    put(target, "old\r\n");
    {
        OutputFile out;
        out.Create(target, WriteMode::WholeOrNothing);
        out.Write("new\r\n");
        out.Flush();
        EXPECT_EQ(contents(target), "old\r\n"); // not complete yet
        EXPECT_EQ(filesIn(dir), 2u); // the temporary file beside it
        out.Close();
    }
    EXPECT_EQ(contents(target), "new\r\n");
    EXPECT_EQ(filesIn(dir), 1u);

    // A failure, and a writer dropped before closing: the file as it was, nothing left beside it.
    try {
        OutputFile out;
        out.SimulateFault([&](const std::string& path) { return path == target; });
        out.Create(target, WriteMode::WholeOrNothing);
        out.Write("lost\r\n");
        out.Close();
        ADD_FAILURE() << "a full disk went unreported";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()),
            "Nie można zapisać pliku " + PathForMessage(target) + ": brak miejsca na dysku");
    }
    {
        OutputFile out;
        out.Create(target, WriteMode::WholeOrNothing);
        out.Write("dropped\r\n");
        out.Flush();
    }
    EXPECT_EQ(contents(target), "new\r\n");
    EXPECT_EQ(filesIn(dir), 1u);

    // A folder in the way is named as such.
    try {
        WriteWholeFile(dir.Path(), "x", WriteMode::WholeOrNothing);
        ADD_FAILURE() << "a folder written over";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find(": jest katalogiem"), std::string::npos) << e.what();
    }
}

namespace {

namespace fs = std::filesystem;

FileIdentity identityOf(const std::string& path)
{
    FileIdentity id;
    EXPECT_TRUE(IdentityOnDisk(path, id)) << path;
    return id;
}

std::string failureOf(const std::function<void()>& write)
{
    try {
        write();
    } catch (const FileError& e) {
        return e.what();
    }
    return {};
}

} // namespace

// The saves of the programs (the area window's report and picture, the tool's files) against a
// target that is more than its bytes: the message, the bytes, the file's identity and mode.
TEST(FilePlan, AReplacedFileKeepsWhatItIs)
{
    TempDir dir;
    const std::string target = dir / "cel.txt";
    struct Case
    {
        const char* Name;
        std::function<std::string()> Prepare; // the file whose bytes and identity count
        std::string Failure; // the end of the message; empty: written
        bool SameFile; // the old file's identity stays
    };
    const std::vector<Case> cases = {
        { "plain",
            [&] {
                put(target, "old");
                return target;
            },
            {}, false },
        { "write-protected",
            [&] {
                put(target, "old");
                fs::permissions(FileSystemPath(target),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
                return target;
            },
            ": plik tylko do odczytu", true },
        { "second hard link",
            [&] {
                put(target, "old");
                fs::create_hard_link(FileSystemPath(target), FileSystemPath(dir / "drugi"));
                return target;
            },
            {}, true },
#ifndef _WIN32
        { "ACL entry",
            [&] {
                put(target, "old");
                if (std::system(("setfacl -m u:65534:rw '" + target + "' 2>/dev/null").c_str())
                    != 0)
                    return std::string();
                return target;
            },
            {}, true },
        { "link",
            [&] {
                put(dir / "prawdziwy", "old");
                fs::create_symlink("prawdziwy", FileSystemPath(target));
                return dir / "prawdziwy";
            },
            {}, false },
        { "dangling link in a folder",
            [&] {
                fs::create_symlink("nowy", FileSystemPath(target));
                return dir / "nowy";
            },
            {}, false },
        { "dangling link, no folder",
            [&] {
                fs::create_symlink(
                    FileSystemPath(PathIn(dir / "brak", "x")), FileSystemPath(target));
                return target;
            },
            ": łącze symboliczne wskazuje na " + PathForMessage(PathIn(dir / "brak", "x"))
                + ", a jego katalogu nie ma",
            false },
#endif
    };
    for (const Case& c : cases) {
        for (const auto& entry : fs::directory_iterator(FileSystemPath(dir.Path()))) {
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
            fs::remove(entry.path());
        }
        const std::string file = c.Prepare();
        if (file.empty())
            continue; // no ACL here
        const bool existed = fs::exists(FileSystemPath(file));
        const FileIdentity before = existed ? identityOf(file) : FileIdentity {};
        const auto mode = fs::status(FileSystemPath(file)).permissions();
        const std::string failure
            = failureOf([&] { WriteWholeFile(target, "new\r\n", WriteMode::WholeOrNothing); });
        if (c.Failure.empty()) {
            EXPECT_EQ(failure, "") << c.Name;
            EXPECT_EQ(contents(file), "new\r\n") << c.Name;
        } else {
            EXPECT_EQ(failure, "Nie można zapisać pliku " + PathForMessage(target) + c.Failure)
                << c.Name;
            EXPECT_EQ(contents(file), existed ? "old" : "") << c.Name;
        }
        if (existed) {
            EXPECT_EQ(fs::status(FileSystemPath(file)).permissions(), mode) << c.Name;
        }
        if (c.SameFile) {
            EXPECT_TRUE(identityOf(file) == before) << c.Name;
        }
        if (fs::exists(FileSystemPath(dir / "drugi"))) {
            EXPECT_EQ(contents(dir / "drugi"), contents(target)) << c.Name;
        }
        for (const auto& entry : fs::directory_iterator(FileSystemPath(dir.Path())))
            EXPECT_EQ(PathText(entry.path().filename())[0] == '.', false)
                << c.Name << ": left " << PathText(entry.path());
    }
    EXPECT_EQ(failureOf([&] { WriteWholeFile("", "x", WriteMode::WholeOrNothing); }),
        "Nie można zapisać pliku: pusta nazwa pliku");
}

// The result and the report as one outcome: the first put back, the same file it was, when the
// second cannot take its place; and an output that became an input while the run read is
// refused as it is put in place.
TEST(FilePlan, TwoFilesAreOneOutcomeAndNoInputIsEverWritten)
{
    TempDir dir;
    const std::string first = dir / "raport.txt", second = dir / "wynik.1";
    put(first, "old report");
    const FileIdentity before = identityOf(first);
    OutputFile a, b;
    a.Create(first, WriteMode::WholeOrNothing);
    b.Create(second, WriteMode::WholeOrNothing);
    a.Write("new report");
    b.Write("new result");
    a.Finish();
    b.Finish();
    // The second's place taken by a folder that is not empty: its rename must fail.
    fs::create_directories(FileSystemPath(PathIn(second, "x")));
    a.Commit(true);
    EXPECT_EQ(contents(first), "new report");
    EXPECT_NE(failureOf([&] { b.Commit(); }), "");
    a.Restore();
    EXPECT_EQ(contents(first), "old report");
    EXPECT_TRUE(identityOf(first) == before);

    const std::string input = dir / "wejście", output = dir / "wyjście";
    put(input, "input");
    std::vector<GuardedInput> guards;
    GuardInput(guards, input);
    OutputFile out;
    out.Guard(guards);
    out.Create(output, WriteMode::WholeOrNothing);
    out.Write("lost");
    fs::create_hard_link(FileSystemPath(input), FileSystemPath(output));
    EXPECT_EQ(failureOf([&] { out.Close(); }), FilePlan::ClashText({ output, input, false }));
    EXPECT_EQ(contents(input), "input");
    EXPECT_EQ(filesIn(dir), 4u); // the two reports' files, the input and its second name
}

// A temporary file is never readable by more users than its target, and its name is never too
// long where the target's is allowed.
TEST(FilePlan, TemporaryFilesArePrivateAndShortEnough)
{
    TempDir dir;
    std::string name;
    for (int i = 0; i < 121; ++i)
        name += "ł";
    name += ".txt"; // 246 bytes
    const std::string target = dir / name;
    put(target, "old");
    fs::permissions(FileSystemPath(target), fs::perms::owner_read | fs::perms::owner_write);
    OutputFile out;
    out.Create(target, WriteMode::WholeOrNothing);
    out.Write("new");
    out.Flush();
    for (const auto& entry : fs::directory_iterator(FileSystemPath(dir.Path())))
        if (entry.path() != FileSystemPath(target)) {
            EXPECT_LT(PathText(entry.path().filename()).size(), 256u);
#ifndef _WIN32
            EXPECT_EQ(entry.status().permissions() & fs::perms::all,
                fs::perms::owner_read | fs::perms::owner_write);
#endif
        }
    out.Close();
    EXPECT_EQ(contents(target), "new");
    EXPECT_EQ(filesIn(dir), 1u);
}

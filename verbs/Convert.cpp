// vorida-cli convert: the run of the main window's button, on the fixed names of a folder or on
// files of any name.
#include "AreaFiles.h"
#include "CliPlatform.h"
#include "VerbFiles.h"

#include "System.h"
#include "VerbTable.h"

#include "Numbers.h"
#include "Run.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <random>
#include <set>

namespace vorida::cli {

namespace {

// The progress of a long run on standard error (a terminal): lines done and the share of the
// input read, once a run has taken a second, a few times a second; wiped at the end, so that
// the messages after it stand alone.
class ProgressLine
{
public:
    explicit ProgressLine(std::ostream& err) : err_(err) { }

    void Show(const RunProgress& p)
    {
        using Clock = std::chrono::steady_clock;
        const Clock::time_point now = Clock::now();
        switch (p.Now) {
        case RunProgress::Stage::Started:
            start_ = last_ = now;
            return;
        case RunProgress::Stage::Working:
            if (now - start_ < std::chrono::seconds(1)
                || now - last_ < std::chrono::milliseconds(200))
                return;
            last_ = now;
            {
                const std::uint64_t percent = p.TotalBytes == 0
                    ? 100
                    : std::min<std::uint64_t>(100, p.Bytes * 100 / p.TotalBytes);
                const std::string text
                    = "Przeliczanie: " + CountOf(p.Lines, "linia", "linie", "linii") + ", "
                    + std::to_string(percent) + "% pliku";
                err_ << '\r' << text << std::flush;
                width_ = std::max(width_, text.size());
            }
            return;
        case RunProgress::Stage::Finished:
            Wipe();
            return;
        }
    }

    // Takes the line away, so that a message can stand alone (it comes back with the next
    // step).
    void Wipe()
    {
        if (width_ > 0)
            err_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
        width_ = 0;
    }

private:
    std::ostream& err_;
    std::chrono::steady_clock::time_point start_, last_;
    size_t width_ = 0;
};

} // namespace

namespace {

// The files of the runs a command asks for; empty (after a message) on wrong usage.
std::optional<std::vector<RunFiles>> runFiles(VerbStreams& io, const Options& o)
{
    namespace fs = std::filesystem;
    const std::vector<std::string>& inputs = o.Operands;
    std::vector<RunFiles> runs;
    if (inputs.size() == 1) {
        runs.push_back({ inputs[0], o.Output.value_or("-"), o.Report.value_or("") });
        return runs;
    }
    // Several inputs: each to a file of its own, named after it.
    auto folder = [&io](const std::optional<std::string>& option, const char* what) {
        std::error_code ec;
        if (option && !fs::is_directory(FileSystemPath(*option), ec)) {
            Usage(io, ConvertVerb(),
                std::string("Przy kilku plikach wejściowych ") + what
                    + " musi być katalogiem: " + *option);
            return false;
        }
        return true;
    };
    if (!folder(o.Output, "-o") || !folder(o.Report, "--report"))
        return std::nullopt;
    std::set<std::string> names;
    for (const std::string& input : inputs) {
        if (IsStandardStream(input)) {
            Usage(
                io, ConvertVerb(), "Standardowe wejście (\"-\") tylko jako jedyny plik wejściowy.");
            return std::nullopt;
        }
        const std::string name = PathText(FileSystemPath(input).filename());
        if ((o.Output || o.Report) && !names.insert(name).second) {
            Usage(io, ConvertVerb(), "Dwa pliki wejściowe o tej samej nazwie: " + name);
            return std::nullopt;
        }
        RunFiles f;
        f.Input = input;
        f.Result = o.Output ? PathIn(*o.Output, name + ".1") : input + ".1";
        f.Report = o.Report ? PathIn(*o.Report, name + ".Raport.txt") : "";
        runs.push_back(f);
    }
    return runs;
}

// The settings and the files of the runs a command asks for (the fixed names are added once
// the area's system is known); ExitStatus::Usage after a message on wrong usage.
ExitStatus readRequest(
    VerbStreams& io, const Options& o, RunSettings& settings, std::vector<RunFiles>& runs)
{
    const bool freeFiles = !o.Operands.empty();
    if (freeFiles && o.Dir)
        return Usage(io, ConvertVerb(),
            "--dir dotyczy plików programu: nie łączy się z plikiem wejściowym.");
    if (!freeFiles && (o.Output || o.Report))
        return Usage(io, ConvertVerb(), "-o i --report wymagają pliku wejściowego.");
    settings.Direction = o.Direction;
    settings.CommandLineFiles = true;
    if (o.Digits) {
        auto d = ParseInt32(*o.Digits);
        if (!d)
            return Usage(io, ConvertVerb(), "Niepoprawna liczba miejsc: " + *o.Digits);
        settings.Digits = *d;
    }
    const auto threads = ReadThreads(io, ConvertVerb(), o);
    if (!threads)
        return ExitStatus::Usage;
    settings.Workers = *threads;
    if (freeFiles) {
        auto r = runFiles(io, o);
        if (!r)
            return ExitStatus::Usage;
        runs = std::move(*r);
    }
    if (settings.Digits < 1 || settings.Digits > 5)
        io.Err << "Uwaga: " << settings.Digits
               << " miejsc po przecinku to poza zakresem programu (1-5); od 6 miejsc kolumny "
                  "współrzędnych mogą się zlewać.\n";
    return ExitStatus::Ok;
}

// Every output against every input (the area file among them) and every other output, before
// anything is written: with several inputs, nothing at all is written then.
std::optional<ExitStatus> refuseClashes(
    VerbStreams& io, const std::string& area, const std::vector<RunFiles>& runs)
{
    FilePlan plan;
    plan.Reads(area);
    for (const RunFiles& f : runs)
        plan.Reads(f.Input);
    for (const RunFiles& f : runs) {
        plan.Writes(f.Result);
        plan.Writes(f.Report);
    }
    return RefuseClash(io, plan);
}

// For a caller whose output stream is not the process's standard output (another program
// running the verb in memory), an output "-" of a run is written to a temporary file, whose bytes
// go to that stream once the run is over.
class StandardOutputStandIn
{
public:
    StandardOutputStandIn(VerbStreams& io, std::string& path) : io_(io)
    {
        if (!IsStandardStream(path) || &io.Out == &std::cout)
            return;
        std::error_code ec;
        const auto folder = std::filesystem::temp_directory_path(ec);
        temporary_ = PathText(
            folder / ("vorida-stdout-" + std::to_string(std::random_device {}()) + ".tmp"));
        removalSlot_ = RemoveOnInterrupt(temporary_);
        path = temporary_;
    }
    ~StandardOutputStandIn()
    {
        if (temporary_.empty())
            return;
        std::string bytes;
        if (ReadWholeInput(temporary_, bytes))
            io_.Out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        std::error_code ec;
        std::filesystem::remove(FileSystemPath(temporary_), ec);
        ReleaseOnInterrupt(removalSlot_);
    }
    StandardOutputStandIn(const StandardOutputStandIn&) = delete;
    StandardOutputStandIn& operator=(const StandardOutputStandIn&) = delete;

private:
    VerbStreams& io_;
    std::string temporary_;
    int removalSlot_ = -1;
};

// The runs one after the other, each with its closing message or its failure; with several,
// each after a line with its input (and its defective lines named with it).
ExitStatus runAll(VerbStreams& io, const RunArea& area, const std::vector<RunFiles>& runs,
    const RunSettings& settings, CliPlatform& messages, std::string& defectPrefix)
{
    ExitStatus status = ExitStatus::Ok;
    for (const RunFiles& files : runs) {
        if (runs.size() > 1) {
            io.Out << files.Input << ":\n" << std::flush;
            defectPrefix = PathForMessage(files.Input) + ":";
        }
        RunOutcome outcome;
        try {
            RunFiles written = files;
            const StandardOutputStandIn result(io, written.Result), report(io, written.Report);
            outcome = RunConversion(area, written, settings);
        } catch (const Error& e) {
            messages.Release(io.Err);
            io.Err << "Błąd obliczeń: " << e.what() << '\n';
            status = ExitStatus::Failure;
            continue;
        }
        // The closing message of a complete run goes to standard output, unless the result
        // itself is going there.
        const bool resultOnStandardOutput = IsStandardStream(files.Result);
        messages.Release(outcome.Complete && !resultOnStandardOutput ? io.Out : io.Err);
        // The failure message names the file and the reason itself.
        if (!outcome.Complete) {
            if (resultOnStandardOutput)
                io.OutFailureShown = true;
            status = ExitStatus::Failure;
        }
    }
    return status;
}

ExitStatus convert(VerbStreams& io, const Options& o)
{
    RunSettings settings;
    std::vector<RunFiles> runs;
    if (const ExitStatus status = readRequest(io, o, settings, runs); status != ExitStatus::Ok)
        return status;
    const bool freeFiles = !o.Operands.empty();
    const std::string area = freeFiles ? AreaPath(io, o, false)
        : o.Area                       ? *o.Area
                                       : PathIn(o.Directory(), kDataFileName);
    ProgressLine progress(io.Err);
    // Only the tool's own standard error, on a terminal, shows the progress.
    if (&io.Err == &std::cerr && StandardErrorIsTerminal())
        settings.Progress = [&progress](const RunProgress& p) { progress.Show(p); };
    std::int64_t defects = 0;
    // With several inputs a defective line is named with its file ("plik.txt:11: ...").
    std::string defectPrefix;
    // A line that is not UTF-8 in a UTF-8 input is always named: its name was read as
    // Windows-1250.
    const bool named = o.Strict || o.Verbose;
    settings.Defects = [&, named](std::int64_t line, DefectKind kind) {
        if (kind != DefectKind::NotUtf8)
            ++defects;
        if (!named && kind != DefectKind::NotUtf8)
            return;
        progress.Wipe();
        io.Err
            << (defectPrefix.empty() ? std::string("Linia ") : defectPrefix) << line << ": "
            << (kind == DefectKind::Unreadable ? "punkt nieczytelny"
                       : kind == DefectKind::OutsideArea
                       ? "punkt poza obszarem"
                       : "uwaga: linia nie w UTF-8 jak reszta pliku, odczytana jako Windows-1250")
            << '\n';
    };

    // As at the program's start: load the area (a failure shows its message and goes on; the
    // run then refuses).
    CliPlatform messages;
    settings.Messages = &messages;
    // Free files look the area file up (and name it); the program's files keep to their folder.
    if (freeFiles)
        AreaPath(io, o);
    RunArea runArea;
    LoadAreaFile(io, area, messages, runArea);
    if (!freeFiles)
        runs = { FixedRunFiles(o.Direction, o.Directory(), runArea.SystemCode) };
    if (const auto refused = refuseClashes(io, area, runs))
        return *refused;
    settings.OtherInputs = { area };
    for (const RunFiles& f : runs)
        settings.OtherInputs.push_back(f.Input);
    const ExitStatus status = runAll(io, runArea, runs, settings, messages, defectPrefix);
    if (status == ExitStatus::Ok && o.Strict && defects > 0)
        return ExitStatus::Shortfall;
    return status;
}

} // namespace

const VerbRow& ConvertVerb()
{
    static const VerbRow verb { "convert", "przeliczenie pliku punktów (jak przycisk programu)",
        "[WEJŚCIE...]",
        "Przelicza plik punktów WEJŚCIE (\"-\": standardowe wejście) na plik WYNIK (domyślnie\n"
        "standardowe wyjście) tak jak przycisk programu: kierunek lokalny -> krajowy\n"
        "(--to-local: krajowy -> lokalny); raport tylko z --report. Bajty wyniku i raportu są\n"
        "takie jak w xy2000.1 / xy_LOK.1 i Raport.txt programu.\n"
        "Kilka plików WEJŚCIE: każdy do pliku WEJŚCIE.1 obok niego, albo z -o KATALOG do\n"
        "KATALOG/nazwa.1; z --report KATALOG raport każdego jako KATALOG/nazwa.Raport.txt.\n"
        "Bez WEJŚCIA: pliki programu w KATALOGU (domyślnie bieżący): xy_LOK -> xy2000.1\n"
        "(--to-local: xy2000 -> xy_LOK.1) i Raport.txt.\n"
        "Plik obszaru: --area PLIK, inaczej TRANSPKT.BIN z --dir, z bieżącego katalogu albo\n"
        "obok programu (użyty plik jest podawany na standardowym wyjściu błędów).\n"
        "Na terminalu dłuższe przeliczenie pokazuje postęp.\n",
        {
            { "-o", "WYNIK", &Options::Output,
                "plik wynikowy (domyślnie standardowe wyjście); przy kilku plikach WEJŚCIE "
                "katalog",
                true },
            { "--report", "RAPORT", &Options::Report,
                "raport przeliczenia; przy kilku plikach WEJŚCIE katalog", true },
            { "--dir", "KATALOG", &Options::Dir,
                "bez WEJŚCIA: katalog plików programu (domyślnie bieżący)", true },
            AreaOption(),
            ToLocalOption(),
            DigitsOption("N miejsc po przecinku (domyślnie 2; poza 1-5 z ostrzeżeniem)"),
            ThreadsOption("N wątków przeliczających (domyślnie tyle, ile rdzeni; 1: bez "
                          "dodatkowych wątków)"),
            { "--strict", "", &Options::Strict,
                "kod wyjścia 3, gdy był punkt z defektem (po zapisaniu wszystkiego); linie "
                "punktów z defektem na standardowym wyjściu błędów" },
            { "--verbose", "", &Options::Verbose,
                "linie punktów z defektem na standardowym wyjściu błędów" },
        },
        convert };
    return verb;
}

} // namespace vorida::cli

// vorida-cli convert: the run of the main window's button.
#include "Common.h"

#include "Numbers.h"
#include "UTransPkt.h"

#include <algorithm>
#include <chrono>
#include <iostream>

namespace vorida::cli {

const char* const kConvertHelp
    = "Użycie: vorida-cli convert [--dir KATALOG] [--to-local] [--digits N] [--threads W]\n"
      "Przelicza plik punktów w KATALOGU (domyślnie bieżący) tak jak przycisk programu:\n"
      "xy_LOK -> xy2000.1 (--to-local: xy2000 -> xy_LOK.1) i Raport.txt; N miejsc po\n"
      "przecinku (domyślnie 2); W wątków przeliczających (domyślnie tyle, ile rdzeni;\n"
      "1: bez dodatkowych wątków). Na terminalu dłuższe przeliczenie pokazuje postęp.\n";

namespace {

constexpr std::int32_t kMaximumWorkers = 256;

// The progress of a long run on standard error (a terminal): lines done and the share of the
// input read, once a run has taken a second, a few times a second; wiped at the end, so that
// the messages after it stand alone.
class ProgressLine
{
public:
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
                const std::string text = "Przeliczanie: " + std::to_string(p.Lines) + " linii, "
                    + std::to_string(percent) + "% pliku";
                std::cerr << '\r' << text << std::flush;
                width_ = std::max(width_, text.size());
            }
            return;
        case RunProgress::Stage::Finished:
            if (width_ > 0)
                std::cerr << '\r' << std::string(width_, ' ') << '\r' << std::flush;
            width_ = 0;
            return;
        }
    }

private:
    std::chrono::steady_clock::time_point start_, last_;
    size_t width_ = 0;
};

} // namespace

int convert(const std::vector<std::string>& args)
{
    auto o = parseOptions(args, { "--dir", "--to-local", "--digits", "--threads" }, kConvertHelp);
    if (!o)
        return kUsage;
    if (!o->Positional.empty())
        return usage(kConvertHelp, "Nieoczekiwany argument: " + o->Positional[0]);
    std::int32_t digits = 2;
    if (o->Digits) {
        auto d = ParseInt32(*o->Digits);
        if (!d)
            return usage(kConvertHelp, "Niepoprawna liczba miejsc: " + *o->Digits);
        digits = *d;
    }
    if (o->Threads) {
        auto w = ParseInt32(*o->Threads);
        if (!w || *w < 1 || *w > kMaximumWorkers)
            return usage(kConvertHelp, "Niepoprawna liczba wątków: " + *o->Threads);
        TransPkt.SetWorkers(static_cast<unsigned>(*w));
    }
    ProgressLine progress;
    if (StandardErrorIsTerminal())
        TransPkt.SetProgress([&progress](const RunProgress& p) { progress.Show(p); });
    CliPlatform messages;
    ScopedPlatform scope(messages);
    // As at the program's start: load the area (a failure shows its message and goes on).
    LoadPointFile(PathIn(o->Directory, kDataFileName));
    ComputeAreaExtents();
    RoundingDigits = digits;
    bool complete = false;
    try {
        complete = TransPkt.TransformFile(!o->ToLocal, o->Directory);
        TransPkt.SetProgress({});
    } catch (const std::exception& e) {
        TransPkt.SetProgress({});
        messages.Release(std::cerr);
        std::cerr << "Błąd obliczeń: " << e.what() << '\n';
        return kFailure;
    }
    messages.Release(complete ? std::cout : std::cerr);
    return complete ? kOk : kFailure;
}

} // namespace vorida::cli

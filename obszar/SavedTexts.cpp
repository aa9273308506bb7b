#include "SavedTexts.h"

#include "Cp1250.h"
#include "Numbers.h"
#include "Verbs.h"

#include <sstream>

namespace vorida::obszar {

namespace {

int runTool(const std::string& verb, const std::vector<std::string>& args, std::string& out,
    std::string& err)
{
    std::ostringstream o, e;
    const int status = cli::runVerb(verb, args, o, e);
    out = o.str();
    err = e.str();
    return status;
}

void addCommon(std::vector<std::string>& args, const SaveOptions& o)
{
    args.push_back("--area=" + o.AreaPath);
    if (!o.Exclude.empty())
        args.push_back("--exclude=" + o.Exclude);
}

} // namespace

std::vector<std::string> FitArguments(const SaveOptions& o)
{
    std::vector<std::string> args { "--loo" };
    addCommon(args, o);
    if (o.ToLocal)
        args.push_back("--to-local");
    return args;
}

std::vector<std::string> VerifyArguments(const SaveOptions& o)
{
    std::vector<std::string> args { o.CheckPath.value_or("") };
    addCommon(args, o);
    if (o.ToLocal)
        args.push_back("--to-local");
    return args;
}

std::vector<std::string> PlotArguments(const SaveOptions& o, const std::string& output)
{
    std::vector<std::string> args { "-o", output };
    addCommon(args, o);
    if (o.CheckPath)
        args.push_back("--check=" + *o.CheckPath);
    if (o.Scale)
        args.push_back("--scale=" + FormatDecimals(*o.Scale, 0));
    if (o.Centre)
        args.push_back("--center=" + *o.Centre);
    return args;
}

std::string AsProgramText(const std::string& utf8)
{
    // The tool's words hold two signs the code page lacks: they are spelt out; anything else
    // it lacks becomes "?", as the program writes such names.
    std::string text;
    for (size_t i = 0; i < utf8.size();) {
        const long c = DecodeUtf8(utf8, i);
        if (c < 0) {
            ++i; // a malformed byte
            text += '?';
        } else if (c == '\n')
            text += "\r\n";
        else if (c == 0x03C3) // σ
            text += "sigma";
        else if (c == 0x221A) // √
            text += "sqrt";
        else if (const int byte = UnicodeToCp1250(static_cast<char32_t>(c)); byte >= 0)
            text += static_cast<char>(byte);
        else
            text += '?';
    }
    return text;
}

std::optional<std::string> ReportBytes(const SaveOptions& o, std::string& error)
{
    std::string out, err;
    if (runTool("fit", FitArguments(o), out, err) != 0) {
        error = err;
        return std::nullopt;
    }
    std::string text = out;
    if (o.CheckPath) {
        // verify's status 3 (out of tolerance) is not asked for here; 0 is the only success.
        if (runTool("verify", VerifyArguments(o), out, err) != 0) {
            error = err;
            return std::nullopt;
        }
        text += "\n" + out;
    }
    return AsProgramText(text);
}

std::optional<std::string> SvgBytes(const SaveOptions& o, std::string& error)
{
    std::string out, err;
    if (runTool("plot", PlotArguments(o, "-"), out, err) != 0) {
        error = err;
        return std::nullopt;
    }
    return out;
}

} // namespace vorida::obszar

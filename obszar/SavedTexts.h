// The files the window saves are the command-line tool's own: the report is the text of
// `vorida-cli fit --loo` (followed by that of `verify` when check points are open), the picture
// the SVG of `plot`, each run with the window's options (the points left out as --exclude).
#pragma once

#include "Extended.h"

#include <optional>
#include <string>
#include <vector>

namespace vorida::obszar {

struct SaveOptions
{
    std::string AreaPath;
    bool ToLocal = false;
    std::string Exclude; // the --exclude value; empty for none
    std::optional<std::string> CheckPath;
    // plot only: the view's scale and the point it is centred on (UTF-8); none: the whole area.
    std::optional<Extended> Scale;
    std::optional<std::string> Centre;
};

// The verbs' arguments for the options (after the verb's name).
std::vector<std::string> FitArguments(const SaveOptions& o);
std::vector<std::string> VerifyArguments(const SaveOptions& o);
std::vector<std::string> PlotArguments(const SaveOptions& o, const std::string& output);

// The report's bytes as the file holds them: Windows-1250, lines ending in CR LF. Nothing, with
// the tool's own message in error, when a verb fails.
std::optional<std::string> ReportBytes(const SaveOptions& o, std::string& error);

// The SVG of `plot` (UTF-8, CR LF, as plot writes it); nothing, with the message in error.
std::optional<std::string> SvgBytes(const SaveOptions& o, std::string& error);

// Text of the tool (UTF-8, lines ending in LF) as a file of the program: Windows-1250, CR LF;
// "σ" and "√", which the code page lacks, spelt "sigma" and "sqrt".
std::string AsProgramText(const std::string& utf8);

} // namespace vorida::obszar

// The verbs of vorida-cli in one table: each verb's name, help line, operands, description,
// option table and work; the tool's help, usage complaints, the conventions and the version.
#pragma once

#include "Options.h"
#include "VerbStreams.h"

#include <string>
#include <string_view>
#include <vector>

namespace vorida::cli {

// A verb: its name, its line in the tool's help, its operands (before the options in the
// synopsis), its description, its options and its work once they are read.
struct VerbRow
{
    std::string_view Name;
    std::string_view Summary;
    std::string_view Operands;
    std::string Description;
    std::vector<OptionRow> Table;
    ExitStatus (*Run)(VerbStreams& io, const Options& o);
};

// The verbs in the order of the tool's help.
const std::vector<const VerbRow*>& VerbTable();
const VerbRow& PackVerb();
const VerbRow& DumpVerb();
const VerbRow& FitVerb();
const VerbRow& ConvertVerb();
const VerbRow& VerifyVerb();
const VerbRow& PlotVerb();

// The help of the tool as a whole (no verb, or --help), from the verbs' table.
std::string MainHelp();

bool IsHelp(const std::string& a);

// Prints the complaint (when any) and the help to standard error; returns ExitStatus::Usage.
ExitStatus Usage(VerbStreams& io, std::string_view help, const std::string& complaint = {});
ExitStatus Usage(VerbStreams& io, const VerbRow& verb, const std::string& complaint);

// What every verb shares, shown below each verb's help: --opt=value, "-" for the standard
// streams, --version.
extern const char* const kConventionsText;
// kConventionsText and the exit statuses, shown below each verb's help.
std::string ConventionsHelp();
// The line of --version.
std::string VersionText();

} // namespace vorida::cli

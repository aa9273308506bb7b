#include "FileNames.h"

#include "System.h"
#include "SystemNames.h"

namespace vorida {

bool IsStandardStream(const std::string& path)
{
    return path == kStandardStream;
}

RunFiles FixedRunFiles(bool localToNational, const std::string& directory, std::int32_t systemCode)
{
    RunFiles f;
    f.Input = PathIn(
        directory, localToNational ? std::string(kLocalInputName) : NationalInputName(systemCode));
    f.Result = PathIn(directory,
        localToNational ? NationalResultName(systemCode) : std::string(kLocalResultName));
    f.Report = PathIn(directory, kReportName);
    return f;
}

} // namespace vorida

#include "FileNames.h"

#include "System.h"
#include "SystemNames.h"

namespace vorida {

bool IsStandardStream(const std::string& path)
{
    return path == kStandardStream;
}

RunFiles FixedRunFiles(Direction direction, const std::string& directory, std::int32_t systemCode)
{
    RunFiles f;
    f.Input = PathIn(directory,
        FromNational(direction) ? NationalInputName(systemCode) : std::string(kLocalInputName));
    f.Result = PathIn(directory,
        FromNational(direction) ? std::string(kLocalResultName) : NationalResultName(systemCode));
    f.Report = PathIn(directory, kReportName);
    return f;
}

} // namespace vorida

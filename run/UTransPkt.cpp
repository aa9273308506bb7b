#include "UTransPkt.h"

#include "Platform.h"
#include "System.h"

namespace vorida {

TPktDostosowania AdjustmentPoints;
std::string AreaName;
std::int32_t SystemCode = 0;
TAreaExtents AreaExtents;
std::int32_t RoundingDigits = 2;

TTrKonfAf TrKonfAf;
TPktBIN PktBIN;
TTransPkt TransPkt;

void LoadPointFile(const std::string& path)
{
    if (!PktBIN.LoadPointFile(path, AreaName, SystemCode, AdjustmentPoints))
        CurrentPlatform().ShowError(kTranspktReadError);
}

void ComputeAreaExtents()
{
    AreaExtents = ComputeAreaExtents(AdjustmentPoints);
}

RunArea ProgramArea()
{
    return { AdjustmentPoints, AreaName, SystemCode, AreaExtents, {} };
}

bool TTransPkt::TransformFile(bool localToNational, const std::string& directory)
{
    const Direction direction
        = localToNational ? Direction::LocalToNational : Direction::NationalToLocal;
    return Transform(direction, FixedRunFiles(direction, directory, SystemCode));
}

bool TTransPkt::Transform(Direction direction, const RunFiles& files)
{
    RunSettings settings;
    settings.Direction = direction;
    settings.Digits = RoundingDigits;
    settings.Progress = progress_;
    settings.DiskFault = diskFault_;
    RunOutcome outcome = RunConversion(ProgramArea(), files, settings);
    lastFailure_ = std::move(outcome.Failure);
    return outcome.Complete;
}

} // namespace vorida

// The TRANSPKT.BIN loader on arbitrary bytes. Whatever the file holds, the load ends with the
// points read and no message, or with the one read-error message and no points; it never reads
// or allocates beyond the file; what it read survives a rewrite byte for byte; every 10-byte
// pattern decodes to the value whose canonical pattern it is (or to NaN, or from a
// pseudo-denormal).
#include "FuzzSupport.h"
#include "RecordingPlatform.h"
#include "UPKTBIN.h"

#include <cmath>
#include <cstring>

using namespace vorida;
using namespace vorida::fuzz;

namespace {

void checkPattern(const ExtendedBytes& raw, Extended decoded)
{
    const unsigned exponent
        = (static_cast<unsigned>(raw[8]) | (static_cast<unsigned>(raw[9]) << 8)) & 0x7FFFu;
    const bool integerBit = (raw[7] & 0x80u) != 0;
    if (std::isnan(decoded))
        return;
    if (exponent == 0 && integerBit)
        return; // a pseudo-denormal: its value has another canonical pattern
    Check(EncodeExtended(decoded) == raw, "a 10-byte pattern does not round-trip");
}

bool sameContents(const TranspktFile& a, const TranspktFile& b)
{
    if (a.AreaName != b.AreaName || a.Skipped != b.Skipped || a.SystemCode != b.SystemCode
        || a.Points.size() != b.Points.size() || a.RawCoordinates != b.RawCoordinates)
        return false;
    for (size_t i = 0; i < a.Points.size(); ++i)
        if (a.Points[i].Name != b.Points[i].Name)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    static ScratchDir dir;
    const std::string path = dir / "TRANSPKT.BIN";
    WriteBytes(path, AsText(data, size));

    RecordingPlatform platform;
    ScopedPlatform scope(platform);
    std::string area = "old";
    std::int32_t code = 99;
    TPktDostosowania points { TPkt {} };
    const bool loaded = TPktBIN().LoadPointFile(path, area, code, points);
    Check(platform.Messages().empty(), "the loader showed a message");
    Check(loaded || points.empty(), "a failed load left points");
    Check(area.size() <= size, "an area name longer than the file");
    Check(points.size() <= size / 44, "more points than the file holds");
    (void)ComputeAreaExtents(points); // any coordinates, NaN included

    TranspktFile contents;
    bool read = true;
    try {
        TPktBIN().ReadFile(path, contents);
    } catch (const TranspktReadError&) {
        read = false;
    }
    Check(read == loaded, "ReadFile and LoadPointFile disagree");
    if (!read)
        return 0;
    Check(contents.Points.size() == points.size(), "ReadFile read another count");
    for (size_t i = 0; i < points.size(); ++i) {
        Check(contents.Points[i].Name == points[i].Name, "ReadFile read another name");
        const TPkt& q = contents.Points[i];
        const Extended values[4]
            = { points[i].LocalX, points[i].LocalY, points[i].NationalX, points[i].NationalY };
        const Extended second[4] = { q.LocalX, q.LocalY, q.NationalX, q.NationalY };
        for (size_t k = 0; k < 4; ++k) {
            checkPattern(contents.RawCoordinates[i][k], values[k]);
            Check(std::memcmp(&values[k], &second[k], 10) == 0
                    || (std::isnan(values[k]) && std::isnan(second[k])),
                "ReadFile decoded another value");
        }
    }

    // Rewriting what was read gives the same contents, in no more bytes than were read.
    const std::string copy = dir / "copy.BIN";
    WriteTranspktFile(copy, contents); // throws when it cannot write
    const std::string rewritten = ReadBytes(copy);
    Check(rewritten.size() <= size, "the rewrite is longer than the input");
    TranspktFile again;
    TPktBIN().ReadFile(copy, again);
    Check(sameContents(contents, again), "the rewrite reads back differently");
    return 0;
}

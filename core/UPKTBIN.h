// The adjustment-point data file TRANSPKT.BIN and the area the adjustment points cover.
//
// Layout (integers 32-bit signed little-endian, no gaps, no magic number):
//   N, N bytes of the area name, a 4-byte value that is skipped, the system code, P, and P
//   records of: L, L bytes of the point name, then LocalX, LocalY, NationalX, NationalY as
//   10-byte x87 extended reals. A length of 0 or less means no bytes. Bytes after the last
//   record are never read.
#pragma once

#include "Error.h"
#include "UTrKonfAf.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vorida {

// The text of the message shown when TRANSPKT.BIN cannot be read (UTF-8).
extern const char* const kTranspktReadError;

struct ExtentBox
{
    Extended MinX = 0.0L;
    Extended MinY = 0.0L;
    Extended MaxX = 0.0L;
    Extended MaxY = 0.0L;
};

// How far the area reaches beyond the adjustment points on every side, metres: far enough
// for the points of a survey at the edge of the area, near enough that the cubic still holds.
inline constexpr Extended kAreaMargin = 3000.0L;

// The bounding boxes of the adjustment points' national and local coordinates, each widened
// by kAreaMargin on every side. A point is inside when MinX <= x <= MaxX and MinY <= y <= MaxY.
struct TAreaExtents
{
    ExtentBox National;
    ExtentBox Local;
};

// The boxes of a non-empty set; all zero for an empty one.
TAreaExtents ComputeAreaExtents(const TPktDostosowania& points);

// Everything a TRANSPKT.BIN holds, the skipped value included (for the tools that write and
// print such files).
struct TranspktFile
{
    std::string AreaName; // Windows-1250 bytes
    std::int32_t Skipped = 0;
    std::int32_t SystemCode = 0;
    TPktDostosowania Points;
    // The 10 bytes of LocalX, LocalY, NationalX, NationalY of each point as they stand in the
    // file, so that patterns without a value of their own (NaN payloads, unnormals) survive a
    // rewrite; when empty, the writer encodes the values.
    std::vector<std::array<ExtendedBytes, 4>> RawCoordinates;
};

class TranspktReadError : public Error
{
public:
    using Error::Error;
};

class TranspktWriteError : public Error
{
public:
    using Error::Error;
};

// Writes the file in the layout above. The bytes go to a temporary file beside the target,
// which replaces the target only when every byte is written and the file is closed, so that a
// failed write leaves an existing area file as it was. Throws TranspktWriteError on failure.
void WriteTranspktFile(const std::string& path, const TranspktFile& contents);

class TPktBIN
{
public:
    // Reads the whole file; throws TranspktReadError on any of the failures listed below.
    // What was read completely before a failure stays in contents (the points only when all
    // were read).
    void ReadFile(const std::string& path, TranspktFile& contents);

    // Reads the file at path into the three destinations; false after a failure (the file
    // cannot be opened, ends before a length, a name, the count or a record says it should, a
    // negative count, or a length or count larger than the rest of the file can hold), which
    // ends the load: the points are then empty, the area name and the code keep what was
    // completely read. It shows nothing: the caller that loads at start-up shows
    // kTranspktReadError.
    bool LoadPointFile(const std::string& path, std::string& areaName, std::int32_t& systemCode,
        TPktDostosowania& points);

private:
    std::int32_t ReadInt32();
    void ReadBytes(void* destination, size_t count);
    // Empties the destination, reads the 4-byte length and that many bytes.
    void ReadCountedText(std::string& destination);
    void ReadPointRecord(TPkt& point, std::array<ExtendedBytes, 4>* raw = nullptr);

    std::FILE* file_ = nullptr;
    std::uint64_t remaining_ = 0; // bytes of the file not read yet
};

} // namespace vorida

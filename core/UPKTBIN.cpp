#include "UPKTBIN.h"

#include "System.h"

#include <algorithm>
#include <filesystem>

namespace vorida {

const char* const kTranspktReadError = "Błąd odczytu pliku TRANSPKT.BIN";

namespace {
// The smallest point record: the length and the four reals.
constexpr std::uint64_t kMinimumRecordSize = 4 + 4 * 10;
} // namespace

namespace {
// Takes (x, y) into the box.
void extend(ExtentBox& box, Extended x, Extended y)
{
    if (x > box.MaxX)
        box.MaxX = x;
    if (x < box.MinX)
        box.MinX = x;
    if (y > box.MaxY)
        box.MaxY = y;
    if (y < box.MinY)
        box.MinY = y;
}
} // namespace

TAreaExtents ComputeAreaExtents(const TPktDostosowania& points)
{
    TAreaExtents e;
    if (points.empty())
        return e;
    const TPkt& first = points.front();
    e.National = { first.NationalX, first.NationalY, first.NationalX, first.NationalY };
    e.Local = { first.LocalX, first.LocalY, first.LocalX, first.LocalY };
    for (const TPkt& p : points) {
        extend(e.National, p.NationalX, p.NationalY);
        extend(e.Local, p.LocalX, p.LocalY);
    }
    for (ExtentBox* box : { &e.National, &e.Local }) {
        box->MinX = box->MinX - kAreaMargin;
        box->MinY = box->MinY - kAreaMargin;
        box->MaxX = box->MaxX + kAreaMargin;
        box->MaxY = box->MaxY + kAreaMargin;
    }
    return e;
}

void TPktBIN::ReadBytes(void* destination, size_t count)
{
    if (count > remaining_ || std::fread(destination, 1, count, file_) != count)
        throw TranspktReadError("unexpected end of file");
    remaining_ -= count;
}

std::int32_t TPktBIN::ReadInt32()
{
    unsigned char b[4];
    ReadBytes(b, 4);
    std::uint32_t u = static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8)
        | (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    return static_cast<std::int32_t>(u);
}

void TPktBIN::ReadCountedText(std::string& destination)
{
    destination.clear();
    std::int32_t length = ReadInt32();
    if (length <= 0)
        return;
    if (static_cast<std::uint64_t>(length) > remaining_)
        throw TranspktReadError("name longer than the file"); // checked before allocating
    std::string text(static_cast<size_t>(length), '\0');
    ReadBytes(text.data(), text.size());
    destination = std::move(text);
}

void TPktBIN::ReadPointRecord(TPkt& point, std::array<ExtendedBytes, 4>* raw)
{
    ReadCountedText(point.Name);
    std::uint8_t bytes[40];
    ReadBytes(bytes, sizeof bytes);
    if (raw != nullptr)
        for (size_t k = 0; k < 4; ++k)
            std::copy(bytes + 10 * k, bytes + 10 * k + 10, (*raw)[k].begin());
    point.LocalX = DecodeExtended(bytes);
    point.LocalY = DecodeExtended(bytes + 10);
    point.NationalX = DecodeExtended(bytes + 20);
    point.NationalY = DecodeExtended(bytes + 30);
}

void TPktBIN::ReadFile(const std::string& path, TranspktFile& contents)
{
    contents.Points.clear();
    // Checked before opening: opening a FIFO would wait for a writer.
    std::error_code ec;
    const std::filesystem::path where = FileSystemPath(path);
    if (!std::filesystem::is_regular_file(where, ec))
        throw TranspktReadError("not a regular file");
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr)
        throw TranspktReadError("cannot open");
    struct Closer
    {
        std::FILE*& f;
        ~Closer()
        {
            std::fclose(f);
            f = nullptr;
        }
    } closer { file_ };

    const std::uintmax_t size = std::filesystem::file_size(where, ec);
    if (ec)
        throw TranspktReadError("no file size");
    remaining_ = static_cast<std::uint64_t>(size);

    ReadCountedText(contents.AreaName);
    contents.Skipped = ReadInt32();
    contents.SystemCode = ReadInt32();
    std::int32_t count = ReadInt32();
    if (count < 0)
        throw TranspktReadError("negative point count");
    if (static_cast<std::uint64_t>(count) > remaining_ / kMinimumRecordSize)
        throw TranspktReadError("point count larger than the file"); // before allocating
    TPktDostosowania read(static_cast<size_t>(count));
    std::vector<std::array<ExtendedBytes, 4>> raw(read.size());
    for (size_t i = 0; i < read.size(); ++i)
        ReadPointRecord(read[i], &raw[i]);
    contents.Points = std::move(read);
    contents.RawCoordinates = std::move(raw);
}

bool TPktBIN::LoadPointFile(const std::string& path, std::string& areaName,
    std::int32_t& systemCode, TPktDostosowania& points)
{
    TranspktFile contents;
    contents.AreaName = areaName;
    contents.SystemCode = systemCode;
    bool loaded = true;
    try {
        ReadFile(path, contents);
    } catch (const TranspktReadError&) {
        loaded = false;
    }
    areaName = std::move(contents.AreaName);
    systemCode = contents.SystemCode;
    points = std::move(contents.Points); // empty after a failure
    return loaded;
}

namespace {
void putInt32(std::string& out, std::int32_t value)
{
    auto u = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((u >> (8 * i)) & 0xFFu);
}

void putCountedText(std::string& out, const std::string& text)
{
    putInt32(out, static_cast<std::int32_t>(text.size()));
    out += text;
}

void putExtended(std::string& out, Extended value)
{
    ExtendedBytes b = EncodeExtended(value);
    out.append(reinterpret_cast<const char*>(b.data()), b.size());
}
} // namespace

void WriteTranspktFile(const std::string& path, const TranspktFile& contents)
{
    std::string out;
    putCountedText(out, contents.AreaName);
    putInt32(out, contents.Skipped);
    putInt32(out, contents.SystemCode);
    putInt32(out, static_cast<std::int32_t>(contents.Points.size()));
    const bool useRaw = contents.RawCoordinates.size() == contents.Points.size();
    for (size_t i = 0; i < contents.Points.size(); ++i) {
        const TPkt& p = contents.Points[i];
        putCountedText(out, p.Name);
        if (useRaw) {
            for (const ExtendedBytes& b : contents.RawCoordinates[i])
                out.append(reinterpret_cast<const char*>(b.data()), b.size());
        } else {
            for (Extended v : { p.LocalX, p.LocalY, p.NationalX, p.NationalY })
                putExtended(out, v);
        }
    }
    namespace fs = std::filesystem;
    const std::string temporaryName = path + ".tmp";
    const fs::path target = FileSystemPath(path), temporary = FileSystemPath(temporaryName);
    std::error_code ec;
    fs::remove(temporary, ec); // a leftover of an earlier failure (a link itself, not its target)
    std::FILE* f = std::fopen(temporaryName.c_str(), "wb");
    if (f == nullptr)
        throw TranspktWriteError("cannot create " + temporaryName);
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    ok = (std::fflush(f) == 0) && ok;
    ok = (std::fclose(f) == 0) && ok;
    if (ok)
        fs::rename(temporary, target, ec);
    if (!ok || ec) {
        fs::remove(temporary, ec);
        throw TranspktWriteError("cannot write " + path);
    }
}

} // namespace vorida

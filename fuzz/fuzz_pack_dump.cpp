// pack -> dump -> pack on arbitrary files: any area name, codes, point names of any bytes and
// any 10-byte coordinate patterns. The text of a file must pack into the same bytes, and
// dumping again must give the same text. A second half feeds the text parser arbitrary text:
// it either refuses with a line number or gives contents whose dump packs back unchanged.
//
// The text form holds a name or the area name on one line between tabs, so names with a tab or
// a line break (LF or CR) are outside what dump and pack promise (docs/command-line.md); they are
// replaced here by "_" (or, from text, skipped).
#include "FuzzSupport.h"
#include "TranspktText.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace vorida;
using namespace vorida::fuzz;

namespace {

bool breaksTheText(const std::string& name)
{
    return name.find_first_of("\t\n\r") != std::string::npos;
}

std::string textSafe(std::string name)
{
    for (char& c : name)
        if (c == '\t' || c == '\n' || c == '\r')
            c = '_';
    return name;
}

std::string fileBytes(const ScratchDir& dir, const TranspktFile& contents)
{
    const std::string path = dir / "T.BIN";
    WriteTranspktFile(path, contents); // throws when it cannot write
    return ReadBytes(path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    static ScratchDir dir;
    FuzzedDataProvider provider(data, size);
    if (provider.ConsumeBool()) {
        TranspktFile file;
        file.AreaName = textSafe(provider.ConsumeRandomLengthString(80));
        file.Skipped = provider.ConsumeIntegral<std::int32_t>();
        file.SystemCode = provider.ConsumeIntegral<std::int32_t>();
        const size_t count = provider.ConsumeIntegralInRange<size_t>(0, 40);
        for (size_t i = 0; i < count && provider.remaining_bytes() > 0; ++i) {
            TPkt point;
            point.Name = textSafe(provider.ConsumeRandomLengthString(40));
            std::array<ExtendedBytes, 4> raw {};
            for (ExtendedBytes& b : raw)
                for (std::uint8_t& byte : b)
                    byte = provider.ConsumeIntegral<std::uint8_t>();
            point.LocalX = DecodeExtended(raw[0].data());
            point.LocalY = DecodeExtended(raw[1].data());
            point.NationalX = DecodeExtended(raw[2].data());
            point.NationalY = DecodeExtended(raw[3].data());
            file.Points.push_back(point);
            file.RawCoordinates.push_back(raw);
        }
        const std::string original = fileBytes(dir, file);
        const std::string text = DumpTranspktText(file);
        TranspktFile packed;
        try {
            packed = ParseTranspktText(text);
        } catch (const PackError& e) {
            std::fprintf(stderr, "%s\n", e.what());
            Check(false, "the dump of a file does not pack");
        }
        Check(fileBytes(dir, packed) == original, "pack(dump(file)) differs from the file");
        Check(DumpTranspktText(packed) == text, "dump(pack(dump(file))) differs");
        return 0;
    }
    const std::string text = provider.ConsumeRemainingBytesAsString();
    TranspktFile parsed;
    try {
        parsed = ParseTranspktText(text);
    } catch (const PackError& e) {
        Check(e.Line >= 1, "a refusal without a line number");
        return 0;
    }
    if (breaksTheText(parsed.AreaName))
        return 0;
    for (const TPkt& p : parsed.Points)
        if (breaksTheText(p.Name))
            return 0;
    const std::string bytes = fileBytes(dir, parsed);
    const std::string dumped = DumpTranspktText(parsed);
    TranspktFile again = ParseTranspktText(dumped);
    Check(fileBytes(dir, again) == bytes, "pack(dump(pack(text))) differs from pack(text)");
    return 0;
}

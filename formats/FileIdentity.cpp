#include "FileIdentity.h"

#include "FileNames.h"

#include <filesystem>

namespace vorida {

bool SameExistingFile(const std::string& a, const std::string& b)
{
    return SameFileOnDisk(a, b);
}

bool SameFile(const std::string& a, const std::string& b)
{
    if (a == b || SameFileOnDisk(a, b))
        return true;
    // Where neither exists yet: the same place, folders' links resolved.
    namespace fs = std::filesystem;
    std::error_code ea, eb;
    const fs::path pa = fs::weakly_canonical(fs::absolute(FileSystemPath(a), ea), ea);
    const fs::path pb = fs::weakly_canonical(fs::absolute(FileSystemPath(b), eb), eb);
    return !ea && !eb && !pa.empty() && pa == pb && FileKindOnDisk(a) == FileKind::Missing;
}

void GuardInput(std::vector<GuardedInput>& inputs, const std::string& path)
{
    FileIdentity identity;
    if (!path.empty() && !IsStandardStream(path) && IdentityOnDisk(path, identity))
        inputs.push_back({ identity, path });
}

} // namespace vorida

#include "Platform.h"

#include "ConsolePlatform.h"

namespace vorida {

Platform::~Platform() = default;

namespace {

Platform* installed = nullptr;

ConsolePlatform& consolePlatform()
{
    static ConsolePlatform console;
    return console;
}

} // namespace

Platform& CurrentPlatform()
{
    return installed ? *installed : consolePlatform();
}

void InstallPlatform(Platform* platform)
{
    installed = platform;
}

ScopedPlatform::ScopedPlatform(Platform& platform) : previous_(installed)
{
    installed = &platform;
}

ScopedPlatform::~ScopedPlatform()
{
    installed = previous_;
}

} // namespace vorida

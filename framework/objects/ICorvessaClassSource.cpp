#include "framework/objects/ICorvessaClassSource.h"

#include <atomic>

namespace {
std::atomic<ICorvessaClassSource*> g_installed{nullptr};
}  // namespace

ICorvessaClassSource* ICorvessaClassSource::Installed()
{
    return g_installed.load();
}

void ICorvessaClassSource::Install(ICorvessaClassSource* source)
{
    g_installed.store(source);
}

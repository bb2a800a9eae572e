#include "views/PluginModule.h"

#include "plugin/ColouringPlugin.h"

#include <dlfcn.h>

namespace korvid {

std::unique_ptr<TPluginModule> TPluginModule::Load(const std::filesystem::path& FileName) {
    std::error_code Error;
    if (FileName.empty() || !std::filesystem::is_regular_file(FileName, Error))
        return nullptr;
    // A plug-in's own symbols must not resolve against another plug-in's.
    void* Handle = dlopen(FileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (Handle == nullptr)
        return nullptr;
    return std::unique_ptr<TPluginModule>(new TPluginModule(Handle));
}

TPluginModule::~TPluginModule() {
    dlclose(FHandle);
}

void* TPluginModule::Symbol(const char* Name) const {
    return dlsym(FHandle, Name);
}

bool QueryColouringDLL(const TPluginModule* Module, const std::filesystem::path& FileName,
                       int Kind) {
    std::unique_ptr<TPluginModule> Temporary;
    if (Module == nullptr) {
        Temporary = TPluginModule::Load(FileName);
        Module = Temporary.get();
    }
    if (Module == nullptr)
        return false;
    const auto Query = Module->Function<TKorvidQueryDLL>(KorvidQueryDLLName);
    return Query != nullptr && Query(Kind) == 1;
}

} // namespace korvid

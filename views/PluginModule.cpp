#include "views/PluginModule.h"

#include "platform/Paths.h"
#include "plugin/ColouringPlugin.h"

#include <dlfcn.h>

namespace korvid {

std::filesystem::path FindPlugin(const std::filesystem::path& FileName,
                                 const std::filesystem::path& ProgramFolder) {
    std::error_code Error;
    if (FileName.empty() || FileName.has_parent_path() || std::filesystem::exists(FileName, Error))
        return FileName;
    // A view that names the program's own plug-in without a folder keeps working wherever the
    // program is installed.
    for (const auto& Folder : {ProgramFolder, ProgramFolder / ".." / "plugin",
                               ProgramFolder / ".." / "lib" / "korvid"}) {
        const std::filesystem::path Candidate = Folder / FileName;
        if (std::filesystem::is_regular_file(Candidate, Error))
            return Candidate.lexically_normal();
    }
    return FileName;
}

std::unique_ptr<TPluginModule> TPluginModule::Load(const std::filesystem::path& Name) {
    const std::filesystem::path FileName = FindPlugin(Name, ProgramFolder());
    std::error_code Error;
    if (FileName.empty() || !std::filesystem::is_regular_file(FileName, Error))
        return nullptr;
    // A plug-in's own symbols must not resolve against another plug-in's.
    // A name without a slash would be looked for on the library path instead.
    void* Handle =
        dlopen(std::filesystem::absolute(FileName, Error).c_str(), RTLD_NOW | RTLD_LOCAL);
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

#pragma once

#include <filesystem>
#include <memory>

namespace korvid {

// A colouring plug-in loaded from its file; unloaded when the object goes. The only place in the
// program's own process that loads libraries (the compiler library has a helper process).
class TPluginModule {
public:
    // Null when the file is missing or cannot be loaded.
    static std::unique_ptr<TPluginModule> Load(const std::filesystem::path& FileName);
    ~TPluginModule();
    TPluginModule(const TPluginModule&) = delete;
    TPluginModule& operator=(const TPluginModule&) = delete;

    // The export of that name, or null.
    template <class TFunction> TFunction Function(const char* Name) const {
        return reinterpret_cast<TFunction>(Symbol(Name));
    }

private:
    explicit TPluginModule(void* Handle) : FHandle(Handle) {}
    void* Symbol(const char* Name) const;

    void* FHandle;
};

// Where a plug-in named by its bare file name is: the file itself when it exists, else the first
// of ProgramFolder, the build tree's plugin folder beside it and the installed lib/korvid that has
// it; FileName unchanged when none has. Names with a folder are taken as they are.
std::filesystem::path FindPlugin(const std::filesystem::path& FileName,
                                 const std::filesystem::path& ProgramFolder);

// Whether the plug-in offers a feature: true only when its probe exists and answers exactly 1.
// Without a module, the file (when it exists) is loaded for the call and freed again.
bool QueryColouringDLL(const TPluginModule* Module, const std::filesystem::path& FileName,
                       int Kind);

} // namespace korvid

#pragma once

#include "plugin/ColouringPlugin.h"
#include "views/PluginModule.h"

#include <memory>

namespace korvid {

class TView;

// The plug-in an editor colours with. A plug-in that loaded but failed the check stays loaded
// until the next binding, unused.
class TColouringBinding {
public:
    // Frees the current plug-in, then loads the view's when it asks for one; true when its
    // chunks can be drawn.
    bool Bind(const TView& View);
    // The chunk function goes before the library that holds it.
    void Unbind();

    const TPluginModule* PluginModule() const { return FModule.get(); }
    TKorvidEnumChunks EnumChunks() const { return FEnumChunks; }
    bool IsBound() const { return FModule != nullptr && FEnumChunks != nullptr; }

private:
    std::unique_ptr<TPluginModule> FModule;
    TKorvidEnumChunks FEnumChunks = nullptr;
};

} // namespace korvid

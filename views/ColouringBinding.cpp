#include "views/ColouringBinding.h"

#include "views/View.h"

namespace korvid {

bool TColouringBinding::Bind(const TView& View) {
    Unbind();
    if (!View.UseDll)
        return false;
    FModule = TPluginModule::Load(View.Dll());
    if (FModule != nullptr && QueryColouringDLL(FModule.get(), {}, KorvidFeatureChunks))
        FEnumChunks = FModule->Function<TKorvidEnumChunks>(KorvidEnumChunksName);
    return IsBound();
}

void TColouringBinding::Unbind() {
    FEnumChunks = nullptr;
    FModule.reset();
}

} // namespace korvid

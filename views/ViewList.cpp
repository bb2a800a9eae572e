#include "views/ViewList.h"

#include "foundation/RegistryEx.h"
#include "psystem/TextKind.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace korvid {

namespace {

// Subkeys "1", "2", ..., "10" in number order; other names after them, by name.
bool SubKeyBefore(const std::string& A, const std::string& B) {
    auto Number = [](const std::string& Name) -> std::optional<long long> {
        long long Value = 0;
        const auto [End, Error] = std::from_chars(Name.data(), Name.data() + Name.size(), Value);
        if (Name.empty() || Error != std::errc() || End != Name.data() + Name.size())
            return std::nullopt;
        return Value;
    };
    const auto NumberA = Number(A);
    const auto NumberB = Number(B);
    if (NumberA && NumberB)
        return *NumberA < *NumberB;
    if (NumberA || NumberB)
        return NumberA.has_value();
    return A < B;
}

std::string SubKeyPath(std::string_view Path, std::string_view Name) {
    return "\\" + std::string(Path) + "\\" + std::string(Name);
}

} // namespace

int TViewList::IndexOf(const TView* View) const {
    for (int I = 0; I < Count(); ++I)
        if (FViews[I].get() == View)
            return I;
    return -1;
}

TView& TViewList::Add(std::unique_ptr<TView> View) {
    FViews.push_back(std::move(View));
    return *FViews.back();
}

void TViewList::Delete(int Index) {
    if (FViews.at(Index).get() == DefaultView)
        DefaultView = nullptr;
    FViews.erase(FViews.begin() + Index);
}

void TViewList::Clear() {
    FViews.clear();
    DefaultView = nullptr;
}

TView& TViewList::GetDefaultView() {
    if (DefaultView == nullptr)
        DefaultView = &Add(std::make_unique<TView>());
    return *DefaultView;
}

template <class TPredicate> TView& TViewList::FindFirst(TPredicate Matches) {
    for (const auto& View : FViews)
        if (Matches(*View))
            return *View;
    return GetDefaultView();
}

TView& TViewList::FindForFileName(std::string_view FileName) {
    return FindFirst([&](const TView& View) { return View.MatchesFileName(FileName); });
}

TView& TViewList::FindForPSystemPascal() {
    return FindFirst([](const TView& View) { return View.PSystemPascal; });
}

TView& TViewList::FindForPSystemReportWriter() {
    return FindFirst([](const TView& View) { return View.PSystemReportWriter; });
}

TView& TViewList::FindForPSystemLorvanta() {
    return FindFirst([](const TView& View) { return View.PSystemLorvanta; });
}

TView& TViewList::FindForPSystemFile(std::string_view FileName,
                                     const std::vector<std::string>& Lines, TView& Fallback) {
    switch (DetectTextKind(FileName, Lines, false)) {
    case tkPascal:
        return FindForPSystemPascal();
    case tkDotCommands:
        return FindForPSystemReportWriter();
    case tkLorvanta:
    case tkOtherLorvanta:
        return FindForPSystemLorvanta();
    default:
        return Fallback;
    }
}

void TViewList::LoadFromRegistry() {
    Clear();
    TRegistryEx Registry;
    std::string_view Path;
    for (const int Index : {CurrentKeyIndex, LegacyKeyIndex}) {
        if (Registry.OpenKey("\\" + std::string(ViewsKeys[Index]), false)) {
            Path = ViewsKeys[Index];
            break;
        }
    }
    if (!Path.empty()) {
        // The registry lists "10" before "2"; number order keeps the views as they were saved.
        std::vector<std::string> Names = Registry.GetKeyNames();
        std::stable_sort(Names.begin(), Names.end(), SubKeyBefore);
        for (const std::string& Name : Names) {
            Registry.CloseKey();
            if (!Registry.OpenKey(SubKeyPath(Path, Name), false))
                continue;
            auto View = std::make_unique<TView>();
            View->LoadFromRegistry(Registry);
            TView& Added = Add(std::move(View));
            // The view reader leaves a deeper key open.
            Registry.CloseKey();
            if (DefaultView == nullptr && Registry.OpenKey(SubKeyPath(Path, Name), false) &&
                Registry.ReadBoolDefault("Default", false))
                DefaultView = &Added;
        }
    }
    GetDefaultView();
}

void TViewList::SaveToRegistry() const {
    const std::string_view Path = ViewsKeys[CurrentKeyIndex];
    TRegistryEx Registry;
    Registry.DeleteSubKeys("\\" + std::string(Path));
    if (!Registry.OpenKey("\\" + std::string(Path), true))
        return;
    for (int I = 0; I < Count(); ++I) {
        const std::string Name = std::to_string(I + 1);
        Registry.CloseKey();
        if (!Registry.OpenKey(SubKeyPath(Path, Name), true))
            continue;
        FViews[I]->SaveToRegistry(Registry);
        Registry.CloseKey();
        if (FViews[I].get() == DefaultView && Registry.OpenKey(SubKeyPath(Path, Name), true))
            Registry.WriteBool("Default", true);
    }
}

} // namespace korvid

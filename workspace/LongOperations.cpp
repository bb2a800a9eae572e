#include "workspace/LongOperations.h"

#include <algorithm>
#include <utility>

namespace korvid {

TLongOperations::TToken::~TToken() {
    FOwner.End(FEntry);
}

bool TLongOperations::TToken::StopRequested() const {
    return FEntry->StopRequested;
}

bool TLongOperations::TToken::Abandoned() const {
    return FEntry->Abandoned;
}

void TLongOperations::TToken::RequestStop() {
    TLongOperations::RequestStop(*FEntry);
}

TLongOperations::TToken TLongOperations::Begin(TKind Kind, std::function<void()> Stop) {
    const bool Stopping = static_cast<bool>(FAllEnded);
    FEntries.push_back({Kind, std::move(Stop), Stopping, Stopping});
    return TToken(*this, std::prev(FEntries.end()));
}

bool TLongOperations::Running(TKind Kind) const {
    return std::any_of(FEntries.begin(), FEntries.end(),
                       [Kind](const TEntry& Entry) { return Entry.Kind == Kind; });
}

bool TLongOperations::StopAll(std::function<void()> AllEnded) {
    if (FEntries.empty())
        return false;
    FAllEnded = std::move(AllEnded);
    for (TEntry& Entry : FEntries)
        Entry.Abandoned = true;
    // A stop may let events run, and an operation end meanwhile: the list is looked at afresh
    // for each.
    const auto NotAsked = [](const TEntry& Entry) { return !Entry.StopRequested; };
    for (auto Next = std::find_if(FEntries.begin(), FEntries.end(), NotAsked);
         Next != FEntries.end(); Next = std::find_if(FEntries.begin(), FEntries.end(), NotAsked))
        RequestStop(*Next);
    return true;
}

void TLongOperations::RequestStop(TEntry& Entry) {
    if (Entry.StopRequested)
        return;
    Entry.StopRequested = true;
    if (Entry.Stop)
        Entry.Stop();
}

void TLongOperations::End(std::list<TEntry>::iterator Entry) noexcept {
    FEntries.erase(Entry);
    if (FEntries.empty() && FAllEnded)
        std::exchange(FAllEnded, nullptr)();
}

} // namespace korvid

#pragma once

#include <functional>
#include <list>

namespace korvid {

// The operations of a window that run for long and let events run meanwhile: a search, a
// replace across files, a VBat run, a compile list, a wait for the compiler server. Each
// registers for as long as it runs and looks between its steps whether it was asked to stop. A
// window cannot wait for them in place (they run further down its own call stack), so it asks
// them all to stop and closes once the last has returned.
class TLongOperations {
    struct TEntry;

public:
    enum class TKind { Search, ReplaceAcrossFiles, VBatRun, CompileList, CompilerWait };

    // One running operation; it leaves the list when it goes.
    class TToken {
    public:
        ~TToken();
        TToken(const TToken&) = delete;
        TToken& operator=(const TToken&) = delete;

        // Asked to stop, by its own user (Escape, Cancel) or with all the others.
        bool StopRequested() const;
        // Asked to stop with all the others: nobody is left to see what it would show.
        bool Abandoned() const;
        // Its own user stops it.
        void RequestStop();

    private:
        friend class TLongOperations;
        TToken(TLongOperations& Owner, std::list<TEntry>::iterator Entry)
            : FOwner(Owner), FEntry(Entry) {}

        TLongOperations& FOwner;
        std::list<TEntry>::iterator FEntry;
    };

    TLongOperations() = default;
    TLongOperations(const TLongOperations&) = delete;
    TLongOperations& operator=(const TLongOperations&) = delete;

    // Registers an operation for the token's life. Stop, when given, is called once when it is
    // asked to stop, for an operation that cannot look at its token while it waits. One begun
    // while everything is stopping starts stopped.
    [[nodiscard]] TToken Begin(TKind Kind, std::function<void()> Stop = {});
    bool Running(TKind Kind) const;
    bool Any() const { return !FEntries.empty(); }
    // Everything was asked to stop and something still runs: the window is closing.
    bool Stopping() const { return static_cast<bool>(FAllEnded); }
    // Asks every running operation to stop; AllEnded (which must not throw) runs once the last
    // of them has ended. False, and AllEnded dropped, when none runs.
    bool StopAll(std::function<void()> AllEnded);

private:
    struct TEntry {
        TKind Kind;
        std::function<void()> Stop;
        bool StopRequested = false;
        bool Abandoned = false;
    };

    static void RequestStop(TEntry& Entry);
    void End(std::list<TEntry>::iterator Entry) noexcept;

    std::list<TEntry> FEntries;
    std::function<void()> FAllEnded;
};

} // namespace korvid

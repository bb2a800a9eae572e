#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvid {

// A saved window coordinate of this value means that no position was saved.
inline constexpr int OffScreenPosition = -16000;

// True when the program runs as a 32-bit process on a 64-bit system; never here.
extern bool IsWow64;

// ---- Fonts --------------------------------------------------------------------------------

// "Tahoma" when installed, else "MS Sans Serif", else the system's general font.
std::string GetDialogFontName();
// "Consolas" when installed, else "Courier New", else the system's fixed font.
std::string GetMonospacedFontName();
// The font families of the screen, only the fixed-pitch ones when asked.
std::vector<std::string> FontFamilyNames(bool FixedPitchOnly);

// ---- Geometry (right and bottom edges are exclusive) ---------------------------------------

struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool Contains(TPoint P) const {
        return P.X >= Left && P.X < Right && P.Y >= Top && P.Y < Bottom;
    }
    bool operator==(const TRect&) const = default;
};

// The top-left corner that centres a Width x Height form in WorkArea (halves round to zero).
TPoint CentredPosition(int Width, int Height, const TRect& WorkArea);
// Whether a form saved at (Left, Top) keeps at least 100 pixels on the virtual screen.
bool KeepsSavedPosition(int Left, int Top, int Width, int Height, const TRect& VirtualScreen);
// The size of the primary screen's work area.
void GetWorkAreaSize(int& Width, int& Height);

// Text without the blanks and control characters at either end.
std::string_view TrimText(std::string_view Text);

// ---- Paths and files -------------------------------------------------------------------------

// Appends the path separator unless the path already ends with one.
void IncludeTrailingBackslash(std::string& Path);
bool IsRelativePath(std::string_view Path);
// For "volume>file" the volume file is tested. A file nobody may write counts as read-only.
bool IsReadOnlyFile(std::string_view Name);
// The lines of a text file without their line ends (CR LF or LF); none when it cannot be read.
std::vector<std::string> ReadLinesOfFile(const std::filesystem::path& FileName);
// Last-write time in milliseconds since 1970, or 0 when the file cannot be read.
std::int64_t FileDateTime(std::string_view Name);
// The full path with each existing component in its stored spelling. Names are re-cased
// (KeepCase False) only on file systems that ignore case.
std::string TrueCaseFileName(std::string_view Name, bool KeepCase);
// The re-casing rule for one component on such file systems: a name without lower-case
// letters keeps its first character and lowers the rest; the extension is lowered.
std::string ReCaseFileNameComponent(std::string_view Component);

// ---- Strings ---------------------------------------------------------------------------------

std::string PadLeft(std::string_view S, int Width);
std::string PadRight(std::string_view S, int Width);
std::string ZeroPad(std::string_view S, int Width);
std::string StringOfSpaces(int N);
int CountLeadingSpaces(std::string_view S);
void RemoveChar(char Ch, std::string& S);
std::string DoubleChar(char Ch, std::string_view S);
std::string ReplaceChar(std::string_view S, char Old, char New);
// Searching goes on after each inserted text, so a replacement holding Old cannot loop.
std::string ReplaceAll(std::string_view S, std::string_view Old, std::string_view New);
// 1-based position of Sub in S, or length + 1.
int PosOrPastEnd(std::string_view Sub, std::string_view S);
std::string StripQuotes(std::string_view S);
std::string UpCaseFirst(std::string_view S);
std::string IdentifierToCaption(std::string_view S);
// Appends the pieces of S between Delimiters; an empty delimiter yields S as one piece.
void SplitToStrings(std::string_view S, std::string_view Delimiter, std::vector<std::string>& List);
std::string QuotedPascalString(std::string_view S);

// Width of a text in pixels, as the canvas measures it.
using TMeasureText = std::function<int(std::string_view)>;

// Takes from the front of Text the longest run of whole pieces (each ending just after a break
// character) that fits MaxWidth; a first piece wider than that is cut after its last character
// that fits, so nothing is ever clipped. NextPosition is the index just after the line.
void WordWrapLine(std::string_view Text, int MaxWidth, const TMeasureText& Measure,
                  std::string_view BreakCharacters, std::string& Line, int& LineWidth,
                  std::size_t& NextPosition);

// ---- Other ---------------------------------------------------------------------------------

// Plays the user's sound for a system event without waiting; a sound already playing is
// stopped only when Interrupt is set.
void PlaySystemSound(std::string_view EventName, bool Interrupt);

inline int Max(int A, int B) {
    return A > B ? A : B;
}
inline int Min(int A, int B) {
    return A < B ? A : B;
}

// ---- Lists ---------------------------------------------------------------------------------

// A list that owns its items; clearing and destruction free them.
template <class T> class TDeepList {
public:
    TDeepList() = default;
    TDeepList(const TDeepList&) = delete;
    TDeepList& operator=(const TDeepList&) = delete;
    ~TDeepList() { Clear(); }

    int Add(std::unique_ptr<T> Item) {
        FItems.push_back(std::move(Item));
        return Count() - 1;
    }
    void Insert(int Index, std::unique_ptr<T> Item) {
        FItems.insert(FItems.begin() + Index, std::move(Item));
    }
    void Delete(int Index) { FItems.erase(FItems.begin() + Index); }
    std::unique_ptr<T> Extract(int Index) {
        std::unique_ptr<T> Item = std::move(FItems[static_cast<std::size_t>(Index)]);
        Delete(Index);
        return Item;
    }
    void Clear() {
        for (auto& Item : FItems)
            Item.reset();
        FItems.clear();
    }
    int Count() const { return static_cast<int>(FItems.size()); }
    T* operator[](int Index) const { return FItems[static_cast<std::size_t>(Index)].get(); }
    int IndexOf(const T* Item) const {
        for (int I = 0; I < Count(); ++I)
            if ((*this)[I] == Item)
                return I;
        return -1;
    }
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    std::vector<std::unique_ptr<T>> FItems;
};

// A list of strings, each with an attached object (a value, a pointer or an owner).
template <class TObject> class TStringListOf {
public:
    struct TItem {
        std::string String;
        TObject Object{};
    };

    int Add(std::string S, TObject Object = {}) {
        FItems.push_back({std::move(S), std::move(Object)});
        return Count() - 1;
    }
    void Insert(int Index, std::string S, TObject Object = {}) {
        FItems.insert(FItems.begin() + Index, TItem{std::move(S), std::move(Object)});
    }
    void Delete(int Index) { FItems.erase(FItems.begin() + Index); }
    void Clear() { FItems.clear(); }
    int Count() const { return static_cast<int>(FItems.size()); }
    const std::string& Strings(int Index) const { return Item(Index).String; }
    std::string& Strings(int Index) { return Item(Index).String; }
    const TObject& Objects(int Index) const { return Item(Index).Object; }
    TObject& Objects(int Index) { return Item(Index).Object; }
    // Ignores letter case, as string lists do.
    int IndexOf(std::string_view S) const;
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

    // Announced around every sort.
    std::function<void()> OnChanging;
    std::function<void()> OnChange;

protected:
    const TItem& Item(int Index) const { return FItems.at(static_cast<std::size_t>(Index)); }
    TItem& Item(int Index) { return FItems.at(static_cast<std::size_t>(Index)); }
    std::vector<TItem> FItems;
};

bool SameTextForList(std::string_view A, std::string_view B);

template <class TObject> int TStringListOf<TObject>::IndexOf(std::string_view S) const {
    for (int I = 0; I < Count(); ++I)
        if (SameTextForList(Strings(I), S))
            return I;
    return -1;
}

// A string list that owns the objects attached to its strings and frees them in index order.
template <class TObject> class TDeepStringList : public TStringListOf<std::unique_ptr<TObject>> {
public:
    TDeepStringList() = default;
    TDeepStringList(const TDeepStringList&) = delete;
    TDeepStringList& operator=(const TDeepStringList&) = delete;
    ~TDeepStringList() {
        for (auto& Entry : this->FItems)
            Entry.Object.reset();
    }
};

// A string list sorted by byte value, so upper case comes before lower case.
template <class TObject> class TAsciiSortStringList : public TStringListOf<TObject> {
public:
    void Sort() {
        if (this->Count() < 2)
            return;
        if (this->OnChanging)
            this->OnChanging();
        QuickSort(0, this->Count() - 1);
        if (this->OnChange)
            this->OnChange();
    }

private:
    void QuickSort(int Low, int High) {
        while (Low < High) {
            const std::string Pivot = this->Strings(Low + (High - Low) / 2);
            int I = Low;
            int J = High;
            while (I <= J) {
                while (this->Strings(I) < Pivot)
                    ++I;
                while (Pivot < this->Strings(J))
                    --J;
                if (I <= J) {
                    std::swap(this->Item(I), this->Item(J));
                    ++I;
                    --J;
                }
            }
            // Recurse into the smaller side to bound the depth.
            if (J - Low < High - I) {
                QuickSort(Low, J);
                Low = I;
            } else {
                QuickSort(I, High);
                High = J;
            }
        }
    }
};

} // namespace korvid

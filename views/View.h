#pragma once

#include "platform/Colors.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvid {

class TRegistryEx;

// The colour of one syntax element id of a view's plug-in.
struct TViewElement {
    int Id = 0;
    TColor Colour = 0;
    bool Bold = false;
    bool Italic = false;
};

// Whether FileName's extension is one that the wildcards ("*.pas;*.inc") stand for, ignoring
// letter case.
bool WildcardsMatchFileName(std::string_view Wildcards, std::string_view FileName);
// The extension the first wildcard stands for, with its dot; empty when it names none.
std::string WildcardsDefaultExtension(std::string_view Wildcards);

class TViewElementList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    TViewElement& GetElement(int Index) { return FItems.at(Index); }
    const TViewElement& GetElement(int Index) const { return FItems.at(Index); }
    // The first element with the id; null when none.
    const TViewElement* FindById(int Id) const;
    void Add(const TViewElement& Element) { FItems.push_back(Element); }
    void Clear() { FItems.clear(); }
    void Assign(const TViewElementList& Other) { FItems = Other.FItems; }

private:
    std::vector<TViewElement> FItems;
};

struct TAutoTextEntry {
    std::string Abbreviation;
    char CursorChar = '|'; // 0 = none
    std::string Description;
    std::string Expansion;      // may hold CR LF
    std::uint16_t ShortCut = 0; // 0 = none
};

class TAutoTextEntryList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    TAutoTextEntry& GetEntry(int Index) { return FItems.at(Index); }
    const TAutoTextEntry& GetEntry(int Index) const { return FItems.at(Index); }
    void Add(const TAutoTextEntry& Entry) { FItems.push_back(Entry); }
    void Clear() { FItems.clear(); }

private:
    std::vector<TAutoTextEntry> FItems;
};

// The registry value name of an auto-text entry: its four fields, each followed by character 1.
std::string AutoTextValueName(const TAutoTextEntry& Entry);
// Fills Description, Abbreviation, CursorChar and ShortCut from such a name.
TAutoTextEntry ParseAutoTextValueName(std::string_view Name);

// Which fonts are installed. Tests replace it to pin the answer.
using TFontCatalogue = std::function<bool(std::string_view FontName)>;
bool IsFontInstalled(std::string_view FontName);
// Restores the system's catalogue when it goes.
class TScopedFontCatalogue {
public:
    explicit TScopedFontCatalogue(TFontCatalogue Catalogue);
    ~TScopedFontCatalogue();
    TScopedFontCatalogue(const TScopedFontCatalogue&) = delete;
    TScopedFontCatalogue& operator=(const TScopedFontCatalogue&) = delete;

private:
    TFontCatalogue FPrevious;
};

enum TViewWrapType : std::uint8_t { vwNone = 0, vwAtColumn = 1, vwAtWindow = 2 };

// A named scheme for how a kind of document looks and behaves in the editor.
class TView {
public:
    static constexpr std::string_view DefaultName = "Plain Text";
    static constexpr std::string_view DefaultFontName = "Courier New";
    static constexpr int DefaultFontSize = 9;
    static constexpr int DefaultWrapColumn = 80;
    static constexpr int DefaultTabStops = 8;
    // The 31 ASCII punctuation characters, the underscore excepted.
    static constexpr std::string_view DefaultWordDelimiters = "!\"#$%&'()*+,-./:;<=>?@[\\]^`{|}~";

    // Every field at its default; the member initialisers below are the defaults.
    void SetDefaults() { *this = TView(); }

    bool AutoIndent = false;
    TAutoTextEntryList AutoText;
    TColor BackgroundColour = clWindow;
    TColor BreakpointBackgroundColour = clRed;
    TColor BreakpointTextColour = clWhite;
    std::string ClosingDelimiter;
    std::string CommentMarker;
    TViewElementList Elements;
    TColor ExecutionPointBackgroundColour = clGreen;
    TColor ExecutionPointTextColour = clYellow;
    bool FinalLineFeed = false;
    std::string HelpFile;
    int IndentCount = 2; // 0 = a tab character
    int LeftMarginWidth = 14;
    bool OpenAsReadOnly = false;
    std::string OpeningDelimiter;
    bool PreserveSolitarySpaces = false;
    bool PreserveSpaces = true;
    bool PSystemLorvanta = false;
    bool PSystemPascal = false;
    bool PSystemReportWriter = false;
    TColor RightMarginColour = clGrayText;
    int RightMarginColumn = 80;
    bool RightMarginVisible = false;
    bool SaveAsUnix = false;
    TColor SelectionBackgroundColour = clHighlight;
    TColor SelectionTextColour = clHighlightText;
    std::uint16_t ShortCut = 0;
    std::uint8_t TabKey = 2; // the engine's tab types
    TColor TextColour = clWindowText;
    bool UseDll = false;
    bool Utf8 = false;
    bool WebScrolling = false;
    std::string Wildcards;
    std::string WordDelimiters{DefaultWordDelimiters};
    bool WrapAtLeft = false;
    bool WrapAtRight = false;

    // Fields whose setters apply rules.
    const std::string& Name() const { return FName; }
    void SetName(std::string_view Value);
    const std::string& Dll() const { return FDll; }
    void SetDll(std::string_view Value);
    const std::string& FontName() const { return FFontName; }
    void SetFontName(std::string_view Value);
    int FontSize() const { return FFontSize; }
    void SetFontSize(int Value);
    // Below 1 it would divide by zero in the tab expansion.
    int TabStops() const { return FTabStops; }
    void SetTabStops(int Value);
    int WrapColumn() const { return FWrapColumn; }
    void SetWrapColumn(int Value);
    std::uint8_t WrapType() const { return FWrapType; }
    void SetWrapType(std::uint8_t Value) { FWrapType = Value; }

    bool MatchesFileName(std::string_view FileName) const;
    std::string DefaultExtension() const;

    // With the view's own key open.
    void SaveToRegistry(TRegistryEx& Registry) const;
    void LoadFromRegistry(TRegistryEx& Registry);

private:
    std::string FName{DefaultName};
    std::string FDll;
    std::string FFontName{DefaultFontName};
    int FFontSize = DefaultFontSize;
    int FTabStops = DefaultTabStops;
    int FWrapColumn = DefaultWrapColumn;
    std::uint8_t FWrapType = vwNone;
};

} // namespace korvid

#include "views/View.h"

#include "foundation/RegistryEx.h"
#include "platform/Cp1252.h"
#include "platform/Paths.h"
#include "views/PluginModule.h"

#include <QFontDatabase>
#include <QStringList>

#include <charconv>
#include <filesystem>

namespace korvid {

namespace {

constexpr char AutoTextSeparator = '\1';
constexpr TColor DefaultElementColour = clWindowText;

bool SystemHasFont(std::string_view FontName) {
    const QString Wanted = ToQString(FontName);
    for (const QString& Family : QFontDatabase::families())
        if (Family.compare(Wanted, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

TFontCatalogue& ActiveFontCatalogue() {
    static TFontCatalogue Catalogue = SystemHasFont;
    return Catalogue;
}

// The extension of a file name from its last "." on; empty when the last component has none.
std::string_view FileExtension(std::string_view FileName) {
    const std::size_t Dot = FileName.find_last_of(".\\/:");
    if (Dot == std::string_view::npos || FileName[Dot] != '.')
        return {};
    return FileName.substr(Dot);
}

// A wildcard piece as the extension it stands for: "*.pas", ".pas" and "pas" all give ".PAS".
std::string WildcardExtension(std::string_view Piece) {
    const std::size_t First = Piece.find_first_not_of("*.");
    return "." + UpperCase1252(First == std::string_view::npos ? "" : Piece.substr(First));
}

std::vector<std::string_view> SplitAt(std::string_view Text, char Separator) {
    std::vector<std::string_view> Pieces;
    for (;;) {
        const std::size_t At = Text.find(Separator);
        Pieces.push_back(Text.substr(0, At));
        if (At == std::string_view::npos)
            return Pieces;
        Text.remove_prefix(At + 1);
    }
}

// A decimal number, or Fallback when Text is not one.
int ToIntDefault(std::string_view Text, int Fallback) {
    int Value = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    return Error == std::errc() && End == Text.data() + Text.size() && !Text.empty() ? Value
                                                                                     : Fallback;
}

void WriteColour(TRegistryEx& Registry, std::string_view Name, TColor Colour) {
    Registry.WriteInteger(Name, static_cast<int>(Colour));
}

TColor ReadColour(const TRegistryEx& Registry, std::string_view Name, TColor Default) {
    return static_cast<TColor>(Registry.ReadIntegerDefault(Name, static_cast<int>(Default)));
}

} // namespace

const TViewElement* TViewElementList::FindById(int Id) const {
    for (const TViewElement& Element : FItems)
        if (Element.Id == Id)
            return &Element;
    return nullptr;
}

std::string AutoTextValueName(const TAutoTextEntry& Entry) {
    std::string Name =
        Entry.Description + AutoTextSeparator + Entry.Abbreviation + AutoTextSeparator;
    if (Entry.CursorChar != 0)
        Name += Entry.CursorChar;
    return Name + AutoTextSeparator + std::to_string(Entry.ShortCut) + AutoTextSeparator;
}

TAutoTextEntry ParseAutoTextValueName(std::string_view Name) {
    std::vector<std::string_view> Fields = SplitAt(Name, AutoTextSeparator);
    Fields.resize(std::max<std::size_t>(Fields.size(), 4));
    TAutoTextEntry Entry;
    Entry.Description = Fields[0];
    Entry.Abbreviation = Fields[1];
    Entry.CursorChar = Fields[2].empty() ? '\0' : Fields[2].front();
    Entry.ShortCut = static_cast<std::uint16_t>(ToIntDefault(Fields[3], 0));
    return Entry;
}

bool IsFontInstalled(std::string_view FontName) {
    return ActiveFontCatalogue()(FontName);
}

TScopedFontCatalogue::TScopedFontCatalogue(TFontCatalogue Catalogue)
    : FPrevious(std::exchange(ActiveFontCatalogue(), std::move(Catalogue))) {}

TScopedFontCatalogue::~TScopedFontCatalogue() {
    ActiveFontCatalogue() = std::move(FPrevious);
}

void TView::SetName(std::string_view Value) {
    FName = Value.empty() ? "Unnamed" : std::string(Value);
}

void TView::SetDll(std::string_view Value) {
    std::error_code Error;
    FDll = !Value.empty() && std::filesystem::exists(
                                 FindPlugin(std::filesystem::path(Value), ProgramFolder()), Error)
               ? std::string(Value)
               : std::string();
}

void TView::SetFontName(std::string_view Value) {
    if (Value == FFontName)
        return;
    FFontName = IsFontInstalled(Value) ? std::string(Value) : std::string(DefaultFontName);
}

void TView::SetFontSize(int Value) {
    FFontSize = Value == 0 ? DefaultFontSize : Value;
}

void TView::SetTabStops(int Value) {
    FTabStops = Value < 1 ? DefaultTabStops : Value;
}

void TView::SetWrapColumn(int Value) {
    FWrapColumn = Value >= 5 && Value <= 255 ? Value : DefaultWrapColumn;
}

bool WildcardsMatchFileName(std::string_view Wildcards, std::string_view FileName) {
    const std::string Extension = UpperCase1252(FileExtension(FileName));
    if (Extension.empty())
        return false;
    for (std::string_view Piece : SplitAt(Wildcards, ';'))
        if (!Piece.empty() && WildcardExtension(Piece) == Extension)
            return true;
    return false;
}

std::string WildcardsDefaultExtension(std::string_view Wildcards) {
    const std::string_view First = SplitAt(Wildcards, ';').front();
    const std::size_t Start = First.find_first_not_of("*.");
    if (Start == std::string_view::npos)
        return {};
    return "." + std::string(First.substr(Start));
}

bool TView::MatchesFileName(std::string_view FileName) const {
    return WildcardsMatchFileName(Wildcards, FileName);
}

std::string TView::DefaultExtension() const {
    return WildcardsDefaultExtension(Wildcards);
}

void TView::SaveToRegistry(TRegistryEx& Registry) const {
    Registry.WriteString("Name", FName);
    Registry.WriteBool("Auto Indent", AutoIndent);
    WriteColour(Registry, "Background Colour", BackgroundColour);
    WriteColour(Registry, "Breakpoint Background Colour", BreakpointBackgroundColour);
    WriteColour(Registry, "Breakpoint Text Colour", BreakpointTextColour);
    Registry.WriteString("Closing Delimiter", ClosingDelimiter);
    Registry.WriteString("Comment Marker", CommentMarker);
    Registry.WriteString("DLL", FDll);
    WriteColour(Registry, "Execution Point Background Colour", ExecutionPointBackgroundColour);
    WriteColour(Registry, "Execution Point Text Colour", ExecutionPointTextColour);
    Registry.WriteBool("Final Line Feed", FinalLineFeed);
    Registry.WriteString("Font Name", FFontName);
    Registry.WriteInteger("Font Size", FFontSize);
    Registry.WriteString("Help File", HelpFile);
    Registry.WriteInteger("Indent Count", IndentCount);
    Registry.WriteInteger("Left Margin Width", LeftMarginWidth);
    Registry.WriteBool("Open As Read Only", OpenAsReadOnly);
    Registry.WriteString("Opening Delimiter", OpeningDelimiter);
    Registry.WriteBool("Preserve Solitary Spaces", PreserveSolitarySpaces);
    Registry.WriteBool("Preserve Spaces", PreserveSpaces);
    Registry.WriteBool("p-System Lorvanta", PSystemLorvanta);
    Registry.WriteBool("p-System Pascal", PSystemPascal);
    Registry.WriteBool("p-System Report Writer", PSystemReportWriter);
    WriteColour(Registry, "Right Margin Colour", RightMarginColour);
    Registry.WriteInteger("Right Margin Column", RightMarginColumn);
    Registry.WriteBool("Right Margin Visible", RightMarginVisible);
    Registry.WriteBool("Save As Unix", SaveAsUnix);
    WriteColour(Registry, "Selection Background Colour", SelectionBackgroundColour);
    WriteColour(Registry, "Selection Text Colour", SelectionTextColour);
    Registry.WriteInteger("Short Cut", ShortCut);
    Registry.WriteInteger("Tab Stops", FTabStops);
    Registry.WriteInteger("Tab Key", TabKey);
    WriteColour(Registry, "Text Colour", TextColour);
    Registry.WriteBool("Use DLL", UseDll);
    Registry.WriteBool("UTF-8", Utf8);
    Registry.WriteBool("Web Scrolling", WebScrolling);
    Registry.WriteString("Wildcards", Wildcards);
    Registry.WriteString("Word Delimiters", WordDelimiters);
    Registry.WriteBool("Wrap At Left", WrapAtLeft);
    Registry.WriteBool("Wrap At Right", WrapAtRight);
    Registry.WriteInteger("Wrap Column", FWrapColumn);
    Registry.WriteInteger("Wrap Type", FWrapType);

    if (Registry.OpenKey("Colours", true)) {
        for (int I = 0; I < Elements.Count(); ++I) {
            const TViewElement& Element = Elements.GetElement(I);
            const std::string Id = std::to_string(Element.Id);
            Registry.WriteBool(Id + " Bold", Element.Bold);
            WriteColour(Registry, Id, Element.Colour);
            Registry.WriteBool(Id + " Italic", Element.Italic);
        }
    }
    // Opened below whatever key is open now, which is "Colours" when that opened.
    if (Registry.OpenKey("AutoText", true)) {
        for (int I = 0; I < AutoText.Count(); ++I) {
            const TAutoTextEntry& Entry = AutoText.GetEntry(I);
            Registry.WriteString(AutoTextValueName(Entry), Entry.Expansion);
        }
    }
}

void TView::LoadFromRegistry(TRegistryEx& Registry) {
    const TRegistryEx& R = Registry;
    SetName(R.ReadStringDefault("Name", "Unnamed"));
    AutoIndent = R.ReadBoolDefault("Auto Indent", AutoIndent);
    BackgroundColour = ReadColour(R, "Background Colour", BackgroundColour);
    BreakpointBackgroundColour =
        ReadColour(R, "Breakpoint Background Colour", BreakpointBackgroundColour);
    BreakpointTextColour = ReadColour(R, "Breakpoint Text Colour", BreakpointTextColour);
    ClosingDelimiter = R.ReadStringDefault("Closing Delimiter", ClosingDelimiter);
    CommentMarker = R.ReadStringDefault("Comment Marker", CommentMarker);
    SetDll(R.ReadStringDefault("DLL", FDll));
    ExecutionPointBackgroundColour =
        ReadColour(R, "Execution Point Background Colour", ExecutionPointBackgroundColour);
    ExecutionPointTextColour =
        ReadColour(R, "Execution Point Text Colour", ExecutionPointTextColour);
    FinalLineFeed = R.ReadBoolDefault("Final Line Feed", FinalLineFeed);
    SetFontName(R.ReadStringDefault("Font Name", FFontName));
    SetFontSize(R.ReadIntegerDefault("Font Size", FFontSize));
    HelpFile = R.ReadStringDefault("Help File", HelpFile);
    IndentCount = R.ReadIntegerDefault("Indent Count", IndentCount);
    LeftMarginWidth = R.ReadIntegerDefault("Left Margin Width", LeftMarginWidth);
    OpenAsReadOnly = R.ReadBoolDefault("Open As Read Only", OpenAsReadOnly);
    OpeningDelimiter = R.ReadStringDefault("Opening Delimiter", OpeningDelimiter);
    PreserveSolitarySpaces = R.ReadBoolDefault("Preserve Solitary Spaces", PreserveSolitarySpaces);
    PreserveSpaces = R.ReadBoolDefault("Preserve Spaces", PreserveSpaces);
    PSystemLorvanta = R.ReadBoolDefault("p-System Lorvanta", PSystemLorvanta);
    PSystemPascal = R.ReadBoolDefault("p-System Pascal", PSystemPascal);
    PSystemReportWriter = R.ReadBoolDefault("p-System Report Writer", PSystemReportWriter);
    RightMarginColour = ReadColour(R, "Right Margin Colour", RightMarginColour);
    RightMarginColumn = R.ReadIntegerDefault("Right Margin Column", RightMarginColumn);
    RightMarginVisible = R.ReadBoolDefault("Right Margin Visible", RightMarginVisible);
    SaveAsUnix = R.ReadBoolDefault("Save As Unix", SaveAsUnix);
    SelectionBackgroundColour =
        ReadColour(R, "Selection Background Colour", SelectionBackgroundColour);
    SelectionTextColour = ReadColour(R, "Selection Text Colour", SelectionTextColour);
    ShortCut = static_cast<std::uint16_t>(R.ReadIntegerDefault("Short Cut", ShortCut));
    SetTabStops(R.ReadIntegerDefault("Tab Stops", FTabStops));
    TabKey = static_cast<std::uint8_t>(R.ReadIntegerDefault("Tab Key", TabKey));
    TextColour = ReadColour(R, "Text Colour", TextColour);
    UseDll = R.ReadBoolDefault("Use DLL", UseDll);
    Utf8 = R.ReadBoolDefault("UTF-8", Utf8);
    WebScrolling = R.ReadBoolDefault("Web Scrolling", WebScrolling);
    Wildcards = R.ReadStringDefault("Wildcards", Wildcards);
    WordDelimiters = R.ReadStringDefault("Word Delimiters", DefaultWordDelimiters);
    WrapAtLeft = R.ReadBoolDefault("Wrap At Left", WrapAtLeft);
    WrapAtRight = R.ReadBoolDefault("Wrap At Right", WrapAtRight);
    SetWrapColumn(R.ReadIntegerDefault("Wrap Column", FWrapColumn));
    SetWrapType(static_cast<std::uint8_t>(R.ReadIntegerDefault("Wrap Type", FWrapType)));

    // Reading never creates keys: a missing "Colours" key simply holds no elements.
    Elements.Clear();
    AutoText.Clear();
    if (!Registry.OpenKey("Colours", false))
        return;
    for (const std::string& Name : Registry.GetValueNames()) {
        if (Name.find(' ') != std::string::npos)
            continue;
        TViewElement Element;
        Element.Id = ToIntDefault(Name, 1);
        Element.Bold = R.ReadBoolDefault(Name + " Bold", false);
        Element.Colour = ReadColour(R, Name, DefaultElementColour);
        Element.Italic = R.ReadBoolDefault(Name + " Italic", false);
        Elements.Add(Element);
    }
    if (!Registry.OpenKey("AutoText", false))
        return;
    for (const std::string& Name : Registry.GetValueNames()) {
        TAutoTextEntry Entry = ParseAutoTextValueName(Name);
        Entry.Expansion = R.ReadStringDefault(Name, "");
        AutoText.Add(Entry);
    }
}

} // namespace korvid

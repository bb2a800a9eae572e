#include "devtools/definitions/DefsEditorRules.h"

#include "devtools/definitions/DefsMessages.h"
#include "platform/Cp1252.h"

#include <algorithm>
#include <charconv>

namespace korvid {

namespace {

constexpr std::array<std::string_view, 40> ReservedWords = {
    "and",    "array",     "begin",   "case",   "const",    "div",     "do",    "downto",
    "else",   "end",       "file",    "for",    "function", "goto",    "if",    "implement",
    "in",     "interface", "label",   "mod",    "nil",      "not",     "of",    "or",
    "packed", "procedur",  "program", "record", "repeat",   "segment", "set",   "then",
    "to",     "type",      "until",   "unit",   "uses",     "var",     "while", "with"};

constexpr std::array<std::string_view, 16> TypeCaptions = {"void",    "string", "refString / upper",
                                                           "integer", "number", "xdate (obsolete)",
                                                           "map",     "attach", "chain",
                                                           "choice",  "total",  "title",
                                                           "set",     "date",   "calc",
                                                           "system"};

constexpr std::array<std::string_view, 13> KindCaptions = {"0 = none",
                                                           "1 = name",
                                                           "2 = address",
                                                           "3 = upper",
                                                           "4 = initials",
                                                           "5 = surname",
                                                           "6 = surname apostrophe",
                                                           "7 = street number",
                                                           "8 = street",
                                                           "9 = esquire",
                                                           "10 = audit",
                                                           "11 = custom audit",
                                                           "12 = calculated"};

constexpr std::array<std::string_view, CalculationCount> CalculationCaptions = {
    "a + b", "a - b", "a * b", "a / b", "(a * b) / 100", "a + ((a * b) / 100)", "func"};

constexpr std::array<int, 16> FieldImages = {18, 21, 30, 23, 25, 31, 27, 1,
                                             3,  4,  32, 33, 34, 5,  35, 26};

constexpr std::string_view CommaSuffix = " as comma-separated";
constexpr std::string_view SuffixArray = "Suffi&x array:";

constexpr std::string_view TitleHelp =
    "A title field is an array of strings for labelling other fields on the screen. It takes up "
    "no space in the file. Instead, its values are stored in an array in a separate lookup file "
    "(typically called \"titles\"). \n\n"
    "The title's offset is interpreted as the number of a base record in the lookup file. The "
    "lookup file typically contains several records per title, and the record number of the "
    "relevant one is found by taking the ordinal value of the associated choice field, "
    "subtracting one from it, and adding it to the base record number. The value of title "
    "element N is that of element N of the lookup field of that record of the lookup file.";

std::array<TFieldTypeLayout, 16> MakeLayouts() {
    std::array<TFieldTypeLayout, 16> L{};
    constexpr std::string_view U = UnusedLabel;
    L[dfRefString].Help =
        "This is a string type whose values are limited to the characters allowed in references.";
    L[dfInteger].FlagSuffix = " as allowing positive values only";
    L[dfNumber] = {{U, U, U, SuffixArray},
                   CommaSuffix,
                   "The suffix array is obsolete. It was a system string array of suffixes for "
                   "positive, zero and negative values."};
    L[dfOldDate].Help = "This is an obsolete type, incapable of storing hours and minutes. Always "
                        "use \"date\" instead.";
    L[dfMap].Help = "This type is reserved for future use.";
    L[dfAttach].Labels = {"&Parent file:", "Chain fiel&d:", "Order field &1:", "Order field &2:"};
    L[dfChain] = {{"&Child file:", "Attach fiel&d:", U, U}, " as stored in descending order", {}};
    L[dfChoice] = {{U, "System a&rray:", U, U},
                   {},
                   "This is an integer type for which string values can be looked up in an array "
                   "in the system file."};
    L[dfTotalNumber] = {{U, "Chain fiel&d:", "Sou&rce field:", SuffixArray},
                        CommaSuffix,
                        "This is an almost obsolete number type whose value is automatically "
                        "calculated to be the total of a source field from all the child records "
                        "on the specified chain."};
    L[dfTitle] = {{"Loo&kup file:", "Look&up field:", "C&hoice field:", U}, {}, TitleHelp};
    L[dfCalculatedNumber] = {
        {"&Calculation:", "Operand &1 field:", "Operand &2 file:", "Operand &2 field:"},
        CommaSuffix,
        "A calc field takes up no space in the file. Its values are numbers, and are calculated "
        "on demand. Calculations other than \"func\", involving data arithmetic, are obsolete."};
    L[dfSystemNumber] = {{U, U, U, SuffixArray},
                         CommaSuffix,
                         "This is a number type whose values are protected against normal "
                         "editing."};
    return L;
}

bool IsPlaceholder(std::string_view Name) {
    return !Name.empty() && Name.front() == '(';
}

// Sorted named entries, then the placeholders in index order when they are wanted.
std::vector<TComboEntry> NamedThenPlaceholders(std::vector<TComboEntry> Named,
                                               std::vector<TComboEntry> Placeholders,
                                               bool ShowVoids) {
    std::stable_sort(Named.begin(), Named.end(),
                     [](const TComboEntry& A, const TComboEntry& B) { return A.Text < B.Text; });
    if (ShowVoids)
        Named.insert(Named.end(), Placeholders.begin(), Placeholders.end());
    return Named;
}

// A value below its range becomes the low end, above it the high end.
template <class T> void Clamp(T& Value, int Low, int High) {
    Value = T(std::clamp(int(Value), Low, High));
}

bool PrepareName(std::string& Name) {
    if (IsPlaceholder(Name))
        return true; // never stored
    Name = StoredDefsName(Name);
    if (!IsPascalReservedWord(Name))
        return true;
    ShowReservedWordMessage(Name);
    return false;
}

void ClampField(TDefsField& Field) {
    Clamp(Field.FieldType, 0, 15);
    Clamp(Field.Capacity, 0, 127);
    Clamp(Field.Scale, 0, 15);
    Clamp(Field.Elements, 0, 255);
    Clamp(Field.FileRef, 0, DefsFileCount - 1);
    Clamp(Field.FieldRef, 0, DefsFieldCount - 1);
    Clamp(Field.SecondRef, 0, DefsFieldCount - 1);
    Clamp(Field.ThirdRef, 0, DefsFieldCount - 1);
}

// An attach must lead to a chain and a chain to an attach.
bool TargetAgrees(const TDefsList& List, const TDefsField& Field) {
    const int Wanted = Field.FieldType == dfAttach ? dfChain : dfAttach;
    return List.File(Field.FileRef).Field(Field.FieldRef).FieldType == Wanted;
}

} // namespace

bool IsPascalReservedWord(std::string_view Name) {
    return std::find(ReservedWords.begin(), ReservedWords.end(), Name) != ReservedWords.end();
}

std::string StoredDefsName(std::string_view Text) {
    return LowerCase1252(Text.substr(0, DefsNameLength));
}

int NumberBoxValue(std::string_view Text) {
    int Value = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    if (Text.empty() || Error != std::errc() || End != Text.data() + Text.size())
        return -1;
    return Value;
}

std::string_view FieldTypeCaption(int FieldType) {
    return TypeCaptions.at(std::size_t(FieldType));
}

std::array<int, 16> FieldTypesByCaption() {
    std::array<int, 16> Codes{};
    for (int I = 0; I < 16; ++I)
        Codes[std::size_t(I)] = I;
    std::sort(Codes.begin(), Codes.end(),
              [](int A, int B) { return FieldTypeCaption(A) < FieldTypeCaption(B); });
    return Codes;
}

std::string KeyKindCaption(int Kind) {
    if (Kind >= 0 && Kind < int(KindCaptions.size()))
        return std::string(KindCaptions[std::size_t(Kind)]);
    return std::to_string(Kind);
}

std::string_view CalculationCaption(int Mode) {
    return CalculationCaptions.at(std::size_t(Mode));
}

const TFieldTypeLayout& FieldTypeLayout(int FieldType) {
    static const std::array<TFieldTypeLayout, 16> Layouts = MakeLayouts();
    static const TFieldTypeLayout None;
    return FieldType >= 0 && FieldType < 16 ? Layouts[std::size_t(FieldType)] : None;
}

int FieldImage(int FieldType) {
    return FieldImages.at(std::size_t(FieldType) & 15);
}

std::string FileNodeText(const TDefsFile& File) {
    return File.Name.empty() ? PlaceholderFileName(File.Index) : File.Name;
}

std::string FieldNodeText(const TDefsField& Field) {
    std::string Text = Field.Name.empty() ? PlaceholderFieldName(Field.Index) : Field.Name;
    if (Field.Elements > 1)
        Text += "[" + std::to_string(Field.Elements) + "]";
    return Text;
}

std::string KeyNodeText(int Number) {
    return "(key " + std::to_string(Number) + ")";
}

bool ShowsFile(const TDefsFile& File, bool ShowVoids) {
    return ShowVoids || File.RecordSize >= 1;
}

bool ShowsKey(const TDefsKey& Key, bool ShowVoids) {
    return ShowVoids || Key.PartField[0] != 0;
}

int LastShownField(const TDefsFile& File, bool ShowVoids) {
    if (ShowVoids)
        return DefsFieldCount - 1;
    for (int J = DefsFieldCount - 1; J >= 1; --J)
        if (File.Field(J).FieldType != dfNone)
            return J;
    return 0;
}

std::vector<TComboEntry> FileComboEntries(const TDefsList& List, bool ShowVoids) {
    std::vector<TComboEntry> Named, Placeholders;
    for (int I = 0; I < List.Count(); ++I) {
        const std::string Text = FileNodeText(List.File(I));
        (IsPlaceholder(Text) ? Placeholders : Named).push_back({Text, I});
    }
    return NamedThenPlaceholders(std::move(Named), std::move(Placeholders), ShowVoids);
}

std::vector<TComboEntry> FieldComboEntries(const TDefsFile& File, bool ShowVoids) {
    std::vector<TComboEntry> Named, Placeholders;
    for (int J = 1; J < DefsFieldCount; ++J) {
        const TDefsField& Field = File.Field(J);
        const std::string Text = Field.Name.empty() ? PlaceholderFieldName(J) : Field.Name;
        (IsPlaceholder(Text) ? Placeholders : Named).push_back({Text, J});
    }
    std::vector<TComboEntry> Entries{{"-", 0}};
    for (TComboEntry& Entry :
         NamedThenPlaceholders(std::move(Named), std::move(Placeholders), ShowVoids))
        Entries.push_back(std::move(Entry));
    return Entries;
}

std::optional<int> ChainedFile(const TDefsList& List, int FileRef, int FieldRef) {
    if (FileRef < 0 || FileRef >= List.Count() || FieldRef < 1 || FieldRef >= DefsFieldCount)
        return std::nullopt;
    const TDefsField& Chain = List.File(FileRef).Field(FieldRef);
    if (Chain.FieldType != dfChain || Chain.FileRef >= List.Count())
        return std::nullopt;
    return Chain.FileRef;
}

bool PrepareDefsForSave(TDefsList& List, const TAskQuestion& AskAboutTarget) {
    for (int I = 0; I < std::min(List.Count(), DefsFileCount); ++I) {
        TDefsFile& File = List.File(I);
        ComputeRecordLayout(File);
        if (!PrepareName(File.Name))
            return false;
        for (int J = 1; J < DefsFieldCount; ++J) {
            TDefsField& Field = File.Field(J);
            if (!PrepareName(Field.Name))
                return false;
            ClampField(Field);
            const bool IsLink = Field.FieldType == dfAttach || Field.FieldType == dfChain;
            if (IsLink && !TargetAgrees(List, Field) &&
                !AskAboutTarget(File.Name, Field.Name, Field.FieldType == dfAttach))
                return false;
        }
        for (int K = 1; K <= DefsKeyCount; ++K) {
            TDefsKey& Key = File.Key(K);
            for (int P = 0; P < DefsKeyParts; ++P) {
                Clamp(Key.PartField[std::size_t(P)], 0, DefsFieldCount - 1);
                Clamp(Key.PartCapacity[std::size_t(P)], 0, 60);
                Clamp(Key.PartKind[std::size_t(P)], 0, 12);
            }
        }
    }
    return true;
}

} // namespace korvid

// The text form of a .SCRN file: a summary of the screens, then each screen with its
// attributes, a picture of each of its parts and a line per field mark.
#include "devtools/definitions/ScreenListing.h"

#include "devtools/definitions/BoundedBytes.h"
#include "devtools/definitions/DefsFile.h"
#include "devtools/definitions/DefsListing.h"
#include "foundation/UtilitiesUnit.h"
#include "psystem/Volume.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace korvid {

namespace {

constexpr std::size_t MaxDefsNameLength = 255;
constexpr std::size_t TitleOffset = 8;
constexpr std::size_t TitleLength = 33;
constexpr std::size_t MarkSize = 12;
constexpr std::size_t MarkBase = 36; // mark n at MarkBase + MarkSize * n
constexpr std::size_t MarkCodeLength = 3;
constexpr std::size_t TextSize = 36;
constexpr std::size_t TextBase = 612; // text item n at TextBase + TextSize * n
constexpr std::size_t TextLength = 31;
constexpr std::size_t UsersOffset = 1728;
constexpr std::uint16_t AllUsers = 0xFFFF;
constexpr int KindEdit = 1;
constexpr int KindParameter = 9;
constexpr int PartLink = 6;
constexpr int LastPart = 6;
constexpr int FieldTypeAttach = 7;
constexpr char BracketMark = 2;
constexpr char BraceMark = 3;

constexpr std::array<std::string_view, 21> KindNames{
    "unused", "edit",    "menu",      "open",   "enquire",   "list",    "new",
    "expand", "recover", "parameter", "link",   "periodEnd", "stats",   "purge",
    "view",   "title",   "log",       "lister", "winView",   "cdeView", "flowView"};
constexpr std::array<std::string_view, 7> PartNames{"", "", "head", "body", "more", "tail", "link"};

struct TScreenMark {
    int Part = 0;
    int Column = 0;
    int Row = 0;
    std::string Code;
    int File = 0;
    int Field = 0;
    int AttachField = 0;
    int AttachKey = 0;
    int Elements = 0;
    int LinkScreen = 0;
};

struct TScreenText {
    int Column = 0;
    int Row = 0;
    unsigned Mark = 0;
    std::string Text;
};

struct TScreenRecord {
    int Kind = 0;
    int File = 0;
    std::string Title;
    int EditChild = 0;
    int ParentWord = 0;
    int Next = 0;
    std::uint16_t Users = 0;
    std::vector<TScreenMark> Marks; // mark n at n - 1
    std::vector<TScreenText> Texts;
};

TScreenRecord DecodeScreen(std::string_view Bytes) {
    const TBoundedBytes Data(Bytes);
    TScreenRecord Screen;
    Screen.Kind = int(Data.Byte(0));
    const int MarkCount = std::min<int>(int(Data.Word(2)), ScreenMarkCount);
    const int TextCount = std::min<int>(int(Data.Word(4)), ScreenTextCount);
    Screen.File = int(Data.Word(6));
    Screen.Title = Data.ShortString(TitleOffset, TitleLength);
    Screen.EditChild = Data.SignedWord(42);
    Screen.ParentWord = Data.SignedWord(44);
    Screen.Next = Data.SignedWord(46);
    Screen.Users = std::uint16_t(Data.Word(UsersOffset));
    for (int N = 1; N <= MarkCount; ++N) {
        const std::size_t At = MarkBase + MarkSize * std::size_t(N);
        const unsigned Place = Data.Word(At);
        const unsigned Target = Data.Word(At + 6);
        const unsigned Shown = Data.Word(At + 8);
        Screen.Marks.push_back({.Part = Bits(Place, 0, 3),
                                .Column = Bits(Place, 3, 7),
                                .Row = Bits(Place, 10, 6),
                                .Code = Data.ShortString(At + 2, MarkCodeLength),
                                .File = Bits(Target, 0, 5),
                                .Field = Bits(Target, 8, 6),
                                .AttachField = Bits(Shown, 0, 6),
                                .AttachKey = Bits(Shown, 6, 3),
                                .Elements = Bits(Shown, 9, 7),
                                .LinkScreen = Data.SignedWord(At + 10)});
    }
    for (int N = 1; N <= TextCount; ++N) {
        const std::size_t At = TextBase + TextSize * std::size_t(N);
        const unsigned Place = Data.Word(At);
        Screen.Texts.push_back({.Column = Bits(Place, 0, 7) + 1,
                                .Row = Bits(Place, 8, 6),
                                .Mark = Data.Byte(At + 2),
                                .Text = Data.ShortString(At + 4, TextLength)});
    }
    return Screen;
}

// Numbers past the 21 files or 61 fields name no definition: they show as placeholders.
bool IsDefsFile(int File) {
    return File >= 0 && File < DefsFileCount;
}

const TDefsField* FindField(const TDefsList& Defs, int File, int Field) {
    if (!IsDefsFile(File) || Field < 0 || Field >= DefsFieldCount)
        return nullptr;
    return &Defs.File(File).Field(Field);
}

std::string FileCaption(const TDefsList& Defs, int File) {
    return IdentifierToCaption(IsDefsFile(File) ? Defs.File(File).Name : PlaceholderFileName(File));
}

std::string FieldCaption(const TDefsList& Defs, int File, int Field) {
    const TDefsField* Found = FindField(Defs, File, Field);
    return IdentifierToCaption(Found ? Found->Name : PlaceholderFieldName(Field));
}

std::string MarkLabel(int N) {
    return "<" + ZeroPad(std::to_string(N), 2) + ">";
}

std::string AttributeLine(const TScreenRecord& Screen) {
    std::vector<std::string> Deny;
    std::string EditChild, EditParent, Key, Next, Users;
    if (Screen.EditChild != -1) {
        EditChild = std::to_string(std::abs(Screen.EditChild));
        if (Screen.EditChild < 0)
            Deny.push_back("select:new");
    }
    if (Screen.ParentWord != 0) {
        if (Screen.Kind == KindParameter) {
            Key = Screen.ParentWord < 0 ? std::to_string(-Screen.ParentWord)
                                        : std::to_string(Screen.ParentWord) + " forced";
        } else {
            EditParent = std::to_string(Screen.ParentWord / 10);
            const unsigned Flags = std::uint16_t(Screen.ParentWord);
            if ((Flags & 1u) != 0)
                Deny.push_back(Screen.Kind == KindEdit ? "edit:delete" : "enquire:new");
            if ((Flags & 2u) != 0)
                Deny.push_back("edit:new");
        }
    }
    if (Screen.Next != -1)
        Next = std::to_string(Screen.Next);
    const bool HasUsers = Screen.Users != AllUsers;
    if (HasUsers)
        Users = BitNumberList(Screen.Users);

    std::string Line;
    const auto Item = [&Line](std::string_view Word, const std::string& Value) {
        Line += (Line.empty() ? "(" : " (") + std::string(Word) + " " + Value + ")";
    };
    std::string DenyWords;
    for (const std::string& Word : Deny)
        DenyWords += (DenyWords.empty() ? "" : " ") + Word;
    if (!Deny.empty())
        Item("deny", DenyWords);
    if (!EditChild.empty())
        Item("editChild", EditChild);
    if (!EditParent.empty())
        Item("editParent", EditParent);
    if (!Key.empty())
        Item("key", Key);
    if (!Next.empty())
        Item("next", Next);
    if (HasUsers)
        Item("users", Users);
    return Line;
}

void Place(std::array<std::string, ScreenRows>& Grid, int Row, int Column, std::string_view S) {
    Grid[std::size_t(Row)].replace(std::size_t(Column - 1), S.size(), S);
}

bool Fits(int Row, int Column, std::size_t Length) {
    return Row >= 0 && Row < ScreenRows && Column >= 1 && Column + int(Length) - 1 <= ScreenColumns;
}

void DrawPart(const TScreenRecord& Screen, int Part, std::vector<std::string>& Lines) {
    std::array<std::string, ScreenRows> Grid;
    Grid.fill(std::string(ScreenColumns, ' '));
    int Highest = -1;
    for (const TScreenText& Item : Screen.Texts) {
        if (Item.Mark == 0 || Item.Mark > Screen.Marks.size() ||
            Screen.Marks[Item.Mark - 1].Part != Part || Item.Text.empty())
            continue;
        int Row = Item.Row;
        int Column = Item.Column;
        const std::string& S = Item.Text;
        if (Fits(Row, Column, S.size())) {
            if (S[0] == BracketMark) {
                Place(Grid, Row, Column, "[");
                if (S.size() == 2) {
                    const int Close = Column + int(static_cast<unsigned char>(S[1])) - 1;
                    if (Close >= 1 && Close <= ScreenColumns - 1)
                        Place(Grid, Row, Close, "]");
                }
            } else if (S[0] == BraceMark) {
                Place(Grid, Row, Column, "{");
                if (S.size() == 3) {
                    Row = static_cast<unsigned char>(S[2]);
                    Column = static_cast<unsigned char>(S[1]) + 1;
                    if (Fits(Row, Column, 1))
                        Place(Grid, Row, Column, "}");
                }
            } else {
                Place(Grid, Row, Column, S);
            }
        }
        Highest = std::max(Highest, Row);
    }
    for (std::size_t N = 1; N <= Screen.Marks.size(); ++N) {
        const TScreenMark& Mark = Screen.Marks[N - 1];
        const std::string Label = MarkLabel(int(N));
        if (Mark.Part == Part && Fits(Mark.Row, Mark.Column, Label.size()))
            Place(Grid, Mark.Row, Mark.Column, Label);
    }
    if (Highest < 0)
        return;
    if (Part > 1)
        Lines.emplace_back(PartNames[std::size_t(Part)]);
    for (int Row = 0; Row <= std::min(Highest, ScreenRows - 1); ++Row)
        Lines.push_back("|" + Grid[std::size_t(Row)] + "|");
}

std::string MarkLine(const TScreenMark& Mark, int N, const TDefsList& Defs) {
    std::string Line = MarkLabel(N) + " " + PadRight(QuotedPascalString(Mark.Code), 5) + " ";
    if (Mark.Part == PartLink)
        return Line + "to screen " + std::to_string(Mark.LinkScreen);
    const int File = Mark.File;
    const int Field = Mark.Field;
    Line += File != 0 || Field != 0 ? FileCaption(Defs, File) : "-";
    if (Field > 0)
        Line += "." + FieldCaption(Defs, File, Field);
    if (Mark.Elements > 1)
        Line += "[" + std::to_string(Mark.Elements) + "]";
    const TDefsField* Shown = FindField(Defs, File, Field);
    if (Shown && Shown->FieldType == FieldTypeAttach) {
        Line += "." + FieldCaption(Defs, Shown->FileRef, Mark.AttachField);
        if (Mark.AttachKey != 0)
            Line += " key " + std::to_string(Mark.AttachKey);
    }
    return Line;
}

void ListScreen(const TScreenRecord& Screen, int I, const TDefsList& Defs,
                std::vector<std::string>& Summary, std::vector<std::string>& Lines) {
    const std::string KindName = ScreenKindName(Screen.Kind);
    std::string Head = "screen " + std::to_string(I) + " " + KindName;
    std::string Entry = "; " + PadRight(std::to_string(I), 5) + PadRight(KindName, 11);
    if (Screen.Kind != 0) {
        Head += " " + FileCaption(Defs, Screen.File) + " " + QuotedPascalString(Screen.Title);
        Entry += PadRight(std::to_string(Screen.File), 4) + QuotedPascalString(Screen.Title);
    }
    Lines.push_back(Head);
    Summary.push_back(Entry);
    if (Screen.Kind == 0)
        return;
    Lines.push_back(AttributeLine(Screen));
    for (int Part = 1; Part <= LastPart; ++Part)
        DrawPart(Screen, Part, Lines);
    for (std::size_t N = 1; N <= Screen.Marks.size(); ++N)
        if (Screen.Marks[N - 1].Part != 0)
            Lines.push_back(MarkLine(Screen.Marks[N - 1], int(N), Defs));
}

std::string DefsNameOf(std::string_view Name) {
    const std::size_t Dot = Name.rfind('.');
    const std::string Base(Name.substr(0, Dot == std::string_view::npos ? Name.size() : Dot));
    return (Base + ".DEFS").substr(0, MaxDefsNameLength);
}

} // namespace

std::string ScreenKindName(int Code) {
    if (Code >= 0 && Code < int(KindNames.size()))
        return std::string(KindNames[std::size_t(Code)]);
    return "?" + std::to_string(Code);
}

std::string BitNumberList(std::uint16_t Mask) {
    std::string List;
    for (int B = 0; B < 16; ++B)
        if ((Mask >> B & 1u) != 0)
            List += (List.empty() ? "" : ",") + std::to_string(B);
    return List;
}

void LoadScreenDefs(TVolume& Volume, std::string_view DefsName, TDefsList& List) {
    const TFileInfo Info = Volume.FileInfo(0, DefsName);
    std::vector<std::string> Scratch;
    // Always the plain listing: held keys choose the form of a file the user opens, not this.
    ReadDefsFileText(Volume, Scratch, {.Context = nullptr, .List = &List}, DefsUnitName(DefsName),
                     0, Volume.Base() + std::int64_t(Info.FirstBlock) * BlockSize, Info.Size(), {});
}

void ListScreens(std::string_view VolumeName, std::string_view Name,
                 const std::vector<std::string>& Records, const TDefsList& Defs,
                 std::vector<std::string>& Lines) {
    const std::string Title = (std::string(VolumeName) + ":").substr(0, 8) + std::string(Name);
    std::vector<std::string> Summary{"screens " + QuotedPascalString(Title.substr(0, 23)), ""};
    std::vector<std::string> Body;
    for (std::size_t I = 0; I < Records.size(); ++I) {
        if (I > 0)
            Body.emplace_back();
        ListScreen(DecodeScreen(Records[I]), int(I), Defs, Summary, Body);
    }
    Summary.emplace_back();
    Lines = std::move(Summary);
    Lines.insert(Lines.end(), std::make_move_iterator(Body.begin()),
                 std::make_move_iterator(Body.end()));
}

void ReadScreenFileText(TVolume& Volume, std::string_view Name, std::int64_t Start,
                        std::int64_t Length, std::vector<std::string>& Lines) {
    TDefsList Defs;
    LoadScreenDefs(Volume, DefsNameOf(Name), Defs);
    std::vector<std::string> Records;
    for (std::int64_t I = 0; I < std::max<std::int64_t>(Length, 0) / ScreenRecordSize; ++I) {
        // A record that cannot be read whole is listed from what was read, zeros after.
        std::string Record(ScreenRecordSize, '\0');
        Volume.ReadBytes(Record.data(), Start + I * ScreenRecordSize, ScreenRecordSize);
        Records.push_back(std::move(Record));
    }
    ListScreens(Volume.VolumeName(), Name, Records, Defs, Lines);
}

} // namespace korvid

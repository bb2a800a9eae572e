#include "psystem/FilerModel.h"

#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "psystem/PSystemNames.h"
#include "psystem/Subvolume.h"

#include <algorithm>
#include <charconv>
#include <chrono>

namespace korvid {

namespace {

constexpr int SmallestSubvolume = 10;

// -1 when Text is not a whole number.
int NumberOr(std::string_view Text, int Fallback) {
    int Value = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    return Error == std::errc() && End == Text.data() + Text.size() && !Text.empty() ? Value
                                                                                     : Fallback;
}

std::string Padded(int Value, int Width) {
    return ZeroPad(std::to_string(Value), Width);
}

bool EndsWithText(std::string_view Text, std::string_view Tail) {
    return Text.size() >= Tail.size() && Text.substr(Text.size() - Tail.size()) == Tail;
}

int Sign(std::int64_t Value) {
    return Value < 0 ? -1 : Value > 0 ? 1 : 0;
}

} // namespace

TFilerItem FilerItemOf(const TFileInfo& Info) {
    TFilerItem Item;
    if (Info.Index == 0) {
        Item.Caption = std::string(GapCaption);
        Item.SubItems = {"", std::to_string(Info.Blocks), "", "", std::to_string(Info.FirstBlock)};
        return Item;
    }
    Item.Caption = PSystemNameToWindowsName(Info.Name);
    Item.StoredName = Info.Name;
    Item.Icon = Info.Kind == fkText        ? fiTextFile
                : Info.Kind == fkSubvolume ? fiSubvolume
                                           : fiOtherFile;
    Item.SubItems = {Padded(Info.Day, 2) + "/" + Padded(Info.Month, 2) + "/" +
                         std::to_string(FourDigitYear(Info.Year)) + " " + Padded(Info.Hour, 2) +
                         ":" + Padded(Info.Minute, 2),
                     std::to_string(Info.Blocks), std::to_string(Info.Size()),
                     FileKindName(Info.Kind), std::to_string(Info.FirstBlock)};
    return Item;
}

TFilerItem UpLevelItem() {
    TFilerItem Item;
    Item.Caption = std::string(UpLevelCaption);
    return Item;
}

std::int64_t ModifiedValue(std::string_view Text) {
    const auto Field = [Text](std::size_t From, std::size_t Count) {
        return From >= Text.size() ? -1 : NumberOr(Text.substr(From, Count), -1);
    };
    const int Day = Field(0, 2);
    const int Month = Field(3, 2);
    const int Year = Field(6, 4);
    const int Hour = Field(11, 2);
    const int Minute = Field(14, 2);
    if (Day < 0 || Month < 0 || Year < 0 || Hour < 0 || Minute < 0)
        return 0;
    using namespace std::chrono;
    const year_month_day Date{year(Year), month(unsigned(Month)), day(unsigned(Day))};
    if (!Date.ok() || Hour > 23 || Minute > 59)
        return 0;
    return std::int64_t(sys_days(Date).time_since_epoch().count()) * 1440 + Hour * 60 + Minute;
}

int CompareFilerItems(const TFilerItem& A, const TFilerItem& B, int Column) {
    const int ByCaption = Sign(A.Caption.compare(B.Caption));
    if (Column == fcName)
        return ByCaption;
    const std::string X = A.Column(Column);
    const std::string Y = B.Column(Column);
    int Result = 0;
    switch (Column) {
    case fcModified:
        Result = Sign(ModifiedValue(X) - ModifiedValue(Y));
        break;
    case fcType:
        Result = Sign(X.compare(Y));
        break;
    default:
        Result = Sign(std::int64_t(NumberOr(X, 0)) - NumberOr(Y, 0));
        break;
    }
    return Result != 0 ? Result : ByCaption;
}

void SortByCaption(std::vector<TFilerItem>& Items) {
    std::stable_sort(Items.begin(), Items.end(), [](const TFilerItem& A, const TFilerItem& B) {
        if (A.IsUpLevel() != B.IsUpLevel())
            return A.IsUpLevel();
        return UpperCase1252(A.Caption) < UpperCase1252(B.Caption);
    });
}

std::string FilerCaption(const TFilerCaptionFacts& Facts) {
    if (Facts.VolumePath.empty())
        return "p-System Filer";
    std::string Caption = Facts.RightActive ? "(right)     " : "(left)     ";
    if (Facts.InSubvolume)
        Caption += Facts.SubvolumeTitle + " (in " + Facts.VolumePath + ")";
    else
        Caption += Facts.VolumePath;
    if (!Facts.Version.empty())
        Caption += "     " + Facts.Version;
    return Caption;
}

std::string FilerListingText(std::string_view Title, const std::vector<TFilerItem>& Items) {
    std::string Text;
    if (!Title.empty())
        Text = std::string(Title) + "\r\n";
    Text += "Name             Modified          Blocks  Bytes      Type       First Block";
    for (const TFilerItem& Item : Items) {
        Text += "\r\n";
        if (Item.Icon == fiUpLevel) {
            Text += Item.Caption;
            continue;
        }
        Text += PadRight(Item.Caption, 17) + PadRight(Item.SubItems[0], 18) +
                PadRight(Item.SubItems[1], 8) + PadRight(Item.SubItems[2], 11) +
                PadRight(Item.SubItems[3], 11) + Item.SubItems[4];
    }
    return Text;
}

std::array<bool, FilerCommandCount> FilerCommandsEnabled(const TFilerPaneFacts& P) {
    std::array<bool, FilerCommandCount> On{};
    const bool Writable = P.Open && P.Writable;
    On[fcmOpen] = P.Selected == 1;
    On[fcmUpOneLevel] = P.Subvolume;
    On[fcmCopy] = P.Selected == 1 && P.Open && P.OtherWritable && !P.UpLevelSelected;
    On[fcmRename] = P.Selected == 1 && Writable && !P.UpLevelSelected;
    On[fcmRenameVolume] = P.Open;
    On[fcmDelete] = P.Selected >= 1 && Writable && !(P.Selected == 1 && P.UpLevelSelected);
    On[fcmFlush] = P.Open;
    On[fcmResize] = Writable;
    On[fcmKrunch] = P.Open;
    On[fcmShrink] = P.Open && !P.Subvolume;
    On[fcmCreateSubvolume] = true;
    On[fcmUnpackAllRaw] = true;
    On[fcmUnpackAll] = true;
    On[fcmUnpack] = P.Open && !P.Subvolume;
    On[fcmUnpackInterfaces] = true;
    On[fcmPack] = true;
    On[fcmRefresh] = true;
    On[fcmFullDetails] = true;
    On[fcmDiskLayout] = true;
    On[fcmSimpleList] = true;
    On[fcmGrabListing] = P.Chosen;
    return On;
}

std::string FilerRenameError(std::string_view Typed, int Kind) {
    const std::string Name = UpperCase1252(Typed);
    if (std::string Error = PSystemFileNameError(Name); !Error.empty())
        return Error;
    if ((Kind == fkSubvolume) != EndsWithText(Name, SubvolumeExtension))
        return "Only a subvolume's name may end in .SVOL.";
    return {};
}

TResizeBounds ResizeBoundsOf(int End, int LastFileEnd, bool HasFiles, int ParentEnd) {
    TResizeBounds B;
    B.End = End;
    if (HasFiles)
        B.Min = LastFileEnd;
    B.Max = ParentEnd < 0 ? MaxVolumeBlocks : End + MaxVolumeBlocks - ParentEnd;
    // Volumes of other tools may already be past the limit: they may only shrink.
    B.Max = std::max(B.Max, End);
    return B;
}

TResizeBounds ResizeBounds(const TVolume& V) {
    const auto* Sub = dynamic_cast<const TSubvolume*>(&V);
    return ResizeBoundsOf(V.EndOfVolume(), V.LastFileEnd(), V.FileCount() > 0,
                          Sub ? Sub->Parent().EndOfVolume() : -1);
}

bool CanCreateSubvolume(std::string_view Name, std::string_view SizeText) {
    return !Name.empty() && NumberOr(SizeText, 0) >= SmallestSubvolume;
}

} // namespace korvid

#pragma once

#include "psystem/Volume.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What the filer window shows and allows, as plain data: no widgets here.
namespace korvid {

enum TFilerIcon : int { fiUpLevel = 0, fiTextFile = 1, fiOtherFile = 2, fiSubvolume = 3 };

// The columns after Name.
enum TFilerColumn : int {
    fcName = 0,
    fcModified = 1,
    fcBlocks = 2,
    fcBytes = 3,
    fcType = 4,
    fcFirstBlock = 5,
    FilerColumnCount = 6,
};

enum TFilerViewMode : int { vmSimpleList = 0, vmFullDetails = 1, vmDiskLayout = 2 };

inline constexpr std::string_view UpLevelCaption = "..";
inline constexpr std::string_view GapCaption = "-- VOID --";

struct TFilerItem {
    std::string Caption;
    // The name as the directory holds it, so that commands reach this very file even when
    // another differs from it only in case. Empty for ".." and gaps.
    std::string StoredName;
    int Icon = fiUpLevel;
    // Modified, Blocks, Bytes, Type, First Block.
    std::array<std::string, FilerColumnCount - 1> SubItems;

    bool IsUpLevel() const { return Icon == fiUpLevel && Caption == UpLevelCaption; }
    bool IsGap() const { return Icon == fiUpLevel && Caption != UpLevelCaption; }
    std::string Column(int Index) const {
        return Index == fcName ? Caption : SubItems[std::size_t(Index - 1)];
    }
};

// An enumerated file, or a gap (Index 0).
TFilerItem FilerItemOf(const TFileInfo& Info);
TFilerItem UpLevelItem();

// The Modified text as a comparable number: 0 when any field is not a number (no time) or
// the day or month is 0.
std::int64_t ModifiedValue(std::string_view Text);
// <0, 0, >0 by the clicked column, ties broken by caption.
int CompareFilerItems(const TFilerItem& A, const TFilerItem& B, int Column);
// The list's own order in Simple List and Full Details: by caption, ".." first.
void SortByCaption(std::vector<TFilerItem>& Items);

struct TFilerCaptionFacts {
    bool RightActive = false;
    std::string VolumePath; // empty: no volume chosen
    std::string SubvolumeTitle;
    bool InSubvolume = false;
    std::string Version;
};
std::string FilerCaption(const TFilerCaptionFacts& Facts);

// Grab Listing's text: Title (empty for none) on its own line, the header, then the items.
std::string FilerListingText(std::string_view Title, const std::vector<TFilerItem>& Items);

enum TFilerCommand : int {
    fcmOpen,
    fcmUpOneLevel,
    fcmCopy,
    fcmRename,
    fcmRenameVolume,
    fcmDelete,
    fcmFlush,
    fcmResize,
    fcmKrunch,
    fcmShrink,
    fcmCreateSubvolume,
    fcmUnpackAllRaw,
    fcmUnpackAll,
    fcmUnpack,
    fcmUnpackInterfaces,
    fcmPack,
    fcmRefresh,
    fcmFullDetails,
    fcmDiskLayout,
    fcmSimpleList,
    fcmGrabListing,
    FilerCommandCount,
};

struct TFilerPaneFacts {
    bool Chosen = false; // a volume is chosen in the combo
    bool Open = false;   // and it opened
    bool Writable = false;
    bool Subvolume = false;       // the pane shows a subvolume
    int Selected = 0;             // selected items
    bool UpLevelSelected = false; // the one selected item is ".."
    bool OtherWritable = false;   // the other pane's volume is open and writable
};
std::array<bool, FilerCommandCount> FilerCommandsEnabled(const TFilerPaneFacts& Pane);

// Why a file cannot take Typed as its new name (Kind being its kind); empty when it can.
std::string FilerRenameError(std::string_view Typed, int Kind);

struct TResizeBounds {
    int Min = 6;
    int Max = MaxVolumeBlocks;
    int End = 0;
};
// The sizes a volume may be resized to: never below its last file, never past what its parent
// (or the block numbers) allow, and never a maximum below the size it has.
TResizeBounds ResizeBounds(const TVolume& V);
// A volume's resize limits from its facts; ParentEnd < 0 for a major volume.
TResizeBounds ResizeBoundsOf(int End, int LastFileEnd, bool HasFiles, int ParentEnd);

// The Create Subvolume dialog's OK.
bool CanCreateSubvolume(std::string_view Name, std::string_view SizeText);

} // namespace korvid

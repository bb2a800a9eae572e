// The volume's text files: reading files into lines by their kind, saving lines as text.
#include "psystem/Volume.h"

#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "psystem/CodeFileListing.h"
#include "psystem/VolumeFileHelper.h"
#include "psystem/VolumeMessages.h"

#include <algorithm>

namespace korvid {

namespace {

constexpr std::size_t ExtensionLength = 5;
constexpr std::string_view TextExtension = ".TEXT";
constexpr std::string_view BackupExtension = ".BACK";

// The last five characters, upper-cased: what decides how a file is read and saved.
std::string ExtensionOf(std::string_view Name) {
    return UpperCase1252(Name.substr(Name.size() - std::min(Name.size(), ExtensionLength)));
}

std::string WithoutExtension(std::string_view Name) {
    const std::size_t Dot = Name.rfind('.');
    return std::string(Name.substr(0, Dot == std::string_view::npos ? Name.size() : Dot));
}

std::string NotSupportedYet(std::string_view What) {
    return "Showing " + std::string(What) + " is not supported yet.";
}

} // namespace

void TVolume::ReadFileText(int Index, std::string_view Name, std::string& VolumeNameOut,
                           const TDefsArguments& Defs, bool& IsBinary,
                           TPSystemHeaderPage* HeaderPage, std::vector<std::string>& Lines) {
    const TFileInfo Info = FileInfo(Index, Name);
    const std::int64_t Start = BlockPosition(Info.FirstBlock);
    const std::int64_t Length = Info.Size();
    const std::string Extension = ExtensionOf(Info.Name);
    const TVolumeFileListings& Listings = VolumeFileListings();
    Lines.clear();
    VolumeNameOut = VolumeName();
    IsBinary = false;
    if (Extension == ".DEFS") {
        if (!Listings.Defs || !Listings.DefsNames) {
            Lines.push_back(NotSupportedYet("database definition files"));
            return;
        }
        std::vector<std::string> Names;
        Listings.DefsNames(*this, WithoutExtension(Info.Name) + ".NAME", Names);
        const std::string UnitName = UpCaseFirst(LowerCase1252(WithoutExtension(Info.Name)));
        Listings.Defs(*this, Lines, Defs, UnitName, HeldDefsListingMode(), Start, Length, Names);
    } else if (Extension == ".SCRN") {
        if (!Listings.Screen) {
            Lines.push_back(NotSupportedYet("database screen files"));
            return;
        }
        Listings.Screen(*this, Info.Name, Start, Length, Lines);
    } else if (Extension == ".CODE") {
        TVolumeFileHelper Source(*this, Start, Length);
        const TWholeFileLoader Load = [&Source](std::string& Buffer) {
            return ReadWholeFile(Source, Buffer);
        };
        // Without a window's own listing, code lists without source lines.
        if (Listings.Code)
            Listings.Code(VolumeName() + ":" + Info.Name, Lines, Load);
        else
            DisassembleCodeFile(VolumeName() + ":" + Info.Name, Lines, Load);
    } else {
        TVolumeFileHelper Source(*this, Start, Length);
        TPSystemHeaderPage Scratch{};
        TPSystemHeaderPage& Header = HeaderPage ? *HeaderPage : Scratch;
        Header.fill('\0');
        if (!Source.Read(0, std::min<std::int64_t>(Length, TextHeaderSize), Header.data()))
            throw EVolumeError("Can't open file '" + Info.Name + "'");
        DecodePSystemText(Source, Length, TextHeaderSize, Info.Name, Lines, false);
        IsBinary = LooksBinary(Lines);
    }
}

std::vector<std::string> TVolume::ReadFileLines(int Index, std::string_view Name) {
    std::vector<std::string> Lines;
    std::string Unused;
    bool IsBinary = false;
    ReadFileText(Index, Name, Unused, {}, IsBinary, nullptr, Lines);
    return Lines;
}

bool TVolume::SaveTextFile(std::string_view Name, const std::vector<std::string>& Lines,
                           bool MakeBackup, const TPSystemHeaderPage* HeaderPage) {
    const std::string FileName = UpperCase1252(Name.substr(0, FileNameLength));
    const std::string Extension = ExtensionOf(FileName);
    if (Extension == ".DEFS" || Extension == ".SCRN" || Extension == ".CODE") {
        ShowCantSaveFileKindMessage(Extension);
        return false;
    }
    std::string BackupName;
    if (MakeBackup && Extension == TextExtension)
        BackupName = (FileName.substr(0, FileName.size() - TextExtension.size()) +
                      std::string(BackupExtension))
                         .substr(0, FileNameLength);
    const TEncodedPSystemText Text = EncodePSystemText(Lines, HeaderPage);
    if (Text.Truncated)
        ShowPSystemLinesTruncatedMessage();
    return SaveFileData(FileName, Text.Data, Text.BytesInLastBlock, fkText, UnableToSaveFileCaption,
                        BackupName);
}

} // namespace korvid

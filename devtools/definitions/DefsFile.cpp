#include "devtools/definitions/DefsFile.h"

#include "devtools/definitions/DefsListing.h"
#include "devtools/definitions/DefsMessages.h"
#include "platform/Cp1252.h"
#include "psystem/MajorVolume.h"
#include "psystem/Subvolume.h"
#include "psystem/VolumePath.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace korvid {

namespace {

constexpr std::array<std::string_view, 16> TypeNames = {
    "none",        "string", "refString", "integer", "number",
    "oldDate",     "map",    "attach",    "chain",   "choice",
    "totalNumber", "title",  "set",       "date",    "calculatedNumber",
    "systemNumber"};

constexpr std::array<std::string_view, 13> KindNames = {
    "none",         "name",   "address", "upper", "initials",    "surname",   "surnameApostrophe",
    "streetNumber", "street", "esquire", "audit", "customAudit", "calculated"};

constexpr int FileZeroFiller = 80; // words before file 0's fields
constexpr int FileZeroMinimum = 256;
constexpr std::size_t StoredNameLength = 9;

void PutWord(std::string& Image, std::size_t Offset, unsigned Value) {
    Image[Offset] = char(Value & 0xFF);
    Image[Offset + 1] = char((Value >> 8) & 0xFF);
}

void PutDoubleWord(std::string& Image, std::size_t Offset, unsigned Value) {
    PutWord(Image, Offset, Value & 0xFFFF);
    PutWord(Image, Offset + 2, Value >> 16);
}

void PutName(std::string& Image, std::size_t Offset, std::string_view Name) {
    const std::string_view Stored = Name.substr(0, StoredNameLength);
    Image[Offset] = char(Stored.size());
    std::copy(Stored.begin(), Stored.end(), Image.begin() + std::ptrdiff_t(Offset + 1));
}

unsigned Bits(int Value, int Width) {
    return unsigned(Value) & ((1u << Width) - 1);
}

// Placeholder names, as the model creates them, are never stored.
bool IsStorableName(std::string_view Name) {
    return !Name.empty() && Name.front() != '(';
}

void SerialiseField(std::string& Image, std::size_t Offset, const TDefsField& Field) {
    PutWord(Image, Offset + DefsFieldBaseOffset, Bits(Field.Base, 16));
    if (Field.FieldType == dfNone && !IsStorableName(Field.Name))
        return;
    if (IsStorableName(Field.Name))
        PutName(Image, Offset + DefsFieldNameOffset, Field.Name);
    PutWord(Image, Offset,
            Bits(Field.FieldType, 4) | Bits(Field.FileRef, 5) << 4 | Bits(Field.FieldRef, 6) << 9 |
                unsigned(Field.Forced) << 15);
    PutWord(Image, Offset + DefsFieldShapeOffset,
            Bits(Field.Elements, 8) | unsigned(Field.Flag) << 8 | Bits(Field.Capacity, 7) << 9);
    PutWord(Image, Offset + DefsFieldRefsOffset,
            Bits(Field.Scale, 4) | Bits(Field.SecondRef, 6) << 4 | Bits(Field.ThirdRef, 6) << 10);
}

void SerialiseKey(std::string& Image, std::size_t Offset, const TDefsKey& Key) {
    const auto Parts = [](const auto& Values, int Width) {
        return Bits(Values[0], Width) | Bits(Values[1], Width) << 6 | Bits(Values[2], Width) << 16;
    };
    PutDoubleWord(Image, Offset, Parts(Key.PartField, 6));
    PutDoubleWord(Image, Offset + 4, Parts(Key.PartCapacity, 6));
    PutWord(Image, Offset + 8,
            Bits(Key.PartKind[0], 4) | Bits(Key.PartKind[1], 4) << 4 |
                Bits(Key.PartKind[2], 4) << 8);
    PutWord(Image, Offset + 10, Key.Duplicates ? 1 : 0);
}

std::unique_ptr<TVolume> OpenVolume(const TDefsVolumePath& Parts, bool Writable) {
    if (Parts.Subvolume.empty())
        return std::make_unique<TMajorVolume>(Parts.Volume, Writable);
    return std::make_unique<TSubvolume>(Parts.Volume, Writable, Parts.Subvolume);
}

std::string WithoutExtension(std::string_view Name) {
    const std::size_t Dot = Name.rfind('.');
    return std::string(Name.substr(0, Dot == std::string_view::npos ? Name.size() : Dot));
}

} // namespace

std::string_view DefsTypeName(int FieldType) {
    return TypeNames.at(std::size_t(FieldType) & 15);
}

std::string DefsKindName(int Kind) {
    if (Kind >= 0 && Kind < int(KindNames.size()))
        return std::string(KindNames[std::size_t(Kind)]);
    return std::to_string(Kind);
}

bool FlagMeansComma(int FieldType) {
    return FieldType == dfNumber || FieldType == dfTotalNumber || FieldType == dfCalculatedNumber ||
           FieldType == dfSystemNumber;
}

TDefsField::TDefsField(TDefsFile* OwnerFile, int FieldIndex, std::string FieldName)
    : Owner(OwnerFile), Name(std::move(FieldName)), Index(std::uint8_t(FieldIndex)) {}

TDefsKey::TDefsKey(TDefsFile* OwnerFile, int KeyNumber) : Owner(OwnerFile), Number(KeyNumber) {}

TDefsFile::TDefsFile(std::string FileName, int FileIndex)
    : Name(std::move(FileName)), Index(std::uint8_t(FileIndex)) {
    for (int K = 0; K < DefsKeyCount; ++K)
        Keys[std::size_t(K)] = std::make_unique<TDefsKey>(this, K + 1);
    for (int J = 0; J < DefsFieldCount; ++J)
        Fields[std::size_t(J)] = std::make_unique<TDefsField>(this, J, PlaceholderFieldName(J));
}

void TDefsFile::SetField(int J, std::unique_ptr<TDefsField> NewField) {
    Fields.at(std::size_t(J)) = std::move(NewField);
}

TDefsList::TDefsList() {
    Reset();
}

void TDefsList::Reset() {
    Clear();
    for (int I = 0; I < DefsFileCount; ++I)
        Add(std::make_unique<TDefsFile>(PlaceholderFileName(I), I));
}

std::string PlaceholderFileName(int Index) {
    return "(file " + std::to_string(Index) + ")";
}

std::string PlaceholderFieldName(int Index) {
    return "(field " + std::to_string(Index) + ")";
}

int DefsElementWords(int FieldType, int Capacity, int Elements) {
    switch (FieldType) {
    case dfString:
    case dfRefString:
        return Capacity / 2 + 1;
    case dfInteger:
    case dfOldDate:
    case dfMap:
    case dfChoice:
        return 1;
    case dfNumber:
    case dfTotalNumber:
    case dfSystemNumber:
        return (Capacity + 6) / 4;
    case dfAttach:
    case dfChain:
    case dfDate:
        return 2;
    case dfSet:
        return (Elements - 1) / 16 + 1;
    default:
        return 0;
    }
}

void ComputeRecordLayout(TDefsFile& File) {
    const bool IsFileZero = File.Index == 0;
    int Size = IsFileZero ? FileZeroFiller : 0;
    int LinkWords = 0;
    for (int J = 1; J < DefsFieldCount; ++J) {
        TDefsField& Field = File.Field(J);
        if (Field.FieldType != dfCalculatedNumber && Field.FieldType != dfTitle)
            Field.Base = Size;
        const int Words = DefsElementWords(Field.FieldType, Field.Capacity, Field.Elements);
        if (Field.FieldType == dfAttach || Field.FieldType == dfChain)
            LinkWords += 2;
        Size += Field.FieldType == dfSet ? Words : Words * Field.Elements;
    }
    TDefsField& System = File.Field(0);
    System.Elements = 1;
    System.Scale = 0;
    System.Forced = System.Flag = false;
    System.FileRef = System.FieldRef = System.SecondRef = System.ThirdRef = 0;
    System.Base = Size == 1 || Size == 2 ? 3 : Size;
    System.Name = IsFileZero ? "choice" : "record";
    System.FieldType = IsFileZero ? dfRefString : dfInteger;
    System.Capacity = IsFileZero ? 3 : 5;
    if (IsFileZero)
        Size = std::max(Size, FileZeroMinimum);
    File.DataSize = Size;
    File.RecordSize = Size + LinkWords + (IsFileZero ? FileZeroFiller : 0);
}

bool SplitVolumePath(std::string_view Path, TDefsVolumePath& Parts) {
    const std::optional<TVolumePath> Parsed = ParseVolumePath(Path);
    if (!Parsed) {
        ShowNotInVolumeMessage(Path);
        return false;
    }
    Parts = {Parsed->VolumeFile, Parsed->Subvolume, Parsed->FileName};
    return true;
}

std::string MapDefsName(std::string_view FileName) {
    std::string Name = UpperCase1252(std::filesystem::path(std::string(FileName)).stem().string());
    if (!Name.empty() && Name.front() == 'C')
        Name.erase(0, 1);
    if (Name == "GEN")
        return "NOM4";
    if (Name == "NOM")
        return "NOM2";
    if (Name == "ADMIN")
        return "ADMI";
    return Name;
}

std::string SerialiseDefs(const TDefsList& List, int& Size) {
    std::string Image(DefsImageSize, '\0');
    int LastPresent = 0;
    for (int I = 0; I < std::min(List.Count(), DefsFileCount); ++I) {
        const TDefsFile& File = List.File(I);
        const std::size_t Record = std::size_t(I) * DefsRecordSize;
        PutWord(Image, Record + DefsRecordSizeOffset, Bits(File.DataSize, 16));
        PutWord(Image, Record + DefsDataSizeOffset, Bits(File.DataSize, 16));
        if (File.DataSize > 0 && IsStorableName(File.Name)) {
            PutName(Image, Record, File.Name);
            LastPresent = I;
        }
        for (int J = 0; J < DefsFieldCount; ++J)
            SerialiseField(Image, Record + DefsFieldsOffset + std::size_t(J) * DefsFieldSize,
                           File.Field(J));
        for (int K = 1; K <= DefsKeyCount; ++K)
            SerialiseKey(Image, Record + DefsKeysOffset + std::size_t(K - 1) * DefsKeySize,
                         File.Key(K));
    }
    Size = (LastPresent + 1) * DefsRecordSize;
    return Image;
}

std::string DefsLayoutProblem(const TDefsList& List) {
    for (const auto& File : List) {
        const int Words = std::max(File->RecordSize, File->DataSize);
        if (Words > MaxDefsLayoutWords)
            return DefsLayoutTooLargeText(File->Name, Words);
    }
    return {};
}

bool LoadDefsFromVolume(TDefsList& List, std::string_view Path) {
    List.Reset();
    List.Path = std::string(Path);
    TDefsVolumePath Parts;
    if (!SplitVolumePath(Path, Parts))
        return false;
    try {
        const std::unique_ptr<TVolume> Volume = OpenVolume(Parts, false);
        const TFileInfo Info = Volume->FileInfo(0, Parts.FileName);
        std::vector<std::string> Names;
        ReadDefsNames(*Volume, WithoutExtension(Info.Name) + ".NAME", Names);
        std::vector<std::string> Lines;
        ReadDefsFileText(*Volume, Lines, TDefsArguments{nullptr, &List}, DefsUnitName(Info.Name), 0,
                         Volume->Base() + std::int64_t(Info.FirstBlock) * BlockSize, Info.Size(),
                         Names);
    } catch (const EKorvidError& Error) {
        List.Reset();
        ShowDefsEditorError(Error.what());
        return false;
    }
    return true;
}

bool SaveDefsToVolume(const TDefsList& List) {
    if (const std::string Problem = DefsLayoutProblem(List); !Problem.empty()) {
        ShowDefsEditorError(Problem);
        return false;
    }
    int Size = 0;
    const std::string Image = SerialiseDefs(List, Size);
    TDefsVolumePath Parts;
    if (!SplitVolumePath(List.Path, Parts))
        return false;
    try {
        const std::unique_ptr<TVolume> Volume = OpenVolume(Parts, true);
        return Volume->SaveBytes(Parts.FileName, Image.data(), fkData, Size);
    } catch (const EKorvidError& Error) {
        ShowDefsEditorError(Error.what());
        return false;
    }
}

} // namespace korvid

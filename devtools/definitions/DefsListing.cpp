// The text forms of a .DEFS file: the listing, the Pascal data-module unit and JSON defs.
#include "devtools/definitions/DefsListing.h"

#include "devtools/definitions/BoundedBytes.h"
#include "devtools/definitions/DefsMessages.h"
#include "devtools/definitions/ScreenListing.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "psystem/Volume.h"

#include <algorithm>

namespace korvid {

namespace {

TDefsFieldRecord DecodeField(const TBoundedBytes& Bytes, std::size_t Offset) {
    TDefsFieldRecord Field;
    const unsigned Kind = Bytes.Word(Offset);
    Field.FieldType = Bits(Kind, 0, 4);
    Field.FileRef = Bits(Kind, 4, 5);
    Field.FieldRef = Bits(Kind, 9, 6);
    Field.Forced = Bits(Kind, 15, 1) != 0;
    Field.Name = Bytes.ShortString(Offset + DefsFieldNameOffset, DefsNameLength);
    Field.Base = Bytes.SignedWord(Offset + DefsFieldBaseOffset);
    const unsigned Shape = Bytes.Word(Offset + DefsFieldShapeOffset);
    Field.Elements = Bits(Shape, 0, 8);
    Field.Flag = Bits(Shape, 8, 1) != 0;
    Field.Capacity = Bits(Shape, 9, 7);
    const unsigned Refs = Bytes.Word(Offset + DefsFieldRefsOffset);
    Field.Scale = Bits(Refs, 0, 4);
    Field.SecondRef = Bits(Refs, 4, 6);
    Field.ThirdRef = Bits(Refs, 10, 6);
    return Field;
}

TDefsKeyRecord DecodeKey(const TBoundedBytes& Bytes, std::size_t Offset) {
    TDefsKeyRecord Key;
    const std::uint32_t Fields = Bytes.DoubleWord(Offset);
    const std::uint32_t Capacities = Bytes.DoubleWord(Offset + 4);
    const unsigned Kinds = Bytes.Word(Offset + 8);
    Key.FirstDoubleWord = std::int32_t(Fields);
    constexpr std::array<int, DefsKeyParts> Shifts = {0, 6, 16};
    for (std::size_t P = 0; P < DefsKeyParts; ++P) {
        Key.PartField[P] = Bits(Fields, Shifts[P], 6);
        Key.PartCapacity[P] = Bits(Capacities, Shifts[P], 6);
        Key.PartKind[P] = Bits(Kinds, int(P) * 4, 4);
    }
    Key.DuplicatesWord = int(Bytes.Word(Offset + 10));
    return Key;
}

// Names of other files and fields, looked up checked: a reference past the records read
// names itself by number.
class TDefsReferences {
public:
    explicit TDefsReferences(const std::vector<TDefsRecord>& Records) : FRecords(Records) {}

    const TDefsRecord* Record(int File) const {
        if (File < 0 || File >= DefsFileCount || File >= int(FRecords.size()))
            return nullptr;
        return &FRecords[std::size_t(File)];
    }
    const TDefsFieldRecord* Field(int File, int Index) const {
        const TDefsRecord* Owner = Record(File);
        if (!Owner || Index < 0 || Index >= DefsFieldCount)
            return nullptr;
        return &Owner->Fields[std::size_t(Index)];
    }
    std::string RecordName(int File) const {
        const TDefsRecord* Found = Record(File);
        return Found ? Found->Name : PlaceholderFileName(File);
    }
    std::string FieldName(int File, int Index) const {
        const TDefsFieldRecord* Found = Field(File, Index);
        return Found ? Found->Name : PlaceholderFieldName(Index);
    }
    // The bound of a choice or set: the elements of the array field it refers to.
    int Elements(int File, int Index) const {
        const TDefsFieldRecord* Found = Field(File, Index);
        return Found ? Found->Elements : 0;
    }
    // Field Index of the file that the chain field File.Chain names.
    std::string ChainedFieldName(int File, int Chain, int Index) const {
        const TDefsFieldRecord* Found = Field(File, Chain);
        return Found ? FieldName(Found->FileRef, Index) : PlaceholderFieldName(Index);
    }

private:
    const std::vector<TDefsRecord>& FRecords;
};

// Appends Word, after a blank unless the line already ends in one.
void AppendWord(std::string& Line, std::string_view Word) {
    if (Line.empty() || Line.back() != ' ')
        Line += ' ';
    Line += Word;
}

std::string CapacityAndScale(const TDefsFieldRecord& Field) {
    return std::to_string(Field.Capacity) + "," + std::to_string(Field.Scale);
}

// ---- Listing -----------------------------------------------------------------------------

constexpr int ListingBaseColumn = 96;
constexpr int ListingNameWidth = 11;
constexpr int ListingMostNameBlanks = 9;

std::string_view ListingTypeWord(int FieldType) {
    return FieldType == dfCalculatedNumber ? "calcNumber" : DefsTypeName(FieldType);
}

std::string FieldDetail(const TDefsReferences& Refs, int Own, const TDefsFieldRecord& Field) {
    switch (Field.FieldType) {
    case dfNone:
        return "null";
    case dfString:
    case dfRefString:
        return std::to_string(Field.Capacity);
    case dfInteger:
        return Field.Capacity != 5 ? std::to_string(Field.Capacity) : "";
    case dfNumber:
    case dfSystemNumber:
        return CapacityAndScale(Field);
    case dfAttach:
    case dfChain: {
        std::string Text = Refs.RecordName(Field.FileRef) + " (" +
                           Refs.FieldName(Field.FileRef, Field.FieldRef) + ")";
        if (Field.SecondRef > 0) {
            Text += " order(" + Refs.FieldName(Own, Field.SecondRef);
            if (Field.ThirdRef > 0)
                Text += ", " + Refs.FieldName(Own, Field.ThirdRef);
            Text += ")";
        }
        return Text;
    }
    case dfChoice:
    case dfSet:
        return Refs.FieldName(Field.FileRef, Field.FieldRef);
    case dfTotalNumber:
        return Refs.FieldName(Field.FileRef, Field.FieldRef) + "." +
               Refs.ChainedFieldName(Field.FileRef, Field.FieldRef, Field.SecondRef) + " (" +
               CapacityAndScale(Field) + ")";
    case dfTitle:
        return Refs.RecordName(Field.FileRef) + "." +
               Refs.FieldName(Field.FileRef, Field.FieldRef) + " record " +
               std::to_string(Field.Base) + " + " + Refs.FieldName(Own, Field.SecondRef);
    case dfCalculatedNumber: {
        std::string Text = CapacityAndScale(Field);
        if (Field.FileRef == 0)
            Text += " {+}";
        else if (Field.FileRef != 6)
            Text += " {?}";
        return Text;
    }
    default: // old dates, maps and dates have no detail
        return "";
    }
}

std::string FieldLine(const TDefsReferences& Refs, int Own, int Index,
                      const TDefsFieldRecord& Field) {
    std::string Line = "  " + PadRight(PadLeft(std::to_string(Index), 2), 4);
    Line += Field.FieldType == dfAttach ? "^  " : Field.FieldType == dfChain ? "+  " : "   ";
    Line += Field.Name;
    Line += std::string(std::size_t(std::clamp(ListingNameWidth - int(Field.Name.size()), 0,
                                               ListingMostNameBlanks)),
                        ' ');
    if (Field.Elements > 1 && Field.FieldType != dfTitle)
        Line += PadRight(PadLeft("[" + std::to_string(Field.Elements) + "]", 5), 7);
    else
        Line += std::string(7, ' ');
    Line += PadRight(ListingTypeWord(Field.FieldType), 14);
    Line += FieldDetail(Refs, Own, Field);
    if (Field.Flag) {
        if (FlagMeansComma(Field.FieldType))
            Line += " comma";
        else if (Field.FieldType == dfAttach)
            Line += " reverse";
        else
            AppendWord(Line, "flagged");
    }
    if (Field.Forced)
        AppendWord(Line, "forced");
    return PadRight(Line, ListingBaseColumn) + PadLeft(std::to_string(Field.Base), 4);
}

std::string KeyPart(const TDefsReferences& Refs, int Own, const TDefsKeyRecord& Key,
                    std::size_t Part) {
    std::string Name = Refs.FieldName(Own, Key.PartField[Part]);
    const int Kind = Key.PartKind[Part];
    if (Kind >= 1 && Kind <= 12)
        Name = DefsKindName(Kind) + "(" + Name + ")";
    return Name + " " + std::to_string(Key.PartCapacity[Part]);
}

std::string KeyLine(const TDefsReferences& Refs, int Own, int Number, const TDefsKeyRecord& Key) {
    std::string Line = "  #" + std::to_string(Number) + "  " + KeyPart(Refs, Own, Key, 0);
    if (Key.PartField[1] != 0) {
        Line += ", " + KeyPart(Refs, Own, Key, 1);
        if (Key.PartField[2] != 0)
            Line += ", " + KeyPart(Refs, Own, Key, 2);
    }
    if (Key.DuplicatesWord == 0)
        Line += " unique";
    return Line;
}

void CopyField(TDefsFile& File, int Index, const TDefsFieldRecord& Record) {
    auto Field = std::make_unique<TDefsField>(&File, Index, Record.Name);
    Field->Base = Record.Base;
    Field->Elements = Record.Elements;
    Field->FieldType = std::uint8_t(Record.FieldType);
    Field->Capacity = Record.Capacity;
    Field->Scale = Record.Scale;
    Field->Forced = Record.Forced;
    Field->Flag = Record.Flag;
    Field->FileRef = std::uint8_t(Record.FileRef);
    Field->FieldRef = std::uint8_t(Record.FieldRef);
    Field->SecondRef = std::uint8_t(Record.SecondRef);
    Field->ThirdRef = std::uint8_t(Record.ThirdRef);
    File.SetField(Index, std::move(Field));
}

void CopyKey(TDefsKey& Key, const TDefsKeyRecord& Record) {
    for (std::size_t P = 0; P < DefsKeyParts; ++P) {
        Key.PartField[P] = std::uint8_t(Record.PartField[P]);
        Key.PartCapacity[P] = Record.PartCapacity[P];
        Key.PartKind[P] = std::uint8_t(Record.PartKind[P]);
    }
    Key.Duplicates = (Record.DuplicatesWord & 1) != 0;
}

// ---- Pascal unit -------------------------------------------------------------------------

constexpr std::array<std::string_view, 19> RoutineHeadings = {
    "function OldDoFile(dAction: dLoadSave; fileNum, recNum: integer): boolean;",
    "function XGetRecord(fileNum: integer; screenNum: integer): boolean;",
    "function FindByKey(fileNum, keyNum: integer): boolean;",
    "function NextByKey(fileNum, keyNum: integer): boolean;",
    "procedure CallScreen(screenNum: integer);",
    "function InitSystem(sys: string): boolean;",
    "function PreviousByKey(fileNum, keyNum: integer): boolean;",
    "function DoFile(dAction: dLoadSave; fileNum: integer; recNum: diskP): boolean;",
    "procedure Connection(current, required: integer; var r: const diskP);",
    "procedure Connect(attached, host: integer);",
    "procedure NextChain(attached, host: integer; var r: const diskP);",
    "procedure Unconnect(attached, host: integer);",
    "procedure Reload(current: integer);",
    "procedure FlushBuffers;",
    "function NullConnection(current, required: integer): boolean;",
    "procedure SiHostChoice(x, y: integer; fCur, fHost, fChain: integer; function Name(var n: "
    "string): boolean; limit, len: integer);",
    "procedure FindPlace (fileNum, keyNum: integer);",
    "function GetRecord(fileNum, screenNum: integer; firstTime: boolean; popupId: tPopupId): "
    "boolean;",
    "function XXGetRecord(fileNum, screenNum: integer; popupId: tPopupId): boolean;",
};

std::string UnitFieldType(const TDefsReferences& Refs, const TDefsFieldRecord& Field) {
    switch (Field.FieldType) {
    case dfString:
    case dfRefString:
        return "string[" + std::to_string(Field.Capacity) + "]";
    case dfInteger:
        return "integer";
    case dfNumber:
    case dfTotalNumber:
    case dfSystemNumber:
        return "integer[" + std::to_string(Field.Capacity - 1) + "]";
    case dfOldDate:
        return "dateType";
    case dfMap:
        return "map";
    case dfAttach:
        return "attachMarker";
    case dfChain:
        return "chainMarker";
    case dfChoice:
        return "1.." + std::to_string(Refs.Elements(Field.FileRef, Field.FieldRef));
    case dfSet:
        return "set of 0.." + std::to_string(Refs.Elements(Field.FileRef, Field.FieldRef));
    case dfDate:
        return "nDateType";
    default:
        return "";
    }
}

bool IsDeclared(int FieldType) {
    return FieldType != dfNone && FieldType != dfTitle && FieldType != dfCalculatedNumber;
}

// ---- JSON defs ---------------------------------------------------------------------------

class TJsonWriter {
public:
    explicit TJsonWriter(std::vector<std::string>& Lines) : FLines(Lines) {}

    void Line(std::string_view Text) { FLines.push_back(FIndent + std::string(Text)); }
    void Empty() { FLines.emplace_back(); }
    void Member(std::string_view Key, std::string_view Value) {
        Line(PadRight(std::string(Key) + ":", 9) + " " + std::string(Value));
    }
    void Member(std::string_view Key, int Value) { Member(Key, std::to_string(Value)); }
    void NameMember(std::string_view Key, std::string_view Name) { Member(Key, QuotedName(Name)); }
    void Indent() { FIndent += "  "; }
    void Outdent() { FIndent.resize(FIndent.size() >= 2 ? FIndent.size() - 2 : 0); }

    // Names are written bare, but the three JSON words would read as values.
    static std::string QuotedName(std::string_view Name) {
        if (Name == "true" || Name == "false" || Name == "null")
            return "\"" + std::string(Name) + "\"";
        return std::string(Name);
    }

private:
    std::vector<std::string>& FLines;
    std::string FIndent;
};

void WriteJsonField(TJsonWriter& Json, const TDefsReferences& Refs, const TDefsRecord& Record,
                    int Own, int Index) {
    const TDefsFieldRecord& Field = Record.Fields[std::size_t(Index)];
    const int Type = Field.FieldType;
    if (Index > 1)
        Json.Empty();
    Json.Line("{ name:     '" + Field.Name + "'  // " + Record.Name);
    Json.Indent();
    Json.Member("id", Index);
    Json.Member("type", DefsTypeName(Type));
    if (Type == dfString || Type == dfRefString || Type == dfNumber || Type == dfCalculatedNumber ||
        Type == dfSystemNumber || (Type == dfInteger && Field.Capacity != 5))
        Json.Member("capacity", Field.Capacity);
    if (Type == dfNumber || Type == dfCalculatedNumber || Type == dfSystemNumber) {
        Json.Member("scale", Field.Scale);
        if (Field.Flag)
            Json.Member("comma", "true");
    }
    if (Type == dfCalculatedNumber && Field.FileRef != 6)
        ShowUnsupportedCalculationMessage(Field.Name, Field.FileRef);
    switch (Type) {
    case dfChoice:
    case dfSet:
    case dfTitle:
        if (Field.FileRef > 0)
            Json.NameMember("record", Refs.RecordName(Field.FileRef));
        Json.NameMember("array", Refs.FieldName(Field.FileRef, Field.FieldRef));
        if (Type == dfTitle) {
            Json.NameMember("choice", Refs.FieldName(Own, Field.SecondRef));
            Json.Member("base", Field.Base);
        }
        break;
    case dfTotalNumber:
        Json.NameMember("chain", Refs.FieldName(Field.FileRef, Field.FieldRef));
        Json.NameMember("source",
                        Refs.ChainedFieldName(Field.FileRef, Field.FieldRef, Field.SecondRef));
        if (Field.Flag)
            Json.Member("comma", "true");
        break;
    case dfAttach:
        Json.NameMember("parent", Refs.RecordName(Field.FileRef));
        Json.NameMember("chain", Refs.FieldName(Field.FileRef, Field.FieldRef));
        break;
    case dfChain: {
        Json.NameMember("child", Refs.RecordName(Field.FileRef));
        Json.NameMember("attach", Refs.FieldName(Field.FileRef, Field.FieldRef));
        if (const TDefsFieldRecord* Attach = Refs.Field(Field.FileRef, Field.FieldRef)) {
            const std::string First = Refs.FieldName(Field.FileRef, Attach->SecondRef);
            if (Attach->SecondRef > 0 && Attach->ThirdRef >= 1)
                Json.Member("order", "[" + TJsonWriter::QuotedName(First) + ", " +
                                         TJsonWriter::QuotedName(
                                             Refs.FieldName(Field.FileRef, Attach->ThirdRef)) +
                                         "]");
            else if (Attach->SecondRef > 0)
                Json.NameMember("order", First);
            if (Attach->Flag)
                Json.Member("reverse", "true");
        }
        break;
    }
    default:
        if (Field.Elements != 1)
            Json.Member("elements", Field.Elements);
        break;
    }
    if (Field.Forced)
        Json.Member("forced", "true");
    if (Field.Flag && Type != dfNumber && Type != dfAttach && Type != dfCalculatedNumber &&
        Type != dfSystemNumber)
        Json.Member("flagged", "true");
    Json.Outdent();
    Json.Line("}");
}

void WriteJsonKey(TJsonWriter& Json, const TDefsReferences& Refs, int Own, int Number,
                  const TDefsKeyRecord& Key) {
    if (Number > 1)
        Json.Empty();
    Json.Line("{ id:     " + std::to_string(Number));
    Json.Indent();
    Json.Line((Key.DuplicatesWord & 1) != 0 ? "unique: false" : "unique: true");
    Json.Line("keys: [");
    Json.Indent();
    for (std::size_t P = 0; P < DefsKeyParts; ++P) {
        if (Key.PartField[P] == 0)
            continue;
        Json.Line("{");
        Json.Indent();
        Json.NameMember("field", Refs.FieldName(Own, Key.PartField[P]));
        Json.Member("capacity", Key.PartCapacity[P]);
        Json.Member("kind", DefsKindName(Key.PartKind[P]));
        Json.Outdent();
        Json.Line("}");
    }
    Json.Outdent();
    Json.Line("]");
    Json.Outdent();
    Json.Line("}");
}

std::string Trimmed(std::string_view Text) {
    const std::size_t First = Text.find_first_not_of(' ');
    if (First == std::string_view::npos)
        return {};
    const std::size_t Last = Text.find_last_not_of(' ');
    return std::string(Text.substr(First, Last - First + 1));
}

} // namespace

TDefsRecord DecodeDefsRecord(std::string_view Bytes) {
    const TBoundedBytes Data(Bytes);
    TDefsRecord Record;
    Record.Name = Data.ShortString(0, DefsNameLength);
    Record.RecordSizeWord = Data.SignedWord(DefsRecordSizeOffset);
    Record.DataSizeWord = Data.SignedWord(DefsDataSizeOffset);
    for (std::size_t K = 0; K < DefsKeyCount; ++K)
        Record.Keys[K] = DecodeKey(Data, DefsKeysOffset + K * DefsKeySize);
    for (std::size_t J = 0; J < DefsFieldCount; ++J)
        Record.Fields[J] = DecodeField(Data, DefsFieldsOffset + J * DefsFieldSize);
    return Record;
}

std::vector<TDefsRecord> DecodeDefsImage(std::string_view Bytes) {
    std::vector<TDefsRecord> Records;
    const std::size_t Count = std::min<std::size_t>(Bytes.size() / DefsRecordSize, DefsFileCount);
    for (std::size_t I = 0; I < Count; ++I)
        Records.push_back(DecodeDefsRecord(Bytes.substr(I * DefsRecordSize, DefsRecordSize)));
    return Records;
}

void ListDefs(const std::vector<TDefsRecord>& Records, TDefsList* List,
              std::vector<std::string>& Lines) {
    const TDefsReferences Refs(Records);
    for (int I = 0; I < int(Records.size()) && I < DefsFileCount; ++I) {
        const TDefsRecord& Record = Records[std::size_t(I)];
        if (Record.Name.empty())
            continue;
        if (I > 0)
            Lines.emplace_back();
        Lines.push_back("file " + Record.Name + " " + std::to_string(I));
        TDefsFile* File = List && I < List->Count() ? &List->File(I) : nullptr;
        if (File) {
            File->Name = Record.Name;
            File->Index = std::uint8_t(I);
            File->RecordSize = Record.RecordSizeWord;
            File->DataSize = Record.DataSizeWord;
        }
        for (int J = 1; J < DefsFieldCount; ++J) {
            const TDefsFieldRecord& Field = Record.Fields[std::size_t(J)];
            if (Field.FieldType == dfNone)
                continue;
            Lines.push_back(FieldLine(Refs, I, J, Field));
            if (File)
                CopyField(*File, J, Field);
        }
        if (Record.Keys[0].FirstDoubleWord > 0) {
            Lines.emplace_back(">>");
            for (int K = 1; K <= DefsKeyCount; ++K) {
                const TDefsKeyRecord& Key = Record.Keys[std::size_t(K - 1)];
                if (Key.FirstDoubleWord == 0)
                    continue;
                Lines.push_back(KeyLine(Refs, I, K, Key));
                if (File)
                    CopyKey(File->Key(K), Key);
            }
        }
        Lines.emplace_back("end");
        if (File)
            ComputeRecordLayout(*File);
    }
}

void WriteDefsUnit(const std::vector<TDefsRecord>& Records, const std::string& Name,
                   std::vector<std::string>& Lines) {
    const TDefsReferences Refs(Records);
    struct TPresent {
        int Index;
        const TDefsRecord* Record;
        std::string P; // caption form
        std::string N; // caption form, first letter upper-cased
    };
    std::vector<TPresent> Present;
    for (int I = 0; I < int(Records.size()) && I < DefsFileCount; ++I)
        if (const TDefsRecord& Record = Records[std::size_t(I)]; !Record.Name.empty()) {
            const std::string P = IdentifierToCaption(Record.Name);
            Present.push_back({I, &Record, P, UpCaseFirst(P)});
        }
    Lines.clear();
    const auto Add = [&Lines](std::string Line) { Lines.push_back(std::move(Line)); };
    Add("unit " + Name + "Unit;");
    Add("$segment 'THEDATAM';");
    Add("$code 'Xyz:" + Name + "/" + Name + ".Unit';");
    for (const char* Line :
         {"", "interface", "", "uses", "  Ul:Toolkit/Utility;", "", "const", "  fBuffer    = -1;"})
        Add(Line);
    for (const TPresent& File : Present)
        Add("  " + PadRight("f" + File.N, 10) + " = " + std::to_string(File.Index) + ";");
    for (const char* Line : {"", "type", "  chainMarker  = packed array [0..31] of boolean;",
                             "  attachMarker = packed array [0..31] of boolean;",
                             "  dLoadSave    = (dLoad, dSave, dDelete, dReset, dInit, dPut);", ""})
        Add(Line);
    for (const TPresent& File : Present) {
        Add("  rec" + File.N + " = record");
        if (File.Index == 0)
            Add("    rFiller:    array[1..80] of integer;");
        for (int J = 1; J < DefsFieldCount; ++J) {
            const TDefsFieldRecord& Field = File.Record->Fields[std::size_t(J)];
            if (!IsDeclared(Field.FieldType))
                continue;
            std::string Line = "    " + PadRight(IdentifierToCaption(Field.Name) + ":", 11);
            if (Field.Elements >= 2 && Field.FieldType != dfSet)
                Line += "array [1.." + std::to_string(Field.Elements) + "] of ";
            Add(Line + UnitFieldType(Refs, Field) + ";");
        }
        Add("  end;");
        Add("  pRec" + File.N + " = ^rec" + File.N + ";");
        Add("");
    }
    for (const char* Line : {"  fileName = integer;", "  frnArray = array [0..20] of diskP;", "",
                             "  tempType = record", "    case"})
        Add(Line);
    for (std::size_t I = 0; I < Present.size(); ++I) {
        if (I > 0)
            Add("    or");
        Add("      t" + PadRight(Present[I].N + ":", 11) + "pRec" + Present[I].N + ";");
    }
    for (const char* Line : {"    end;", "  end;", "", "var", "  errNum:    integer;",
                             "  temp1:     tempType;", "  temp2:     tempType;"})
        Add(Line);
    for (int I = 0; I < DefsFileCount; ++I) {
        const auto Found = std::find_if(Present.begin(), Present.end(),
                                        [I](const TPresent& File) { return File.Index == I; });
        if (Found != Present.end())
            Add("  " + PadRight(Found->P + ":", 11) + "pRec" + Found->N + ";");
        else
            Add("  " + PadRight("dummy" + std::to_string(I) + ":", 11) + "pointer;");
    }
    Add("  frn:       ^frnArray;");
    Add("");
    for (const std::string_view Heading : RoutineHeadings)
        Add(std::string(Heading));
    for (const char* Line : {"", "implementation", ""})
        Add(Line);
    for (const std::string_view Heading : RoutineHeadings) {
        Add(std::string(Heading));
        Add("begin");
        if (Heading.starts_with("function"))
            Add("  result := false;");
        Add("end;");
        Add("");
    }
    Add("end.");
}

void WriteDefsJson(const std::vector<TDefsRecord>& Records, const std::string& Name,
                   std::vector<std::string>& Lines) {
    const TDefsReferences Refs(Records);
    Lines.clear();
    TJsonWriter Json(Lines);
    Json.Line("{");
    Json.Indent();
    Json.Line("output: 'Xyz:" + Name + "/" + Name + "'");
    Json.Empty();
    Json.Line("records: [");
    Json.Indent();
    for (int I = 0; I < int(Records.size()) && I < DefsFileCount; ++I) {
        const TDefsRecord& Record = Records[std::size_t(I)];
        if (Record.Name.empty())
            continue;
        if (I > 0) {
            Json.Empty();
            Json.Line(std::string(60, '/'));
            Json.Empty();
        }
        Json.Line("{");
        Json.Indent();
        Json.Line("name: '" + Record.Name + "'  // record");
        Json.Line("id:   " + std::to_string(I));
        Json.Empty();
        Json.Line("fields: [");
        Json.Indent();
        for (int J = 1; J < DefsFieldCount; ++J)
            if (Record.Fields[std::size_t(J)].FieldType != dfNone)
                WriteJsonField(Json, Refs, Record, I, J);
        Json.Outdent();
        Json.Line("]");
        if (Record.Keys[0].PartField[0] != 0) {
            Json.Empty();
            Json.Line("indexes: [");
            Json.Indent();
            for (int K = 1; K <= DefsKeyCount; ++K)
                if (const TDefsKeyRecord& Key = Record.Keys[std::size_t(K - 1)];
                    Key.PartField[0] != 0)
                    WriteJsonKey(Json, Refs, I, K, Key);
            Json.Outdent();
            Json.Line("]");
        }
        Json.Outdent();
        Json.Line("}");
    }
    Json.Outdent();
    Json.Line("]");
    Json.Outdent();
    Json.Line("}");
}

std::vector<std::string> DecodeDefsNames(std::string_view Bytes) {
    const TBoundedBytes Data(Bytes);
    constexpr std::size_t NameSize = DefsLongNameLength + 1;
    std::vector<std::string> Lines;
    for (std::size_t Record = 0; Record < Bytes.size() / DefsNamesRecordSize; ++Record) {
        std::string Line;
        for (std::size_t J = 0; J < DefsFieldCount; ++J)
            Line += Trimmed(Data.ShortString(Record * DefsNamesRecordSize + J * NameSize,
                                             DefsLongNameLength)) +
                    "||";
        Lines.push_back(std::move(Line));
    }
    return Lines;
}

std::string DefsUnitName(std::string_view FileName) {
    const std::size_t Dot = FileName.rfind('.');
    return UpCaseFirst(LowerCase1252(FileName.substr(0, Dot)));
}

void ReadDefsNames(TVolume& Volume, std::string_view FileName, std::vector<std::string>& Names) {
    Names.clear();
    if (const int Index = Volume.FindFile(FileName); Index != 0)
        Names = DecodeDefsNames(Volume.ReadFileData(Index, {}));
}

void ReadDefsFileText(TVolume& Volume, std::vector<std::string>& Lines,
                      const TDefsArguments& Arguments, const std::string& Name, int Mode,
                      std::int64_t Position, std::int64_t Size,
                      const std::vector<std::string>& /*Names: no form prints them*/) {
    const std::string FileName = UpperCase1252(Name) + ".DEFS";
    const std::int64_t Count = std::clamp<std::int64_t>(Size / DefsRecordSize, 0, DefsFileCount);
    // Every record is read before anything is listed, so a failed read lists nothing.
    std::vector<TDefsRecord> Records;
    std::string Buffer(DefsRecordSize, '\0');
    for (std::int64_t I = 0; I < Count; ++I) {
        const std::int64_t Offset = I * DefsRecordSize;
        if (!Volume.ReadBytes(Buffer.data(), Position + Offset, DefsRecordSize))
            throw EVolumeError(CantReadDefsText(FileName, Offset));
        Records.push_back(DecodeDefsRecord(Buffer));
    }
    Lines.clear();
    ListDefs(Records, Arguments.List, Lines);
    if (Mode == 1)
        WriteDefsUnit(Records, Name, Lines);
    else if (Mode == 2)
        WriteDefsJson(Records, Name, Lines);
}

void InstallDefsListings() {
    TVolumeFileListings Listings = VolumeFileListings();
    Listings.DefsNames = ReadDefsNames;
    Listings.Defs = ReadDefsFileText;
    Listings.Screen = ReadScreenFileText;
    SetVolumeFileListings(std::move(Listings));
}

} // namespace korvid

#include "tests/devtools/definitions/DefsTestSupport.h"

#include "tests/app/ProgramProcess.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <algorithm>

namespace korvid::test {

void SetField(TDefsFile& File, const TFieldDef& Def) {
    TDefsField& Field = File.Field(Def.Index);
    Field.Name = Def.Name;
    Field.FieldType = std::uint8_t(Def.Type);
    Field.Capacity = Def.Capacity;
    Field.Elements = Def.Elements;
    Field.Scale = Def.Scale;
    Field.Flag = Def.Flag;
    Field.Forced = Def.Forced;
    Field.FileRef = std::uint8_t(Def.FileRef);
    Field.FieldRef = std::uint8_t(Def.FieldRef);
    Field.SecondRef = std::uint8_t(Def.SecondRef);
    Field.ThirdRef = std::uint8_t(Def.ThirdRef);
}

void SetKey(TDefsFile& File, int Number, std::vector<std::array<int, 3>> Parts, bool Duplicates) {
    TDefsKey& Key = File.Key(Number);
    for (std::size_t P = 0; P < Parts.size(); ++P) {
        Key.PartField[P] = std::uint8_t(Parts[P][0]);
        Key.PartCapacity[P] = Parts[P][1];
        Key.PartKind[P] = std::uint8_t(Parts[P][2]);
    }
    Key.Duplicates = Duplicates;
}

void BuildAppDefs(TDefsList& List) {
    TDefsFile& System = List.File(0);
    System.Name = "system";
    SetField(System, {1, "months", dfString, 9, 12});
    SetField(System, {2, "year", dfInteger});
    TDefsFile& Customer = List.File(1);
    Customer.Name = "customer";
    SetField(Customer, {.Index = 1,
                        .Name = "name",
                        .Type = dfString,
                        .Capacity = 30,
                        .Flag = true,
                        .Forced = true});
    SetField(Customer, {2, "qty", dfInteger});
    SetField(
        Customer,
        {.Index = 3, .Name = "price", .Type = dfNumber, .Capacity = 9, .Scale = 2, .Flag = true});
    SetField(Customer,
             {.Index = 4, .Name = "month", .Type = dfChoice, .FileRef = 0, .FieldRef = 1});
    SetField(Customer,
             {.Index = 5, .Name = "orders", .Type = dfChain, .FileRef = 2, .FieldRef = 1});
    SetField(Customer, {.Index = 6,
                        .Name = "total",
                        .Type = dfTotalNumber,
                        .Capacity = 9,
                        .Scale = 2,
                        .FileRef = 1,
                        .FieldRef = 5,
                        .SecondRef = 3});
    SetKey(Customer, 1, {{1, 10, 3}}, false);
    SetKey(Customer, 2, {{2, 2, 0}, {1, 5, 1}}, true);
    TDefsFile& Orders = List.File(2);
    Orders.Name = "orders";
    SetField(Orders, {.Index = 1,
                      .Name = "cust",
                      .Type = dfAttach,
                      .FileRef = 1,
                      .FieldRef = 5,
                      .SecondRef = 2});
    SetField(Orders, {2, "odate", dfDate});
    SetField(Orders, {.Index = 3, .Name = "amount", .Type = dfNumber, .Capacity = 9, .Scale = 2});
    for (const auto& File : List)
        ComputeRecordLayout(*File);
}

std::string SerialisedImage(const TDefsList& List) {
    int Size = 0;
    const std::string Image = SerialiseDefs(List, Size);
    return Image.substr(0, std::size_t(Size));
}

void TDefsTest::SetUp() {
    InstallDefsListings();
    Volume = Temp / "work.vol";
    ASSERT_TRUE(CreateVolumeFile(Volume, "WORK", 400));
    TDefsList List;
    BuildAppDefs(List);
    Store("APP.DEFS", SerialisedImage(List));
}

void TDefsTest::Store(const std::string& Name, const std::string& Image) {
    TMajorVolume V(Volume, true);
    ASSERT_TRUE(V.SaveBytes(Name, Image.data(), fkData, std::ssize(Image)));
}

std::string TDefsTest::VolumePath(const std::string& Name) const {
    return Volume.string() + ">" + Name;
}

std::string TDefsTest::ReadVolumeData(const std::string& Name) const {
    TMajorVolume V(Volume, false);
    return V.ReadFileData(0, Name);
}

std::vector<std::string> TDefsTest::Read(const std::string& Name, int Mode) {
    TMajorVolume V(Volume, false);
    const TFileInfo Info = V.FileInfo(0, Name);
    std::vector<std::string> Names;
    ReadDefsNames(V, Name.substr(0, Name.rfind('.')) + ".NAME", Names);
    std::vector<std::string> Lines;
    ReadDefsFileText(V, Lines, {}, DefsUnitName(Name), Mode,
                     V.Base() + std::int64_t(Info.FirstBlock) * BlockSize, Info.Size(), Names);
    return Lines;
}

std::string TDefsTest::ListingShownByProgram(const std::string& Name) {
    const std::filesystem::path Output = Temp / "listing.txt";
    RunProgram(Name, "write " + Output.string() + "\nclose\n");
    return ReadFileBytes(Output);
}

void TDefsTest::RunProgram(const std::string& Name, const std::string& Steps) {
    MakeUserFolders(Temp.Path());
    WriteFileBytes(Temp / "keys.txt", Steps);
    QProcessEnvironment Environment = UserEnvironment(Temp.Path());
    Environment.insert("KORVID_KEY_SCRIPT", Q(Temp / "keys.txt"));
    QProcess Program;
    Program.setProcessEnvironment(Environment);
    Program.start(KORVID_PROGRAM, {QString::fromStdString(VolumePath(Name))});
    EXPECT_TRUE(Program.waitForStarted(10000));
    const bool Finished = Program.waitForFinished(60000);
    if (!Finished)
        Program.kill();
    EXPECT_TRUE(Finished) << Program.readAllStandardError().toStdString();
    EXPECT_EQ(Program.exitCode(), 0) << Program.readAllStandardError().toStdString();
}

std::vector<std::string> TDefsTest::Messages() const {
    std::vector<std::string> Result;
    for (const TShownDialog& Shown : Modals.Shown())
        if (Shown.Message)
            Result.push_back(Shown.Message->Caption + "|" + Shown.Message->Text);
    return Result;
}

bool HasTrimmedLine(const std::vector<std::string>& Lines, const std::string& Wanted) {
    return std::any_of(Lines.begin(), Lines.end(), [&Wanted](const std::string& Line) {
        const std::size_t First = Line.find_first_not_of(' ');
        return First != std::string::npos && Line.substr(First) == Wanted;
    });
}

std::size_t IndexOfLine(const std::vector<std::string>& Lines, const std::string& Wanted) {
    return std::size_t(std::find(Lines.begin(), Lines.end(), Wanted) - Lines.begin());
}

} // namespace korvid::test

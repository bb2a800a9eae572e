#include "tests/devtools/definitions/DefsTestSupport.h"

#include "devtools/definitions/DefsHelp.h"
#include "foundation/UtilitiesUnit.h"

#include <algorithm>

namespace korvid::test {
namespace {

std::string Padded(const std::string& Text, int Base) {
    return PadRight(Text, 96) + PadLeft(std::to_string(Base), 4);
}

TEST_F(TDefsTest, ListingOfTheFixture) {
    const std::vector<std::string> Lines = Read("APP.DEFS", 0);
    const std::size_t Head = IndexOfLine(Lines, "file customer 1");
    ASSERT_LT(Head, Lines.size());
    EXPECT_EQ(Lines[Head - 1], "");
    EXPECT_EQ(Lines[0], "file system 0");
    const std::vector<std::string> Customer(Lines.begin() + std::ptrdiff_t(Head),
                                            Lines.begin() + std::ptrdiff_t(Head) + 11);
    const std::vector<std::string> Expected = {
        "file customer 1",
        Padded("   1     name              string        30 flagged forced", 0),
        Padded("   2     qty               integer", 16),
        Padded("   3     price             number        9,2 comma", 17),
        Padded("   4     month             choice        months", 20),
        Padded("   5  +  orders            chain         orders (cust)", 21),
        Padded("   6     total             totalNumber   orders.amount (9,2)", 23),
        ">>",
        "  #1  upper(name) 10 unique",
        "  #2  qty 2, name(name) 5",
        "end",
    };
    EXPECT_EQ(Customer, Expected);
    EXPECT_EQ(Lines[1], Padded("   1     months      [12]  string        9", 80));
    EXPECT_EQ(Lines[1].size(), 100u);
    EXPECT_LT(IndexOfLine(Lines, Padded("   1  ^  cust              attach        customer "
                                        "(orders) order(odate)",
                                        0)),
              Lines.size());
    // The system file has no keys.
    EXPECT_EQ(std::count(Lines.begin(), Lines.end(), ">>"), 1);
    EXPECT_EQ(Lines.back(), "end");
}

TEST_F(TDefsTest, PascalUnitOfTheFixture) {
    const std::vector<std::string> Lines = Read("APP.DEFS", 1);
    ASSERT_FALSE(Lines.empty());
    EXPECT_EQ(Lines.front(), "unit AppUnit;");
    EXPECT_EQ(Lines.back(), "end.");
    for (const char* Wanted :
         {"$code 'Xyz:App/App.Unit';", "  fSystem    = 0;", "  fCustomer  = 1;",
          "    months:    array [1..12] of string[9];", "    price:     integer[8];",
          "    month:     1..12;", "  customer:  pRecCustomer;", "  dummy3:    pointer;"})
        EXPECT_LT(IndexOfLine(Lines, Wanted), Lines.size()) << Wanted;
    EXPECT_EQ(std::count(Lines.begin(), Lines.end(), "    rFiller:    array[1..80] of integer;"),
              1);
    const std::size_t Variant = IndexOfLine(Lines, "      tCustomer:  pRecCustomer;");
    ASSERT_LT(Variant, Lines.size());
    EXPECT_EQ(Lines[Variant - 1], "    or");
    const std::size_t Vars = IndexOfLine(Lines, "  temp2:     tempType;");
    ASSERT_LT(Vars + 22, Lines.size());
    EXPECT_EQ(Lines[Vars + 1], "  system:    pRecSystem;");
    EXPECT_EQ(Lines[Vars + 21], "  dummy20:   pointer;");
    EXPECT_EQ(Lines[Vars + 22], "  frn:       ^frnArray;");
    const std::string Heading = "function FindByKey(fileNum, keyNum: integer): boolean;";
    EXPECT_EQ(std::count(Lines.begin(), Lines.end(), Heading), 2);
    const std::size_t Body = IndexOfLine(Lines, "implementation");
    ASSERT_LT(Body, Lines.size());
    EXPECT_EQ(std::count(Lines.begin() + std::ptrdiff_t(Body), Lines.end(), "  result := false;"),
              10);
    const std::size_t Flush = IndexOfLine(Lines, "procedure FlushBuffers;");
    EXPECT_EQ(std::count(Lines.begin() + std::ptrdiff_t(Flush) + 1, Lines.end(),
                         "procedure FlushBuffers;"),
              1);
}

// The members of one field of the JSON text: the lines from its "{ name:" to its "}".
std::vector<std::string> JsonField(const std::vector<std::string>& Lines, const std::string& Name) {
    std::vector<std::string> Members;
    bool Inside = false;
    for (const std::string& Line : Lines) {
        const std::string Text = Line.substr(std::min(Line.find_first_not_of(' '), Line.size()));
        if (Text.starts_with("{ name:     '" + Name + "'"))
            Inside = true;
        else if (Inside && Text == "}")
            break;
        else if (Inside)
            Members.push_back(Text);
    }
    return Members;
}

TEST_F(TDefsTest, JsonDefsOfTheFixture) {
    const std::vector<std::string> Lines = Read("APP.DEFS", 2);
    ASSERT_GT(Lines.size(), 4u);
    EXPECT_EQ(Lines[0], "{");
    EXPECT_EQ(Lines[1], "  output: 'Xyz:App/App'");
    EXPECT_EQ(Lines[3], "  records: [");
    EXPECT_EQ(Lines[4], "    {");
    EXPECT_EQ(Lines[5], "      name: 'system'  // record");
    EXPECT_EQ(Lines[6], "      id:   0");
    EXPECT_EQ(Lines.back(), "}");
    EXPECT_EQ(JsonField(Lines, "price"),
              (std::vector<std::string>{"id:       3", "type:     number", "capacity: 9",
                                        "scale:    2", "comma:    true"}));
    EXPECT_EQ(JsonField(Lines, "month"),
              (std::vector<std::string>{"id:       4", "type:     choice", "array:    months"}));
    EXPECT_EQ(JsonField(Lines, "cust"),
              (std::vector<std::string>{"id:       1", "type:     attach", "parent:   customer",
                                        "chain:    orders"}));
    EXPECT_EQ(JsonField(Lines, "orders"),
              (std::vector<std::string>{"id:       5", "type:     chain", "child:    orders",
                                        "attach:   cust", "order:    odate"}));
    EXPECT_EQ(JsonField(Lines, "total"),
              (std::vector<std::string>{"id:       6", "type:     totalNumber", "chain:    orders",
                                        "source:   amount"}));
    EXPECT_EQ(JsonField(Lines, "months"),
              (std::vector<std::string>{"id:       1", "type:     string", "capacity: 9",
                                        "elements: 12"}));
    EXPECT_EQ(JsonField(Lines, "name"),
              (std::vector<std::string>{"id:       1", "type:     string", "capacity: 30",
                                        "forced:   true", "flagged:  true"}));
    const std::size_t Key = IndexOfLine(Lines, "        { id:     1");
    ASSERT_LT(Key + 8, Lines.size());
    EXPECT_EQ(Lines[Key + 1], "          unique: true");
    EXPECT_EQ(Lines[Key + 2], "          keys: [");
    EXPECT_EQ(Lines[Key + 3], "            {");
    EXPECT_EQ(Lines[Key + 4], "              field:    name");
    EXPECT_EQ(Lines[Key + 5], "              capacity: 10");
    EXPECT_EQ(Lines[Key + 6], "              kind:     upper");
    EXPECT_EQ(Lines[Key + 7], "            }");
    EXPECT_TRUE(HasTrimmedLine(Lines, "unique: false"));
    EXPECT_EQ(std::count(Lines.begin(), Lines.end(), "      indexes: ["), 1);
    EXPECT_EQ(std::count(Lines.begin(), Lines.end(), "    " + std::string(60, '/')), 2);
    EXPECT_TRUE(Messages().empty());
}

// Odd definitions: no file 0, a file without keys, references past the files and fields read,
// a field called true and a calculation the JSON export does not know.
class TOddDefs : public TDefsTest {
protected:
    void SetUp() override {
        TDefsTest::SetUp();
        TDefsList List;
        TDefsFile& Stock = List.File(1);
        Stock.Name = "stock";
        SetField(Stock, {.Index = 1, .Name = "up", .Type = dfAttach, .FileRef = 31, .FieldRef = 2});
        SetField(Stock,
                 {.Index = 2, .Name = "pick", .Type = dfChoice, .FileRef = 31, .FieldRef = 1});
        SetField(Stock,
                 {.Index = 3, .Name = "true", .Type = dfChoice, .FileRef = 1, .FieldRef = 3});
        SetField(Stock, {.Index = 4,
                         .Name = "calc",
                         .Type = dfCalculatedNumber,
                         .Capacity = 7,
                         .Scale = 1,
                         .FileRef = 2});
        SetField(Stock, {.Index = 5, .Name = "far", .Type = dfSet, .FileRef = 1, .FieldRef = 63});
        ComputeRecordLayout(Stock);
        Store("ODD.DEFS", SerialisedImage(List));
    }
};

TEST_F(TOddDefs, Listing) {
    const std::vector<std::string> Lines = Read("ODD.DEFS", 0);
    ASSERT_GE(Lines.size(), 2u);
    EXPECT_EQ(Lines[0], "");
    EXPECT_EQ(Lines[1], "file stock 1");
    EXPECT_EQ(std::count(Lines.begin(), Lines.end(), ">>"), 0);
    EXPECT_EQ(Lines[2],
              Padded("   1  ^  up                attach        (file 31) ((field 2))", 0));
    EXPECT_EQ(Lines[3], Padded("   2     pick              choice        (field 1)", 2));
    EXPECT_EQ(Lines[5], Padded("   4     calc              calcNumber    7,1 {?}", 0));
    EXPECT_EQ(Lines[6], Padded("   5     far               set           (field 63)", 4));
}

TEST_F(TOddDefs, UnitAndJson) {
    const std::vector<std::string> Unit = Read("ODD.DEFS", 1);
    EXPECT_LT(IndexOfLine(Unit, "    pick:      1..0;"), Unit.size());
    EXPECT_LT(IndexOfLine(Unit, "  dummy0:    pointer;"), Unit.size());
    EXPECT_EQ(Messages().size(), 0u);
    const std::vector<std::string> Json = Read("ODD.DEFS", 2);
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"JSON defs|Calculated field calc has unsupported mode 2"});
    EXPECT_EQ(JsonField(Json, "calc"),
              (std::vector<std::string>{"id:       4", "type:     calculatedNumber", "capacity: 7",
                                        "scale:    1"}));
    EXPECT_EQ(JsonField(Json, "\"true\"").size(), 0u); // the name line itself stays quoted '
    EXPECT_EQ(JsonField(Json, "true"),
              (std::vector<std::string>{"id:       3", "type:     choice", "record:   stock",
                                        "array:    \"true\""}));
    EXPECT_EQ(JsonField(Json, "up"),
              (std::vector<std::string>{"id:       1", "type:     attach", "parent:   (file 31)",
                                        "chain:    (field 2)"}));
    EXPECT_FALSE(HasTrimmedLine(Json, "indexes: ["));
}

TEST(DefsNames, TwoRecordsAndAShortTail) {
    std::string Image(2 * DefsNamesRecordSize + 100, '\0');
    const auto Put = [&Image](std::size_t Record, std::size_t Field, const std::string& Name) {
        const std::size_t At = Record * DefsNamesRecordSize + Field * 66;
        Image[At] = char(Name.size());
        Image.replace(At + 1, Name.size(), Name);
    };
    Put(0, 0, "  record  ");
    Put(0, 1, "Customer name");
    Put(1, 60, "last");
    const std::vector<std::string> Lines = DecodeDefsNames(Image);
    ASSERT_EQ(Lines.size(), 2u);
    std::string Empty;
    for (int J = 0; J < 59; ++J)
        Empty += "||";
    EXPECT_EQ(Lines[0], "record||Customer name||" + Empty);
    EXPECT_EQ(Lines[1], Empty + "||last||");
}

// The program's hooks are filled: the volume-file reader lists a .DEFS file by itself.
TEST_F(TDefsTest, VolumeReaderListsDefinitions) {
    TMajorVolume V(Volume, false);
    std::vector<std::string> Lines = V.ReadFileLines(0, "APP.DEFS");
    EXPECT_EQ(Lines, Read("APP.DEFS", 0));
    TDefsList List;
    std::string Name;
    bool IsBinary = true;
    V.ReadFileText(0, "APP.DEFS", Name, TDefsArguments{nullptr, &List}, IsBinary, nullptr, Lines);
    EXPECT_FALSE(IsBinary);
    EXPECT_EQ(List.File(1).Name, "customer");
    EXPECT_EQ(List.File(1).Field(3).Capacity, 9);
    EXPECT_EQ(List.File(1).Key(2).PartField[1], 1);
}

TEST_F(TDefsTest, HelpSourceNamesFilesAndFields) {
    TDefsList List;
    ASSERT_TRUE(LoadDefsFromVolume(List, VolumePath("APP.DEFS")));
    const std::vector<std::string> Lines = DefsHelpSource({{VolumePath("APP.DEFS"), &List}});
    ASSERT_GE(Lines.size(), 4u);
    EXPECT_EQ(Lines[0], "Vosk database definitions");
    EXPECT_EQ(Lines[1], "");
    EXPECT_EQ(Lines[2], "Help Text " + VolumePath("APP.DEFS"));
    EXPECT_EQ(Lines[3], "  file system 0");
    EXPECT_EQ(Lines[4], "    months: string");
    EXPECT_LT(IndexOfLine(Lines, "    total: totalNumber"), Lines.size());
    EXPECT_EQ(Lines.back(), "    amount: number");
}

} // namespace
} // namespace korvid::test

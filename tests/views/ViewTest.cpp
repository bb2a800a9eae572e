#include "views/View.h"

#include "foundation/RegistryEx.h"
#include "platform/RegistryStore.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

TEST(ViewTest, DefaultsOfAFreshView) {
    const TView View;
    EXPECT_EQ(View.Name(), "Plain Text");
    EXPECT_EQ(View.FontName(), "Courier New");
    EXPECT_EQ(View.FontSize(), 9);
    EXPECT_EQ(View.WrapColumn(), 80);
    EXPECT_EQ(View.WrapType(), 0);
    EXPECT_EQ(View.TabStops(), 8);
    EXPECT_EQ(View.TabKey, 2);
    EXPECT_EQ(View.IndentCount, 2);
    EXPECT_EQ(View.LeftMarginWidth, 14);
    EXPECT_EQ(View.RightMarginColumn, 80);
    EXPECT_TRUE(View.PreserveSpaces);
    EXPECT_FALSE(View.UseDll);
    EXPECT_EQ(View.BackgroundColour, 0x80000005u);
    EXPECT_EQ(View.TextColour, 0x80000008u);
    EXPECT_EQ(View.SelectionBackgroundColour, 0x8000000Du);
    EXPECT_EQ(View.SelectionTextColour, 0x8000000Eu);
    EXPECT_EQ(View.RightMarginColour, 0x80000011u);
    EXPECT_EQ(View.BreakpointBackgroundColour, 0x0000FFu);
    EXPECT_EQ(View.BreakpointTextColour, 0xFFFFFFu);
    EXPECT_EQ(View.ExecutionPointBackgroundColour, 0x008000u);
    EXPECT_EQ(View.ExecutionPointTextColour, 0x00FFFFu);
    EXPECT_EQ(View.Elements.Count(), 0);
    EXPECT_EQ(View.AutoText.Count(), 0);
}

TEST(ViewTest, DefaultWordDelimitersAreThePunctuationWithoutTheUnderscore) {
    std::string Expected;
    for (char C = '!'; C <= '~'; ++C)
        if (std::ispunct(static_cast<unsigned char>(C)) && C != '_')
            Expected += C;
    EXPECT_EQ(Expected.size(), 31u);
    EXPECT_EQ(TView().WordDelimiters, Expected);
}

TEST(ViewTest, SettersApplyTheirRules) {
    TScopedFontCatalogue Fonts([](std::string_view Name) { return Name == "DejaVu Sans Mono"; });
    TView View;
    View.SetName("");
    EXPECT_EQ(View.Name(), "Unnamed");
    View.SetFontSize(0);
    EXPECT_EQ(View.FontSize(), 9);
    View.SetFontSize(-3);
    EXPECT_EQ(View.FontSize(), -3);
    for (const int Column : {4, 256, 0, -1}) {
        View.SetWrapColumn(Column);
        EXPECT_EQ(View.WrapColumn(), 80) << Column;
    }
    for (const int Column : {5, 255}) {
        View.SetWrapColumn(Column);
        EXPECT_EQ(View.WrapColumn(), Column);
    }
    View.SetTabStops(0);
    EXPECT_EQ(View.TabStops(), 8);
    View.SetTabStops(3);
    EXPECT_EQ(View.TabStops(), 3);
    View.SetFontName("DejaVu Sans Mono");
    EXPECT_EQ(View.FontName(), "DejaVu Sans Mono");
    View.SetFontName("No Such Font");
    EXPECT_EQ(View.FontName(), "Courier New");
    View.SetWrapType(7);
    EXPECT_EQ(View.WrapType(), 7);
}

TEST(ViewTest, DllIsKeptOnlyWhenTheFileExists) {
    test::TTempDir Dir;
    test::WriteFileBytes(Dir / "Colours.so", "x");
    TView View;
    View.SetDll((Dir / "Colours.so").string());
    EXPECT_EQ(View.Dll(), (Dir / "Colours.so").string());
    View.SetDll((Dir / "Missing.so").string());
    EXPECT_EQ(View.Dll(), "");
}

TEST(ViewTest, WildcardsMatchExtensionsOnly) {
    TView View;
    View.Wildcards = "*.pas;*.inc";
    struct TCase {
        const char* FileName;
        bool Matches;
    };
    const TCase Cases[] = {
        {"UNIT.PAS", true},  {"x.Inc", true},         {"pas", false},
        {"a.pasx", false},   {"dir.pas/file", false}, {"C:\\src\\Main.pas", true},
        {"x.tar.inc", true}, {"x.", false},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(View.MatchesFileName(Case.FileName), Case.Matches) << Case.FileName;
    EXPECT_EQ(View.DefaultExtension(), ".pas");

    View.Wildcards = ".pas;pas;**..inc;a*.txt";
    EXPECT_TRUE(View.MatchesFileName("b.PAS"));
    EXPECT_TRUE(View.MatchesFileName("b.inc"));
    EXPECT_FALSE(View.MatchesFileName("a1.txt"));
    EXPECT_EQ(View.DefaultExtension(), ".pas");

    View.Wildcards = "";
    EXPECT_EQ(View.DefaultExtension(), "");
    EXPECT_FALSE(View.MatchesFileName("x."));
    EXPECT_FALSE(View.MatchesFileName("x.txt"));
}

TEST(ViewTest, AutoTextValueNamesRoundTrip) {
    TAutoTextEntry Plain;
    Plain.Description = "Begin block";
    Plain.Abbreviation = "beg";
    Plain.CursorChar = '|';
    Plain.ShortCut = 0x4042;
    TAutoTextEntry Bare;
    Bare.CursorChar = '\0';
    Bare.ShortCut = 0;

    EXPECT_EQ(AutoTextValueName(Plain), "Begin block\1beg\1|\1"
                                        "16450\1");
    EXPECT_EQ(AutoTextValueName(Bare), "\1\1\1"
                                       "0\1");
    for (const TAutoTextEntry& Entry : {Plain, Bare}) {
        const TAutoTextEntry Back = ParseAutoTextValueName(AutoTextValueName(Entry));
        EXPECT_EQ(Back.Description, Entry.Description);
        EXPECT_EQ(Back.Abbreviation, Entry.Abbreviation);
        EXPECT_EQ(Back.CursorChar, Entry.CursorChar);
        EXPECT_EQ(Back.ShortCut, Entry.ShortCut);
    }
    // Missing separators make a field run to the end; a shortcut that is no number is 0.
    const TAutoTextEntry Short = ParseAutoTextValueName("Only description");
    EXPECT_EQ(Short.Description, "Only description");
    EXPECT_EQ(Short.Abbreviation, "");
    EXPECT_EQ(Short.CursorChar, '\0');
    EXPECT_EQ(ParseAutoTextValueName("d\1a\1#\1x12").ShortCut, 0);
    EXPECT_EQ(ParseAutoTextValueName("d\1a\1#\1"
                                     "12")
                  .CursorChar,
              '#');
}

class ViewRegistryTest : public ::testing::Test {
protected:
    std::string ViewKey() const { return "\\" + std::string(ViewsKeys[CurrentKeyIndex]) + "\\1"; }

    test::TTempDir Dir;
    TScopedRegistryStore Store{Dir / "registry"};
    TScopedFontCatalogue Fonts{[](std::string_view Name) { return Name == "DejaVu Sans Mono"; }};
};

TEST_F(ViewRegistryTest, SavedViewLoadsBackFieldForField) {
    test::WriteFileBytes(Dir / "Lorvanta.so", "x");
    TView Saved;
    Saved.SetName("Lorvanta");
    Saved.AutoIndent = true;
    Saved.BackgroundColour = 0x123456;
    Saved.CommentMarker = "; ";
    Saved.SetDll((Dir / "Lorvanta.so").string());
    Saved.SetFontName("DejaVu Sans Mono");
    Saved.SetFontSize(11);
    Saved.IndentCount = 0;
    Saved.ShortCut = 0x6041;
    Saved.TabKey = 1;
    Saved.SetTabStops(4);
    Saved.UseDll = true;
    Saved.Wildcards = "*.vl;*.vl2";
    Saved.WordDelimiters = ",;";
    Saved.SetWrapColumn(72);
    Saved.SetWrapType(1);
    Saved.Elements.Add({3, 0x800000, true, false});
    Saved.Elements.Add({14, 0x008000, false, true});
    TAutoTextEntry Entry;
    Entry.Description = "If";
    Entry.Abbreviation = "if";
    Entry.Expansion = "if | then\r\nend";
    Saved.AutoText.Add(Entry);
    {
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenKey(ViewKey(), true));
        Saved.SaveToRegistry(Reg);
    }
    TRegistryEx Reg;
    ASSERT_TRUE(Reg.OpenKey(ViewKey(), false));
    // Name first, the rest in field order.
    const std::vector<std::string> Names = Reg.GetValueNames();
    ASSERT_GE(Names.size(), 3u);
    EXPECT_EQ(Names[0], "Name");
    EXPECT_EQ(Names[1], "Auto Indent");
    EXPECT_EQ(Names.back(), "Wrap Type");
    EXPECT_EQ(Reg.GetDataType("Auto Indent"), TRegDataType::rdInteger);

    TView Loaded;
    Loaded.LoadFromRegistry(Reg);
    EXPECT_EQ(Loaded.Name(), "Lorvanta");
    EXPECT_TRUE(Loaded.AutoIndent);
    EXPECT_EQ(Loaded.BackgroundColour, 0x123456u);
    EXPECT_EQ(Loaded.CommentMarker, "; ");
    EXPECT_EQ(Loaded.Dll(), Saved.Dll());
    EXPECT_EQ(Loaded.FontName(), "DejaVu Sans Mono");
    EXPECT_EQ(Loaded.FontSize(), 11);
    EXPECT_EQ(Loaded.IndentCount, 0);
    EXPECT_EQ(Loaded.ShortCut, 0x6041);
    EXPECT_EQ(Loaded.TabKey, 1);
    EXPECT_EQ(Loaded.TabStops(), 4);
    EXPECT_TRUE(Loaded.UseDll);
    EXPECT_EQ(Loaded.Wildcards, "*.vl;*.vl2");
    EXPECT_EQ(Loaded.WordDelimiters, ",;");
    EXPECT_EQ(Loaded.WrapColumn(), 72);
    EXPECT_EQ(Loaded.WrapType(), 1);
    EXPECT_EQ(Loaded.SelectionTextColour, Saved.SelectionTextColour);
    ASSERT_EQ(Loaded.Elements.Count(), 2);
    EXPECT_EQ(Loaded.Elements.GetElement(0).Id, 3);
    EXPECT_EQ(Loaded.Elements.GetElement(0).Colour, 0x800000u);
    EXPECT_TRUE(Loaded.Elements.GetElement(0).Bold);
    EXPECT_TRUE(Loaded.Elements.GetElement(1).Italic);
    ASSERT_EQ(Loaded.AutoText.Count(), 1);
    EXPECT_EQ(Loaded.AutoText.GetEntry(0).Abbreviation, "if");
    EXPECT_EQ(Loaded.AutoText.GetEntry(0).Expansion, "if | then\r\nend");
    EXPECT_EQ(Loaded.AutoText.GetEntry(0).CursorChar, '|');

    // Auto-text lies below "Colours".
    EXPECT_TRUE(Reg.OpenKey(ViewKey() + "\\Colours\\AutoText", false));
}

TEST_F(ViewRegistryTest, OutOfRangeAndMistypedValuesLoadAsTheirRulesSay) {
    {
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenKey(ViewKey(), true));
        Reg.WriteInteger("Wrap Column", 4);
        Reg.WriteInteger("Font Size", 0);
        Reg.WriteInteger("Tab Stops", 0);
        Reg.WriteString("DLL", (Dir / "Missing.so").string());
        Reg.WriteString("Font Name", "No Such Font");
        Reg.WriteInteger("Short Cut", 0x12345);
        Reg.WriteInteger("Tab Key", 0x102);
        Reg.WriteInteger("Wrap Type", 0x305);
        Reg.WriteString("Indent Count", "4");        // another type: the default stays
        Reg.WriteInteger("Right Margin Visible", 7); // any value but 0 is True
        ASSERT_TRUE(Reg.OpenKey("Colours", true));
        Reg.WriteInteger("Keyword", 0x0000FF);
        Reg.WriteBool("Keyword Bold", true);
        Reg.WriteInteger("x y", 5); // a name with a blank is no element
    }
    TRegistryEx Reg;
    ASSERT_TRUE(Reg.OpenKey(ViewKey(), false));
    TView View;
    View.LoadFromRegistry(Reg);
    EXPECT_EQ(View.Name(), "Unnamed");
    EXPECT_EQ(View.WrapColumn(), 80);
    EXPECT_EQ(View.FontSize(), 9);
    EXPECT_EQ(View.TabStops(), 8);
    EXPECT_EQ(View.Dll(), "");
    EXPECT_EQ(View.FontName(), "Courier New");
    EXPECT_EQ(View.ShortCut, 0x2345);
    EXPECT_EQ(View.TabKey, 2);
    EXPECT_EQ(View.WrapType(), 5);
    EXPECT_EQ(View.IndentCount, 2);
    EXPECT_TRUE(View.RightMarginVisible);
    ASSERT_EQ(View.Elements.Count(), 1);
    EXPECT_EQ(View.Elements.GetElement(0).Id, 1);
    EXPECT_EQ(View.Elements.GetElement(0).Colour, 0x0000FFu);
    EXPECT_TRUE(View.Elements.GetElement(0).Bold);

    // A second load of the same view replaces its lists instead of adding to them.
    ASSERT_TRUE(Reg.OpenKey(ViewKey(), false));
    View.LoadFromRegistry(Reg);
    EXPECT_EQ(View.Elements.Count(), 1);
}

TEST_F(ViewRegistryTest, ElementLookupTakesTheFirstOfDuplicateIds) {
    TViewElementList List;
    List.Add({5, 1, false, false});
    List.Add({5, 2, false, false});
    ASSERT_NE(List.FindById(5), nullptr);
    EXPECT_EQ(List.FindById(5)->Colour, 1u);
    EXPECT_EQ(List.FindById(6), nullptr);
    TViewElementList Copy;
    Copy.Add({9, 9, true, true});
    Copy.Assign(List);
    EXPECT_EQ(Copy.Count(), 2);
    EXPECT_EQ(Copy.FindById(9), nullptr);
}

} // namespace
} // namespace korvid

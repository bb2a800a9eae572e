#include "workspace/Keystroke.h"

#include "ui/ModalRunner.h"
#include "workspace/KorvidTool.h"
#include "workspace/ToolIndexes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvid::test {
namespace {

namespace T = ToolIndex;

class KeystrokeFile : public ::testing::Test {
protected:
    void SetUp() override {
        BuildTools();
        ClearKeystrokes();
    }
    void TearDown() override {
        SetPlayingKeystrokes(false);
        StopRecordingKeystrokes();
        ClearKeystrokes();
    }

    // The one step Line gives, or nothing after the message it showed.
    std::optional<TKeystroke> Parse(const std::string& Line, std::string* Message = nullptr) {
        ClearKeystrokes();
        TScriptedModals Dialogs;
        Dialogs.Press("OK");
        const bool Good = ParseKeystroke(Line, 7, "keys.txt");
        if (!Dialogs.Shown().empty() && Message) {
            EXPECT_EQ(Dialogs.Last().Caption, "Korvid");
            *Message = Dialogs.Last().Message->Text;
        }
        EXPECT_EQ(Good, Dialogs.Shown().empty()) << Line;
        if (!Good) {
            EXPECT_TRUE(Keystrokes().empty()) << Line;
            return std::nullopt;
        }
        EXPECT_EQ(Keystrokes().size(), 1u) << Line;
        return *Keystrokes().front();
    }
};

TKeystroke Key(std::uint16_t Code, std::uint8_t Shift) {
    TKeystroke Step;
    Step.Kind = ksKey;
    Step.Key = Code;
    Step.Shift = Shift;
    return Step;
}

TKeystroke Step(std::uint8_t Kind, std::uint16_t Code, std::uint16_t Command) {
    TKeystroke S;
    S.Kind = Kind;
    S.Code = Code;
    S.Command = Command;
    return S;
}

TEST_F(KeystrokeFile, EachLineGivesItsStep) {
    TKeystroke Save;
    Save.Tool = ToolList().Items(T::FileSave);
    const struct {
        std::string Line;
        TKeystroke Expected;
    } Cases[] = {
        {"Key(38, Shift, Ctrl)", Key(38, 1 | 4)},
        {"key(38,ctrl,shift)", Key(38, 1 | 4)},
        {"KEY(13, alt, left, right, middle, double, bogus)", Key(13, 2 | 8 | 16 | 32 | 64)},
        {"Key(65535)", Key(65535, 0)},
        {"Char(97)", Step(ksChar, 97, 0)},
        {"char(255)", Step(ksChar, 255, 0)},
        {"Command(17, 38)", Step(ksCommand, 38, 17)},
        {"command( 5 ,  0 )", Step(ksCommand, 0, 5)},
        {"Return(1)", Step(ksReturn, 0, 1)},
        {"Tab() anything", Step(ksTab, 0, 0)},
        {"filesave", Save},
        {"FILESAVE", Save},
    };
    for (const auto& C : Cases) {
        const auto Got = Parse(C.Line);
        ASSERT_TRUE(Got) << C.Line;
        EXPECT_EQ(*Got, C.Expected) << C.Line;
    }
}

TEST_F(KeystrokeFile, BadNumbersAreRefusedNotTruncated) {
    for (const std::string Line :
         {"char(65 )", "Char(-1)", "Char(256)", "Char(x)", "Char()", "Key(70000)", "Key(-1, Shift)",
          "Key(-5)", "Command(17)", "Command(70000, 1)", "Command(1, 65536)", "Return(+1)",
          "Return(99999999999999999999)"}) {
        std::string Message;
        EXPECT_FALSE(Parse(Line, &Message)) << Line;
        EXPECT_EQ(Message, "Integer expected at line 7 of keys.txt") << Line;
    }
}

TEST_F(KeystrokeFile, AnUnknownNameIsReportedLowerCased) {
    std::string Message;
    EXPECT_FALSE(Parse("Foo Bar", &Message));
    EXPECT_EQ(Message, "Unknown command foo bar at line 7 of keys.txt");
}

TEST_F(KeystrokeFile, KeysAreStepsOnlyWhileRecording) {
    RecordKey(65, 1 | 4);
    EXPECT_TRUE(Keystrokes().empty());
    StartRecordingKeystrokes();
    RecordKey(65, 1 | 4);
    RecordKey(9, 2 | 64);
    StopRecordingKeystrokes();
    RecordKey(66, 0);
    EXPECT_EQ(KeystrokesText(Keystrokes()), "Key(65, Shift, Ctrl)\r\nKey(9, Alt, Double)\r\n");
}

TEST_F(KeystrokeFile, TheTextFormReadsBackAsTheSameSteps) {
    AddKeystroke(ksTool, ToolList().Items(T::FileNew), 0, 0);
    AddKeystroke(ksChar, nullptr, 97, 0);
    AddKeystroke(ksChar, nullptr, 9, 0); // below 32: no line
    AddKeystroke(ksCommand, nullptr, 38, 17);
    AddKeystroke(ksReturn, nullptr, 0, 1);
    AddKeystroke(ksTab, nullptr, 0, 0);
    const std::string Text = KeystrokesText(Keystrokes());
    EXPECT_EQ(Text, "FileNew\r\nChar(97)\r\nCommand(17, 38)\r\nReturn(1)\r\nTab()\r\n");

    std::vector<std::string> Lines = {"[Set]"};
    for (std::size_t From = 0; From < Text.size();) {
        const auto End = Text.find("\r\n", From);
        Lines.push_back(Text.substr(From, End - From));
        From = End + 2;
    }
    ClearKeystrokes();
    ASSERT_TRUE(LoadKeystrokeSet(Lines, "Set", "keys.txt"));
    EXPECT_EQ(KeystrokesText(Keystrokes()), Text);
}

TEST_F(KeystrokeFile, APickedSetIsTheFirstOfItsExactName) {
    const std::vector<std::string> Lines = {
        "# macros",    "[First]",     "Char(49)",  "",         "  [Twice]  ",
        "  FileSave ", "# a comment", "char(65 )", "Char(50)", "[twice]",
        "Char(51)",    "[Twice]",     "Char(52)",
    };
    EXPECT_EQ(KeystrokeSetNames(Lines),
              (std::vector<std::string>{"First", "Twice", "twice", "Twice"}));

    TScriptedModals Dialogs;
    Dialogs.Press("OK");
    ASSERT_TRUE(LoadKeystrokeSet(Lines, "Twice", "keys.txt"));
    ASSERT_EQ(Dialogs.Shown().size(), 1u);
    EXPECT_EQ(Dialogs.Last().Message->Text, "Integer expected at line 8 of keys.txt");
    EXPECT_EQ(KeystrokesText(Keystrokes()), "FileSave\r\nChar(50)\r\n");

    ASSERT_TRUE(LoadKeystrokeSet(Lines, "twice", "keys.txt"));
    EXPECT_EQ(KeystrokesText(Keystrokes()), "Char(51)\r\n");

    EXPECT_FALSE(LoadKeystrokeSet(Lines, "TWICE", "keys.txt"));
    EXPECT_EQ(KeystrokesText(Keystrokes()), "Char(51)\r\n");
}

// The player walks the steps; nothing may free them under it.
TEST_F(KeystrokeFile, WhilePlayingTheStepsStay) {
    AddKeystroke(ksChar, nullptr, 97, 0);
    SetPlayingKeystrokes(true);
    ClearKeystrokes();
    StartRecordingKeystrokes();
    EXPECT_FALSE(IsRecordingKeystrokes());
    EXPECT_FALSE(LoadKeystrokeSet({"[S]", "Char(98)"}, "S", "keys.txt"));
    EXPECT_EQ(KeystrokesText(Keystrokes()), "Char(97)\r\n");
    SetPlayingKeystrokes(false);
    ClearKeystrokes();
    EXPECT_TRUE(Keystrokes().empty());
}

TEST(Keystrokes, ReportScriptsGoByTheirExtension) {
    EXPECT_TRUE(IsVrepFile("/a/report.VRep"));
    EXPECT_TRUE(IsVrepFile("DISK.VOL>X.vrep"));
    EXPECT_FALSE(IsVrepFile("/a.vrep/report"));
    EXPECT_FALSE(IsVrepFile("report.vrepx"));
    EXPECT_FALSE(IsVrepFile("vrep"));
}

} // namespace
} // namespace korvid::test

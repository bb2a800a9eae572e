#include "app/StartUpUnit.h"
#include "foundation/ConstantsUnit.h"
#include "foundation/RegistryEx.h"
#include "psystem/BrowseVolumeForm.h"
#include "psystem/FilerForm.h"
#include "psystem/MajorVolume.h"
#include "psystem/Subvolume.h"
#include "tests/app/FormFixture.h"
#include "tests/app/ProgramProcess.h"
#include "tests/support/OpenFiles.h"
#include "ui/HackedDialogs.h"
#include "ui/SafeTreeView.h"
#include "workspace/FindInFiles.h"
#include "workspace/KorvidTool.h"
#include "workspace/ToolIndexes.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>

#include <algorithm>
#include <fstream>
#include <map>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;
namespace T = ToolIndex;

// WORK: A.TEXT, SUB.SVOL (B.TEXT and C.TEXT) and Z.DATA.
void BuildBrowsedVolume(const fs::path& Path, const std::string& Name = "WORK") {
    ASSERT_TRUE(CreateVolumeFile(Path, Name, 120));
    TMajorVolume V(Path, true);
    ASSERT_TRUE(V.SaveTextFile("A.TEXT", {"alpha needle"}, false));
    ASSERT_TRUE(V.CopyFileTo(0, "SUB", 30, V));
    ASSERT_TRUE(V.SaveBytes("Z.DATA", "zzzz", fkData, 4));
    TSubvolume Sub(V, "SUB.SVOL");
    ASSERT_TRUE(Sub.SaveTextFile("B.TEXT", {"beta"}, false));
    ASSERT_TRUE(Sub.SaveTextFile("C.TEXT", {"gamma"}, false));
}

using TBrowserStep = std::function<void(TBrowseVolumeForm&)>;

// Selects the first node whose prefixed name holds Part.
void Locate(TBrowseVolumeForm& Browser, const std::string& Part) {
    Browser.FindFileEdit()->setText(QString::fromStdString(Part));
    Browser.GoClick();
}

class TBrowseVolumeTest : public TFormTest {
protected:
    void SetUp() override {
        TFormTest::SetUp();
        Volume = (Dir / "w.vol").string();
        BuildBrowsedVolume(Volume);
    }
    void TearDown() override {
        fs::permissions(Volume, fs::perms::owner_write, fs::perm_options::add);
        TFormTest::TearDown();
    }

    TKorvidForm& MakeAwareForm(bool Aware = true) {
        MakeForm();
        Form->Options().PSystemAware = Aware;
        return *Form;
    }

    // A step run on the browser when it shows; it records what the browser held.
    TModalStep OnBrowser(TBrowserStep Step) {
        return ActOn<TBrowseVolumeForm>([this, Step](TBrowseVolumeForm& Browser) {
            ++BrowserShows;
            Caption = Browser.windowTitle().toStdString();
            Selected = Browser.GetSelectedFileName();
            Step(Browser);
        });
    }
    static TBrowserStep Close(int Result) {
        return [Result](TBrowseVolumeForm& Browser) { Browser.done(Result); };
    }

    std::string Volume;
    TStartUpState StartState;
    int BrowserShows = 0;
    std::string Caption;
    std::string Selected;
};

TEST_F(TBrowseVolumeTest, EachResultActsAndLeavesNoHandleOpen) {
    struct TCase {
        const char* Name;
        bool ReadOnlyVolume;
        TBrowserStep Step;
        std::vector<std::string> Tabs;
        bool ReadOnlyTab;
        std::string ShownAfter; // the dialog the result shows
    };
    const auto OpenB = [](TBrowseVolumeForm& Browser) {
        Locate(Browser, "SUB:B.TEXT");
        Browser.OpenButton()->click();
    };
    const TCase Cases[] = {
        {"OK", false, OpenB, {"B.text"}, false, ""},
        {"OK read-only", true, OpenB, {"B.text"}, true, ""},
        {"Ignore", false, Close(brIgnore), {}, false, "korvid::TFilerForm"},
        {"Cancel", false, Close(brCancel), {}, false, ""},
        {"Retry", false, Close(brRetry), {}, false, ""},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        fs::permissions(Volume, fs::perms::owner_write,
                        Case.ReadOnlyVolume ? fs::perm_options::remove : fs::perm_options::add);
        MakeAwareForm();
        // The filer keeps the volumes of its panes open after it closes; the browser keeps none.
        int FilerHeld = 0;
        TScriptedModals Dialogs;
        Dialogs.Then(OnBrowser(Case.Step)).Then([&FilerHeld](QDialog& Dialog) {
            if (auto* Filer = dynamic_cast<TFilerForm*>(&Dialog))
                FilerHeld =
                    int(bool(Filer->Pane(fsLeft).Volume)) + int(bool(Filer->Pane(fsRight).Volume));
            PressEscape()(Dialog);
        });
        Form->OpenByKind(Volume);
        ASSERT_GE(Dialogs.Shown().size(), 1u);
        EXPECT_EQ(Dialogs.Shown()[0].ClassName, "korvid::TBrowseVolumeForm");
        if (Case.ShownAfter.empty()) {
            EXPECT_EQ(Dialogs.Shown().size(), 1u);
        } else {
            ASSERT_EQ(Dialogs.Shown().size(), 2u);
            EXPECT_EQ(Dialogs.Shown()[1].ClassName, Case.ShownAfter);
        }
        EXPECT_EQ(TabCaptions(), Case.Tabs);
        if (!Case.Tabs.empty()) {
            EXPECT_EQ(Form->ActiveEditor()->FileName, Volume + ">SUB.SVOL:B.TEXT");
            EXPECT_EQ(Form->ActiveEditor()->ReadOnly(), Case.ReadOnlyTab);
            EXPECT_EQ(ActiveText(), "beta");
        }
        EXPECT_EQ(OpenHandlesOf(Volume), FilerHeld);
        Form.reset();
        EXPECT_EQ(OpenHandlesOf(Volume), 0);
    }
}

TEST_F(TBrowseVolumeTest, SearchHandsTheVolumesAndOptionsOver) {
    const std::string Other = (Dir / "other.vol").string();
    BuildBrowsedVolume(Other, "OTHER");
    const std::string Third = (Dir / "lists" / "third.vol").string();
    fs::create_directories(Dir / "lists");
    BuildBrowsedVolume(Third, "THIRD");
    const std::string List = (Dir / "lists" / "volumes.txt").string();
    std::ofstream(List) << Other << "\n\nmissing.vol\nthird.vol\n";
    const std::string Missing = (Dir / "lists" / "missing.vol").string();

    struct TCase {
        const char* Name;
        TBrowserStep Step;
        std::vector<std::string> Volumes; // names as the stand-in saw them
        int Messages;
    };
    const auto Fill = [&List](const char* Select, bool Multiple) {
        return [=](TBrowseVolumeForm& Browser) {
            if (*Select)
                Locate(Browser, Select);
            TBrowseSearchOptions Options;
            Options.Text = "needle";
            Options.MatchCase = true;
            Options.WholeWords = true;
            Options.IgnoreUnderscores = false;
            Options.QuotedOnly = true;
            Options.ContextLines = 3;
            Options.MultipleVolumes = Multiple;
            Options.VolumeList = List;
            Browser.SetSearchOptions(Options);
            Browser.SearchButton()->click();
        };
    };
    const TCase Cases[] = {
        {"the volume", Fill("", false), {"WORK"}, 0},
        {"a file of the volume", Fill("A.TEXT", false), {"WORK"}, 0},
        {"a subvolume", Fill("SUB.SVOL", false), {"SUB"}, 0},
        {"a list of three, one missing", Fill("", true), {"OTHER", "THIRD"}, 1},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        MakeAwareForm();
        std::vector<std::string> Seen;
        TFindSettings Settings;
        Form->VolumeTools().OnBrowseSearch = [&](const std::vector<TVolume*>& Volumes,
                                                 const TFindSettings& Given) {
            for (TVolume* V : Volumes)
                Seen.push_back(V->VolumeName());
            Settings = Given;
        };
        TScriptedModals Dialogs;
        Dialogs.Then(OnBrowser(Case.Step)).Press("OK");
        Form->OpenByKind(Volume);
        EXPECT_EQ(Seen, Case.Volumes);
        EXPECT_EQ(Settings.Text, "needle");
        EXPECT_TRUE(Settings.MatchCase);
        EXPECT_TRUE(Settings.WholeWords);
        EXPECT_FALSE(Settings.IgnoreUnderscores);
        EXPECT_TRUE(Settings.QuotedOnly);
        EXPECT_EQ(Settings.ContextLines, 3);
        EXPECT_EQ(Settings.Location, 0);
        ASSERT_EQ(int(Dialogs.Shown().size()), 1 + Case.Messages);
        if (Case.Messages) {
            EXPECT_EQ(Dialogs.Last().Caption, UnreadableVolumeCaption);
            ASSERT_TRUE(Dialogs.Last().Message);
            EXPECT_EQ(Dialogs.Last().Message->Text,
                      UnreadableVolumeText("Can't open major volume '" + Missing + "'"));
        }
        for (const std::string& Path : {Volume, Other, Third})
            EXPECT_EQ(OpenHandlesOf(Path), 0) << Path;
        Form.reset();
    }
}

TEST_F(TBrowseVolumeTest, ASearchOfTheVolumeListsItsMatches) {
    MakeAwareForm();
    TScriptedModals Dialogs;
    Dialogs.Then(OnBrowser([](TBrowseVolumeForm& Browser) {
        Browser.FindTextEdit()->setText("needle");
        Browser.SearchButton()->click();
    }));
    Form->OpenByKind(Volume);
    ASSERT_EQ(TabCaptions(), (std::vector<std::string>{"Find: needle"}));
    EXPECT_NE(ActiveText().find("alpha needle"), std::string::npos);
}

TEST_F(TBrowseVolumeTest, AVolumeFileReachesTheBrowserByEveryRoad) {
    const auto DropIt = [this] { Form->OpenDroppedFiles({Volume}, false); };
    const auto History = [this] {
        Form->History().AddToHistory(Volume);
        Form->ReopenCommandClick(0);
    };
    const auto FileOpen = [] { ToolList().Items(ToolIndex::FileOpen)->Execute(); };
    const auto CommandLine = [this] {
        TStartUpState State;
        State.BackupFolder = Dir / "Backup";
        State.Parameters = BuildParameterList({QString::fromStdString(Volume)});
        FormFirstShow(*Form, State);
    };
    const auto HandOver = [this] {
        InstallStartUpHooks(*Form, StartState);
        {
            TRegistryEx Reg;
            ASSERT_TRUE(Reg.OpenKey("\\" + std::string(InternalKey), true));
            Reg.WriteString("FN5", Volume);
        }
        Form->HandOverMessage(5);
        QCoreApplication::processEvents();
    };
    const std::vector<std::pair<const char*, std::function<void()>>> Roads = {
        {"drop", DropIt},        {"History", History},
        {"File Open", FileOpen}, {"command line", CommandLine},
        {"hand-over", HandOver},
    };
    for (const bool Aware : {true, false}) {
        for (const auto& [Name, Road] : Roads) {
            SCOPED_TRACE(std::string(Name) + (Aware ? " aware" : " unaware"));
            MakeAwareForm(Aware);
            BrowserShows = 0;
            TScriptedModals Dialogs;
            if (std::string_view(Name) == "File Open")
                Dialogs.Then(ChooseFiles({Volume}));
            Dialogs.Then(OnBrowser(Close(brCancel)));
            Road();
            if (Aware) {
                EXPECT_EQ(BrowserShows, 1);
                EXPECT_EQ(Caption, Volume + "     unversioned");
                EXPECT_EQ(Selected, "WORK");
                for (const std::string& Tab : TabCaptions())
                    EXPECT_EQ(Tab.find(".vol"), std::string::npos) << Tab;
            } else {
                // Opened as a file: its bytes are binary, which the opener asks about.
                EXPECT_EQ(BrowserShows, 0);
                ASSERT_FALSE(Dialogs.Shown().empty());
                ASSERT_TRUE(Dialogs.Last().Message);
                EXPECT_NE(Dialogs.Last().Message->Text.find("w.vol"), std::string::npos)
                    << Dialogs.Last().Message->Text;
            }
            Form.reset();
        }
    }
}

TEST_F(TBrowseVolumeTest, BrowseVolumeStartsAtTheDocumentsSubvolume) {
    MakeAwareForm();
    EXPECT_FALSE(ToolEnabled(ToolIndex::FileBrowseVolume));
    Form->OpenFile(Volume + ">SUB.SVOL:C.TEXT", false, {});
    ASSERT_TRUE(ToolEnabled(ToolIndex::FileBrowseVolume));
    for (const bool FocusFindText : {true, false}) {
        Form->Options().FocusFindText = FocusFindText;
        QWidget* Focus = nullptr;
        TScriptedModals Dialogs;
        Dialogs.Then(OnBrowser([&Focus](TBrowseVolumeForm& Browser) {
            Focus = Browser.focusWidget();
            Browser.done(brCancel);
        }));
        ToolList().Items(ToolIndex::FileBrowseVolume)->Execute();
        EXPECT_EQ(Selected, "SUB.SVOL");
        TBrowseVolumeForm& Browser = Form->VolumeTools().BrowseVolumeForm();
        EXPECT_EQ(Focus, FocusFindText ? static_cast<QWidget*>(Browser.FindTextEdit())
                                       : static_cast<QWidget*>(Browser.Tree()));
    }
    EXPECT_EQ(BrowserShows, 2);
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"C.text"}));
}

TEST_F(TBrowseVolumeTest, SearchSettingsSurviveARestart) {
    MakeAwareForm();
    const auto Initial = Form->VolumeTools().BrowseVolumeForm().SearchOptions();
    EXPECT_FALSE(Initial.MatchCase);
    EXPECT_FALSE(Initial.WholeWords);
    EXPECT_TRUE(Initial.IgnoreUnderscores);
    {
        TScriptedModals Dialogs;
        Dialogs.Then(OnBrowser([](TBrowseVolumeForm& Browser) {
            TBrowseSearchOptions Options = Browser.SearchOptions();
            Options.MatchCase = true;
            Options.WholeWords = true;
            Options.IgnoreUnderscores = false;
            Options.QuotedOnly = true;
            Options.VolumeList = "/lists/volumes.txt";
            Browser.SetSearchOptions(Options);
            Browser.done(brCancel);
        }));
        Form->OpenByKind(Volume);
    }
    Form.reset();
    {
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenKeyReadOnly(BrowseVolumeKeys[CurrentKeyIndex]));
        EXPECT_TRUE(Reg.ReadBool("Match Case"));
        EXPECT_TRUE(Reg.ReadBool("Whole Words"));
        EXPECT_FALSE(Reg.ReadBool("Ignore Underscores"));
        Reg.CloseKey();
        ASSERT_TRUE(Reg.OpenKeyReadOnly(OptionsKeys[CurrentKeyIndex]));
        EXPECT_EQ(Reg.ReadString("Multiple Volume Search List"), "/lists/volumes.txt");
    }
    MakeAwareForm();
    TBrowseSearchOptions Shown;
    TScriptedModals Dialogs;
    Dialogs.Then(OnBrowser([&Shown](TBrowseVolumeForm& Browser) {
        Shown = Browser.SearchOptions();
        Browser.done(brCancel);
    }));
    Form->OpenByKind(Volume);
    EXPECT_TRUE(Shown.MatchCase);
    EXPECT_TRUE(Shown.WholeWords);
    EXPECT_FALSE(Shown.IgnoreUnderscores);
    EXPECT_EQ(Shown.VolumeList, "/lists/volumes.txt");
}

TEST_F(TBrowseVolumeTest, AVolumeThatDoesNotOpenShowsItsMessageAndOpensNothing) {
    const std::string Missing = (Dir / "missing.vol").string();
    const std::string Zeros = File("zeros.vol", std::string(4096, '\0'));
    const std::string Broken = (Dir / "broken.vol").string();
    fs::copy_file(Volume, Broken);
    {
        TMajorVolume V(Broken, false);
        const int First = V.FileInfo(0, "SUB.SVOL").FirstBlock;
        std::fstream Out(Broken, std::ios::in | std::ios::out | std::ios::binary);
        // The first word of the subvolume's directory, which must be 0.
        Out.seekp(std::streamoff(First) * 512 + 1024);
        Out.put('\7');
    }
    const std::pair<std::string, std::string> Cases[] = {
        {Missing, "Can't open major volume '" + Missing + "'"},
        {Zeros, "'" + Zeros + "' is not a p-System volume"},
        {Broken, "'" + Broken + ">SUB.SVOL' is not a p-System volume"},
    };
    for (const auto& [Path, Message] : Cases) {
        SCOPED_TRACE(Path);
        MakeAwareForm();
        TScriptedModals Dialogs;
        Dialogs.Press("OK");
        Form->OpenByKind(Path);
        ASSERT_EQ(Dialogs.Shown().size(), 1u);
        ASSERT_TRUE(Dialogs.Last().Message);
        EXPECT_EQ(Dialogs.Last().Message->Text, Message);
        EXPECT_EQ(Form->TabCount(), 0);
        if (fs::exists(Path)) {
            EXPECT_EQ(OpenHandlesOf(Path), 0);
        }
        Form.reset();
    }
}

// F2 with a plain file active and no volume in Favourites: the filer says what it needs.
TEST_F(TBrowseVolumeTest, F2WithAPlainFileSaysWhatTheFilerNeeds) {
    MakeAwareForm();
    Form->OpenFile(File("plain.txt", "text\r\n"), false, {});
    ASSERT_EQ(Form->TabCount(), 1);
    ASSERT_TRUE(ToolEnabled(T::ViewPSystemFiler));
    ExpectMessage(T::ViewPSystemFiler, "p-System Filer",
                  "Open a p-System volume, or add one to Favourites, to use the filer.");
}

// A filer never placed before opens centred on the screen, at the size it gives itself.
TEST_F(TBrowseVolumeTest, TheFilerFirstOpensCentred) {
    MakeAwareForm();
    QRect Shown;
    TScriptedModals Dialogs;
    Dialogs.Then([&Shown](QDialog& Dialog) {
        Shown = QRect(Dialog.pos(), Dialog.size());
        Dialog.reject();
    });
    Form->VolumeTools().Filer().Execute(Volume);
    ASSERT_EQ(Dialogs.Shown().size(), 1u);
    if (QGuiApplication::primaryScreen()->geometry().width() > 1000) {
        EXPECT_EQ(Shown.size(), QSize(911, 750));
    }
    const QRect Screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(std::abs(Shown.center().x() - Screen.center().x()), 1) << Shown.x();
    EXPECT_LE(std::abs(Shown.center().y() - Screen.center().y()), 1) << Shown.y();
}

// Writes a 16-bit word or a byte into a directory of the volume file.
void PatchDirectory(const std::string& Path, std::int64_t Position, int Value, bool IsWord) {
    std::fstream Out(Path, std::ios::in | std::ios::out | std::ios::binary);
    Out.seekp(std::streamoff(Position));
    Out.put(char(Value & 0xFF));
    if (IsWord)
        Out.put(char(Value >> 8 & 0xFF));
}

// A damaged directory opens read-only, and the user is told why, once, by whichever window
// opened it; nothing is written.
TEST_F(TBrowseVolumeTest, ADamagedDirectoryIsToldOnceWhenTheVolumeOpens) {
    std::int64_t SubBase = 0;
    {
        TMajorVolume V(Volume, false);
        SubBase = std::int64_t(V.FileInfo(0, "SUB.SVOL").FirstBlock) * 512;
    }
    const auto Field = [](int Entry, int Offset, std::int64_t Base = 0) {
        return Base + DirectoryOffset + Entry * EntrySize + Offset;
    };
    const std::string Sub = Volume + ">SUB.SVOL";
    const struct {
        const char* Name;
        std::int64_t Position;
        int Value;
        bool IsWord;
        std::string Described; // the volume as the message names it
        std::string Reason;
    } Damages[] = {
        {"count above 77", Field(0, HeaderFileCount), 78, true, Volume, "it lists 78 files"},
        {"volume name too long", Field(0, HeaderName), 200, false, Volume,
         "the volume name is too long"},
        {"file name too long", Field(1, EntryName), 16, false, Volume, "file 1 has a bad name"},
        {"end of volume beyond the file", Field(0, HeaderEndOfVolume), 121, true, Volume,
         "the end of the volume lies beyond its file"},
        {"subvolume file beyond its end", Field(1, EntryEndBlock, SubBase), 40, true, Sub,
         "file 1 lies beyond the end of the volume"},
    };
    const std::string Good = ReadFileBytes(Volume);
    for (const auto& Damage : Damages) {
        for (const bool ByFiler : {false, true}) {
            SCOPED_TRACE(std::string(Damage.Name) + (ByFiler ? ", filer" : ", browser"));
            WriteFileBytes(Volume, Good);
            PatchDirectory(Volume, Damage.Position, Damage.Value, Damage.IsWord);
            const std::string Damaged = ReadFileBytes(Volume);
            MakeAwareForm();
            bool Entered = false;
            // Every dialog takes this step: messages are answered, the filer enters the
            // subvolume once and is closed, the browser is closed.
            const TModalStep Answer = [&](QDialog& Dialog) {
                if (dynamic_cast<TMessageForm*>(&Dialog)) {
                    PressButton("OK")(Dialog);
                    return;
                }
                if (auto* Filer = dynamic_cast<TFilerForm*>(&Dialog);
                    Filer && Damage.Described == Sub && !Entered) {
                    Entered = true;
                    const auto Items = Filer->ShownItems(fsLeft);
                    for (std::size_t Row = 0; Row < Items.size(); ++Row)
                        if (Items[Row].StoredName == "SUB.SVOL")
                            Filer->SelectRows(fsLeft, {int(Row)});
                    Filer->RunCommand(fcmOpen);
                    // Back up and into it again: told once.
                    Filer->RunCommand(fcmUpOneLevel);
                    Filer->RunCommand(fcmOpen);
                }
                PressEscape()(Dialog);
            };
            TScriptedModals Dialogs;
            for (int Step = 0; Step < 6; ++Step)
                Dialogs.Then(Answer);
            if (ByFiler)
                Form->VolumeTools().Filer().Execute(Volume);
            else
                Form->VolumeTools().BrowseVolume(Volume, {});
            std::vector<std::string> Messages;
            for (const TShownDialog& Shown : Dialogs.Shown())
                if (Shown.Message)
                    Messages.push_back(Shown.Caption + ": " + Shown.Message->Text);
            EXPECT_EQ(Messages,
                      std::vector<std::string>{"Damaged Volume: The directory of volume '" +
                                               Damage.Described + "' is damaged (" + Damage.Reason +
                                               "); the volume can only be read."});
            const std::string Window = ByFiler ? "korvid::TFilerForm" : "korvid::TBrowseVolumeForm";
            EXPECT_EQ(std::count_if(Dialogs.Shown().begin(), Dialogs.Shown().end(),
                                    [&](const TShownDialog& D) { return D.ClassName == Window; }),
                      1);
            Form.reset();
            EXPECT_EQ(ReadFileBytes(Volume), Damaged);
        }
    }
}

// A volume named on the command line is browsed while the window starts: what it opens is a
// document, not the blank start-up tab that the next file would replace.
class TBrowseAtStartTest : public TProgramFormTest {};

TEST_F(TBrowseAtStartTest, WhatTheBrowserOpensStays) {
    const std::string Volume = (Dir / "w.vol").string();
    BuildBrowsedVolume(Volume);
    MakeProgramForm();
    Form->Options().PSystemAware = true;
    Form->SetStartingUp(true);
    {
        TScriptedModals Dialogs;
        Dialogs.Then(ActOn<TBrowseVolumeForm>([](TBrowseVolumeForm& Browser) {
            Browser.GrabListingClick();
            Locate(Browser, "SUB:B.TEXT");
            Browser.OpenButton()->click();
        }));
        Form->OpenByKind(Volume);
    }
    Form->SetStartingUp(false);
    Form->OpenFile(File("other.txt", "other"), false, {});
    const std::vector<std::string> Tabs = TabCaptions();
    ASSERT_EQ(Tabs.size(), 3u);
    EXPECT_EQ(Tabs[0], "Listing");
    EXPECT_EQ(Tabs[1], "B.text");
}

// The built program opens the volume named on its command line in the browser; the user
// locates B.TEXT, opens, edits and saves it.
TEST_F(TProgramTest, TheBrowserOpensAFileOfTheVolumeForEditing) {
    const fs::path Volume = Dir / "w.vol";
    BuildBrowsedVolume(Volume);
    {
        const auto Settings = Dir / "config" / "korvid" / "registry";
        fs::create_directories(Settings.parent_path());
        TScopedRegistryStore Store(Settings);
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenSettingsKeyForWrite(OptionsKeys));
        Reg.WriteBool("p-System Aware", true);
        Reg.WriteBool("Save p-System", false);
    }
    const auto Before = [&Volume] {
        std::map<std::string, std::string> Files;
        TMajorVolume V(Volume, false);
        V.Enumerate(false, [&](const TFileInfo& Info) {
            Files[Info.Name] = V.ReadFileData(Info.Index, {});
            return true;
        });
        TSubvolume Sub(V, "SUB.SVOL");
        Sub.Enumerate(false, [&](const TFileInfo& Info) {
            Files["SUB.SVOL:" + Info.Name] = Sub.ReadFileData(Info.Index, {});
            return true;
        });
        return Files;
    };
    auto Expected = Before();
    Run(Volume, "set Locate file: => B.T\n"
                "click Go\n"
                "click Open\n"
                "type edited \n"
                "key Ctrl+S\n"
                "close\n");
    auto After = Before();
    TMajorVolume V(Volume, false);
    TSubvolume Sub(V, "SUB.SVOL");
    EXPECT_EQ(Sub.ReadFileLines(0, "B.TEXT"), (std::vector<std::string>{"edited beta"}));
    Expected.erase("SUB.SVOL:B.TEXT");
    Expected.erase("SUB.SVOL");
    After.erase("SUB.SVOL:B.TEXT");
    After.erase("SUB.SVOL");
    EXPECT_EQ(After, Expected);
}

} // namespace
} // namespace korvid::test

#include "FormFixture.h"

#include "editor/engine/EngCustomEditor.h"
#include "foundation/RegistryEx.h"
#include "workspace/ToolIndexes.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QStatusBar>

namespace korvid::test {
namespace {

namespace T = ToolIndex;

class TSettingsTest : public TFormTest {
protected:
    static void Write(std::string_view Key, const std::function<void(TRegistryEx&)>& Values) {
        TRegistryEx Reg;
        ASSERT_TRUE(Reg.OpenKey(Key, true));
        Values(Reg);
    }
    static bool KeyExists(std::string_view Key) {
        TRegistryEx Reg;
        return Reg.KeyExists(Key);
    }
    static int ReadInteger(std::string_view Key, std::string_view Name, int Default = -1) {
        TRegistryEx Reg;
        if (!Reg.OpenKeyReadOnly(Key))
            return Default;
        return Reg.ReadIntegerDefault(Name, Default);
    }
    static bool ValueExists(std::string_view Key, std::string_view Name) {
        TRegistryEx Reg;
        return Reg.OpenKeyReadOnly(Key) && Reg.ValueExists(Name);
    }
    static std::string ReadString(std::string_view Key, std::string_view Name) {
        TRegistryEx Reg;
        return Reg.OpenKeyReadOnly(Key) ? Reg.ReadStringDefault(Name, "?") : "?";
    }
    static constexpr std::string_view Current(const TSettingsKeyPair& Pair) {
        return Pair[CurrentKeyIndex];
    }
    static constexpr std::string_view Legacy(const TSettingsKeyPair& Pair) {
        return Pair[LegacyKeyIndex];
    }
};

TEST_F(TSettingsTest, AFirstRunKeepsEveryDefaultAndCreatesNothingOnTheLegacySide) {
    TRegistryEx().DeleteKey(Current(RootKeys));
    MakeForm();
    EXPECT_EQ(Form->width(), 1820);
    EXPECT_FALSE(Form->Options().HideExtensions);
    EXPECT_EQ(Form->WindowSettings().OpenFolder, QDir::homePath().toStdString());
    EXPECT_TRUE(Form->WindowSettings().PasswordAsAsterisks);
    Form.reset();
    EXPECT_FALSE(KeyExists(Legacy(RootKeys)));
    EXPECT_FALSE(KeyExists(Legacy(KeyboardKeys)));
    for (const auto* Pair :
         {&RootKeys, &FilerKeys, &HistoryKeys, &BrowseVolumeKeys, &OptionsKeys, &SortKeys})
        EXPECT_TRUE(KeyExists(Current(*Pair))) << Current(*Pair);
    EXPECT_EQ(ReadInteger(Current(RootKeys), "Window Width"), 1820);
    EXPECT_EQ(ReadInteger(Current(RootKeys), "Window Left"), 50);
}

TEST_F(TSettingsTest, ANewConfigurationBacksUpEveryMinuteAndAnExistingOneKeepsItsValue) {
    struct TCase {
        const char* Name;
        std::function<void()> Store;
        int Minutes;
    };
    const TCase Cases[] = {
        {"no settings at all", [] {}, 1},
        {"options without the value",
         [] { Write(Current(OptionsKeys), [](TRegistryEx& Reg) { Reg.WriteBool("x", true); }); },
         0},
        {"backups off",
         [] {
             Write(Current(OptionsKeys),
                   [](TRegistryEx& Reg) { Reg.WriteInteger("Backup Minutes", 0); });
         },
         0},
        {"legacy options",
         [] {
             Write(Legacy(OptionsKeys),
                   [](TRegistryEx& Reg) { Reg.WriteInteger("Backup Minutes", 7); });
         },
         7},
    };
    for (const TCase& Case : Cases) {
        TRegistryEx().DeleteKey(Current(RootKeys));
        TRegistryEx().DeleteKey(Legacy(RootKeys));
        Case.Store();
        MakeForm();
        EXPECT_EQ(Form->Options().BackupMinutes, Case.Minutes) << Case.Name;
        Form.reset();
    }
}

// Settings changed in a dialog are in the store as soon as it is accepted, not only after a
// clean exit; a dialog left with Cancel stores nothing.
TEST_F(TSettingsTest, AcceptedDialogsStoreTheirSettingsAtOnce) {
    MakeForm();
    ASSERT_EQ(Form->Options().BackupMinutes, 0);
    const auto TickBackups = [](QDialog& Dialog) {
        for (QCheckBox* Box : Dialog.findChildren<QCheckBox*>())
            if (Box->text().remove('&').startsWith("Backup all open files every"))
                Box->setChecked(true);
        for (QLineEdit* Edit : Dialog.findChildren<QLineEdit*>())
            if (Edit->objectName() == "Backup Minutes Edit")
                Edit->setText("1");
    };
    {
        TScriptedModals Dialogs;
        Dialogs.Then(TickBackups).Press("Cancel");
        Form->ViewOptions();
    }
    EXPECT_FALSE(ValueExists(Current(OptionsKeys), "Backup Minutes"));
    {
        TScriptedModals Dialogs;
        Dialogs.Then(TickBackups).Press("OK");
        Form->ViewOptions();
    }
    EXPECT_EQ(ReadInteger(Current(OptionsKeys), "Backup Minutes"), 1);

    Form->FileNew();
    {
        TScriptedModals Dialogs;
        Dialogs
            .Then([](QDialog& Dialog) {
                for (QCheckBox* Box : Dialog.findChildren<QCheckBox*>())
                    if (Box->text().remove(QChar('&')) == "Case-sensitive")
                        Box->setChecked(!Box->isChecked());
            })
            .Press("OK");
        Form->FormatSort();
    }
    EXPECT_EQ(ReadInteger(Current(SortKeys), "Case Sensitive", -1),
              Form->FindReplace().SortOptions().CaseSensitive ? 1 : 0);
}

// The editors' caret goes after pasted text exactly when "Move After Paste" says so.
TEST_F(TSettingsTest, MoveAfterPasteReachesTheEditors) {
    for (const bool Stored : {true, false}) {
        Write(Current(OptionsKeys),
              [&](TRegistryEx& Reg) { Reg.WriteBool("Move After Paste", Stored); });
        TEngCustomEditor::MoveAfterPaste = !Stored;
        MakeForm();
        EXPECT_EQ(TEngCustomEditor::MoveAfterPaste, Stored);
        Form.reset();
    }
    TRegistryEx().DeleteKey(Current(OptionsKeys));
    MakeForm();
    EXPECT_TRUE(TEngCustomEditor::MoveAfterPaste) << "the option's default";
}

TEST_F(TSettingsTest, AMaximisedWindowStoresItsNormalRectangle) {
    MakeForm();
    Form->setGeometry(120, 90, 900, 700);
    Form->show();
    Form->showMaximized();
    QApplication::processEvents();
    ASSERT_TRUE(Form->isMaximized());
    Form.reset();
    EXPECT_EQ(ReadInteger(Current(RootKeys), "Window Width"), 900);
    EXPECT_EQ(ReadInteger(Current(RootKeys), "Window Height"), 700);
    EXPECT_EQ(ReadInteger(Current(RootKeys), "Window Left"), 120);
    EXPECT_EQ(ReadInteger(Current(RootKeys), "Window Top"), 90);
    TRegistryEx Reg;
    ASSERT_TRUE(Reg.OpenKeyReadOnly(Current(RootKeys)));
    EXPECT_TRUE(Reg.ReadBoolDefault("Window Maximized", false));

    MakeForm();
    EXPECT_TRUE(Form->windowState().testFlag(Qt::WindowMaximized));
    EXPECT_EQ(Form->normalGeometry().size(), QSize(900, 700));
}

TEST_F(TSettingsTest, LegacySettingsAreReadAndWrittenBackToTheCurrentSide) {
    TRegistryEx().DeleteKey(Current(RootKeys));
    Write(Legacy(RootKeys), [](TRegistryEx& Reg) {
        Reg.WriteInteger("Window Width", 1000);
        Reg.WriteInteger("Window Height", 600);
        Reg.WriteString("Open Folder", "a:\\work\\src");
        Reg.WriteInteger("Debugging Bar Tab", 9);
        Reg.WriteBool("View Status Bar", false);
    });
    Write(Legacy(FilerKeys), [](TRegistryEx& Reg) { Reg.WriteInteger("Window Left", 33); });
    Write(Legacy(BrowseVolumeKeys),
          [](TRegistryEx& Reg) { Reg.WriteBool("Ignore Underscores", false); });
    Write(Legacy(OptionsKeys), [](TRegistryEx& Reg) { Reg.WriteBool("Hide Extensions", true); });
    Write(Legacy(KeyboardKeys),
          [](TRegistryEx& Reg) { Reg.WriteInteger("FileNew", 0x4000 + 'J'); });

    MakeForm();
    EXPECT_EQ(Form->width(), 1000);
    EXPECT_EQ(Form->height(), 600);
    EXPECT_EQ(Form->WindowSettings().OpenFolder, "A:\\");
    EXPECT_EQ(Form->WindowSettings().DebuggingBarTab, 0);
    EXPECT_TRUE(Form->statusBar()->isHidden());
    EXPECT_FALSE(ToolDown(T::ViewStatusBar));
    EXPECT_EQ(Form->WindowSettings().Filer.Left, 33);
    EXPECT_FALSE(Form->WindowSettings().BrowseIgnoreUnderscores);
    EXPECT_TRUE(Form->Options().HideExtensions);
    EXPECT_EQ(ToolList().Items(T::FileNew)->ShortCut(), 0x4000 + 'J');
    // A shortcut changed in this first session is kept too.
    ToolList().Items(T::FileOpen)->SetShortCut(0x4000 + 'K');
    Form.reset();

    EXPECT_EQ(ReadInteger(Current(RootKeys), "Window Width"), 1000);
    EXPECT_EQ(ReadString(Current(RootKeys), "Open Folder"), "A:\\");
    EXPECT_EQ(ReadInteger(Current(FilerKeys), "Window Left"), 33);
    EXPECT_EQ(ReadInteger(Current(KeyboardKeys), "FileNew"), 0x4000 + 'J');
    EXPECT_EQ(ReadInteger(Current(KeyboardKeys), "FileOpen"), 0x4000 + 'K');
    EXPECT_FALSE(ValueExists(Legacy(RootKeys), "Window Maximized"));

    // The next start reads the current side.
    Write(Current(RootKeys), [](TRegistryEx& Reg) { Reg.WriteInteger("Window Width", 1111); });
    BuildTools();
    MakeForm();
    EXPECT_EQ(Form->width(), 1111);
    EXPECT_EQ(ToolList().Items(T::FileOpen)->ShortCut(), 0x4000 + 'K');
}

TEST_F(TSettingsTest, AShortcutBackAtItsDefaultLosesItsValue) {
    Write(Current(KeyboardKeys), [](TRegistryEx& Reg) {
        Reg.WriteInteger("FileNew", 0x4000 + 'J');
        Reg.WriteInteger("FileOpen", 0x4000 + 'K');
    });
    MakeForm();
    ASSERT_EQ(ToolList().Items(T::FileNew)->ShortCut(), 0x4000 + 'J');
    ToolList().Items(T::FileNew)->SetShortCut(DefaultShortCut(T::FileNew));
    Form.reset();
    EXPECT_FALSE(ValueExists(Current(KeyboardKeys), "FileNew"));
    EXPECT_EQ(ReadInteger(Current(KeyboardKeys), "FileOpen"), 0x4000 + 'K');
}

TEST_F(TSettingsTest, ChildWindowPlacesAndChecksRoundTrip) {
    MakeForm();
    auto& S = Form->WindowSettings();
    S.History = {11, 12, 300, 200, false};
    S.HistoryVisible = true;
    S.HistoryColumnWidths = {1, 2, 3, 4};
    S.Filer.Maximized = true;
    S.BrowseMatchCase = true;
    S.FindFormLeft = 77;
    S.MultipleVolumeSearchList = "a.vol;b.vol";
    Form->FindReplace().SortOptions().Numerical = true;
    Form.reset();
    MakeForm();
    const auto& R = Form->WindowSettings();
    EXPECT_EQ(R.History.Left, 11);
    EXPECT_EQ(R.History.Width, 300);
    EXPECT_TRUE(R.HistoryVisible);
    EXPECT_TRUE(ToolDown(T::ViewHistory));
    EXPECT_EQ(R.HistoryColumnWidths, (std::array<int, 4>{1, 2, 3, 4}));
    EXPECT_TRUE(R.Filer.Maximized);
    EXPECT_TRUE(R.BrowseMatchCase);
    EXPECT_EQ(R.FindFormLeft, 77);
    EXPECT_EQ(R.MultipleVolumeSearchList, "a.vol;b.vol");
    EXPECT_TRUE(Form->FindReplace().SortOptions().Numerical);
}

TEST_F(TSettingsTest, HistoryPersistsThroughItsFile) {
    MakeForm();
    Form->OpenFile(File("a.txt", "a"), false, {});
    Form->OpenFile(File("b.txt", "b"), false, {});
    ASSERT_TRUE(Form->FormCloseQuery());
    Form.reset();
    MakeForm();
    ASSERT_EQ(Form->History().Count(), 2);
    EXPECT_EQ(Form->History().PathOfRank(0), (Dir / "b.txt").string());
}

} // namespace
} // namespace korvid::test

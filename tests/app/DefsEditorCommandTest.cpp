#include "devtools/definitions/DefsEditorForm.h"
#include "devtools/definitions/DefsFile.h"
#include "psystem/Volume.h"
#include "tests/app/FormFixture.h"
#include "workspace/ToolIndexes.h"

namespace korvid::test {
namespace {

namespace T = ToolIndex;

// Alt+F2 edits the definitions of the document in hand and keeps where the editor was left.
class TDefsEditorCommandTest : public TFormTest {
protected:
    void SetUp() override {
        TFormTest::SetUp();
        ASSERT_TRUE(CreateVolumeFile(Dir / "work.vol", "WORK", 100));
        TDefsList List;
        List.File(1).Name = "customer";
        List.File(1).Field(1).Name = "name";
        List.File(1).Field(1).FieldType = dfString;
        List.File(1).Field(1).Elements = 1;
        ComputeRecordLayout(List.File(1));
        List.Path = DefsPath;
        ASSERT_TRUE(SaveDefsToVolume(List));
    }

    // Runs the command on a document named Name; answers the editor's caption and place.
    std::pair<std::string, QPoint> RunEditorOn(const std::string& Name, QPoint MoveTo = {}) {
        Form->FileNew();
        Form->ActiveEditor()->FileName = Name;
        std::string Caption;
        QPoint Place;
        TScriptedModals Dialogs;
        Dialogs.Then(ActOn<TDefsEditorForm>(std::function([&](TDefsEditorForm& Editor) {
            Caption = Editor.windowTitle().toStdString();
            Place = Editor.pos();
            if (!MoveTo.isNull())
                Editor.move(MoveTo);
            Editor.reject();
        })));
        ToolList().Items(T::ViewDefsEditor)->Execute();
        EXPECT_EQ(Dialogs.Shown().size(), 1u);
        return {Caption, Place};
    }

    const std::string DefsPath = (Dir / "work.vol").string() + ">APP.DEFS";
};

TEST_F(TDefsEditorCommandTest, OpensTheActiveDefinitions) {
    MakeForm();
    EXPECT_EQ(RunEditorOn(DefsPath).first, DefsPath);
    EXPECT_EQ(RunEditorOn((Dir / "notes.txt").string()).first, "Defs Editor");
}

TEST_F(TDefsEditorCommandTest, KeepsItsPlace) {
    MakeForm();
    EXPECT_EQ(Form->WindowSettings().DefsEditorFormLeft, OffScreenPosition);
    const QPoint First = RunEditorOn(DefsPath, QPoint(210, 120)).second;
    EXPECT_GE(First.x(), 0); // centred, having no place yet
    EXPECT_GE(First.y(), 0);
    EXPECT_EQ(Form->WindowSettings().DefsEditorFormLeft, 210);
    EXPECT_EQ(Form->WindowSettings().DefsEditorFormTop, 120);
    EXPECT_EQ(RunEditorOn(DefsPath).second, QPoint(210, 120));
}

} // namespace
} // namespace korvid::test

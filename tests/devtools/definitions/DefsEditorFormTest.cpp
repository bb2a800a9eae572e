#include "devtools/definitions/DefsEditorForm.h"
#include "devtools/definitions/DefsMessages.h"
#include "psystem/VolumeFile.h"
#include "tests/devtools/definitions/DefsTestSupport.h"
#include "ui/VariablesImages.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>

namespace korvid::test {
namespace {

using TForm = TDefsEditorForm;

std::string Text(const QString& S) {
    return S.toStdString();
}

// "caption|text" of the message boxes a script saw.
std::vector<std::string> Said(const TScriptedModals& Script) {
    std::vector<std::string> Result;
    for (const TShownDialog& Shown : Script.Shown())
        if (Shown.Message)
            Result.push_back(Shown.Message->Caption + "|" + Shown.Message->Text);
    return Result;
}

class TDefsEditorTest : public TDefsTest {
protected:
    void SetUp() override {
        TDefsTest::SetUp();
        Form = std::make_unique<TForm>();
        QObject::connect(Form.get(), &QDialog::finished, [this] { ++Closed; });
    }

    // Loads APP.DEFS, or the list given, stored under that name first.
    void Load(const std::string& Name = "APP.DEFS") { Form->LoadDefsByPath(VolumePath(Name)); }
    void LoadList(TDefsList& List, const std::string& Name = "APP.DEFS") {
        for (const auto& File : List)
            ComputeRecordLayout(*File);
        Store(Name, SerialisedImage(List));
        Load(Name);
    }

    template <class T = QWidget> T* Child(const char* Name) const {
        T* Found = Form->findChild<T*>(Name);
        EXPECT_NE(Found, nullptr) << Name;
        return Found;
    }
    QTreeWidget* Tree() const { return Child<QTreeWidget>("Tree"); }
    QLineEdit* Edit(const char* Name) const { return Child<QLineEdit>(Name); }
    QComboBox* Combo(const char* Name) const { return Child<QComboBox>(Name); }
    std::string Page() const {
        return Text(Child<QStackedWidget>("Notebook")->currentWidget()->objectName());
    }

    // The node of File, or of its child Item.
    QTreeWidgetItem* Node(const std::string& File, const std::string& Item = "") const {
        for (int I = 0; I < Tree()->topLevelItemCount(); ++I) {
            QTreeWidgetItem* F = Tree()->topLevelItem(I);
            if (Text(F->text(0)) != File)
                continue;
            if (Item.empty())
                return F;
            for (int C = 0; C < F->childCount(); ++C)
                if (Text(F->child(C)->text(0)) == Item)
                    return F->child(C);
        }
        ADD_FAILURE() << "no node " << File << "/" << Item;
        return nullptr;
    }
    void Select(const std::string& File, const std::string& Item = "") {
        Tree()->setCurrentItem(Node(File, Item));
    }
    std::vector<std::string> Children(QTreeWidgetItem* Parent) const {
        std::vector<std::string> Texts;
        for (int C = 0; C < Parent->childCount(); ++C)
            Texts.push_back(Text(Parent->child(C)->text(0)));
        return Texts;
    }
    std::vector<std::string> Items(const char* Name) const {
        std::vector<std::string> Texts;
        QComboBox* Box = Combo(Name);
        for (int I = 0; I < Box->count(); ++I)
            Texts.push_back(Text(Box->itemText(I)));
        return Texts;
    }
    void Pick(const char* Name, const std::string& ItemText) {
        QComboBox* Box = Combo(Name);
        const int Index = Box->findText(QString::fromStdString(ItemText));
        ASSERT_GE(Index, 0) << ItemText;
        Box->setCurrentIndex(Index);
    }
    void PickType(int Type) {
        QComboBox* Box = Combo("TypeCombo");
        Box->setCurrentIndex(Box->findData(Type));
    }
    void Type(const char* Name, const std::string& Value) {
        Edit(Name)->setText(QString::fromStdString(Value));
    }
    std::string Caption() const { return Text(Form->windowTitle()); }

    std::unique_ptr<TForm> Form;
    int Closed = 0;
};

// ---- The tree ---------------------------------------------------------------------------------

TEST_F(TDefsEditorTest, TreeListsFilesKeysAndFields) {
    Load();
    EXPECT_EQ(Caption(), VolumePath("APP.DEFS"));
    ASSERT_EQ(Tree()->topLevelItemCount(), 3);
    EXPECT_EQ(Children(Node("system")), (std::vector<std::string>{"months[12]", "year"}));
    EXPECT_EQ(Children(Node("customer")),
              (std::vector<std::string>{"(key 1)", "(key 2)", "name", "qty", "price", "month",
                                        "orders", "total"}));
    // Built collapsed, the first file selected.
    EXPECT_EQ(Tree()->currentItem(), Node("system"));
    for (int I = 0; I < 3; ++I)
        EXPECT_FALSE(Tree()->topLevelItem(I)->isExpanded());
    EXPECT_EQ(Page(), "File");
    const QFont Heading = Child<QLabel>("FileHeadingPanel")->font();
    EXPECT_TRUE(Heading.bold());
    EXPECT_EQ(Heading.pointSize(), 10);
    const auto ImageOf = [this](const std::string& File, const std::string& Item) {
        return Node(File, Item)->data(0, TForm::ImageRole).toInt();
    };
    EXPECT_EQ(Node("customer")->data(0, TForm::ImageRole).toInt(), 19);
    EXPECT_EQ(ImageOf("customer", "(key 1)"), 36);
    EXPECT_EQ(ImageOf("customer", "name"), 21);
    EXPECT_EQ(ImageOf("customer", "qty"), 23);
    EXPECT_EQ(ImageOf("customer", "orders"), 3);
    EXPECT_EQ(ImageOf("orders", "cust"), 1);
    EXPECT_EQ(ImageOf("orders", "odate"), 5);
    EXPECT_EQ(Node("orders", "odate")->icon(0).pixmap(16).toImage(),
              VariablesIcon(5).pixmap(16).toImage());
}

TEST_F(TDefsEditorTest, VoidFieldsShowUpToTheLastTypedOne) {
    TDefsList List;
    List.File(4).Name = "sparse";
    SetField(List.File(4), {7, "seventh", dfInteger});
    LoadList(List);
    EXPECT_EQ(Children(Node("sparse")),
              (std::vector<std::string>{"(field 1)", "(field 2)", "(field 3)", "(field 4)",
                                        "(field 5)", "(field 6)", "seventh"}));
    EXPECT_EQ(Node("sparse", "(field 3)")->data(0, TForm::ImageRole).toInt(), 18);

    Child<QCheckBox>("ShowVoidsCheckBox")->click();
    ASSERT_EQ(Tree()->topLevelItemCount(), DefsFileCount);
    for (int I = 0; I < DefsFileCount; ++I) {
        const std::vector<std::string> Texts = Children(Tree()->topLevelItem(I));
        ASSERT_EQ(Texts.size(), std::size_t(DefsKeyCount + 60));
        EXPECT_EQ(Texts[0], "(key 1)");
    }
    EXPECT_EQ(Children(Node("sparse"))[DefsKeyCount + 59], "(field 60)");
    EXPECT_EQ(Text(Tree()->topLevelItem(0)->text(0)), "(file 0)");
}

// The tree taking the focus is no change of node: an edit on the page stays.
TEST_F(TDefsEditorTest, FocusingTheTreeKeepsThePage) {
    Load();
    Form->show();
    QApplication::processEvents();
    Type("FileNameEdit", "sys");
    Tree()->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(Text(Edit("FileNameEdit")->text()), "sys");
    EXPECT_TRUE(Form->PageModified());
}

TEST_F(TDefsEditorTest, SelectionSurvivesARebuild) {
    Load();
    Select("customer", "price");
    Child<QCheckBox>("ShowVoidsCheckBox")->click();
    ASSERT_NE(Tree()->currentItem(), nullptr);
    EXPECT_EQ(Text(Tree()->currentItem()->text(0)), "price");
    EXPECT_TRUE(Node("customer")->isExpanded());
    EXPECT_FALSE(Node("orders")->isExpanded());
    EXPECT_EQ(Page(), "Field");
    EXPECT_EQ(Text(Edit("FieldNameEdit")->text()), "price");
}

TEST_F(TDefsEditorTest, ExpandingMayCollapseTheOtherFiles) {
    for (const bool Collapse : {false, true}) {
        Form = std::make_unique<TForm>();
        Form->SetCollapseSiblings(Collapse);
        Load();
        Node("customer")->setExpanded(true);
        Node("orders")->setExpanded(true);
        EXPECT_EQ(Node("customer")->isExpanded(), !Collapse);
        EXPECT_TRUE(Node("orders")->isExpanded());
    }
}

// ---- The pages --------------------------------------------------------------------------------

struct TTypePage {
    int Type;
    std::array<std::string, 4> Labels; // "" for "Unused:"
    std::string Flagged;
    std::string HelpStart;
};

TEST_F(TDefsEditorTest, FieldPageFollowsTheType) {
    const std::string Comma = "Fl&agged as comma-separated";
    const std::string Plain = "Fl&agged";
    const std::vector<TTypePage> Cases = {
        {0, {}, Plain, ""},
        {1, {}, Plain, ""},
        {2, {}, Plain, "This is a string type whose values are limited"},
        {3, {}, "Fl&agged as allowing positive values only", ""},
        {4, {"", "", "", "Suffi&x array:"}, Comma, "The suffix array is obsolete."},
        {5, {}, Plain, "This is an obsolete type, incapable"},
        {6, {}, Plain, "This type is reserved for future use."},
        {7, {"&Parent file:", "Chain fiel&d:", "Order field &1:", "Order field &2:"}, Plain, ""},
        {8,
         {"&Child file:", "Attach fiel&d:", "", ""},
         "Fl&agged as stored in descending order",
         ""},
        {9, {"", "System a&rray:", "", ""}, Plain, "This is an integer type for which"},
        {10,
         {"", "Chain fiel&d:", "Sou&rce field:", "Suffi&x array:"},
         Comma,
         "This is an almost obsolete number type"},
        {11, {"Loo&kup file:", "Look&up field:", "C&hoice field:", ""}, Plain, "A title field"},
        {12, {}, Plain, ""},
        {13, {}, Plain, ""},
        {14,
         {"&Calculation:", "Operand &1 field:", "Operand &2 file:", "Operand &2 field:"},
         Comma,
         "A calc field takes up no space"},
        {15, {"", "", "", "Suffi&x array:"}, Comma, "This is a number type whose values are"},
    };
    Load();
    Select("customer", "qty");
    const std::array<const char*, 4> Labels = {"TargetFileLabel", "TargetFieldLabel",
                                               "OrderField1Label", "OrderField2Label"};
    for (const TTypePage& Case : Cases) {
        SCOPED_TRACE("type " + std::to_string(Case.Type));
        PickType(Case.Type);
        for (std::size_t I = 0; I < Labels.size(); ++I) {
            const QLabel* Label = Child<QLabel>(Labels[I]);
            const std::string Wanted = Case.Labels[I].empty() ? "Unused:" : Case.Labels[I];
            EXPECT_EQ(Text(Label->text()), Wanted);
            EXPECT_EQ(Label->buddy()->isEnabled(), !Case.Labels[I].empty()) << Wanted;
        }
        EXPECT_EQ(Text(Child<QCheckBox>("FlaggedCheckBox")->text()), Case.Flagged);
        const std::string Help = Text(Child<QLabel>("FieldHelpLabel")->text());
        EXPECT_EQ(Help.substr(0, Case.HelpStart.size()), Case.HelpStart);
        EXPECT_EQ(Help.empty(), Case.HelpStart.empty());
    }
    PickType(dfTitle);
    const std::string Title = Text(Child<QLabel>("FieldHelpLabel")->text());
    EXPECT_NE(Title.find("(typically called \"titles\"). \n\nThe title's offset is"),
              std::string::npos);
    EXPECT_TRUE(Title.ends_with("of that record of the lookup file."));
}

TEST_F(TDefsEditorTest, CalcFieldsUseTheirOwnBoxes) {
    TDefsList List;
    BuildAppDefs(List);
    SetField(List.File(1), {.Index = 7,
                            .Name = "gross",
                            .Type = dfCalculatedNumber,
                            .FileRef = 2,
                            .FieldRef = 3,
                            .SecondRef = 1,
                            .ThirdRef = 2});
    LoadList(List);
    Select("customer", "gross");
    auto* Calculation = Combo("CalculationCombo");
    auto* Op2File = Combo("CalcOp2FileCombo");
    EXPECT_TRUE(Calculation->isVisibleTo(Form.get()));
    EXPECT_TRUE(Op2File->isVisibleTo(Form.get()));
    EXPECT_FALSE(Combo("TargetFileCombo")->isVisibleTo(Form.get()));
    EXPECT_FALSE(Combo("OrderField1Combo")->isVisibleTo(Form.get()));
    EXPECT_EQ(Child<QLabel>("TargetFileLabel")->buddy(), Calculation);
    EXPECT_EQ(Child<QLabel>("OrderField1Label")->buddy(), Op2File);
    EXPECT_EQ(Text(Calculation->currentText()), "a * b");
    EXPECT_EQ(Text(Combo("TargetFieldCombo")->currentText()), "price");
    EXPECT_EQ(Items("CalcOp2FileCombo"), (std::vector<std::string>{"system", "customer"}));
    EXPECT_EQ(Text(Op2File->currentText()), "customer");
    EXPECT_EQ(Text(Combo("OrderField2Combo")->currentText()), "qty");
    // The second operand's file decides the last box.
    Pick("CalcOp2FileCombo", "system");
    EXPECT_EQ(Items("OrderField2Combo"), (std::vector<std::string>{"-", "months", "year"}));
    EXPECT_EQ(Combo("OrderField2Combo")->currentIndex(), 0);

    Pick("CalculationCombo", "func");
    EXPECT_TRUE(Calculation->isEnabled());
    for (const char* Name : {"TargetFieldCombo", "CalcOp2FileCombo", "OrderField2Combo"})
        EXPECT_FALSE(Combo(Name)->isEnabled()) << Name;
    Pick("CalculationCombo", "a + b");
    EXPECT_TRUE(Combo("CalcOp2FileCombo")->isEnabled());
    ASSERT_TRUE(Form->AcceptPage());
    const TDefsField& Gross = Form->Defs().File(1).Field(7);
    EXPECT_EQ(Gross.FileRef, 0);
    EXPECT_EQ(Gross.SecondRef, 0);
    EXPECT_EQ(Gross.ThirdRef, 0);
}

TEST_F(TDefsEditorTest, CombosListNamedEntriesSortedThenPlaceholders) {
    Load();
    Select("orders", "cust");
    EXPECT_EQ(Items("TargetFileCombo"), (std::vector<std::string>{"customer", "orders", "system"}));
    EXPECT_EQ(Items("TargetFieldCombo"),
              (std::vector<std::string>{"-", "month", "name", "orders", "price", "qty", "total"}));
    EXPECT_EQ(Text(Combo("TargetFieldCombo")->currentText()), "orders");
    Child<QCheckBox>("ShowVoidsCheckBox")->click();
    const std::vector<std::string> Files = Items("TargetFileCombo");
    ASSERT_EQ(Files.size(), std::size_t(DefsFileCount));
    EXPECT_EQ(Files[2], "system");
    EXPECT_EQ(Files[3], "(file 3)");
    EXPECT_EQ(Files[20], "(file 20)");
    const std::vector<std::string> Fields = Items("TargetFieldCombo");
    ASSERT_EQ(Fields.size(), 61u);
    EXPECT_EQ(Fields[6], "total");
    EXPECT_EQ(Fields[7], "(field 7)");
}

TEST_F(TDefsEditorTest, KeyPageShowsItsParts) {
    Load();
    Select("customer", "(key 2)");
    EXPECT_EQ(Page(), "Key");
    EXPECT_EQ(Text(Child<QLabel>("KeyHeadingPanel")->text()), "customer  (key 2)");
    EXPECT_TRUE(Child<QCheckBox>("AllowDuplicatesCheckBox")->isChecked());
    EXPECT_EQ(Text(Combo("Field1Combo")->currentText()), "qty");
    EXPECT_EQ(Text(Combo("Field2Combo")->currentText()), "name");
    EXPECT_EQ(Text(Combo("Field3Combo")->currentText()), "-");
    EXPECT_EQ(Text(Edit("Length2Edit")->text()), "5");
    EXPECT_EQ(Text(Combo("Function2Combo")->currentText()), "1 = name");
    EXPECT_EQ(Combo("Function1Combo")->count(), 10);
}

// ---- Accepting a page -------------------------------------------------------------------------

struct TAcceptCase {
    std::string File, Item;
    const char* Edit;
    std::string Value;
    std::string Message; // empty when accepted
};

TEST_F(TDefsEditorTest, PagesAreCheckedBeforeTheyAreStored) {
    const std::string Reserved = " is a reserved word in Pascal.";
    const std::vector<TAcceptCase> Cases = {
        {"customer", "name", "FieldNameEdit", "begin", "\"begin\"" + Reserved},
        {"customer", "name", "FieldNameEdit", "implement", "\"implement\"" + Reserved},
        {"customer", "name", "FieldNameEdit", "procedur", "\"procedur\"" + Reserved},
        {"customer", "name", "FieldNameEdit", "procedure", ""},
        {"customer", "", "FileNameEdit", "record", "\"record\"" + Reserved},
        {"customer", "", "FileNameEdit", "clients", ""},
        {"customer", "name", "FieldLengthEdit", "128", "Length must be between 0 and 127"},
        {"customer", "name", "FieldLengthEdit", "127", ""},
        {"customer", "name", "FieldLengthEdit", "abc", "Length must be between 0 and 127"},
        {"customer", "name", "FieldLengthEdit", "-1", "Length must be between 0 and 127"},
        {"customer", "price", "DecimalCountEdit", "16", "Decimals must be between 0 and 15"},
        {"customer", "price", "DecimalCountEdit", "15", ""},
        {"customer", "price", "ElementCountEdit", "256", "Elements must be between 0 and 255"},
        {"customer", "price", "ElementCountEdit", "255", ""},
        {"customer", "(key 1)", "Length1Edit", "61", "Length must be between 0 and 60"},
        {"customer", "(key 1)", "Length3Edit", "60", ""},
    };
    for (const TAcceptCase& Case : Cases) {
        SCOPED_TRACE(std::string(Case.Edit) + " = " + Case.Value);
        Form = std::make_unique<TForm>();
        TScriptedModals Shown;
        Load();
        Select(Case.File, Case.Item);
        Type(Case.Edit, Case.Value);
        const bool Accepted = Form->AcceptPage();
        EXPECT_EQ(Accepted, Case.Message.empty());
        EXPECT_EQ(Form->DefsChanged(), Accepted);
        if (Case.Message.empty()) {
            EXPECT_TRUE(Shown.Shown().empty());
        } else {
            ASSERT_EQ(Shown.Shown().size(), 1u);
            EXPECT_EQ(Shown.Last().Message->Caption, "Defs Editor");
            EXPECT_EQ(Shown.Last().Message->Text, Case.Message);
        }
    }
}

TEST_F(TDefsEditorTest, AcceptedFieldValuesReachTheList) {
    Load();
    Select("customer", "price");
    Type("FieldNameEdit", "Cost");
    Type("FieldLengthEdit", "11");
    Type("DecimalCountEdit", "3");
    Type("ElementCountEdit", "4");
    Child<QCheckBox>("ForcedCheckBox")->setChecked(true);
    ASSERT_TRUE(Form->AcceptPage());
    const TDefsField& Price = Form->Defs().File(1).Field(3);
    EXPECT_EQ(Price.Name, "cost");
    EXPECT_EQ(Price.Capacity, 11);
    EXPECT_EQ(Price.Scale, 3);
    EXPECT_EQ(Price.Elements, 4);
    EXPECT_TRUE(Price.Forced);
    EXPECT_EQ(Text(Node("customer", "cost[4]")->text(0)), "cost[4]");
    EXPECT_EQ(Text(Child<QLabel>("FieldHeadingPanel")->text()), "customer  cost");
}

TEST_F(TDefsEditorTest, BlankNamesMayClearWhatTheyName) {
    Load();
    TScriptedModals Answers;
    Answers.Press("&Yes").Press("&Yes");
    Select("customer", "qty");
    Type("FieldNameEdit", "");
    ASSERT_TRUE(Form->AcceptPage());
    const TDefsField& Qty = Form->Defs().File(1).Field(2);
    EXPECT_EQ(Qty.FieldType, dfNone);
    EXPECT_EQ(Text(Combo("TypeCombo")->currentText()), "void");
    QTreeWidgetItem* Cleared = Node("customer", "(field 2)");
    EXPECT_EQ(Cleared->data(0, TForm::ImageRole).toInt(), 18);

    Select("orders");
    Type("FileNameEdit", "");
    ASSERT_TRUE(Form->AcceptPage());
    EXPECT_EQ(Form->Defs().File(2).Name, "");
    EXPECT_EQ(Form->Defs().File(2).Field(1).FieldType, dfNone);
    EXPECT_EQ(Form->Defs().File(2).RecordSize, 0);
    EXPECT_EQ(Node("(file 2)")->childCount(), 0);
    ASSERT_EQ(Answers.Shown().size(), 2u);
    EXPECT_EQ(Answers.Shown()[0].Message->Text,
              "The field's name is blank: do you want to set the field's type to void?");
    EXPECT_EQ(Answers.Shown()[1].Message->Text,
              "File 2\r\rThe file's name is blank: do you want to clear the file's definitions "
              "altogether?");
}

TEST_F(TDefsEditorTest, ARefusedPageKeepsItsNode) {
    Load();
    Select("customer", "name");
    Type("FieldLengthEdit", "200");
    TScriptedModals Shown;
    Select("customer", "qty");
    EXPECT_EQ(Text(Tree()->currentItem()->text(0)), "name");
    EXPECT_EQ(Text(Edit("FieldLengthEdit")->text()), "200");
    EXPECT_EQ(Shown.Shown().size(), 1u);
    // A click on another node is refused alike: the refused node stays current and selected.
    Form->show();
    QWidget* Viewport = Tree()->viewport();
    const QPoint At = Tree()->visualItemRect(Node("customer", "price")).center();
    for (const QEvent::Type Type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent Click(Type, At, Viewport->mapToGlobal(At), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(Viewport, &Click);
    }
    QApplication::processEvents();
    EXPECT_EQ(Shown.Shown().size(), 2u);
    EXPECT_EQ(Text(Tree()->currentItem()->text(0)), "name");
    ASSERT_EQ(Tree()->selectedItems().size(), 1);
    EXPECT_EQ(Text(Tree()->selectedItems().front()->text(0)), "name");
    // Mended, the move goes through.
    Type("FieldLengthEdit", "20");
    Select("customer", "qty");
    EXPECT_EQ(Text(Tree()->currentItem()->text(0)), "qty");
    EXPECT_EQ(Form->Defs().File(1).Field(1).Capacity, 20);
}

// ---- Mended faults ----------------------------------------------------------------------------

TEST_F(TDefsEditorTest, AuditKindsOfKeyPartsAreKept) {
    TDefsList List;
    BuildAppDefs(List);
    SetKey(List.File(1), 1, {{1, 10, 11}, {2, 2, 12}}, false);
    LoadList(List);
    Select("customer", "(key 1)");
    EXPECT_EQ(Text(Combo("Function1Combo")->currentText()), "11 = custom audit");
    EXPECT_EQ(Text(Combo("Function2Combo")->currentText()), "12 = calculated");
    Child<QCheckBox>("AllowDuplicatesCheckBox")->setChecked(true);
    Pick("Function2Combo", "4 = initials");
    ASSERT_TRUE(Form->AcceptPage());
    const TDefsKey& Key = Form->Defs().File(1).Key(1);
    EXPECT_EQ(Key.PartKind[0], 11);
    EXPECT_EQ(Key.PartKind[1], 4);
    EXPECT_TRUE(Key.Duplicates);
    Select("customer", "(key 2)");
    EXPECT_EQ(Combo("Function1Combo")->count(), 10);
}

TEST_F(TDefsEditorTest, EachReferenceBoxKeepsItsOwnReference) {
    TDefsList List;
    BuildAppDefs(List);
    List.File(1).Field(6).ThirdRef = 2; // total's suffix array: system.year
    List.File(1).Field(3).SecondRef = 4;
    List.File(1).Field(3).ThirdRef = 1;
    SetField(List.File(1), {.Index = 7, .Name = "others", .Type = dfChain, .FileRef = 0});
    LoadList(List);
    Select("customer", "total");
    EXPECT_EQ(Text(Combo("TargetFieldCombo")->currentText()), "orders");
    EXPECT_EQ(Items("OrderField1Combo"),
              (std::vector<std::string>{"-", "amount", "cust", "odate"}));
    EXPECT_EQ(Text(Combo("OrderField1Combo")->currentText()), "amount");
    EXPECT_EQ(Text(Combo("OrderField2Combo")->currentText()), "year");
    Child<QCheckBox>("ForcedCheckBox")->setChecked(true);
    ASSERT_TRUE(Form->AcceptPage());
    const TDefsField& Total = Form->Defs().File(1).Field(6);
    EXPECT_EQ(Total.FieldRef, 5);
    EXPECT_EQ(Total.SecondRef, 3);
    EXPECT_EQ(Total.ThirdRef, 2);
    // Another chain leads to another file's fields.
    Pick("TargetFieldCombo", "others");
    EXPECT_EQ(Items("OrderField1Combo"), (std::vector<std::string>{"-", "months", "year"}));

    Select("customer", "price");
    EXPECT_FALSE(Combo("OrderField1Combo")->isEnabled());
    EXPECT_EQ(Text(Combo("OrderField1Combo")->currentText()), "month");
    EXPECT_EQ(Text(Combo("OrderField2Combo")->currentText()), "months");
    Child<QCheckBox>("ForcedCheckBox")->setChecked(true);
    ASSERT_TRUE(Form->AcceptPage());
    const TDefsField& Price = Form->Defs().File(1).Field(3);
    EXPECT_EQ(Price.SecondRef, 4);
    EXPECT_EQ(Price.ThirdRef, 1);
}

TEST_F(TDefsEditorTest, TitleOffsetIsTheBaseRecord) {
    TDefsList List;
    BuildAppDefs(List);
    SetField(List.File(1), {.Index = 7,
                            .Name = "heads",
                            .Type = dfTitle,
                            .FileRef = 0,
                            .FieldRef = 1,
                            .SecondRef = 4});
    ComputeRecordLayout(List.File(1));
    List.File(1).Field(7).Base = 5;
    Store("APP.DEFS", SerialisedImage(List));
    Load();
    Select("customer", "heads");
    QLineEdit* Offset = Edit("OffsetEdit");
    EXPECT_EQ(Text(Offset->text()), "5");
    EXPECT_FALSE(Offset->isReadOnly());
    EXPECT_EQ(Text(Combo("OrderField1Combo")->currentText()), "month");
    TScriptedModals Shown;
    Type("OffsetEdit", "32768");
    EXPECT_FALSE(Form->AcceptPage());
    ASSERT_EQ(Shown.Shown().size(), 1u);
    EXPECT_EQ(Shown.Last().Message->Text, "Offset must be between 0 and 32767");
    Type("OffsetEdit", "40");
    ASSERT_TRUE(Form->AcceptPage());
    EXPECT_EQ(Form->Defs().File(1).Field(7).Base, 40);
    EXPECT_EQ(Form->Defs().File(1).Field(7).SecondRef, 4);
    Select("customer", "name");
    EXPECT_TRUE(Edit("OffsetEdit")->isReadOnly());
    EXPECT_EQ(Text(Edit("OffsetEdit")->text()), "word 0");
}

TEST_F(TDefsEditorTest, SizesAndOffsetsFollowAnAcceptedPage) {
    Load();
    Select("customer", "name");
    Type("FieldLengthEdit", "40");
    ASSERT_TRUE(Form->AcceptPage());
    Select("customer", "qty");
    EXPECT_EQ(Text(Edit("OffsetEdit")->text()), "word 21");
    Select("customer");
    EXPECT_EQ(Text(Edit("Size16Edit")->text()),
              std::to_string(Form->Defs().File(1).DataSize) + " words");
    EXPECT_EQ(Form->Defs().File(1).Field(2).Base, 21);
}

// ---- Saving -----------------------------------------------------------------------------------

TEST_F(TDefsEditorTest, SaveWritesTheEditedListBack) {
    const std::string Names(DefsNamesRecordSize + 5, 'n');
    Store("APP.NAME", Names);
    Store("OTHER.DATA", std::string(900, 'o'));
    Load();
    EXPECT_FALSE(Child<QPushButton>("SaveButton")->isEnabled());
    EXPECT_EQ(Text(Child<QCheckBox>("AllowSaveCheckBox")->text()), "®  &.");
    Child<QCheckBox>("AllowSaveCheckBox")->setChecked(true);
    EXPECT_TRUE(Child<QPushButton>("SaveButton")->isEnabled());

    Select("customer", "qty");
    Type("FieldNameEdit", "count");
    Select("customer", "price");
    EXPECT_EQ(Caption(), VolumePath("APP.DEFS") + " *");
    Type("FieldLengthEdit", "12");
    Select("customer", "name");
    EXPECT_EQ(Caption(), VolumePath("APP.DEFS") + " *");

    TScriptedModals Shown;
    Child<QPushButton>("SaveButton")->click();
    EXPECT_EQ(Said(Shown), std::vector<std::string>{"Defs Editor|Defs saved."});
    EXPECT_EQ(Caption(), VolumePath("APP.DEFS"));
    EXPECT_FALSE(Form->DefsChanged());

    TDefsList Expected;
    BuildAppDefs(Expected);
    Expected.File(1).Field(2).Name = "count";
    Expected.File(1).Field(3).Capacity = 12;
    for (const auto& File : Expected)
        ComputeRecordLayout(*File);
    EXPECT_TRUE(ReadVolumeData("APP.DEFS") == SerialisedImage(Expected));
    EXPECT_TRUE(ReadVolumeData("APP.NAME") == Names);
    EXPECT_TRUE(ReadVolumeData("OTHER.DATA") == std::string(900, 'o'));
    EXPECT_EQ(Text(Tree()->currentItem()->text(0)), "name");
}

TEST_F(TDefsEditorTest, SaveClampsReferencesSilently) {
    TDefsList List;
    BuildAppDefs(List);
    List.File(1).Field(2).FileRef = 25;
    LoadList(List);
    ASSERT_EQ(Form->Defs().File(1).Field(2).FileRef, 25);
    TScriptedModals Shown;
    Form->SaveDefs();
    EXPECT_EQ(Said(Shown), std::vector<std::string>{"Defs Editor|Defs saved."});
    TDefsList Saved;
    ASSERT_TRUE(LoadDefsFromVolume(Saved, VolumePath("APP.DEFS")));
    EXPECT_EQ(Saved.File(1).Field(2).FileRef, 20);
}

TEST_F(TDefsEditorTest, ALinkToTheWrongKindAsksFirst) {
    TDefsList List;
    BuildAppDefs(List);
    SetField(List.File(1),
             {.Index = 7, .Name = "parent", .Type = dfAttach, .FileRef = 2, .FieldRef = 2});
    LoadList(List);
    const std::string Before = ReadFileBytes(Volume);
    {
        TScriptedModals Answers;
        Answers.Press("&No");
        Form->SaveDefs();
        EXPECT_EQ(Said(Answers), std::vector<std::string>{
                                     "Defs Editor|Target field of customer.parent is not a chain. "
                                     "Do you want to save anyway?"});
    }
    EXPECT_TRUE(ReadFileBytes(Volume) == Before);
    TScriptedModals Answers;
    Answers.Press("&Yes");
    Form->SaveDefs();
    ASSERT_EQ(Answers.Shown().size(), 2u);
    EXPECT_EQ(Answers.Last().Message->Text, "Defs saved.");
}

TEST_F(TDefsEditorTest, AReservedNameStopsTheSave) {
    TDefsList List;
    BuildAppDefs(List);
    List.File(2).Field(2).Name = "until";
    LoadList(List);
    const std::string Before = ReadFileBytes(Volume);
    TScriptedModals Shown;
    Form->SaveDefs();
    EXPECT_EQ(Said(Shown),
              std::vector<std::string>{"Defs Editor|\"until\" is a reserved word in Pascal."});
    EXPECT_TRUE(ReadFileBytes(Volume) == Before);
}

TEST_F(TDefsEditorTest, DefinitionsWithoutFileZeroGainNone) {
    TDefsList List;
    List.File(3).Name = "third";
    SetField(List.File(3), {1, "a", dfInteger});
    LoadList(List, "P.DEFS");
    const std::string Before = ReadVolumeData("P.DEFS");
    TScriptedModals Shown;
    Form->SaveDefs();
    EXPECT_EQ(Said(Shown), std::vector<std::string>{"Defs Editor|Defs saved."});
    const std::string After = ReadVolumeData("P.DEFS");
    EXPECT_EQ(DecodeDefsRecord(After).Name, "");
    EXPECT_EQ(After.size(), Before.size());
}

// A save that cannot be written leaves the volume as it was and the changes marked.
TEST_F(TDefsEditorTest, AFailedSaveChangesNothing) {
    for (const bool Full : {true, false}) {
        SCOPED_TRACE(Full ? "full volume" : "failing write");
        Form = std::make_unique<TForm>();
        Load();
        if (Full) {
            TMajorVolume V(Volume, true);
            const int Free = V.FreeBlocks();
            ASSERT_TRUE(V.SaveBytes("FILL.DATA",
                                    std::string(std::size_t(Free - 2) * 512, 'f').data(), fkData,
                                    std::int64_t(Free - 2) * 512));
        }
        // A new file makes the definitions outgrow the room they had.
        Child<QCheckBox>("ShowVoidsCheckBox")->click();
        Select("(file 5)");
        Type("FileNameEdit", "extra");
        Select("(file 5)", "(field 1)");
        Type("FieldNameEdit", "x");
        PickType(dfInteger);
        Type("ElementCountEdit", "1");
        Select("customer", "name");
        ASSERT_EQ(Form->Defs().File(5).DataSize, 1);
        const std::string Before = ReadFileBytes(Volume);
        TScriptedModals Shown;
        if (!Full)
            InjectVolumeFileFault(1);
        Form->SaveDefs();
        InjectVolumeFileFault(0);
        ASSERT_FALSE(Shown.Shown().empty());
        EXPECT_NE(Shown.Last().Message->Text, "Defs saved.");
        EXPECT_EQ(Caption(), VolumePath("APP.DEFS") + " *");
        EXPECT_TRUE(Form->DefsChanged());
        EXPECT_TRUE(ReadFileBytes(Volume) == Before);
        if (Full) {
            TMajorVolume V(Volume, true);
            V.RemoveFile(0, "FILL.DATA");
        }
    }
}

// ---- Closing ----------------------------------------------------------------------------------

enum class TCloseWay { CancelButton, Escape, CloseBox };

void CloseBy(TForm& Form, TCloseWay Way) {
    switch (Way) {
    case TCloseWay::CancelButton:
        Form.findChild<QPushButton*>("CancelButton")->click();
        break;
    case TCloseWay::Escape: {
        QKeyEvent Escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&Form, &Escape);
        break;
    }
    case TCloseWay::CloseBox:
        Form.close();
        break;
    }
}

TEST_F(TDefsEditorTest, CancelAsksOnlyWhenThereAreChanges) {
    struct TCase {
        std::string Edit;   // typed into the length of customer.name; empty for none
        std::string Answer; // to the discard question; empty when none is asked
        int Messages;       // shown in all
        bool Closes;
    };
    const std::vector<TCase> Cases = {
        {"", "", 0, true},        {"40", "&Yes", 1, true}, {"40", "&No", 1, false},
        {"200", "&Yes", 2, true}, // refused: the range message, then the question
        {"200", "&No", 2, false},
    };
    for (const TCloseWay Way : {TCloseWay::CancelButton, TCloseWay::Escape, TCloseWay::CloseBox})
        for (const TCase& Case : Cases) {
            SCOPED_TRACE("way " + std::to_string(int(Way)) + ", length " + Case.Edit + ", " +
                         Case.Answer);
            Form = std::make_unique<TForm>();
            Closed = 0;
            QObject::connect(Form.get(), &QDialog::finished, [this] { ++Closed; });
            Load();
            Form->show();
            Select("customer", "name");
            if (!Case.Edit.empty())
                Type("FieldLengthEdit", Case.Edit);
            TScriptedModals Answers;
            if (Case.Edit == "200")
                Answers.Press("OK");
            if (!Case.Answer.empty())
                Answers.Press(Case.Answer);
            CloseBy(*Form, Way);
            EXPECT_EQ(int(Answers.Shown().size()), Case.Messages);
            if (!Case.Answer.empty()) {
                EXPECT_EQ(Answers.Last().Message->Text,
                          "Do you want to discard the changes you've made?");
            }
            EXPECT_EQ(Closed, Case.Closes ? 1 : 0);
            EXPECT_EQ(Form->isVisible(), !Case.Closes);
            EXPECT_EQ(Answers.Unanswered(), 0);
        }
}

// ---- Dropping and loading ---------------------------------------------------------------------

TEST_F(TDefsEditorTest, DroppedVolumesOpenTheirDefinitions) {
    const std::filesystem::path Cgen = Temp / "CGEN.vol";
    ASSERT_TRUE(CreateVolumeFile(Cgen, "CGEN", 200));
    const std::string Wanted = Cgen.string() + ">NOM4.SVOL:NOM4.DEFS";
    {
        TMajorVolume V(Cgen, true);
        ASSERT_TRUE(V.CopyFileTo(0, "NOM4", 40, V));
    }
    TDefsList List;
    BuildAppDefs(List);
    List.Path = Wanted;
    ASSERT_TRUE(SaveDefsToVolume(List));
    Load();
    Form->DropFiles({QUrl::fromLocalFile(QString::fromStdString((Temp / "notes.txt").string()))});
    EXPECT_EQ(Form->Defs().Path, VolumePath("APP.DEFS"));

    Select("customer", "qty");
    Type("FieldNameEdit", "count");
    ASSERT_TRUE(Form->AcceptPage());
    {
        TScriptedModals Answers;
        Answers.Press("&No");
        Form->DropFiles({QUrl::fromLocalFile(QString::fromStdString(Cgen.string()))});
        ASSERT_EQ(Answers.Shown().size(), 1u);
        EXPECT_EQ(Form->Defs().Path, VolumePath("APP.DEFS"));
    }
    TScriptedModals Answers;
    Answers.Press("&Yes");
    Form->DropFiles({QUrl::fromLocalFile(QString::fromStdString(Cgen.string()))});
    EXPECT_EQ(Form->Defs().Path, Wanted);
    EXPECT_EQ(Caption(), Wanted);
    EXPECT_FALSE(Form->DefsChanged());
    EXPECT_EQ(Form->Defs().File(1).Field(2).Name, "qty");
    EXPECT_EQ(Text(Node("orders")->text(0)), "orders");
}

TEST_F(TDefsEditorTest, OtherFilesAreNotLoaded) {
    Form->LoadDefsByPath(VolumePath("APP.TEXT"));
    EXPECT_EQ(Caption(), "Defs Editor");
    EXPECT_EQ(Form->Defs().Path, "");
    EXPECT_EQ(Page(), "Null");
}

// A picture of the editor on a field page, kept with the test output.
TEST_F(TDefsEditorTest, Picture) {
    Load();
    Form->resize(720, 520);
    Form->show();
    Select("customer", "total");
    const QImage Picture = Form->grab().toImage();
    EXPECT_FALSE(Picture.isNull());
    EXPECT_TRUE(
        Picture.save(QDir(QCoreApplication::applicationDirPath()).filePath("defs-editor.png")));
}

} // namespace
} // namespace korvid::test

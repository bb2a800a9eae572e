#include "workspace/LocateFileForm.h"

#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "platform/Paths.h"
#include "workspace/FavouritesTree.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <filesystem>

namespace korvid {

TLocateFileForm::TLocateFileForm(const std::string& Folder, QWidget* Parent) : QDialog(Parent) {
    setWindowTitle("Locate File");
    setFont(QFont(ToQString(GetDialogFontName())));
    FName = new QLineEdit;
    auto* Label = new QLabel("&Filename:");
    Label->setBuddy(FName);
    FTree = new TFavouritesTreeView;
    FTree->setDragEnabled(false);
    FTree->setMinimumSize(360, 300);
    FNext = new QPushButton("&Next");
    FStayOpen = new QCheckBox("Stay &open");
    FOk = new QPushButton("OK");
    FOk->setDefault(true);
    auto* Cancel = new QPushButton("Cancel");

    auto* Top = new QHBoxLayout;
    Top->addWidget(Label);
    Top->addWidget(FName, 1);
    Top->addWidget(FNext);
    auto* Bottom = new QHBoxLayout;
    Bottom->addWidget(FStayOpen);
    Bottom->addStretch(1);
    Bottom->addWidget(FOk);
    Bottom->addWidget(Cancel);
    auto* Column = new QVBoxLayout(this);
    Column->addLayout(Top);
    Column->addWidget(FTree, 1);
    Column->addLayout(Bottom);

    FTree->FillFolderNode(nullptr, Folder, fmWholeTree);
    for (TTreeNode* Node = FTree->FirstNode(); Node; Node = TSafeTreeView::NextNode(Node))
        if (TFavouritesTreeView::NodeKind(Node) == fvFile)
            FFiles.emplace_back(
                PathToQString(
                    std::filesystem::path(TFavouritesTreeView::DataOf(Node)->Path).filename()),
                Node);

    connect(FName, &QLineEdit::textChanged, this, [this] { Search(false); });
    connect(FNext, &QPushButton::clicked, this, [this] { Search(true); });
    connect(FOk, &QPushButton::clicked, this, [this] { Confirm(); });
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

TLocateFileForm::~TLocateFileForm() = default;

void TLocateFileForm::Search(bool Continue) {
    if (!Continue)
        FLastHit = -1;
    const QString Text = FName->text();
    for (int Index = FLastHit + 1; Index < int(FFiles.size()); ++Index) {
        if (FFiles[Index].first.contains(Text, Qt::CaseInsensitive)) {
            FLastHit = Index;
            FTree->SetSelected(FFiles[Index].second);
            return;
        }
    }
    FTree->setCurrentItem(nullptr);
    FTree->clearSelection();
}

std::string TLocateFileForm::SelectedFile() const {
    const TTreeNode* Node = FTree->Selected();
    return TFavouritesTreeView::NodeKind(Node) == fvFile ? TFavouritesTreeView::NodePath(Node)
                                                         : std::string();
}

void TLocateFileForm::Confirm() {
    const std::string File = SelectedFile();
    if (FStayOpen->isChecked() && !File.empty()) {
        if (OnOpenFile)
            OnOpenFile(File);
        return;
    }
    accept();
}

} // namespace korvid

#include "workspace/SearchFolderForm.h"

#include "platform/Cp1252.h"
#include "platform/Paths.h"
#include "ui/BrowseFolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>

#include <filesystem>

namespace korvid {
namespace {

QLabel* BuddyLabel(const char* Caption, QWidget* Buddy) {
    auto* Label = new QLabel(QString::fromUtf8(Caption));
    Label->setBuddy(Buddy);
    return Label;
}

} // namespace

TSearchFolderForm::TSearchFolderForm(QWidget* Parent) : QDialog(Parent) {
    setWindowTitle("Find in Folder");
    FText = new QLineEdit;
    FFolder = new QLineEdit;
    FExtensions = new QLineEdit;
    FExtensions->setPlaceholderText("e.g. 'pas,pa,txt'");
    FExtensions->setToolTip("e.g. 'pas,pa,txt'");
    FLocation = new QComboBox;
    for (const std::string_view Name : LocationNames())
        FLocation->addItem(QString::fromLatin1(Name.data(), int(Name.size())));
    FLocation->setCurrentIndex(0);
    FContext = new QSpinBox;
    FContext->setRange(0, 5);
    FMatchCase = new QCheckBox("Match &case");
    FWholeWords = new QCheckBox("Find &whole words only");
    FIgnoreUnderscores = new QCheckBox("Ignore u&nderscores");
    FQuotedOnly = new QCheckBox("Find &quoted text only");

    auto* Browse = new QPushButton("&...");
    auto* Up = new QPushButton("&Up");
    auto* FolderRow = new QHBoxLayout;
    FolderRow->addWidget(FFolder, 1);
    FolderRow->addWidget(Browse);
    FolderRow->addWidget(Up);

    auto* Form = new QFormLayout;
    Form->addRow(BuddyLabel("Find &text:", FText), FText);
    Form->addRow(BuddyLabel("&Folder:", FFolder), FolderRow);
    Form->addRow(BuddyLabel("&Extensions:", FExtensions), FExtensions);
    Form->addRow(BuddyLabel("&Location:", FLocation), FLocation);
    Form->addRow(BuddyLabel("Conte&xt:", FContext), FContext);

    auto* Checks = new QVBoxLayout;
    for (QCheckBox* Box : {FMatchCase, FWholeWords, FIgnoreUnderscores, FQuotedOnly})
        Checks->addWidget(Box);

    FFind = new QPushButton("Find");
    FFind->setDefault(true);
    FFind->setEnabled(false);
    auto* OpenAll = new QPushButton("Open &All");
    auto* Locate = new QPushButton("L&ocate...");
    auto* Unpack = new QPushButton("Unpac&k...");
    auto* ExploreButton = new QPushButton("Explo&re");
    auto* Cancel = new QPushButton("Cancel");
    auto* Buttons = new QVBoxLayout;
    for (QPushButton* B : {FFind, OpenAll, Locate, Unpack, ExploreButton, Cancel}) {
        B->setAutoDefault(false);
        Buttons->addWidget(B);
    }
    FFind->setDefault(true);
    Buttons->addStretch();

    auto* Left = new QVBoxLayout;
    Left->addLayout(Form);
    Left->addLayout(Checks);
    auto* Main = new QHBoxLayout(this);
    Main->addLayout(Left, 1);
    Main->addLayout(Buttons);

    BrowseFolder = [](const std::string& Title, const std::string& Start) {
        TBrowseFolder Picker;
        Picker.Title = QString::fromStdString(Title);
        Picker.Directory = Start;
        std::optional<std::string> Chosen;
        if (Picker.Execute())
            Chosen = Picker.Directory.string();
        return Chosen;
    };
    Explore = [](const std::string& Folder) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(PathToQString(Folder)));
    };

    connect(FText, &QLineEdit::textChanged, this, [this] { UpdateFindButton(); });
    connect(FFolder, &QLineEdit::textChanged, this, [this] { UpdateFindButton(); });
    connect(FLocation, &QComboBox::currentIndexChanged, this, [this] { UpdateFindButton(); });
    connect(Browse, &QPushButton::clicked, this, [this] { BrowseClick(); });
    connect(Up, &QPushButton::clicked, this, [this] { SetFolder(UpFolder(Folder())); });
    connect(FFind, &QPushButton::clicked, this, [this] {
        if (FindEnabled())
            accept();
    });
    connect(OpenAll, &QPushButton::clicked, this, [this] { done(OpenAllResult); });
    connect(Locate, &QPushButton::clicked, this, [this] { done(LocateResult); });
    connect(Unpack, &QPushButton::clicked, this, [this] { done(UnpackResult); });
    connect(ExploreButton, &QPushButton::clicked, this, [this] {
        if (Explore)
            Explore(Folder());
    });
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(520, sizeHint().height());
}

std::string TSearchFolderForm::Folder() const {
    return PathFromQString(FFolder->text()).native();
}

void TSearchFolderForm::SetFolder(const std::string& Folder) {
    FFolder->setText(PathToQString(Folder));
}

std::string TSearchFolderForm::FindText() const {
    return FromQString(FText->text());
}

TFindSettings TSearchFolderForm::Settings() const {
    TFindSettings S;
    S.Location = std::max(0, FLocation->currentIndex());
    S.ContextLines = FContext->value();
    S.IgnoreUnderscores = FIgnoreUnderscores->isChecked();
    S.QuotedOnly = FQuotedOnly->isChecked();
    S.WholeWords = FWholeWords->isChecked();
    S.MatchCase = FMatchCase->isChecked();
    S.Text = FindText();
    S.Extensions = FromQString(FExtensions->text());
    S.Folder = Folder();
    return S;
}

bool TSearchFolderForm::FindEnabled() const {
    std::error_code Error;
    const std::string Name = Folder();
    if (Name.empty() || !std::filesystem::is_directory(Name, Error))
        return false;
    const int Location = FLocation->currentIndex();
    return !FText->text().isEmpty() || Location == 5 || Location == 6;
}

void TSearchFolderForm::UpdateFindButton() {
    FFind->setEnabled(FindEnabled());
}

void TSearchFolderForm::BrowseClick() {
    if (!BrowseFolder)
        return;
    if (const auto Chosen = BrowseFolder("Browse for Folder", Folder()))
        SetFolder(*Chosen);
}

std::string TSearchFolderForm::UpFolder(std::string Folder) {
    if (Folder.size() > 1 && (Folder.back() == '/' || Folder.back() == '\\'))
        Folder.pop_back();
    if (Folder == "/" || Folder.empty())
        return Folder;
    const std::filesystem::path Parent = std::filesystem::path(Folder).parent_path();
    return Parent.empty() ? Folder : Parent.string();
}

} // namespace korvid

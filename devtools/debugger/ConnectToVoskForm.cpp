#include "devtools/debugger/ConnectToVoskForm.h"

#include "devtools/debugger/Debugger.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvid {

TConnectToVoskForm::TConnectToVoskForm(
    const std::vector<std::pair<std::string, TWindowHandle>>& Entries, QWidget* Parent)
    : QDialog(Parent), IntroLabel1(new QLabel(this)), IntroLabel2(new QLabel(this)),
      WindowList(new QListWidget(this)), ConnectButton(new QPushButton(this)),
      CancelButton(new QPushButton(this)) {
    setObjectName("ConnectToVoskForm");
    setWindowTitle("Connection");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    IntroLabel1->setText("There is more than one Vosk module running on this computer.");
    IntroLabel2->setText("&Which one would you like to connect to?");
    IntroLabel2->setBuddy(WindowList);
    WindowList->setObjectName("WindowList");
    for (const auto& [Text, Window] : Entries) {
        auto* Item = new QListWidgetItem(ToQString(Text), WindowList);
        Item->setData(Qt::UserRole, static_cast<qulonglong>(Window));
    }
    ConnectButton->setText("Connect");
    ConnectButton->setDefault(true);
    ConnectButton->setEnabled(false);
    CancelButton->setText("Cancel");

    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch();
    Buttons->addWidget(ConnectButton);
    Buttons->addWidget(CancelButton);
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(IntroLabel1);
    Layout->addWidget(IntroLabel2);
    Layout->addWidget(WindowList);
    Layout->addLayout(Buttons);

    connect(ConnectButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(WindowList, &QListWidget::itemSelectionChanged, this, [this] { WindowListClick(); });
    connect(WindowList, &QListWidget::itemDoubleClicked, ConnectButton, &QPushButton::click);
    WindowList->setFocus();
    FormCreate();
}

void TConnectToVoskForm::FormCreate() {
    QFont Font = font();
    Font.setFamily(ToQString(GetDialogFontName()));
    setFont(Font);
}

TWindowHandle TConnectToVoskForm::SelectedWindow() const {
    const auto Selected = WindowList->selectedItems();
    return Selected.isEmpty()
               ? 0
               : static_cast<TWindowHandle>(Selected.front()->data(Qt::UserRole).toULongLong());
}

void TConnectToVoskForm::WindowListClick() {
    const TWindowHandle Window = SelectedWindow();
    // The module may show itself, so that the user sees which one this is.
    if (Window != 0)
        SendWindowMessage(Window, {IdentifyModuleMessage, 0, 0}, ModuleAnswerLimit);
    ConnectButton->setEnabled(Window != 0);
}

} // namespace korvid

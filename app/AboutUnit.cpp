#include "app/AboutUnit.h"

#include "app/SplashUnit.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "ui/FormUtilities.h"
#include "ui/ModalRunner.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace korvid {

TAboutForm::TAboutForm(QWidget* Parent) : QDialog(Parent) {
    setWindowTitle("About Korvid");
    const QFont DialogFont(ToQString(GetDialogFontName()));
    auto* Layout = new QVBoxLayout(this);
    auto* Picture = new QLabel(this);
    Picture->setPixmap(KorvidPicture(300, 160));
    NameLabel = new QLabel("Korvid", this);
    TextLabel = new QLabel("The programmer's editor for Vosk and the p-System", this);
    VersionLabel = new QLabel(VersionText, this);
    Layout->addWidget(Picture, 0, Qt::AlignHCenter);
    for (QLabel* Label : {NameLabel, TextLabel, VersionLabel}) {
        Label->setFont(DialogFont);
        Label->setAlignment(Qt::AlignCenter);
        Layout->addWidget(Label);
    }
    QFont NameFont = DialogFont;
    NameFont.setBold(true);
    NameFont.setPointSize(NameFont.pointSize() + 4);
    NameLabel->setFont(NameFont);
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    Layout->addWidget(Buttons);
}

void ShowAboutBox(QWidget* Parent) {
    TAboutForm About(Parent);
    CentreOverWindow(&About, Parent);
    RunModal(About);
}

} // namespace korvid

#include "ui/CompilerProgressForm.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvid {

TCompilerProgressForm::TCompilerProgressForm(TFormPlace* Place, QWidget* Parent)
    : QWidget(Parent, Qt::Tool | Qt::WindowStaysOnTopHint), FPlace(Place) {
    setObjectName("CompilerProgressForm");
    setMinimumWidth(320);
    auto* Layout = new QVBoxLayout(this);
    ProgressLabel = new QLabel(this);
    ProgressLabel->setObjectName("ProgressLabel");
    Layout->addWidget(ProgressLabel);
    CancelButton = new QPushButton(tr("Cancel"), this);
    CancelButton->setObjectName("CancelButton");
    Layout->addWidget(CancelButton, 0, Qt::AlignHCenter);
    connect(CancelButton, &QPushButton::clicked, this, [this] { CancelButtonClick(); });
    if (FPlace)
        move(FPlace->Left, FPlace->Top);
}

TCompilerProgressForm::~TCompilerProgressForm() {
    if (FPlace) {
        FPlace->Left = x();
        FPlace->Top = y();
    }
}

void TCompilerProgressForm::CancelButtonClick() {
    FCancelled = true;
}

} // namespace korvid

#include "devtools/vbat/VBatReporter.h"

#include "devtools/vbat/VBatMessages.h"
#include "platform/Cp1252.h"
#include "ui/MessagesUnit.h"
#include "ui/ModalRunner.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvid {

namespace {

class TProgressBox final : public TVBatProgress {
public:
    TProgressBox(TFormPlace* Place, std::string_view Caption) : FForm(Place) {
        FForm.setWindowTitle(ToQString(Caption));
        FForm.ProgressLabel->setText(ToQString(Caption));
        FForm.show();
    }
    bool Cancelled() const override { return FForm.Cancelled(); }

private:
    TCompilerProgressForm FForm;
};

} // namespace

TVBatInputDialog::TVBatInputDialog(const std::vector<TVBatInput>& Inputs, const TVBatValues& Values,
                                   QWidget* Parent)
    : QDialog(Parent), FInputs(Inputs) {
    setWindowTitle(ToQString(VBatParametersCaption));
    auto* Layout = new QVBoxLayout(this);
    auto ValueOf = [&](const std::string& Name) {
        const auto Found = Values.find(Name);
        return Found == Values.end() ? std::string() : Found->second;
    };
    for (const TVBatInput& Input : Inputs) {
        if (Input.IsCheckBox()) {
            auto* Box = new QCheckBox(ToQString(Input.Caption), this);
            Box->setChecked(!ValueOf(Input.Names.front()).empty());
            Layout->addWidget(Box);
            FCheckBoxes.push_back(Box);
            continue;
        }
        auto* DropDown = new QComboBox(this);
        for (const std::string& Name : Input.Names) {
            DropDown->addItem(ToQString(Name));
            if (!ValueOf(Name).empty() && DropDown->currentIndex() == 0)
                DropDown->setCurrentIndex(DropDown->count() - 1);
        }
        Layout->addWidget(DropDown);
        FDropDowns.push_back(DropDown);
    }
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Buttons->button(QDialogButtonBox::Ok)->setText("OK");
    Buttons->button(QDialogButtonBox::Cancel)->setText("Cancel");
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    Layout->addWidget(Buttons);
}

TVBatValues TVBatInputDialog::Values() const {
    TVBatValues Result;
    std::size_t Box = 0;
    std::size_t DropDown = 0;
    for (const TVBatInput& Input : FInputs) {
        if (Input.IsCheckBox()) {
            Result[Input.Names.front()] = FCheckBoxes[Box++]->isChecked() ? "Y" : "";
            continue;
        }
        const int Chosen = FDropDowns[DropDown++]->currentIndex();
        for (std::size_t I = 0; I < Input.Names.size(); ++I)
            Result[Input.Names[I]] = static_cast<int>(I) == Chosen ? "Y" : "";
    }
    return Result;
}

void TVBatBoxReporter::Error(std::string_view Text) {
    ShowOkMessage(VBatErrorCaption, Text);
}

bool TVBatBoxReporter::Pause(std::string_view Text) {
    return AskOkCancel(VBatPausedCaption, Text);
}

bool TVBatBoxReporter::AskInputs(const std::vector<TVBatInput>& Inputs, TVBatValues& Values) {
    TVBatInputDialog Dialog(Inputs, Values);
    if (RunModal(Dialog) != QDialog::Accepted)
        return false;
    for (auto& [Name, Value] : Dialog.Values())
        Values[Name] = Value;
    return true;
}

std::unique_ptr<TVBatProgress> TVBatBoxReporter::ShowProgress(std::string_view Caption) {
    return std::make_unique<TProgressBox>(FProgressPlace, Caption);
}

} // namespace korvid

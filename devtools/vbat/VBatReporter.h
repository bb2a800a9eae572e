#pragma once

#include "devtools/vbat/VBat.h"
#include "ui/CompilerProgressForm.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;

namespace korvid {

// "VBat Script Parameters": a check box for each "as" input and a drop-down for each set of
// alternatives.
class TVBatInputDialog : public QDialog {
    Q_OBJECT

public:
    TVBatInputDialog(const std::vector<TVBatInput>& Inputs, const TVBatValues& Values,
                     QWidget* Parent = nullptr);

    // Checked boxes give "Y", others the empty text; a drop-down gives "Y" to its chosen name
    // and the empty text to the others.
    TVBatValues Values() const;

    const std::vector<QCheckBox*>& CheckBoxes() const { return FCheckBoxes; }
    const std::vector<QComboBox*>& DropDowns() const { return FDropDowns; }

private:
    const std::vector<TVBatInput>& FInputs;
    std::vector<QCheckBox*> FCheckBoxes; // one per check-box input, in order
    std::vector<QComboBox*> FDropDowns;  // one per drop-down input, in order
};

// Shows the boxes of a run: errors, pauses, the input dialog and the progress form.
class TVBatBoxReporter : public TVBatReporter {
public:
    explicit TVBatBoxReporter(TFormPlace* ProgressPlace = nullptr)
        : FProgressPlace(ProgressPlace) {}

    void Error(std::string_view Text) override;
    bool Pause(std::string_view Text) override;
    bool AskInputs(const std::vector<TVBatInput>& Inputs, TVBatValues& Values) override;
    std::unique_ptr<TVBatProgress> ShowProgress(std::string_view Caption) override;

private:
    TFormPlace* FProgressPlace;
};

} // namespace korvid

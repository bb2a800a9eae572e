#pragma once

#include "workspace/SortOptions.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace korvid {

// Asks for the paragraph, or the line, to go to.
class TGoToForm : public QDialog {
public:
    explicit TGoToForm(QWidget* Parent = nullptr);

    // Lines when the document is not laid out in paragraphs.
    void SetParagraphMode(bool Paragraphs);
    void SetNumber(int Number);
    int Number() const;

    QLabel* NumberLabel() const { return FLabel; }
    QSpinBox* NumberEdit() const { return FNumber; }

private:
    QLabel* FLabel;
    QSpinBox* FNumber;
};

// The Sort command's choices, edited on the form's own copy of the record.
class TSortForm : public QDialog {
public:
    explicit TSortForm(QWidget* Parent = nullptr);

    void SetParagraphMode(bool Paragraphs);
    // Numbers outside the boxes' ranges show clamped.
    void SetSortOptions(const TKorvidSortOptions& Options);
    void GetSortOptions(TKorvidSortOptions& Options) const;

    QRadioButton* SingleButton() const { return FSingle; }
    QRadioButton* BlocksButton() const { return FBlocks; }
    QLabel* BlocksLabel() const { return FBlocksLabel; }
    QSpinBox* BlocksEdit() const { return FStep; }
    QRadioButton* ColumnButton() const { return FColumn; }
    QSpinBox* ColumnEdit() const { return FColumnNumber; }
    QRadioButton* OccurrenceButton() const { return FOccurrence; }
    QSpinBox* OccurrenceEdit() const { return FOccurrenceNumber; }
    QLabel* OfLabel() const { return FOfLabel; }
    QLineEdit* OfEdit() const { return FOfText; }
    QCheckBox* NumericalBox() const { return FNumerical; }
    QPushButton* OkButton() const { return FOk; }

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void LoadControls();
    void UpdateStates();

    TKorvidSortOptions FOptions;
    QRadioButton* FSingle;
    QRadioButton* FBlocks;
    QSpinBox* FStep;
    QLabel* FBlocksLabel;
    QRadioButton* FAscending;
    QRadioButton* FDescending;
    QCheckBox* FCaseSensitive;
    QCheckBox* FNumerical;
    QRadioButton* FColumn;
    QSpinBox* FColumnNumber;
    QRadioButton* FOccurrence;
    QSpinBox* FOccurrenceNumber;
    QLabel* FOfLabel;
    QLineEdit* FOfText;
    QPushButton* FOk;
};

} // namespace korvid

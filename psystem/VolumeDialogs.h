#pragma once

#include "psystem/FilerModel.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvid {

class TVolume;

// Asks for a volume's new size in blocks.
class TExpandForm : public QDialog {
    Q_OBJECT

public:
    explicit TExpandForm(QWidget* Parent = nullptr);

    // Caption, label, limits and starting size for V.
    void Prepare(const TVolume& V);
    void SetBounds(const TResizeBounds& Bounds);
    const TResizeBounds& Bounds() const { return FBounds; }
    int Position() const { return FPosition; }
    void SetPosition(int Blocks);
    // The change the user asked for: the new size less the present one.
    int Change() const { return FPosition - FBounds.End; }
    // OK: the typed number is checked against the limits before it is taken.
    void CheckAndAccept();

    QLabel* ExpandLabel;
    QLineEdit* FromEdit;
    QLineEdit* ExpandEdit;
    QPushButton* MinButton;
    QPushButton* MaxButton;
    QPushButton* OKButton;
    QPushButton* CancelButton;

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    TResizeBounds FBounds;
    int FPosition = 6;
};

class TRenameVolumeForm : public QDialog {
    Q_OBJECT

public:
    explicit TRenameVolumeForm(QWidget* Parent = nullptr);
    void Prepare(const std::string& VolumeName);
    // The first 7 characters typed, upper case.
    std::string NewName() const;

    QLabel* NewNameLabel;
    QLineEdit* NewNameEdit;
};

class TCreateSubvolumeForm : public QDialog {
    Q_OBJECT

public:
    explicit TCreateSubvolumeForm(QWidget* Parent = nullptr);
    std::string Name() const;
    // -1 when the size is not a number.
    int Size() const;

    QLineEdit* NameEdit;
    QLineEdit* SizeEdit;
    QPushButton* OKButton;
};

class TNewPSystemFileForm : public QDialog {
    Q_OBJECT

public:
    explicit TNewPSystemFileForm(QWidget* Parent = nullptr);

    QLineEdit* NameEdit;
};

} // namespace korvid

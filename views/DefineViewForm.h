#pragma once

#include "platform/Colors.h"
#include "views/PluginQueries.h"
#include "views/View.h"

#include <QDialog>
#include <QPushButton>

#include <array>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTreeWidget;

namespace korvid {

class TShortCutEdit;

// A button that shows a colour and changes it through the colour dialog. A system colour
// stays a system colour value until the user picks a different colour.
class TColourButton : public QPushButton {
public:
    explicit TColourButton(const QString& Caption, QWidget* Parent = nullptr);
    TColor Colour() const { return FColour; }
    void SetColour(TColor Value);
    // Runs the colour dialog; true when the colour changed.
    bool ChooseColour();

private:
    TColor FColour = 0;
};

// Edits one auto-text entry.
class TAutoTextEntryForm : public QDialog {
public:
    explicit TAutoTextEntryForm(QWidget* Parent = nullptr);
    void LoadEntry(const TAutoTextEntry& Entry);
    void StoreEntry(TAutoTextEntry& Entry) const;

    QLineEdit* DescriptionEdit() const { return FDescription; }
    QLineEdit* AbbreviationEdit() const { return FAbbreviation; }
    QLineEdit* CursorCharEdit() const { return FCursorChar; }
    TShortCutEdit* ShortCutEdit() const { return FShortCut; }
    QPlainTextEdit* ExpansionEdit() const { return FExpansion; }

private:
    QLineEdit* FDescription;
    QLineEdit* FAbbreviation;
    QLineEdit* FCursorChar;
    TShortCutEdit* FShortCut;
    QPlainTextEdit* FExpansion;
};

// Edits every setting of one view on seven pages. The dialog works on copies: nothing reaches
// the view before StoreView.
class TDefineViewForm : public QDialog {
public:
    enum TPage { pgUsage, pgSpaces, pgTabs, pgWordWrap, pgAutoText, pgAppearance, pgSyntax };

    explicit TDefineViewForm(QWidget* Parent = nullptr);

    void LoadView(const TView& View);
    // Fills the font list and lists the plug-in's elements; after LoadView, before showing.
    void Prepare();
    void StoreView(TView& View) const;

    // One row of the element list.
    struct TElementRow {
        std::string Name;
        TViewElement Element;
    };
    const std::vector<TElementRow>& ElementRows() const { return FRows; }
    void SetElementRow(int Row, const TViewElement& Element);
    // Sets the window colours and the element rows from the plug-in's default colours.
    void ApplyDefaultColours();
    // Lists the elements of the plug-in file now named (after Browse or an edit).
    void ListElements();
    const std::vector<TAutoTextEntry>& AutoTextEntries() const { return FAutoText; }

    QTabWidget* Pages() const { return FPages; }
    QLineEdit* NameEdit() const { return FName; }
    TShortCutEdit* ShortCutEdit() const { return FShortCut; }
    QCheckBox* PreserveSpacesCheck() const { return FPreserveSpaces; }
    QCheckBox* PreserveSolitarySpacesCheck() const { return FPreserveSolitarySpaces; }
    QCheckBox* SaveAsUnixCheck() const { return FSaveAsUnix; }
    QSpinBox* TabStopsEdit() const { return FTabStops; }
    QRadioButton* WrapTypeButton(int WrapType) const { return FWrapType.at(WrapType); }
    QSpinBox* WrapColumnEdit() const { return FWrapColumn; }
    QTreeWidget* AutoTextList() const { return FAutoTextList; }
    QPushButton* NewEntryButton() const { return FNewEntry; }
    QPushButton* ModifyEntryButton() const { return FModifyEntry; }
    QPushButton* DeleteEntryButton() const { return FDeleteEntry; }
    QComboBox* FontNameCombo() const { return FFontName; }
    QSpinBox* FontSizeEdit() const { return FFontSize; }
    TColourButton* TextColourButton() const { return FTextColour; }
    QCheckBox* UseDllCheck() const { return FUseDll; }
    QLineEdit* DllEdit() const { return FDll; }
    QTreeWidget* ElementList() const { return FElementList; }
    QPushButton* DefaultColoursButton() const { return FDefaultColours; }

private:
    QWidget* MakeUsagePage();
    QWidget* MakeSpacesPage();
    QWidget* MakeTabsPage();
    QWidget* MakeWordWrapPage();
    QWidget* MakeAutoTextPage();
    QWidget* MakeAppearancePage();
    QWidget* MakeSyntaxPage();

    void UpdateControls();
    void ShowAutoText();
    void NewEntryClick();
    void ModifyEntryClick();
    void DeleteEntryClick();
    void ShowElementRow(int Row);
    void ElementColourClick();
    void ElementStyleChanged();
    // The view's elements with the rows' settings folded in.
    std::vector<TViewElement> CollectElements() const;
    std::string BrowseFor(const std::string& Title, const std::string& Filter,
                          const std::string& Current);

    // The view as loaded: fields without a control of their own come back from here.
    TView FLoaded;
    std::vector<TViewElement> FElements;
    std::vector<TElementRow> FRows;
    std::vector<TAutoTextEntry> FAutoText;

    QTabWidget* FPages;
    // Usage
    QLineEdit* FName;
    QLineEdit* FWildcards;
    TShortCutEdit* FShortCut;
    QLineEdit* FHelpFile;
    QCheckBox* FOpenAsReadOnly;
    QCheckBox* FPSystemPascal;
    QCheckBox* FPSystemReportWriter;
    QCheckBox* FPSystemLorvanta;
    // Spaces
    QCheckBox* FPreserveSpaces;
    QCheckBox* FPreserveSolitarySpaces;
    QCheckBox* FFinalLineFeed;
    QCheckBox* FSaveAsUnix;
    QCheckBox* FUtf8;
    // Tabs
    std::array<QRadioButton*, 3> FTabKey{};
    QSpinBox* FTabStops;
    QSpinBox* FIndentCount;
    QCheckBox* FAutoIndent;
    // Word wrap
    std::array<QRadioButton*, 3> FWrapType{};
    QSpinBox* FWrapColumn;
    QCheckBox* FWrapAtLeft;
    QCheckBox* FWrapAtRight;
    QCheckBox* FWebScrolling;
    // AutoText
    QTreeWidget* FAutoTextList;
    QPushButton* FNewEntry;
    QPushButton* FModifyEntry;
    QPushButton* FDeleteEntry;
    // Appearance
    QComboBox* FFontName;
    QSpinBox* FFontSize;
    QSpinBox* FLeftMarginWidth;
    QCheckBox* FRightMarginVisible;
    QSpinBox* FRightMarginColumn;
    TColourButton* FRightMarginColour;
    TColourButton* FTextColour;
    TColourButton* FBackgroundColour;
    TColourButton* FSelectionTextColour;
    TColourButton* FSelectionBackgroundColour;
    TColourButton* FBreakpointTextColour;
    TColourButton* FBreakpointBackgroundColour;
    TColourButton* FExecutionPointTextColour;
    TColourButton* FExecutionPointBackgroundColour;
    // Syntax
    QCheckBox* FUseDll;
    QLineEdit* FDll;
    QTreeWidget* FElementList;
    QPushButton* FElementColour;
    QCheckBox* FElementBold;
    QCheckBox* FElementItalic;
    QPushButton* FDefaultColours;
    QLineEdit* FCommentMarker;
    QLineEdit* FOpeningDelimiter;
    QLineEdit* FClosingDelimiter;
    QLineEdit* FWordDelimiters;
};

} // namespace korvid

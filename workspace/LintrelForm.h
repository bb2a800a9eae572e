#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QTabWidget;

namespace korvid {

// What one page of the Lintrel dialog inserts.
struct TLintrelMarkup {
    enum TKind {
        Wrap,  // Prefix + selection + Suffix; the caret goes between them when nothing was selected
        Block, // Prefix (Continuation on later paragraphs) at each line start, Suffix at its end
        Text,  // Prefix replaces the selection
    };
    TKind Kind = Wrap;
    std::string Prefix;
    std::string Continuation;
    std::string Suffix;
    bool operator==(const TLintrelMarkup&) const = default;
};

// One radio button of a page and the markup it stands for.
struct TLintrelChoice {
    const char* Caption;
    const char* Prefix;
    const char* Suffix = "";
    const char* Continuation = "";
};

// The pages in tab order.
enum class TLintrelPage { BlockMarkup, InlineMarkup, InlineExtra, LinksAndImages, Special, Xml };

const std::vector<TLintrelChoice>& LintrelBlockChoices();
const std::vector<TLintrelChoice>& LintrelInlineChoices();
const std::vector<TLintrelChoice>& LintrelExtraChoices();

// The choices of the Links and Images page.
struct TLintrelLink {
    enum TKindOf { Link, Image, Thumbnail, AutoThumbnail };
    enum TTarget { Web, Local, CurrentSite };
    enum TNamespace { CurrentNamespace, Outer, SpecifyNamespace };
    enum TPage { Deduced, CurrentPage, Home, SpecifyPage };
    TKindOf Kind = Link;
    TTarget Target = CurrentSite;
    TNamespace Namespace = CurrentNamespace;
    TPage Page = SpecifyPage;
    bool Anchor = false;
    std::string WebText, LocalText, NamespaceText, PageText, AnchorText;
};

// Markup of each page from its state; Choice indexes the page's buttons.
TLintrelMarkup BlockMarkup(int Choice, const std::string& FloatWidth);
TLintrelMarkup InlineMarkup(int Choice);
TLintrelMarkup ExtraMarkup(int Choice);
TLintrelMarkup LinkMarkup(const TLintrelLink& Link);
TLintrelMarkup SpecialMarkup(int Choice, const std::string& Parameter);
TLintrelMarkup XmlMarkup(int Choice, const std::string& Parameter);

// Chooses Lintrel wiki markup; one instance keeps its choices between uses.
class TLintrelForm : public QDialog {
public:
    explicit TLintrelForm(QWidget* Parent = nullptr);

    // The markup of the active page.
    TLintrelMarkup Markup() const;

    QTabWidget* Pages() const { return FPages; }
    // Checks the button of Page at Index.
    void Choose(TLintrelPage Page, int Index);
    TLintrelLink LinkState() const;
    void SetLinkState(const TLintrelLink& Link);
    QLineEdit* FloatWidthEdit() const { return FFloatWidth; }
    QLineEdit* SpecialParameterEdit() const { return FSpecialParameter; }
    QLineEdit* XmlParameterEdit() const { return FXmlParameter; }

private:
    QWidget* MakeChoicePage(const std::vector<std::string>& Captions,
                            const std::vector<std::string>& Syntax, QButtonGroup*& Group,
                            int Default);
    QWidget* MakeLinksPage();
    void LinkButtonClicked(QButtonGroup* Group, int Id);

    QTabWidget* FPages;
    QButtonGroup* FBlock = nullptr;
    QButtonGroup* FInline = nullptr;
    QButtonGroup* FExtra = nullptr;
    QButtonGroup* FSpecial = nullptr;
    QButtonGroup* FXml = nullptr;
    QButtonGroup* FLinkKind = nullptr;
    QButtonGroup* FLinkTarget = nullptr;
    QButtonGroup* FLinkNamespace = nullptr;
    QButtonGroup* FLinkPage = nullptr;
    QCheckBox* FAnchor = nullptr;
    QLineEdit* FFloatWidth = nullptr;
    QLineEdit* FSpecialParameter = nullptr;
    QLineEdit* FXmlParameter = nullptr;
    QLineEdit* FWeb = nullptr;
    QLineEdit* FLocal = nullptr;
    QLineEdit* FNamespaceText = nullptr;
    QLineEdit* FPageText = nullptr;
    QLineEdit* FAnchorText = nullptr;
};

} // namespace korvid

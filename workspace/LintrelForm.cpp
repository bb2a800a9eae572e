#include "workspace/LintrelForm.h"

#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "ui/FormUtilities.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace korvid {

namespace {

constexpr const char* LineBreak = "\r\n";

struct TCommandRow {
    const char* Caption;
    const char* Head;
    bool TakesParameter;
    const char* Tail = "";
};

const std::vector<TCommandRow>& SpecialRows() {
    static const std::vector<TCommandRow> Rows = {
        {"Select a &browse sequence (as the first line of a page)", "@", true},
        {"Specify a &title for the page", "!", true},
        {"Add an anchor (HTML &id attribute) to the next block", ".#", true},
        {"Add an HTML &class attribute to the next block", ".", true},
        {"Add HTML &attributes to the next block", ".@", true},
        {"Allow inline &markup in the next code block", ".'", false},
        {"Add line &numbers to the next code block", ".%", false},
        {"Toggle &parallel columns", "||", false},
        {"Toggle HTML &section", "~~~~", true},
        {"Insert the &version number of Lintrel", "{%version}", false},
    };
    return Rows;
}

const std::vector<std::string> XmlCaptions = {"&Element", "E&mpty element", "&Attribute",
                                              "&HTML5 doctype", "&XML declaration"};

TLintrelMarkup FromChoice(const std::vector<TLintrelChoice>& Choices, int Choice,
                          TLintrelMarkup::TKind Kind) {
    if (Choice < 0 || Choice >= int(Choices.size()))
        return {Kind, "", "", ""};
    const auto& C = Choices[std::size_t(Choice)];
    return {Kind, C.Prefix, C.Continuation, C.Suffix};
}

std::vector<std::string> CaptionsOf(const std::vector<TLintrelChoice>& Choices) {
    std::vector<std::string> Captions;
    for (const auto& C : Choices)
        Captions.emplace_back(C.Caption);
    return Captions;
}

// The button's key letter, two blanks and the markup, as the syntax panel lists it.
std::string SyntaxLine(const std::string& Caption, const TLintrelMarkup& Markup) {
    const auto Amp = Caption.find('&');
    const std::string Key =
        Amp == std::string::npos || Amp + 1 >= Caption.size()
            ? std::string(" ")
            : std::string(1, char(std::toupper((unsigned char)Caption[Amp + 1])));
    std::string Shown =
        Markup.Prefix +
        (Markup.Kind == TLintrelMarkup::Wrap && !Markup.Suffix.empty() ? std::string("...")
                                                                       : std::string()) +
        Markup.Suffix;
    Shown = ReplaceAll(Shown, "\r\n", " ");
    return Key + "  " + Shown;
}

} // namespace

const std::vector<TLintrelChoice>& LintrelBlockChoices() {
    static const std::vector<TLintrelChoice> Choices = {
        {"Heading &1", "= "},
        {"Heading &2", "== "},
        {"Heading &3", "=== "},
        {"Heading &4", "==== "},
        {"&Bulleted list", "* "},
        {"&Numbered list", "# "},
        {"Begin ne&sting", "{"},
        {"&End nesting", "}"},
        {"&Table", "| ", " | "},
        {"&Infobox", "} ", " | "},
        {"&Glossary", "] ", " | "},
        {"&Quotation", "> "},
        {"Centre&d", ") "},
        {"Float &left", "^<", "", "^ "},
        {"Float &right", "^>", "", "^ "},
        {"Clear all &floats", "^^^^"},
        {"&Horizontal rule", "----"},
        {"&Code", "  "},
        {"Blan&k line of code", "\\"},
        {"Ra&w HTML block", "~"},
        {"Co&mment", "; "},
    };
    return Choices;
}

const std::vector<TLintrelChoice>& LintrelInlineChoices() {
    static const std::vector<TLintrelChoice> Choices = {
        {"&Bold", "'''", "'''"},
        {"&Italic", "''", "''"},
        {"&Underlined", "'_", "_'"},
        {"C&ode", "'.", ".'"},
        {"&Emphatic", "'/", "/'"},
        {"Stro&ng", "'*", "*'"},
        {"Big te&xt", "'+", "+'"},
        {"&Little text", "'-", "-'"},
        {"Small ca&ps", "'$", "$'"},
        {"Supe&rscript", "'^", "^'"},
        {"&Subscript", "'~", "~'"},
        {"Para &heading", "'=", "='"},
        {"&Technical term", "'!", "!'"},
        {"&Quoted", "'\"", "\"'"},
        {"&Mentioned", "'\\", "\\'"},
        {"&Gloss", "':", ":'"},
        {"&Citation", "'%", "%'"},
        {"E&ditorial", "';", ";'"},
        {"Stri&keout", "'?", "?'"},
        {"&Anchor", "'#id", "|#'"},
        {"Abbre&viation", "'&", "|expansion&'"},
        {"Arbitrar&y span", "'@class", "|@'"},
    };
    return Choices;
}

const std::vector<TLintrelChoice>& LintrelExtraChoices() {
    static const std::vector<TLintrelChoice> Choices = {
        {"Line &break", "{;}"},      {"Non-breaking &space", "{_}"},
        {"&HTML entity", "{_", "}"}, {"&Numeric entity", "{#", "}"},
        {"He&x entity", "{$", "}"},  {"&Raw HTML tag", "{{", "}}"},
        {"&Template", "{@", "}"},    {"&Parameterized template", "{@", "(x,y)}"},
        {"&Filler", "{}"},           {"&Literal character", "{=", "}"},
    };
    return Choices;
}

TLintrelMarkup BlockMarkup(int Choice, const std::string& FloatWidth) {
    auto Markup = FromChoice(LintrelBlockChoices(), Choice, TLintrelMarkup::Block);
    // The floats carry their width between the marker and the blank.
    if (Markup.Prefix == "^<" || Markup.Prefix == "^>")
        Markup.Prefix += FloatWidth + " ";
    return Markup;
}

TLintrelMarkup InlineMarkup(int Choice) {
    return FromChoice(LintrelInlineChoices(), Choice, TLintrelMarkup::Wrap);
}

TLintrelMarkup ExtraMarkup(int Choice) {
    return FromChoice(LintrelExtraChoices(), Choice, TLintrelMarkup::Wrap);
}

TLintrelMarkup LinkMarkup(const TLintrelLink& Link) {
    static const char* const Prefixes[] = {"`", "{*", "{*@", "{*^"};
    static const char* const Suffixes[] = {"`", "|}", "|}", "|}"};
    TLintrelMarkup Markup{TLintrelMarkup::Wrap, Prefixes[Link.Kind], "", Suffixes[Link.Kind]};
    std::string& P = Markup.Prefix;
    switch (Link.Target) {
    case TLintrelLink::Web:
        P += "!" + Link.WebText;
        break;
    case TLintrelLink::Local:
        if (!Link.LocalText.starts_with("/"))
            P += "/";
        P += Link.LocalText;
        break;
    case TLintrelLink::CurrentSite:
        if (Link.Namespace == TLintrelLink::Outer)
            P += ":";
        else if (Link.Namespace == TLintrelLink::SpecifyNamespace)
            P += Link.NamespaceText + ":";
        if (Link.Page == TLintrelLink::Home)
            P += "~";
        else if (Link.Page == TLintrelLink::SpecifyPage)
            P += Link.PageText;
        if (Link.Anchor && Link.Kind == TLintrelLink::Link)
            P += "#" + Link.AnchorText;
        break;
    }
    if (Link.Kind == TLintrelLink::Link &&
        !(Link.Page == TLintrelLink::Deduced && Link.Target == TLintrelLink::CurrentSite))
        P += "|";
    return Markup;
}

TLintrelMarkup SpecialMarkup(int Choice, const std::string& Parameter) {
    const auto& Rows = SpecialRows();
    if (Choice < 0 || Choice >= int(Rows.size()))
        return {TLintrelMarkup::Text, "", "", ""};
    const auto& Row = Rows[std::size_t(Choice)];
    std::string Text = Row.Head;
    if (Choice == int(Rows.size()) - 1)
        return {TLintrelMarkup::Text, Text, "", ""};
    if (Row.TakesParameter) {
        // The section toggle names its parameter only when there is one.
        const bool Section = std::string_view(Row.Head) == "~~~~";
        if (Section && !Parameter.empty())
            Text += " " + Parameter;
        else if (!Section)
            Text += Parameter;
    }
    return {TLintrelMarkup::Text, LineBreak + Text + LineBreak, "", ""};
}

TLintrelMarkup XmlMarkup(int Choice, const std::string& Parameter) {
    switch (Choice) {
    case 0:
        return {TLintrelMarkup::Wrap, "<" + Parameter + ">", "", "</" + Parameter + ">"};
    case 1:
        return {TLintrelMarkup::Wrap, "<" + Parameter + "/>", "", ""};
    case 2:
        return {TLintrelMarkup::Wrap, Parameter + "=\"", "", "\""};
    case 3:
        return {TLintrelMarkup::Wrap, "<!DOCTYPE html>", "", ""};
    case 4:
        return {TLintrelMarkup::Wrap, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "", ""};
    default:
        return {TLintrelMarkup::Wrap, "", "", ""};
    }
}

TLintrelForm::TLintrelForm(QWidget* Parent) : QDialog(Parent) {
    setWindowTitle("Lintrel");
    const QFont Mono(ToQString(GetMonospacedFontName()));
    FPages = new QTabWidget(this);
    FPages->setUsesScrollButtons(false);

    auto SyntaxOf = [](const std::vector<std::string>& Captions, auto Markup) {
        std::vector<std::string> Lines;
        for (int I = 0; I < int(Captions.size()); ++I)
            Lines.push_back(SyntaxLine(Captions[std::size_t(I)], Markup(I)));
        return Lines;
    };

    FFloatWidth = new QLineEdit("200");
    const auto BlockCaptions = CaptionsOf(LintrelBlockChoices());
    auto* Block = MakeChoicePage(
        BlockCaptions, SyntaxOf(BlockCaptions, [](int I) { return BlockMarkup(I, "200"); }), FBlock,
        0);
    auto* FloatLabel = new QLabel("Fl&oat width (pixels):");
    FloatLabel->setBuddy(FFloatWidth);
    FFloatWidth->setFont(Mono);
    Block->layout()->addWidget(FloatLabel);
    Block->layout()->addWidget(FFloatWidth);
    FPages->addTab(Block, "Block Markup");

    const auto InlineCaptions = CaptionsOf(LintrelInlineChoices());
    FPages->addTab(
        MakeChoicePage(InlineCaptions, SyntaxOf(InlineCaptions, InlineMarkup), FInline, 0),
        "Inline Markup");
    const auto ExtraCaptions = CaptionsOf(LintrelExtraChoices());
    FPages->addTab(MakeChoicePage(ExtraCaptions, SyntaxOf(ExtraCaptions, ExtraMarkup), FExtra, 0),
                   "Inline Extra");
    FPages->addTab(MakeLinksPage(), "Links and Images");

    std::vector<std::string> SpecialCaptions;
    for (const auto& Row : SpecialRows())
        SpecialCaptions.emplace_back(Row.Caption);
    auto* Special = MakeChoicePage(
        SpecialCaptions, SyntaxOf(SpecialCaptions, [](int I) { return SpecialMarkup(I, "P"); }),
        FSpecial, 0);
    FSpecialParameter = new QLineEdit;
    FSpecialParameter->setFont(Mono);
    auto* SpecialLabel = new QLabel("&Parameter:");
    SpecialLabel->setBuddy(FSpecialParameter);
    Special->layout()->addWidget(SpecialLabel);
    Special->layout()->addWidget(FSpecialParameter);
    FPages->addTab(Special, "Special Commands");

    auto* Xml = MakeChoicePage(
        XmlCaptions, SyntaxOf(XmlCaptions, [](int I) { return XmlMarkup(I, "P"); }), FXml, 0);
    FXmlParameter = new QLineEdit;
    FXmlParameter->setFont(Mono);
    auto* XmlLabel = new QLabel("&Parameter:");
    XmlLabel->setBuddy(FXmlParameter);
    Xml->layout()->addWidget(XmlLabel);
    Xml->layout()->addWidget(FXmlParameter);
    FPages->addTab(Xml, "XML");

    FPages->setCurrentIndex(int(TLintrelPage::InlineMarkup));

    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(FPages);
    Layout->addWidget(Buttons);
    adjustSize();
    CentreOnMainForm(this);
}

QWidget* TLintrelForm::MakeChoicePage(const std::vector<std::string>& Captions,
                                      const std::vector<std::string>& Syntax, QButtonGroup*& Group,
                                      int Default) {
    auto* Page = new QWidget;
    auto* Layout = new QVBoxLayout(Page);
    auto* Row = new QHBoxLayout;
    auto* Column = new QVBoxLayout;
    Group = new QButtonGroup(Page);
    for (int I = 0; I < int(Captions.size()); ++I) {
        auto* Button = new QRadioButton(ToQString(Captions[std::size_t(I)]));
        Group->addButton(Button, I);
        Column->addWidget(Button);
    }
    Group->button(Default)->setChecked(true);
    Column->addStretch();
    Row->addLayout(Column);
    std::string Text;
    for (const auto& Line : Syntax)
        Text += Line + "\n";
    auto* Panel = new QLabel(ToQString(Text));
    Panel->setFont(QFont(ToQString(GetMonospacedFontName())));
    Panel->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    Panel->setTextFormat(Qt::PlainText);
    Row->addWidget(Panel);
    Layout->addLayout(Row);
    return Page;
}

QWidget* TLintrelForm::MakeLinksPage() {
    const QFont Mono(ToQString(GetMonospacedFontName()));
    auto* Page = new QWidget;
    auto* Layout = new QGridLayout(Page);
    auto MakeGroup = [&](const char* Title, const std::vector<const char*>& Captions, int Default,
                         QButtonGroup*& Group, std::vector<QLineEdit**> Edits) {
        auto* Box = new QGroupBox(Title);
        auto* Grid = new QGridLayout(Box);
        Group = new QButtonGroup(Box);
        for (int I = 0; I < int(Captions.size()); ++I) {
            auto* Button = new QRadioButton(Captions[std::size_t(I)]);
            Group->addButton(Button, I);
            Grid->addWidget(Button, I, 0);
            if (QLineEdit** Edit = Edits[std::size_t(I)]) {
                *Edit = new QLineEdit;
                (*Edit)->setFont(Mono);
                Grid->addWidget(*Edit, I, 1);
            }
        }
        Group->button(Default)->setChecked(true);
        QButtonGroup* const G = Group;
        connect(Group, &QButtonGroup::idClicked, this,
                [this, G](int Id) { LinkButtonClicked(G, Id); });
        return Box;
    };
    Layout->addWidget(MakeGroup("Link or image?",
                                {"Lin&k", "&Image", "&Thumbnail", "A&uto thumbnail"}, 0, FLinkKind,
                                {nullptr, nullptr, nullptr, nullptr}),
                      0, 0);
    Layout->addWidget(MakeGroup("Target", {"&Web:", "&Local:", "O&n current site"}, 2, FLinkTarget,
                                {&FWeb, &FLocal, nullptr}),
                      0, 1);
    Layout->addWidget(MakeGroup("In namespace", {"Cu&rrent", "&Outer", "Sp&ecify:"}, 0,
                                FLinkNamespace, {nullptr, nullptr, &FNamespaceText}),
                      1, 0);
    Layout->addWidget(MakeGroup("To page", {"&Deduced", "&Current", "&Home", "&Specify:"}, 3,
                                FLinkPage, {nullptr, nullptr, nullptr, &FPageText}),
                      1, 1);
    FAnchor = new QCheckBox("&Anchor:");
    FAnchorText = new QLineEdit;
    FAnchorText->setFont(Mono);
    connect(FAnchor, &QCheckBox::clicked, this, [this](bool On) {
        if (On)
            FAnchorText->setFocus();
    });
    Layout->addWidget(FAnchor, 2, 0);
    Layout->addWidget(FAnchorText, 2, 1);
    return Page;
}

void TLintrelForm::LinkButtonClicked(QButtonGroup* Group, int Id) {
    QLineEdit* Focus = nullptr;
    if (Group == FLinkTarget)
        Focus = Id == TLintrelLink::Web ? FWeb : Id == TLintrelLink::Local ? FLocal : nullptr;
    else if (Group == FLinkNamespace && Id == TLintrelLink::SpecifyNamespace)
        Focus = FNamespaceText;
    else if (Group == FLinkPage && Id == TLintrelLink::SpecifyPage)
        Focus = FPageText;
    else if (Group == FLinkPage && Id == TLintrelLink::CurrentPage) {
        // A link to the page itself is only useful with an anchor.
        if (FAnchorText->text().isEmpty())
            FAnchorText->setText("id");
        FAnchor->setChecked(true);
    } else if (Group == FLinkKind && Id != TLintrelLink::Link &&
               FLinkTarget->checkedId() == TLintrelLink::CurrentSite)
        FLinkPage->button(TLintrelLink::SpecifyPage)->setChecked(true);
    if (Focus)
        Focus->setFocus();
}

void TLintrelForm::Choose(TLintrelPage Page, int Index) {
    QButtonGroup* const Groups[] = {FBlock, FInline, FExtra, nullptr, FSpecial, FXml};
    FPages->setCurrentIndex(int(Page));
    if (QButtonGroup* Group = Groups[int(Page)])
        if (auto* Button = Group->button(Index))
            Button->setChecked(true);
}

TLintrelLink TLintrelForm::LinkState() const {
    TLintrelLink Link;
    Link.Kind = TLintrelLink::TKindOf(FLinkKind->checkedId());
    Link.Target = TLintrelLink::TTarget(FLinkTarget->checkedId());
    Link.Namespace = TLintrelLink::TNamespace(FLinkNamespace->checkedId());
    Link.Page = TLintrelLink::TPage(FLinkPage->checkedId());
    Link.Anchor = FAnchor->isChecked();
    Link.WebText = FromQString(FWeb->text());
    Link.LocalText = FromQString(FLocal->text());
    Link.NamespaceText = FromQString(FNamespaceText->text());
    Link.PageText = FromQString(FPageText->text());
    Link.AnchorText = FromQString(FAnchorText->text());
    return Link;
}

void TLintrelForm::SetLinkState(const TLintrelLink& Link) {
    FLinkKind->button(Link.Kind)->setChecked(true);
    FLinkTarget->button(Link.Target)->setChecked(true);
    FLinkNamespace->button(Link.Namespace)->setChecked(true);
    FLinkPage->button(Link.Page)->setChecked(true);
    FAnchor->setChecked(Link.Anchor);
    FWeb->setText(ToQString(Link.WebText));
    FLocal->setText(ToQString(Link.LocalText));
    FNamespaceText->setText(ToQString(Link.NamespaceText));
    FPageText->setText(ToQString(Link.PageText));
    FAnchorText->setText(ToQString(Link.AnchorText));
}

TLintrelMarkup TLintrelForm::Markup() const {
    switch (TLintrelPage(FPages->currentIndex())) {
    case TLintrelPage::BlockMarkup:
        return BlockMarkup(FBlock->checkedId(), FromQString(FFloatWidth->text()));
    case TLintrelPage::InlineMarkup:
        return InlineMarkup(FInline->checkedId());
    case TLintrelPage::InlineExtra:
        return ExtraMarkup(FExtra->checkedId());
    case TLintrelPage::LinksAndImages:
        return LinkMarkup(LinkState());
    case TLintrelPage::Special:
        return SpecialMarkup(FSpecial->checkedId(), FromQString(FSpecialParameter->text()));
    case TLintrelPage::Xml:
        return XmlMarkup(FXml->checkedId(), FromQString(FXmlParameter->text()));
    }
    return {};
}

} // namespace korvid

#include "ui/HackedDialogs.h"

#include "platform/Cp1252.h"
#include "ui/FormUtilities.h"
#include "ui/ModalRunner.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>

namespace korvid {

namespace {

std::string Trim(std::string_view S) {
    const std::size_t First = S.find_first_not_of(' ');
    if (First == std::string_view::npos)
        return {};
    const std::size_t Last = S.find_last_not_of(' ');
    return std::string(S.substr(First, Last - First + 1));
}

std::vector<std::string_view> Split(std::string_view S, char Separator) {
    std::vector<std::string_view> Parts;
    std::size_t Start = 0;
    for (;;) {
        const std::size_t End = S.find(Separator, Start);
        if (End == std::string_view::npos) {
            Parts.push_back(S.substr(Start));
            return Parts;
        }
        Parts.push_back(S.substr(Start, End - Start));
        Start = End + 1;
    }
}

// A description that already names its patterns in brackets would show them twice.
std::string WithoutTrailingPatterns(std::string Description) {
    if (!Description.empty() && Description.back() == ')') {
        const std::size_t Open = Description.rfind('(');
        if (Open != std::string::npos)
            Description = Trim(std::string_view(Description).substr(0, Open));
    }
    return Description;
}

bool IsSeparator(char C) {
    return C == '/' || C == '\\';
}

// Qt checks that a file exists by its UTF-8 spelling, which a name that is not UTF-8 lacks: such
// a name is looked for by its bytes.
class TFileDialog : public QFileDialog {
public:
    void accept() override {
        if (fileMode() == ExistingFile || fileMode() == ExistingFiles) {
            const QStringList Names = selectedFiles();
            const auto OnDisk = [](const QString& Name) {
                std::error_code Error;
                return std::filesystem::is_regular_file(DiskPathFromQtName(Name), Error);
            };
            const auto QtSeesIt = [](const QString& Name) { return QFileInfo::exists(Name); };
            if (!Names.isEmpty() && std::all_of(Names.begin(), Names.end(), OnDisk) &&
                !std::all_of(Names.begin(), Names.end(), QtSeesIt)) {
                QDialog::accept();
                return;
            }
        }
        QFileDialog::accept();
    }
};

} // namespace

bool TCommonDialog::RunDialog(QDialog& Dialog) {
    Dialog.adjustSize();
    CentreOnMainForm(&Dialog);
    if (OnShow)
        OnShow();
    const int Result = RunModal(Dialog);
    if (OnClose)
        OnClose();
    return Result == QDialog::Accepted;
}

// ---- Open and save -------------------------------------------------------------------------

std::vector<TFileFilter> ParseFileFilter(std::string_view Filter) {
    std::vector<TFileFilter> Filters;
    if (Filter.empty())
        return Filters;
    const std::vector<std::string_view> Parts = Split(Filter, '|');
    // An unpaired last description names no patterns and is left out.
    for (std::size_t I = 0; I + 1 < Parts.size(); I += 2) {
        TFileFilter Entry;
        Entry.Description = Trim(Parts[I]);
        for (const std::string_view Pattern : Split(Parts[I + 1], ';'))
            if (std::string P = Trim(Pattern); !P.empty())
                Entry.Patterns.push_back(std::move(P));
        Filters.push_back(std::move(Entry));
    }
    return Filters;
}

std::vector<std::string> QtNameFilters(std::string_view Filter) {
    std::vector<std::string> Result;
    for (const TFileFilter& Entry : ParseFileFilter(Filter)) {
        std::string Patterns;
        for (const std::string& Pattern : Entry.Patterns) {
            if (!Patterns.empty())
                Patterns += ' ';
            Patterns += Pattern == "*.*" ? "*" : Pattern;
        }
        if (Patterns.empty())
            Patterns.assign(1, '*');
        Result.push_back(WithoutTrailingPatterns(Entry.Description) + " (" + Patterns + ")");
    }
    return Result;
}

std::string TrimInitialDir(std::string_view Dir) {
    if (Dir.size() > 1 && IsSeparator(Dir.back()) && Dir[Dir.size() - 2] != ':')
        Dir.remove_suffix(1);
    return std::string(Dir);
}

void TOpenDialog::SetInitialDir(const std::filesystem::path& Dir) {
    FInitialDir = TrimInitialDir(Dir.native());
}

bool TOpenDialog::Execute() {
    TFileDialog Dialog;
    Prepare(Dialog);
    FOpenDialog = &Dialog;
    const bool Accepted = RunDialog(Dialog);
    FOpenDialog = nullptr;
    if (!Accepted)
        return false;
    ReadBack(Dialog);
    return true;
}

std::filesystem::path TOpenDialog::CurrentFileName() const {
    if (!FOpenDialog)
        return FileName;
    const QStringList Selected = FOpenDialog->selectedFiles();
    return Selected.isEmpty() ? std::filesystem::path() : DiskPathFromQtName(Selected.front());
}

int TOpenDialog::CurrentFilterIndex() const {
    if (!FOpenDialog)
        return FilterIndex;
    const int Index = FOpenDialog->nameFilters().indexOf(FOpenDialog->selectedNameFilter());
    return Index >= 0 ? Index + 1 : FilterIndex;
}

void TOpenDialog::Prepare(QFileDialog& Dialog) const {
    // The built-in dialog, so that it can be centred and scripted like every other one.
    Dialog.setOption(QFileDialog::DontUseNativeDialog);
    Dialog.setAcceptMode(IsSaveDialog() ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (!IsSaveDialog() && Options.contains(ofAllowMultiSelect))
        Dialog.setFileMode(QFileDialog::ExistingFiles);
    else if (!IsSaveDialog() && Options.contains(ofFileMustExist))
        Dialog.setFileMode(QFileDialog::ExistingFile);
    else
        Dialog.setFileMode(QFileDialog::AnyFile);
    Dialog.setOption(QFileDialog::DontConfirmOverwrite, !Options.contains(ofOverwritePrompt));
    Dialog.setOption(QFileDialog::DontResolveSymlinks, Options.contains(ofNoDereferenceLinks));
    if (!Title.empty())
        Dialog.setWindowTitle(ToQString(Title));

    QStringList Filters;
    for (const std::string& F : QtNameFilters(Filter))
        Filters << ToQString(F);
    if (!Filters.isEmpty()) {
        Dialog.setNameFilters(Filters);
        if (FilterIndex >= 1 && FilterIndex <= Filters.size())
            Dialog.selectNameFilter(Filters[FilterIndex - 1]);
    }
    if (!DefaultExt.empty())
        Dialog.setDefaultSuffix(ToQString(DefaultExt));

    if (!FInitialDir.empty())
        Dialog.setDirectory(PathToQString(FInitialDir));
    else if (FileName.has_parent_path())
        Dialog.setDirectory(PathToQString(FileName.parent_path()));
    if (!FileName.empty())
        Dialog.selectFile(PathToQString(FileName.filename()));

    if (OnFolderChange)
        QObject::connect(&Dialog, &QFileDialog::directoryEntered, [this] { OnFolderChange(); });
    if (OnSelectionChange)
        QObject::connect(&Dialog, &QFileDialog::currentChanged, [this] { OnSelectionChange(); });
    if (OnTypeChange)
        QObject::connect(&Dialog, &QFileDialog::filterSelected, [this] { OnTypeChange(); });
}

void TOpenDialog::ReadBack(const QFileDialog& Dialog) {
    Files.clear();
    for (const QString& Name : Dialog.selectedFiles())
        Files.push_back(DiskPathFromQtName(Name));
    if (!Files.empty())
        FileName = Files.front();
    const int Index = Dialog.nameFilters().indexOf(Dialog.selectedNameFilter());
    if (Index >= 0)
        FilterIndex = Index + 1;
    const std::string Extension = FromQString(PathToQString(FileName.extension()));
    const bool Different = !DefaultExt.empty() && !SameText1252(Extension, "." + DefaultExt);
    if (Different)
        Options.insert(ofExtensionDifferent);
    else
        Options.erase(ofExtensionDifferent);
}

TModalStep ChooseFiles(std::vector<std::filesystem::path> Names) {
    return ActOn<QFileDialog>([Names = std::move(Names)](QFileDialog& Dialog) {
        if (Names.empty())
            return;
        if (Names.size() == 1) {
            Dialog.selectFile(PathToQString(Names.front()));
        } else {
            Dialog.setDirectory(PathToQString(Names.front().parent_path()));
            QString Typed;
            for (const std::filesystem::path& Name : Names)
                Typed += "\"" + PathToQString(Name.filename()) + "\" ";
            if (auto* Edit = Dialog.findChild<QLineEdit*>("fileNameEdit"))
                Edit->setText(Typed.trimmed());
        }
        static_cast<QDialog&>(Dialog).accept();
    });
}

// ---- Colour --------------------------------------------------------------------------------

namespace {

std::string CustomColorName(char Letter) {
    return std::string("Color") + Letter;
}

} // namespace

long long TColorDialog::CustomColor(char Letter) const {
    const std::string Prefix = CustomColorName(Letter) + "=";
    for (const std::string& Entry : CustomColors)
        if (SameText1252(std::string_view(Entry).substr(0, Prefix.size()), Prefix)) {
            const std::string Value = Entry.substr(Prefix.size());
            char* End = nullptr;
            const long long Parsed = std::strtoll(Value.c_str(), &End, 16);
            return Value.empty() || *End != '\0' ? -1 : Parsed;
        }
    return -1;
}

void TColorDialog::SetCustomColor(char Letter, TColor Value) {
    std::array<char, 16> Hex{};
    std::snprintf(Hex.data(), Hex.size(), "%.6x", static_cast<unsigned>(Value));
    const std::string Prefix = CustomColorName(Letter) + "=";
    for (std::string& Entry : CustomColors)
        if (SameText1252(std::string_view(Entry).substr(0, Prefix.size()), Prefix)) {
            Entry = Prefix + Hex.data();
            return;
        }
    CustomColors.push_back(Prefix + Hex.data());
}

bool TColorDialog::Execute() {
    for (int I = 0; I < CustomColorCount; ++I) {
        const long long Value = CustomColor(static_cast<char>('A' + I));
        QColorDialog::setCustomColor(I, Value < 0 ? QColor(Qt::white)
                                                  : ColorToQColor(static_cast<TColor>(Value)));
    }
    QColorDialog Dialog;
    Dialog.setOption(QColorDialog::DontUseNativeDialog);
    Dialog.setCurrentColor(ColorToQColor(Color));
    if (!RunDialog(Dialog))
        return false;
    const QColor Chosen =
        Dialog.selectedColor().isValid() ? Dialog.selectedColor() : Dialog.currentColor();
    Color = QColorToColor(Chosen);
    for (int I = 0; I < CustomColorCount; ++I)
        SetCustomColor(static_cast<char>('A' + I), QColorToColor(QColorDialog::customColor(I)));
    return true;
}

// ---- Print ---------------------------------------------------------------------------------

QPrinter& Printer() {
    static std::unique_ptr<QPrinter> Instance;
    if (!Instance) {
        Instance = std::make_unique<QPrinter>();
        // Freed while the application still exists.
        qAddPostRoutine([] { Instance.reset(); });
    }
    return *Instance;
}

void TPrintDialog::SetCopies(int Value) {
    FCopies = Value;
    if (Value > 0)
        Printer().setCopyCount(Value);
}

bool TPrintDialog::Execute() {
    QPrinter& Device = Printer();
    Device.setCollateCopies(Collate);
    if (FCopies > 0)
        Device.setCopyCount(FCopies);
    if (FromPage > 0 && ToPage >= FromPage)
        Device.setFromTo(FromPage, ToPage);
    switch (PrintRange) {
    case prAllPages:
        Device.setPrintRange(QPrinter::AllPages);
        break;
    case prSelection:
        Device.setPrintRange(QPrinter::Selection);
        break;
    case prPageNums:
        Device.setPrintRange(QPrinter::PageRange);
        break;
    }

    QPrintDialog Dialog(&Device);
    if (MinPage <= MaxPage && MaxPage > 0)
        Dialog.setMinMax(MinPage, MaxPage);
    // A PDF file is always a choice: many desktops have no printer at all.
    Dialog.setOption(QAbstractPrintDialog::PrintToFile, !Options.contains(poDisablePrintToFile));
    Dialog.setOption(QAbstractPrintDialog::PrintPageRange, Options.contains(poPageNums));
    Dialog.setOption(QAbstractPrintDialog::PrintSelection, Options.contains(poSelection));
    if (!RunDialog(Dialog))
        return false;

    Collate = Device.collateCopies();
    PrintToFile = !Device.outputFileName().isEmpty();
    switch (Device.printRange()) {
    case QPrinter::Selection:
        PrintRange = prSelection;
        break;
    case QPrinter::PageRange:
        PrintRange = prPageNums;
        break;
    default:
        PrintRange = prAllPages;
        break;
    }
    FromPage = Device.fromPage();
    ToPage = Device.toPage();
    FCopies = Device.copyCount();
    return true;
}

// ---- Message dialog ------------------------------------------------------------------------

namespace {

struct TButtonKind {
    TMsgDlgBtn Button;
    const char* Caption;
    int Result;
};

constexpr std::array<TButtonKind, 11> ButtonKinds = {{
    {mbYes, "&Yes", mrYes},
    {mbNo, "&No", mrNo},
    {mbOK, "OK", mrOk},
    {mbCancel, "Cancel", mrCancel},
    {mbAbort, "&Abort", mrAbort},
    {mbRetry, "&Retry", mrRetry},
    {mbIgnore, "&Ignore", mrIgnore},
    {mbAll, "&All", mrAll},
    {mbNoToAll, "N&o to All", mrNoToAll},
    {mbYesToAll, "Yes to &All", mrYesToAll},
    {mbHelp, "&Help", mrNone},
}};

// Sizes of the form in dialog units.
constexpr int DluMargin = 8;
constexpr int DluSpacing = 10;
constexpr int DluButtonWidth = 50;
constexpr int DluButtonHeight = 14;
constexpr int DluButtonSpacing = 4;

bool HasIcon(TMsgDlgType Type) {
    return Type != mtCustom;
}

QStyle::StandardPixmap IconOf(TMsgDlgType Type) {
    switch (Type) {
    case mtWarning:
        return QStyle::SP_MessageBoxWarning;
    case mtError:
        return QStyle::SP_MessageBoxCritical;
    case mtConfirmation:
        return QStyle::SP_MessageBoxQuestion;
    case mtInformation:
    case mtCustom:
        break;
    }
    return QStyle::SP_MessageBoxInformation;
}

int ScreenWidth() {
    const QScreen* Screen = QGuiApplication::primaryScreen();
    return Screen ? Screen->geometry().width() : 1024;
}

} // namespace

std::string MessageDialogTitle(TMsgDlgType Type) {
    switch (Type) {
    case mtWarning:
        return "Warning";
    case mtError:
        return "Error";
    case mtInformation:
        return "Information";
    case mtConfirmation:
        return "Confirm";
    case mtCustom:
        break;
    }
    return FromQString(QCoreApplication::applicationName());
}

TMessageDialogForm::TMessageDialogForm(std::string_view Text, TMsgDlgType Type,
                                       const TMsgDlgButtons& Buttons)
    : FText(Text), FType(Type) {
    setWindowTitle(ToQString(MessageDialogTitle(Type)));
    setFont(QApplication::font("QMessageBox"));
    const QFontMetrics Metrics(font());
    const int HUnit = Metrics.averageCharWidth();
    const int VUnit = Metrics.height();
    const auto H = [HUnit](int Dlu) { return Dlu * HUnit / 4; };
    const auto V = [VUnit](int Dlu) { return Dlu * VUnit / 8; };

    QRect TextRect = Metrics.boundingRect(QRect(0, 0, ScreenWidth() / 2, 0),
                                          Qt::TextWordWrap | Qt::TextExpandTabs, ToQString(Text));
    int IconWidth = 0;
    if (HasIcon(Type)) {
        auto* Icon = new QLabel(this);
        Icon->setPixmap(style()->standardIcon(IconOf(Type)).pixmap(32, 32));
        Icon->setGeometry(H(DluMargin), V(DluMargin), 32, 32);
        IconWidth = 32 + H(DluSpacing);
        TextRect.setHeight(std::max(TextRect.height(), 32));
    }

    for (const TButtonKind& Kind : ButtonKinds)
        if (Buttons.contains(Kind.Button)) {
            auto* Button = new QPushButton(Kind.Caption, this);
            Button->setAutoDefault(false);
            Button->setProperty("ModalResult", Kind.Result);
            connect(Button, &QPushButton::clicked, this, [this, Result = Kind.Result] {
                // Help has no viewer to show here and keeps the dialog open.
                if (Result != mrNone)
                    done(Result);
            });
            FButtons.push_back(Button);
        }
    const auto Find = [this, &Buttons](TMsgDlgBtn Wanted) -> QPushButton* {
        if (!Buttons.contains(Wanted))
            return nullptr;
        for (QPushButton* Button : FButtons)
            if (Button->text() == ButtonKinds[Wanted].Caption)
                return Button;
        return nullptr;
    };
    for (const TMsgDlgBtn Candidate : {mbOK, mbYes, mbRetry})
        if (!FDefault)
            FDefault = Find(Candidate);
    for (const TMsgDlgBtn Candidate : {mbCancel, mbNo, mbOK})
        if (!FCancel)
            FCancel = Find(Candidate);
    if (FDefault)
        FDefault->setDefault(true);

    const int ButtonCount = static_cast<int>(FButtons.size());
    const int RowWidth =
        ButtonCount * H(DluButtonWidth) + std::max(0, ButtonCount - 1) * H(DluButtonSpacing);
    const int ContentWidth = std::max(IconWidth + TextRect.width(), RowWidth);
    const int ClientWidth = ContentWidth + 2 * H(DluMargin);
    const int ButtonsTop = V(DluMargin) + TextRect.height() + V(DluSpacing);

    auto* Message = new QLabel(ToQString(Text), this);
    Message->setWordWrap(true);
    Message->setGeometry(H(DluMargin) + IconWidth, V(DluMargin), TextRect.width(),
                         TextRect.height());
    int Left = (ClientWidth - RowWidth) / 2;
    for (QPushButton* Button : FButtons) {
        Button->setGeometry(Left, ButtonsTop, H(DluButtonWidth), V(DluButtonHeight));
        Left += H(DluButtonWidth) + H(DluButtonSpacing);
    }
    setFixedSize(ClientWidth, ButtonsTop + V(DluButtonHeight) + V(DluMargin));
}

std::vector<std::string> TMessageDialogForm::ButtonCaptions() const {
    std::vector<std::string> Captions;
    for (const QPushButton* Button : FButtons)
        Captions.push_back(FromQString(Button->text()));
    return Captions;
}

std::string TMessageDialogForm::DefaultButton() const {
    return FDefault ? FromQString(FDefault->text()) : std::string();
}

std::string TMessageDialogForm::CancelButton() const {
    return FCancel ? FromQString(FCancel->text()) : std::string();
}

void TMessageDialogForm::reject() {
    done(mrCancel);
}

void TMessageDialogForm::keyPressEvent(QKeyEvent* Event) {
    if (Event->key() == Qt::Key_Escape) {
        if (FCancel)
            FCancel->click();
        return;
    }
    if (Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter) {
        QPushButton* Button = dynamic_cast<QPushButton*>(focusWidget());
        if (!Button)
            Button = FDefault;
        if (Button)
            Button->click();
        return;
    }
    QDialog::keyPressEvent(Event);
}

int MessageDlg(std::string_view Text, TMsgDlgType Type, const TMsgDlgButtons& Buttons,
               int HelpContext) {
    return MessageDlgPos(Text, Type, Buttons, HelpContext, -1, -1);
}

int MessageDlgPos(std::string_view Text, TMsgDlgType Type, const TMsgDlgButtons& Buttons,
                  int /*HelpContext*/, int X, int Y) {
    TMessageDialogForm Form(Text, Type, Buttons);
    CentreOnMainForm(&Form);
    Form.move(X >= 0 ? X : Form.x(), Y >= 0 ? Y : Form.y());
    return RunModal(Form);
}

void ShowMessage(std::string_view Text) {
    MessageDlg(Text, mtCustom, {mbOK}, 0);
}

void ShowMessagePos(std::string_view Text, int X, int Y) {
    MessageDlgPos(Text, mtCustom, {mbOK}, 0, X, Y);
}

} // namespace korvid

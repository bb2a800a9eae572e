#include "ui/MessageBoxUnit.h"

#include "platform/Cp1252.h"
#include "ui/FormUtilities.h"
#include "ui/ModalRunner.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace korvid {

bool MessageBoxShown = false;

namespace {

constexpr int ButtonGap = 12;
constexpr int ButtonsBelowText = 30;
constexpr int BottomMargin = 37;

QStyle::StandardPixmap PixmapOf(TMessageIcon Icon) {
    switch (Icon) {
    case TMessageIcon::Information:
        return QStyle::SP_MessageBoxInformation;
    case TMessageIcon::Question:
        return QStyle::SP_MessageBoxQuestion;
    case TMessageIcon::Warning:
    case TMessageIcon::None:
        break;
    }
    return QStyle::SP_MessageBoxWarning;
}

// The next piece of Text up to a line break, and where the one after it starts.
std::string_view NextPiece(std::string_view Text, std::size_t& Position) {
    const std::size_t Start = Position;
    std::size_t End = Text.find_first_of("\r\n", Start);
    if (End == std::string_view::npos) {
        Position = Text.size() + 1;
        return Text.substr(Start);
    }
    Position = End + 1;
    if (Text[End] == '\r' && Position < Text.size() && Text[Position] == '\n')
        ++Position;
    return Text.substr(Start, End - Start);
}

// The letter after the single "&" of a caption, in lower case; none without one.
QChar AcceleratorOf(const QString& Caption) {
    for (qsizetype I = 0; I + 1 < Caption.size(); ++I) {
        if (Caption[I] != '&')
            continue;
        if (Caption[I + 1] != '&')
            return Caption[I + 1].toLower();
        ++I; // "&&" is a plain "&"
    }
    return {};
}

} // namespace

// ---- Layout --------------------------------------------------------------------------------

int MessageButtonWidth(std::string_view Caption, const TMeasureText& Measure) {
    return std::max(MessageButtonMinimumWidth, Measure(Caption) + 24);
}

std::vector<std::string> WrapMessageText(std::string_view Text, int MaxWidth,
                                         const TMeasureText& Measure, int& Width) {
    std::vector<std::string> Lines;
    Width = 0;
    std::size_t Position = 0;
    while (Position <= Text.size()) {
        std::string_view Piece = NextPiece(Text, Position);
        if (Piece.empty()) {
            Lines.emplace_back();
            continue;
        }
        while (!Piece.empty()) {
            std::string Line;
            int LineWidth = 0;
            std::size_t Next = 0;
            WordWrapLine(Piece, MaxWidth, Measure, " ", Line, LineWidth, Next);
            Width = std::max(Width, LineWidth);
            Lines.push_back(std::move(Line));
            Piece.remove_prefix(std::min(std::max<std::size_t>(Next, 1), Piece.size()));
        }
    }
    return Lines;
}

int ButtonRowWidth(const std::vector<int>& Widths) {
    int Sum = 0;
    for (const int W : Widths)
        Sum += W;
    if (!Widths.empty())
        Sum += ButtonGap * (static_cast<int>(Widths.size()) - 1);
    return Sum;
}

void NarrowMessageButtons(std::vector<int>& Widths) {
    while (ButtonRowWidth(Widths) > MessageButtonLimit) {
        bool Shrunk = false;
        for (int& W : Widths)
            if (W > MessageButtonNarrowest) {
                --W;
                Shrunk = true;
            }
        if (!Shrunk)
            break;
    }
}

TMessageLayout LayOutMessage(std::string_view Text, bool HasIcon, int LineHeight,
                             const TMeasureText& Measure, std::vector<int> ButtonWidths,
                             bool CheckBoxVisible, int CheckBoxHeight) {
    TMessageLayout L;
    L.LineHeight = LineHeight;
    L.TextLeft = MessageMargin + (HasIcon ? MessageIconSize + MessageMargin : 0);
    L.Lines = WrapMessageText(Text, MessageWrapLimit - (L.TextLeft + MessageMargin), Measure,
                              L.TextWidth);
    L.TextHeight = LineHeight * static_cast<int>(L.Lines.size());
    L.TextTop = MessageMargin;
    if (HasIcon && L.TextHeight <= MessageIconSize)
        L.TextTop = (MessageIconSize - L.TextHeight) / 3 + MessageMargin;
    const int ContentWidth = L.TextLeft + MessageMargin + L.TextWidth;

    NarrowMessageButtons(ButtonWidths);
    const int RowWidth = ButtonRowWidth(ButtonWidths);
    L.ButtonWidths = std::move(ButtonWidths);
    L.ClientWidth = std::max(RowWidth + 2 * MessageMargin, ContentWidth);
    L.ButtonsLeft = (L.ClientWidth - 2 * MessageMargin - RowWidth) / 2 + MessageMargin;
    L.ButtonsTop = std::max(MessageIconSize, L.TextHeight) + ButtonsBelowText;
    L.CheckBoxTop = L.ButtonsTop + BottomMargin;
    L.ClientHeight = L.CheckBoxTop + (CheckBoxVisible ? CheckBoxHeight + MessageMargin : 0);
    return L;
}

// ---- Buttons -------------------------------------------------------------------------------

TMessageButton::TMessageButton(TMessageForm& Form, std::string_view Caption, int Value)
    : QPushButton(ToQString(Caption), &Form), FForm(Form), FValue(Value) {
    // Enter is handled by the form, which knows the button that started with the focus.
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, [this] { Click(); });
}

void TMessageButton::Click() {
    if (Hook && !Hook())
        return;
    FForm.Finish(FValue);
}

// ---- Form ----------------------------------------------------------------------------------

TMessageForm::TMessageForm(QWidget* Parent)
    : QDialog(Parent), FImage(new QLabel(this)), FCheckBox(new QCheckBox("Check box", this)) {
    setWindowTitle("Message");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(QApplication::font("QMessageBox"));
    FImage->setGeometry(MessageMargin, MessageMargin, MessageIconSize, MessageIconSize);
    FCheckBox->setGeometry(MessageMargin, 56, 469, FCheckBox->sizeHint().height());
    FCheckBox->setChecked(true);
    FCheckBox->hide();
}

TMessageForm::~TMessageForm() = default;

TMessageButton* TMessageForm::AddMessageButton(std::string_view Caption, bool IsDefault,
                                               TMessageButton::TCheckHook Hook, int Value,
                                               bool IsCancel) {
    auto* Button = new TMessageButton(*this, Caption, Value); // owned by the form
    Button->Hook = std::move(Hook);
    Button->Cancel = IsCancel;
    if (IsDefault) {
        Button->setDefault(true);
        FActiveButton = Button;
    }
    const QFontMetrics Metrics(font());
    const int Width = MessageButtonWidth(Caption, [&Metrics](std::string_view S) {
        return Metrics.horizontalAdvance(ToQString(S));
    });
    Button->resize(Width, MessageButtonHeight);
    FButtons.push_back(Button);
    return Button;
}

void TMessageForm::SetMessageIcon(TMessageIcon Icon) {
    FIcon = Icon;
    if (Icon == TMessageIcon::None)
        FImage->clear();
    else
        FImage->setPixmap(
            style()->standardIcon(PixmapOf(Icon)).pixmap(MessageIconSize, MessageIconSize));
}

void TMessageForm::ShowCheckBox(bool Visible) {
    FCheckBox->setVisible(Visible);
}

void TMessageForm::SetCheckBoxCaption(std::string_view Caption) {
    FCheckBox->setText(ToQString(Caption));
}

bool TMessageForm::CheckBoxChecked() const {
    return FCheckBox->isChecked();
}

void TMessageForm::SetCheckBoxChecked(bool Checked) {
    FCheckBox->setChecked(Checked);
}

void TMessageForm::SetCaption(std::string_view Caption) {
    setWindowTitle(ToQString(Caption));
}

void TMessageForm::LayOut() {
    const QFontMetrics Metrics(font());
    const TMeasureText Measure = [&Metrics](std::string_view S) {
        return Metrics.horizontalAdvance(ToQString(S));
    };
    std::vector<int> Widths;
    for (const TMessageButton* Button : FButtons)
        Widths.push_back(Button->width());
    const bool CheckBoxVisible = FCheckBox->isVisibleTo(this);
    FLayout = LayOutMessage(Text, FIcon != TMessageIcon::None, Metrics.height(), Measure,
                            std::move(Widths), CheckBoxVisible, FCheckBox->height());

    int Left = FLayout.ButtonsLeft;
    for (std::size_t I = 0; I < FButtons.size(); ++I) {
        FButtons[I]->setGeometry(Left, FLayout.ButtonsTop, FLayout.ButtonWidths[I],
                                 MessageButtonHeight);
        Left += FLayout.ButtonWidths[I] + ButtonGap;
    }
    FCheckBox->move(MessageMargin, FLayout.CheckBoxTop);
    setFixedSize(FLayout.ClientWidth, FLayout.ClientHeight);
    CentreOnMainForm(this);
    FLaidOut = true;
}

int TMessageForm::ShowMessageForm() {
    if (!FLaidOut)
        LayOut();
    MessageBoxShown = true;
    if (FActiveButton)
        FActiveButton->setFocus();
    Result = -1;
    return RunModal(*this) == QDialog::Accepted ? Result : -1;
}

TMessageFormState TMessageForm::State() const {
    TMessageFormState S;
    S.Caption = FromQString(windowTitle());
    S.Text = Text;
    S.Icon = FIcon;
    for (std::size_t I = 0; I < FButtons.size(); ++I) {
        const TMessageButton* Button = FButtons[I];
        S.Buttons.push_back(FromQString(Button->text()));
        S.Values.push_back(Button->Value());
        const int Index = static_cast<int>(I);
        if (Button->isDefault())
            S.DefaultButton = Index;
        if (Button->Cancel)
            S.CancelButton = Index;
        if (Button == FActiveButton)
            S.FocusButton = Index;
    }
    S.CheckBoxVisible = FCheckBox->isVisibleTo(this);
    S.CheckBoxCaption = FromQString(FCheckBox->text());
    S.CheckBoxChecked = FCheckBox->isChecked();
    return S;
}

void TMessageForm::Finish(int Value) {
    Result = Value;
    done(QDialog::Accepted);
}

void TMessageForm::reject() {
    Result = -1;
    QDialog::reject();
}

TMessageButton* TMessageForm::CancelButton() const {
    for (TMessageButton* Button : FButtons)
        if (Button->Cancel)
            return Button;
    return nullptr;
}

TMessageButton* TMessageForm::EnterButton() const {
    if (auto* Focused = dynamic_cast<TMessageButton*>(focusWidget()))
        return Focused;
    if (FActiveButton)
        return FActiveButton;
    for (TMessageButton* Button : FButtons)
        if (Button->isDefault())
            return Button;
    return nullptr;
}

void TMessageForm::keyPressEvent(QKeyEvent* Event) {
    const bool Plain =
        Event->modifiers() == Qt::NoModifier || Event->modifiers() == Qt::KeypadModifier;
    if (Plain && Event->key() == Qt::Key_Escape) {
        if (TMessageButton* Button = CancelButton())
            Button->Click();
        else
            reject();
        return;
    }
    if (Plain && (Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter)) {
        if (TMessageButton* Button = EnterButton(); Button && Button->isEnabled())
            Button->Click();
        return;
    }
    const bool Letter =
        Event->modifiers() == Qt::NoModifier || Event->modifiers() == Qt::ShiftModifier;
    if (Letter && Event->text().size() == 1 && PressAccelerator(Event->text()[0].toLower()))
        return;
    QDialog::keyPressEvent(Event);
}

// A box has nothing to type into, so its accelerator letters work without Alt.
bool TMessageForm::PressAccelerator(QChar Letter) {
    if (Letter.isNull() || !Letter.isLetterOrNumber())
        return false;
    for (TMessageButton* Button : FButtons)
        if (Button->isEnabled() && AcceleratorOf(Button->text()) == Letter) {
            Button->setFocus();
            Button->Click();
            return true;
        }
    if (FCheckBox->isVisibleTo(this) && AcceleratorOf(FCheckBox->text()) == Letter) {
        FCheckBox->setFocus();
        FCheckBox->setChecked(!FCheckBox->isChecked());
        return true;
    }
    return false;
}

void TMessageForm::paintEvent(QPaintEvent* Event) {
    QDialog::paintEvent(Event);
    QPainter Painter(this);
    Painter.setFont(font());
    Painter.setPen(palette().color(QPalette::WindowText));
    const int Ascent = QFontMetrics(font()).ascent();
    for (std::size_t I = 0; I < FLayout.Lines.size(); ++I)
        Painter.drawText(FLayout.TextLeft,
                         FLayout.TextTop + FLayout.LineHeight * static_cast<int>(I) + Ascent,
                         ToQString(FLayout.Lines[I]));
}

} // namespace korvid

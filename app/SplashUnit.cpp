#include "app/SplashUnit.h"

#include "foundation/ConstantsUnit.h"
#include "foundation/RegistryEx.h"
#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "ui/FormUtilities.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

namespace korvid {

namespace {

QPointer<TSplashForm>& SplashPointer() {
    static QPointer<TSplashForm> Splash;
    return Splash;
}

constexpr int SplashWidth = 400;
constexpr int SplashHeight = 247;

std::string AbsoluteKey(std::string_view Key) {
    return "\\" + std::string(Key);
}

} // namespace

QPixmap KorvidPicture(int Width, int Height) {
    QPixmap Picture(Width, Height);
    QPainter Painter(&Picture);
    QLinearGradient Sky(0, 0, 0, Height);
    Sky.setColorAt(0, QColor(24, 44, 84));
    Sky.setColorAt(1, QColor(70, 110, 160));
    Painter.fillRect(Picture.rect(), Sky);
    // A corvid's silhouette: body, head and beak, all in one dark shape.
    Painter.setRenderHint(QPainter::Antialiasing);
    Painter.setPen(Qt::NoPen);
    Painter.setBrush(QColor(12, 12, 20));
    const double S = Height / 247.0;
    Painter.drawEllipse(QPointF(110 * S, 150 * S), 55 * S, 34 * S);
    Painter.drawEllipse(QPointF(160 * S, 118 * S), 22 * S, 20 * S);
    const QPointF Beak[] = {{178 * S, 110 * S}, {206 * S, 120 * S}, {178 * S, 126 * S}};
    Painter.drawPolygon(Beak, 3);
    const QPointF Tail[] = {{60 * S, 150 * S}, {18 * S, 178 * S}, {70 * S, 168 * S}};
    Painter.drawPolygon(Tail, 3);
    Painter.setBrush(QColor(240, 240, 240));
    Painter.drawEllipse(QPointF(165 * S, 114 * S), 3 * S, 3 * S);
    QFont Title("DejaVu Sans", static_cast<int>(30 * S), QFont::Bold);
    Painter.setFont(Title);
    Painter.setPen(QColor(240, 240, 250));
    Painter.drawText(QRectF(200 * S, 40 * S, Width - 200 * S, 60 * S), Qt::AlignLeft, "Korvid");
    return Picture;
}

TSplashForm::TSplashForm(QWidget* Parent)
    : QWidget(Parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::SplashScreen) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(QFont(ToQString(GetDialogFontName())));
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Image = new QLabel(this);
    Image->setPixmap(KorvidPicture(SplashWidth, SplashHeight - 40));
    VersionLabel = new QLabel(VersionText, this);
    TextLabel = new QLabel("The programmer's editor for Vosk and the p-System", this);
    for (QLabel* Label : {VersionLabel, TextLabel})
        Label->setAlignment(Qt::AlignCenter);
    Layout->addWidget(Image);
    Layout->addWidget(VersionLabel);
    Layout->addWidget(TextLabel);
    setFixedSize(SplashWidth, SplashHeight);
    Timer = new QTimer(this);
    Timer->setInterval(SplashMilliseconds);
    Timer->setSingleShot(true);
    connect(Timer, &QTimer::timeout, this, &TSplashForm::TimerTimer);
    SplashPointer() = this;
}

void TSplashForm::showEvent(QShowEvent* Event) {
    QWidget::showEvent(Event);
    Timer->start();
}

void TSplashForm::TimerTimer() {
    CloseSplash();
}

void TSplashForm::keyPressEvent(QKeyEvent*) {
    CloseSplash();
}

void TSplashForm::mousePressEvent(QMouseEvent*) {
    CloseSplash();
}

void TSplashForm::CloseSplash() {
    Timer->stop();
    close(); // deletes the form
}

TSplashForm* SplashForm() {
    return SplashPointer().data();
}

TSplashForm* ShowSplashScreen() {
    int Left = OffScreenPosition;
    int Top = OffScreenPosition;
    bool FirstRun = false;
    bool Show = true;
    {
        TRegistryEx Reg;
        if (Reg.OpenSettingsKeyForRead(RootKeys)) {
            Left = Reg.ReadIntegerDefault("Window Left", Left);
            Top = Reg.ReadIntegerDefault("Window Top", Top);
        }
        FirstRun = !Reg.KeyExists(AbsoluteKey(OptionsKeys[CurrentKeyIndex])) &&
                   !Reg.KeyExists(AbsoluteKey(OptionsKeys[LegacyKeyIndex]));
        if (!FirstRun && Reg.OpenSettingsKeyForRead(OptionsKeys))
            Show = Reg.ReadBoolDefault("Show Splash Screen", true);
    }
    if (FirstRun || !Show)
        return nullptr;
    auto* Splash = new TSplashForm; // deletes itself when it closes
    if (Left == OffScreenPosition || Top == OffScreenPosition)
        CentreOnMainForm(Splash);
    else
        PlaceFormOnScreen(Splash, Left, Top);
    Splash->show();
    return Splash;
}

} // namespace korvid

#pragma once

#include "editor/EngCaret.h"
#include "editor/EngColors.h"
#include "editor/EngFixedFont.h"
#include "editor/EngKeystrokeRecorder.h"
#include "editor/EngLinePainter.h"
#include "editor/EngQtTimer.h"
#include "editor/engine/EngCustomEditor.h"
#include "platform/VirtualKeyCodes.h"

#include <QAbstractScrollArea>
#include <QCursor>
#include <QImage>
#include <QRawFont>
#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace korvid {

// The editor engine on the screen: a scroll area whose viewport is the editor's client area.
// It measures, paints and scrolls for the display-free editor and turns keyboard, mouse, focus
// and scroll-bar input into the editor's operations.
class TEngCustomEditorWidget : public QAbstractScrollArea, public TEngEditorHost {
public:
    // Makes the editor the widget shows, for widgets of an editor subclass.
    using TEditorFactory =
        std::function<std::unique_ptr<TEngCustomEditor>(TEngEditorHost&, TEngController*)>;

    // Without a controller the widget makes one of its own.
    explicit TEngCustomEditorWidget(QWidget* Parent = nullptr, TEngController* Controller = nullptr,
                                    const TEditorFactory& Factory = {});
    ~TEngCustomEditorWidget() override;

    TEngCustomEditor& Editor() { return *FEditor; }
    TEngController& Controller() { return *FEditor->Controller(); }
    TEngCaretPair& Carets() { return FCarets; }
    TEngColors& HighlightColors() { return FHighlightColors; }
    TEngFixedFont& FixedFont() { return FFixedFont; }
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);

    // Switches the key-down hook of every editor off while set.
    static inline bool KeyDownHookOff = false;

    // Paints the rows that Clip touches, as the viewport's paint does; printing and tests can
    // hand in a painter of their own.
    void PaintRows(QPainter& Painter, const QRect& Clip);

    QVariant inputMethodQuery(Qt::InputMethodQuery Query) const override;

    // ---- TEngEditorHost ----
    int AverageCharWidth() override;
    int FontLineHeight() override;
    int ClientWidth() override;
    int ClientHeight() override;
    bool WindowExists() override { return FWindowCreated; }
    bool HasFocus() override { return hasFocus(); }
    void InvalidateAll() override;
    void InvalidateRect(const TPixelRect& Rect, bool Erase) override;
    void PaintNow() override;
    void ScrollPixels(const TPixelRect& Area, int Dx, int Dy) override;
    void SetScrollRange(TScrollBarKind Bar, int Min, int Max, int Page) override;
    void SetScrollPos(TScrollBarKind Bar, int Pos) override;
    void SetCaretCell(int Width, int Height, bool InsertMode) override;
    void SetCaretPos(int X, int Y) override;
    void QueueCaretMoved(int Line, int Column) override;
    std::string ClipboardText() override;
    void SetClipboardText(const std::string& Text) override;
    void Beep() override;
    void SetBusy(bool Busy) override;

protected:
    bool event(QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void inputMethodEvent(QInputMethodEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    // The editor keeps its own top line and left column and moves the pixels itself.
    void scrollContentsBy(int, int) override {}

private:
    struct TGlyphCache {
        QRawFont Font;
        std::array<quint32, 256> Glyphs{};
        int Ascent = 0;
    };

    void FontChanged();
    void Remeasure();
    bool KeyTakenByHook(int Key, TModifiers Mods);
    void KeyDown(int Key, TModifiers Mods, const QString& Text);
    void SysKeyDown(int Key, TModifiers Mods);
    void OpenMenuOfMnemonic(int Key);
    void TypeText(const QString& Text);
    void Record(TKeystrokeKind Kind, std::uint16_t Data, std::uint16_t Code);
    void SyncInsertMode();
    void HorzAction(int Action);
    void VertAction(int Action);

    // Painting
    void DrawLine(QPainter& P, int Row, const TSelectionSpan& Sel, QColor Text, QColor Back);
    void DrawCells(QPainter& P, int X, int Top, std::string_view Text, QColor Fore, QColor Back);
    void DrawBookmarks(QPainter& P, int FirstRow, int LastRow);
    TSelectionSpan ShownSelection();
    QColor Resolve(TColor C) const;

    // Mouse
    bool OverMargin(int X) const { return X < FEditor->LeftMargin(); }
    void SelectMarginLines(int Line, bool Extend);
    void SelectWordAt(int Line, int Pos, bool Extend);
    void SelectParaAt(int Line, bool Extend);
    void DragTo(QPoint Point);
    void AutoScrollTick();

    std::unique_ptr<TEngController> FOwnController;
    std::unique_ptr<TEngCustomEditor> FEditor;
    std::unique_ptr<TEngQtTimer> FPoolTimer;
    TEngCaretPair FCarets;
    TEngColors FHighlightColors;
    TEngFixedFont FFixedFont;
    TColor FColor = clWindow;
    TGlyphCache FGlyphs;
    QImage FMarkers;
    QCursor FMarginCursor;
    bool FWindowCreated = false;
    bool FPainting = false;
    bool FMeasuring = false;
    bool FSwallowNextChar = false;
    bool FBusy = false;
    bool FActivatingClick = false;
    // Mouse drag: selecting text or, from the margin, whole lines.
    bool FMouseCaptured = false;
    bool FMarginDrag = false;
    int FMarginAnchorLine = 1;
    QPoint FDragPoint;
    QTimer FAutoScroll;
};

} // namespace korvid

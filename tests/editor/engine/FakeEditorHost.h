#pragma once

#include "editor/engine/EngCustomEditor.h"

#include <ostream>
#include <string>
#include <vector>

namespace korvid {

inline void PrintTo(const TTextPos& P, std::ostream* Out) {
    *Out << "(" << P.Para << ", " << P.Pos << ")";
}

} // namespace korvid

namespace korvid::test {

// A window of fixed metrics that records what the editor asks of it. The vertical bar takes
// BarWidth pixels of the client width while it shows, as real scroll bars do.
class TFakeEditorHost : public TEngEditorHost {
public:
    int CharWidth = 8;
    int FontHeight = 15; // with the editor's 1 pixel: 16-pixel rows
    int Width = 15 + 5 + 80 * 8;
    int Height = 16 * 10 + 8; // ten full rows and a part
    bool Exists = true;
    bool Focused = true;
    int BarWidth = 0;
    bool VertBarShown = false;

    int InvalidateAllCount = 0;
    std::vector<TPixelRect> Invalidated;
    int PaintCount = 0;
    struct TScroll {
        TPixelRect Area;
        int Dx;
        int Dy;
    };
    std::vector<TScroll> Scrolls;
    struct TRange {
        int Min = 0;
        int Max = 0;
        int Page = 0;
    } HorzRange, VertRange;
    int HorzPos = -1;
    int VertPos = -1;
    int CaretX = -1;
    int CaretY = -1;
    std::vector<std::pair<int, int>> CaretReports;
    std::string Clipboard;
    int Beeps = 0;

    int AverageCharWidth() override { return CharWidth; }
    int FontLineHeight() override { return FontHeight; }
    int ClientWidth() override { return Width - (VertBarShown ? BarWidth : 0); }
    int ClientHeight() override { return Height; }
    bool WindowExists() override { return Exists; }
    bool HasFocus() override { return Focused; }
    void InvalidateAll() override { ++InvalidateAllCount; }
    void InvalidateRect(const TPixelRect& Rect, bool) override { Invalidated.push_back(Rect); }
    void PaintNow() override { ++PaintCount; }
    void ScrollPixels(const TPixelRect& Area, int Dx, int Dy) override {
        Scrolls.push_back({Area, Dx, Dy});
    }
    void SetScrollRange(TScrollBarKind Bar, int Min, int Max, int Page) override {
        if (Bar == TScrollBarKind::Horizontal) {
            HorzRange = {Min, Max, Page};
        } else {
            VertRange = {Min, Max, Page};
            VertBarShown = Max > Min && Max > 1;
        }
    }
    void SetScrollPos(TScrollBarKind Bar, int Pos) override {
        (Bar == TScrollBarKind::Horizontal ? HorzPos : VertPos) = Pos;
    }
    void SetCaretCell(int, int, bool) override {}
    void SetCaretPos(int X, int Y) override {
        CaretX = X;
        CaretY = Y;
    }
    void QueueCaretMoved(int Line, int Column) override { CaretReports.emplace_back(Line, Column); }
    std::string ClipboardText() override { return Clipboard; }
    void SetClipboardText(const std::string& Text) override { Clipboard = Text; }
    void Beep() override { ++Beeps; }
    void SetBusy(bool) override {}
};

// The paragraphs of an editor's text.
inline std::vector<std::string> ParasOf(TEngCustomEditor& E) {
    std::vector<std::string> Paras;
    for (int P = 1; P <= E.ParaCount(); ++P)
        Paras.emplace_back(E.Lines().ParaText(P));
    return Paras;
}

// Fills a fresh editor with paragraphs, without undo, caret at the start.
inline void LoadText(TEngCustomEditor& E, const std::vector<std::string>& Paras) {
    E.Lines().InsertText(&E, 1, 1, Paras.at(0));
    for (std::size_t I = 1; I < Paras.size(); ++I)
        E.Lines().AppendPara(Paras[I], false);
    E.Lines().UndoBuffer().Clear();
    E.MoveCaretToPara(1, 1);
}

} // namespace korvid::test

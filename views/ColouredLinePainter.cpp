#include "views/ColouredLinePainter.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace korvid {

namespace {

std::set<const void*>& LivePainters() {
    static std::set<const void*> Painters;
    return Painters;
}

TColouredLinePainter* PainterOf(void* Data) {
    return TColouredLinePainter::IsLivePainter(Data) ? static_cast<TColouredLinePainter*>(Data)
                                                     : nullptr;
}

bool IsBlankOrControl(std::string_view S) {
    return std::all_of(S.begin(), S.end(),
                       [](char C) { return static_cast<unsigned char>(C) <= ' '; });
}

} // namespace

TColouredLinePainter::TColouredLinePainter() {
    LivePainters().insert(this);
}

TColouredLinePainter::~TColouredLinePainter() {
    LivePainters().erase(this);
}

bool TColouredLinePainter::IsLivePainter(const void* Data) {
    return Data != nullptr && LivePainters().contains(Data);
}

void TColouredLinePainter::PaintLine(TKorvidEnumChunks EnumChunks, TLineToDraw Line) {
    FLine = std::move(Line);
    FLine.Canvas->FillRect(FLine.Rect);
    if (!FLine.Foreign) {
        EnumLineChunks(EnumChunks);
    } else {
        // A printer's cells are not the screen's.
        const int ScreenCharWidth = CharWidth;
        FLine.Canvas->SetFontStyle(false, false);
        CharWidth = FLine.Canvas->TextWidth("X");
        EnumLineChunks(EnumChunks);
        CharWidth = ScreenCharWidth;
    }
    // The canvas lives only as long as this paint; a plug-in that calls back later draws nothing.
    FLine.Canvas = nullptr;
}

void TColouredLinePainter::EnumLineChunks(TKorvidEnumChunks EnumChunks) {
    EnumChunks(this, FLine.S.c_str(), static_cast<std::int32_t>(FLine.S.size()), FLine.Line,
               EditorChunkProc, EditorGetLineProc);
    if (!LineMarkers.empty() && IsBlankOrControl(FLine.S))
        DrawMarkerFill();
}

void TColouredLinePainter::ChunkProc(int ElementId, std::int64_t Start, std::int64_t Length) {
    if (FLine.Canvas == nullptr)
        return;
    // A plug-in's positions are limited to the line, never trusted.
    const std::int64_t LineLength = static_cast<std::int64_t>(FLine.S.size());
    const std::int64_t First = std::clamp<std::int64_t>(Start, 0, LineLength);
    const std::int64_t End =
        std::clamp<std::int64_t>(Start + std::max<std::int64_t>(Length, 0), First, LineLength);
    // Nothing of the line is left of a chunk that lay wholly outside it; drawing it would
    // only fill a marker line's background over runs already drawn.
    if (End > First)
        DrawElementRun(ElementId, static_cast<int>(First), static_cast<int>(End - First));
}

void TColouredLinePainter::DrawMarkerFill() {
    DrawElementRun(0, MarkerFillStart, 0);
}

void TColouredLinePainter::DrawElementRun(int ElementId, int Start, int Length) {
    const TView* View = ColouringView();
    if (View == nullptr)
        return;
    if (const TViewElement* Element = View->Elements.FindById(ElementId))
        DrawRun(Start, Length, Element->Colour, Element->Bold, Element->Italic);
    else
        DrawRun(Start, Length, View->TextColour, false, false);
}

void TColouredLinePainter::DrawRun(int Start, int Length, TColor Colour, bool Bold, bool Italic) {
    TRunCanvas& Canvas = *FLine.Canvas;
    std::string Text;
    if (Start == MarkerFillStart) {
        // One blank in the first visible cell; the marker fill below does the rest.
        Text.assign(1, ' ');
        Start = FLine.Pos;
    } else {
        const int LineLength = static_cast<int>(FLine.S.size());
        Start = std::clamp(Start, 0, LineLength);
        int End = Start + std::clamp(Length, 0, LineLength - Start);
        if (FLine.Pos > Start)
            Start = std::min(FLine.Pos, End);
        End = std::max(Start, std::min(End, FLine.Pos + FLine.Count));
        Text = FLine.S.substr(Start, End - Start);
    }
    Length = static_cast<int>(Text.size());

    const int X1 = (Start - FLine.Pos) * CharWidth + FLine.Rect.Left;
    const int X2 = X1 + Length * CharWidth;
    const int Y1 = FLine.Rect.Top;
    const int Y2 = FLine.Rect.Bottom;
    if (Length > 0) {
        Canvas.SetFontStyle(Bold, Italic);
        const TView& View = *ColouringView();
        const TRunRect Whole{X1, Y1, X2, Y2};
        // Characters first..last (1-based in the run) that the selection covers.
        int First = 0;
        int Last = 0;
        for (int I = 1; I <= Length; ++I) {
            if (IsSelected(Start + I)) {
                if (First == 0)
                    First = I;
                Last = I;
            }
        }
        auto Cells = [&](int From, int To) {
            return TRunRect{X1 + (From - 1) * CharWidth, Y1, X1 + To * CharWidth, Y2};
        };
        auto Piece = [&](int From, int To) {
            return std::string_view(Text).substr(From - 1, To - From + 1);
        };
        if (First == 0) {
            DrawWholeRun(Whole, Text, Colour, Background(), false);
        } else if (First == 1 && Last == Length) {
            DrawWholeRun(Whole, Text, View.SelectionTextColour, View.SelectionBackgroundColour,
                         true);
        } else {
            if (First > 1)
                DrawWholeRun(Cells(1, First - 1), Piece(1, First - 1), Colour, Background(), false);
            DrawWholeRun(Cells(First, Last), Piece(First, Last), View.SelectionTextColour,
                         View.SelectionBackgroundColour, true);
            if (Last < Length)
                DrawWholeRun(Cells(Last + 1, Length), Piece(Last + 1, Length), Colour, Background(),
                             false);
        }
    }
    if (MarkerOfLine() != TMarker::None && X2 < FLine.Rect.Right) {
        // The marker's background runs on after the text.
        SetRunColours(Colour, Background(), false);
        Canvas.TextRect({X2, Y1, FLine.Rect.Right, Y2}, X2, Y1 + 1, " ");
    }
    Canvas.SetBrushColour(Background());
}

void TColouredLinePainter::SetRunColours(TColor TextColour, TColor BackColour, bool Selected) {
    TRunCanvas& Canvas = *FLine.Canvas;
    if (FLine.Foreign) {
        Canvas.SetBrushColour(clWhite);
        Canvas.SetFontColour(clBlack);
        return;
    }
    const TView* View = ColouringView();
    const TMarker Marker = Selected ? TMarker::None : MarkerOfLine();
    if (Marker == TMarker::Breakpoint) {
        Canvas.SetBrushColour(View->BreakpointBackgroundColour);
        Canvas.SetFontColour(View->BreakpointTextColour);
    } else if (Marker == TMarker::ExecutionPoint) {
        Canvas.SetBrushColour(View->ExecutionPointBackgroundColour);
        Canvas.SetFontColour(View->ExecutionPointTextColour);
    } else {
        Canvas.SetBrushColour(BackColour);
        Canvas.SetFontColour(TextColour);
    }
}

void TColouredLinePainter::DrawWholeRun(const TRunRect& Rect, std::string_view Text, TColor Colour,
                                        TColor BackColour, bool Selected) {
    SetRunColours(Colour, BackColour, Selected);
    TextOutRun(Rect, Text);
}

void TColouredLinePainter::TextOutRun(const TRunRect& Rect, std::string_view Text) {
    TRunCanvas& Canvas = *FLine.Canvas;
    const bool Bold = Canvas.Bold();
    const bool Italic = Canvas.Italic();
    // Every character sits in its own cell: the font's real advance may be wider than the
    // whole pixels of CharWidth, and a run written as one text would drift off the grid.
    if (!Bold && !Italic) {
        Canvas.TextCells(Rect, Rect.Left, Rect.Top + 1, CharWidth, Text);
        return;
    }
    // Bold and italic glyphs are also kept inside their cells.
    for (std::size_t I = 0; I < Text.size(); ++I) {
        const int Left = Rect.Left + static_cast<int>(I) * CharWidth;
        const TRunRect Cell{Left, Rect.Top, std::min(Left + CharWidth, Rect.Right), Rect.Bottom};
        if (Text[I] == '_') {
            // A bold or slanted underscore runs into its neighbours.
            Canvas.SetFontStyle(false, false);
            Canvas.TextRect(Cell, Left, Rect.Top + 1, Text.substr(I, 1));
            Canvas.SetFontStyle(Bold, Italic);
        } else {
            Canvas.TextRect(Cell, Left, Rect.Top + 1, Text.substr(I, 1));
        }
    }
}

TColouredLinePainter::TMarker TColouredLinePainter::MarkerOfLine() const {
    if (std::find(LineMarkers.begin(), LineMarkers.end(), -FLine.Line) != LineMarkers.end())
        return TMarker::ExecutionPoint;
    if (std::find(LineMarkers.begin(), LineMarkers.end(), FLine.Line) != LineMarkers.end())
        return TMarker::Breakpoint;
    return TMarker::None;
}

bool TColouredLinePainter::IsSelected(int Column) const {
    const TLineToDraw& L = FLine;
    if (L.Line < L.HBLine || L.Line > L.HELine)
        return false;
    if (L.Line > L.HBLine && L.Line < L.HELine)
        return true;
    return (L.Line != L.HBLine || Column >= L.HBCol) && (L.Line != L.HELine || Column < L.HECol);
}

TColor TColouredLinePainter::Background() const {
    const TView* View = ColouringView();
    return View != nullptr ? View->BackgroundColour : clWindow;
}

void EditorChunkProc(void* Data, std::uint8_t ElementId, std::int32_t Start, std::int32_t Length) {
    if (TColouredLinePainter* Painter = PainterOf(Data))
        Painter->ChunkProc(ElementId, Start, Length);
}

void EditorGetLineProc(void* Data, std::int32_t LineNo, char* Buffer) {
    if (Buffer == nullptr)
        return;
    Buffer[0] = '\0';
    if (TColouredLinePainter* Painter = PainterOf(Data))
        Painter->GetLineText(LineNo, Buffer);
}

void AddLineMarkerTo(std::vector<int>& Markers, int Line, bool IsExecutionPoint) {
    Markers.push_back(IsExecutionPoint ? -Line : Line);
}

void ClearExecutionPointIn(std::vector<int>& Markers, bool MakeBreakpoint) {
    for (std::size_t I = Markers.size(); I-- > 0;) {
        if (Markers[I] >= 0)
            continue;
        if (MakeBreakpoint)
            Markers[I] = -Markers[I];
        else
            Markers.erase(Markers.begin() + static_cast<std::ptrdiff_t>(I));
    }
}

} // namespace korvid

#pragma once

// The geometry of docks and dockable bars as pure functions over plain structs, so every
// number can be checked without a display. Rectangles have exclusive right and bottom edges.

#include "ui/CommandBarHost.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace korvid {

struct TBarPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TBarPoint&, const TBarPoint&) = default;
};

struct TBarSize {
    int Width = 0;
    int Height = 0;
    friend bool operator==(const TBarSize&, const TBarSize&) = default;
};

struct TBarRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool Contains(TBarPoint P) const {
        return P.X >= Left && P.X < Right && P.Y >= Top && P.Y < Bottom;
    }
    bool Intersects(const TBarRect& R) const {
        return Left < R.Right && R.Left < Right && Top < R.Bottom && R.Top < Bottom;
    }
    TBarRect Moved(int Dx, int Dy) const { return {Left + Dx, Top + Dy, Right + Dx, Bottom + Dy}; }
    static TBarRect At(TBarPoint P, TBarSize S) {
        return {P.X, P.Y, P.X + S.Width, P.Y + S.Height};
    }
    friend bool operator==(const TBarRect&, const TBarRect&) = default;
};

inline bool IsVertical(TDockPosition Position) {
    return Position == dpLeft || Position == dpRight;
}

// ---- Dock arrangement -------------------------------------------------------------------

// One docked bar as the dock sees it. Length is the bar's outer extent along the dock, BaseSize
// the thickness it asks for across (its MeasureThickness).
struct TDockSlot {
    int Id = 0;
    int DockRow = 0;
    int DockPos = -1;
    bool FullSize = false;
    int Length = 0;
    int BaseSize = 0;
    TBarRect Bounds; // result, in the dock's client coordinates
};

struct TDockSettings {
    bool Vertical = false;
    bool FixAlign = false;
    bool LimitToOneRow = false;
    int ClientLength = 0;
};

struct TDockArrangement {
    int Thickness = 0;         // the dock's client thickness across
    std::vector<int> RowSizes; // one per row
};

// Arranges the bars in place: sorts them (stably) by row then position, compacts rows, places
// them and reports the dock's thickness and row sizes.
TDockArrangement ArrangeDock(std::vector<TDockSlot>& Bars, const TDockSettings& Settings);

struct TRowDrop {
    int Row = 0;
    bool NewRow = false; // a new row is to be opened before Row
    friend bool operator==(const TRowDrop&, const TRowDrop&) = default;
};
// Pos runs across the dock in client pixels.
TRowDrop RowForDrop(const std::vector<int>& RowSizes, int Pos);
int RowAt(const std::vector<int>& RowSizes, int Pos);

// ---- Command-bar layout -----------------------------------------------------------------

struct TBarItem {
    bool Separator = false;
    TBarSize Size;    // controls: their own size
    int SizeHorz = 6; // separators: width in a horizontal layout
    int SizeVert = 6; // separators: height in a vertical layout
    bool Blank = false;
};

struct TLineBreak {
    int Top = 0;
    bool Blank = false;
    friend bool operator==(const TLineBreak&, const TLineBreak&) = default;
};

struct TBarLayout {
    TBarSize ClientSize;
    std::vector<TBarRect> Places; // one per item
    std::vector<TLineBreak> LineBreaks;
};

// DockKind 0 floating, 1 horizontal, 2 vertical.
int MeasureThickness(const std::vector<TBarItem>& Items, int DockKind);

// Docked: the bar lies in a dock, CrossSize is the row's size there; else CrossSize is
// MeasureThickness. FloatRightX 0 lays a floating bar out in one line.
TBarLayout LayOutBar(const std::vector<TBarItem>& Items, int DockKind, bool Docked, int CrossSize,
                     int FloatRightX);

// The distinct floating client sizes a bar can take, widest (one line) first.
std::vector<TBarSize> FloatingSizes(const std::vector<TBarItem>& Items);

// ---- Frames -----------------------------------------------------------------------------

struct TBarMetrics {
    int FrameThickness = 3;
    int CaptionHeight = 14;
    int DockedBorder = 2;
    int DragHandle = 9;
};

TBarSize DockedOuterSize(TBarSize Client, bool Vertical, bool DragHandle);
TBarSize FloatingOuterSize(TBarSize Client, const TBarMetrics& Metrics);

// The caption shortened with "..." to fit Width, keeping at least five characters.
std::string ShortenCaption(const std::string& Text, int Width,
                           const std::function<int(const std::string&)>& TextWidth);

// ---- Screen placement and drag targets --------------------------------------------------

// Shifts Rect into WorkArea (right, bottom, left, top in turn); with OnlyIfFullyOffscreen it
// stays where it is while it meets the work area.
TBarRect KeepOnScreen(TBarRect Rect, const TBarRect& WorkArea, bool OnlyIfFullyOffscreen);

struct TDragStart {
    TBarPoint Press;    // relative to the bar's outer rectangle
    TBarSize PressSize; // the bar's outer size at the press
};

// The outline's top-left for a bar of Size so the press point keeps its proportional place.
TBarPoint ProportionalOrigin(TBarPoint Cursor, TBarSize Size, const TDragStart& Start);

struct TDockTarget {
    TDockPosition Position = dpTop;
    bool AllowDrag = true;
    TBarRect ScreenRect;
    TBarSize BarSize; // the bar's outer size docked here
};

struct TDragChoice {
    std::optional<int> Dock; // index into the targets; none floats
    TBarRect Rect;           // the outline on the screen
};

struct TDragInput {
    TBarPoint Cursor;
    bool Ctrl = false;
    std::vector<TDockPosition> DockableTo;
    TBarSize FloatingSize;
    TBarRect WorkArea;
    TBarMetrics Metrics;
};

// Tries the docks (top, bottom, left, right; in list order within a position); Accept may
// refuse a hit dock. Without a dock the floating outline is kept reachable.
TDragChoice ChooseDragTarget(const TDragInput& Input, const TDragStart& Start,
                             const std::vector<TDockTarget>& Docks,
                             const std::function<bool(int)>& Accept = {});

} // namespace korvid

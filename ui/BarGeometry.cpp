#include "ui/BarGeometry.h"

#include <algorithm>
#include <climits>

namespace korvid {

namespace {

constexpr int MinRowSize = 8;
constexpr int RowPadding = 4;
constexpr int DropEdge = 5;

int HighestRow(const std::vector<TDockSlot>& Bars) {
    int Highest = -1;
    for (const auto& Bar : Bars)
        Highest = std::max(Highest, Bar.DockRow);
    return Highest;
}

void RemoveBlankRows(std::vector<TDockSlot>& Bars) {
    int Highest = HighestRow(Bars);
    // Of two adjacent blank rows only the first goes in one pass.
    for (int Row = 0; Row <= Highest; ++Row) {
        const bool Used = std::any_of(Bars.begin(), Bars.end(),
                                      [Row](const TDockSlot& B) { return B.DockRow == Row; });
        if (Used)
            continue;
        for (auto& Bar : Bars)
            if (Bar.DockRow > Row)
                --Bar.DockRow;
        --Highest;
    }
}

int BarsOnRow(const std::vector<TDockSlot>& Bars, int Row) {
    return static_cast<int>(std::count_if(Bars.begin(), Bars.end(),
                                          [Row](const TDockSlot& B) { return B.DockRow == Row; }));
}

void FirstPlacement(std::vector<TDockSlot>& Bars) {
    for (int Row = 0; Row <= HighestRow(Bars); ++Row) {
        int P = 0;
        for (std::size_t I = 0; I < Bars.size(); ++I) {
            auto& Bar = Bars[I];
            if (Bar.DockRow != Row)
                continue;
            if (Bar.FullSize && BarsOnRow(Bars, Row) > 1) {
                for (std::size_t J = 0; J < Bars.size(); ++J)
                    if (J != I && Bars[J].DockRow >= Row)
                        ++Bars[J].DockRow;
            }
            if (Bar.DockPos > P)
                P = Bar.DockPos;
            else
                Bar.DockPos = P;
            P += Bar.Length;
        }
    }
}

void PullBackOverflow(std::vector<TDockSlot>& Bars, int ClientLength) {
    for (auto& Bar : Bars) {
        if (Bar.FullSize) {
            Bar.DockPos = 0;
            continue;
        }
        for (auto It = Bars.rbegin(); It != Bars.rend(); ++It) {
            if (It->DockRow != Bar.DockRow)
                continue;
            const int Excess = It->DockPos + It->Length - ClientLength;
            if (Excess > 0) {
                Bar.DockPos -= Excess;
                break;
            }
        }
    }
}

int RowEnd(const std::vector<int>& RowSizes, int Row, int Start) {
    if (Row >= static_cast<int>(RowSizes.size()))
        return INT_MAX;
    return Start + RowSizes[static_cast<std::size_t>(Row)] + RowPadding;
}

} // namespace

TDockArrangement ArrangeDock(std::vector<TDockSlot>& Bars, const TDockSettings& Settings) {
    TDockArrangement Result;
    if (Bars.empty()) {
        Result.Thickness = Settings.FixAlign ? 1 : 0;
        return Result;
    }
    // Stable, so two bars at one place keep their order from one arrangement to the next.
    std::stable_sort(Bars.begin(), Bars.end(), [](const TDockSlot& A, const TDockSlot& B) {
        return A.DockRow != B.DockRow ? A.DockRow < B.DockRow : A.DockPos < B.DockPos;
    });
    if (Settings.LimitToOneRow)
        for (auto& Bar : Bars)
            Bar.DockRow = 0;
    RemoveBlankRows(Bars);
    FirstPlacement(Bars);

    const int Rows = HighestRow(Bars) + 1;
    Result.RowSizes.assign(static_cast<std::size_t>(Rows), MinRowSize);
    for (const auto& Bar : Bars) {
        int& Size = Result.RowSizes[static_cast<std::size_t>(Bar.DockRow)];
        Size = std::max(Size, Bar.BaseSize);
    }

    PullBackOverflow(Bars, Settings.ClientLength);

    int Across = 0;
    for (int Row = 0; Row < Rows; ++Row) {
        const int Band = std::max(Result.RowSizes[static_cast<std::size_t>(Row)] + RowPadding, 8);
        int P = 0;
        for (auto& Bar : Bars) {
            if (Bar.DockRow != Row)
                continue;
            Bar.DockPos = std::max(Bar.DockPos, P);
            const int Length = Bar.FullSize ? Settings.ClientLength : Bar.Length;
            Bar.Bounds = Settings.Vertical
                             ? TBarRect{Across, Bar.DockPos, Across + Band, Bar.DockPos + Length}
                             : TBarRect{Bar.DockPos, Across, Bar.DockPos + Length, Across + Band};
            P += Bar.Length;
        }
        Across += Band;
    }
    Result.Thickness = Across;
    return Result;
}

TRowDrop RowForDrop(const std::vector<int>& RowSizes, int Pos) {
    int Start = 0;
    for (int Row = 0;; ++Row) {
        const int End = RowEnd(RowSizes, Row, Start);
        if (Pos <= Start + DropEdge)
            return {Row, true};
        if (Pos <= End - DropEdge)
            return {Row, false};
        Start = End;
    }
}

int RowAt(const std::vector<int>& RowSizes, int Pos) {
    int Start = 0;
    const int Rows = static_cast<int>(RowSizes.size());
    for (int Row = 0; Row < Rows; ++Row) {
        const int End = RowEnd(RowSizes, Row, Start);
        if (End > Pos)
            return Row;
        Start = End;
    }
    return Rows;
}

// ---- Command-bar layout -----------------------------------------------------------------

int MeasureThickness(const std::vector<TBarItem>& Items, int DockKind) {
    int Size = MinRowSize;
    for (const auto& Item : Items)
        if (!Item.Separator)
            Size = std::max(Size, DockKind == 2 ? Item.Size.Width : Item.Size.Height);
    return Size;
}

namespace {

struct TMargins {
    int Top, Bottom, Left, Right;
};

int ItemLength(const TBarItem& Item, bool Vertical) {
    if (Item.Separator)
        return Vertical ? Item.SizeVert : Item.SizeHorz;
    return Vertical ? Item.Size.Height : Item.Size.Width;
}

} // namespace

TBarLayout LayOutBar(const std::vector<TBarItem>& Items, int DockKind, bool Docked, int CrossSize,
                     int FloatRightX) {
    const bool Vertical = DockKind == 2;
    const TMargins M = DockKind == 0 ? TMargins{2, 1, 4, 4} : TMargins{0, 0, 0, 0};
    int Wrap = INT_MAX;
    if (DockKind == 0 && FloatRightX != 0) {
        Wrap = FloatRightX;
        for (const auto& Item : Items)
            if (!Item.Separator)
                Wrap = std::max(Wrap, Item.Size.Width + 8);
    }
    const int C = CrossSize;
    TBarLayout Result;
    Result.Places.resize(Items.size());

    int Widest = 0;
    int Y = M.Top;
    int LineThickness = C;
    if (Items.empty()) {
        Widest = M.Left + 8;
        LineThickness = Docked ? C : 8;
    } else {
        int X = 0;
        int WidestBeforeSeparator = 0; // widest without the separator that ends the current line
        std::size_t GroupStart = 0;
        std::optional<std::size_t> PreviousSeparator;
        while (GroupStart < Items.size()) {
            std::size_t GroupEnd = GroupStart;
            while (GroupEnd < Items.size() && !Items[GroupEnd].Separator)
                ++GroupEnd;
            if (GroupEnd < Items.size())
                ++GroupEnd; // the separator belongs to the group it ends
            int GroupLength = 0;
            for (std::size_t I = GroupStart; I < GroupEnd; ++I)
                if (!Items[I].Separator)
                    GroupLength += Vertical ? Items[I].Size.Height : Items[I].Size.Width;

            const bool First = GroupStart == 0;
            if (First)
                X += M.Left;
            const bool Stays = Docked || X + GroupLength + M.Right <= Wrap;
            if (!Stays && !First) {
                X = M.Left;
                Y += C + 6; // room for the groove of the line break
                bool Blank = false;
                if (PreviousSeparator) {
                    auto& Place = Result.Places[*PreviousSeparator];
                    Place.Right = Place.Left;
                    Widest = WidestBeforeSeparator;
                    Blank = Items[*PreviousSeparator].Blank;
                }
                Result.LineBreaks.push_back({Y, Blank});
            }
            for (std::size_t I = GroupStart; I < GroupEnd; ++I) {
                const auto& Item = Items[I];
                const int Length = ItemLength(Item, Vertical);
                if (!Item.Separator && X > M.Left && X + Length + M.Right > Wrap) {
                    X = M.Left;
                    Y += C;
                }
                TBarRect Place;
                if (Item.Separator) {
                    WidestBeforeSeparator = Widest;
                    Place = Vertical ? TBarRect{Y, X, Y + C, X + Length}
                                     : TBarRect{X, Y, X + Length, Y + C};
                } else if (Vertical) {
                    const int Left = Y + (C - Item.Size.Width) / 2;
                    Place = TBarRect{Left, X, Left + Item.Size.Width, X + Item.Size.Height};
                } else {
                    const int Top = Y + (C - Item.Size.Height) / 2;
                    Place = TBarRect{X, Top, X + Item.Size.Width, Top + Item.Size.Height};
                }
                Result.Places[I] = Place;
                X += Length;
                Widest = std::max(Widest, X);
            }
            PreviousSeparator.reset();
            if (GroupEnd > GroupStart && Items[GroupEnd - 1].Separator)
                PreviousSeparator = GroupEnd - 1;
            GroupStart = GroupEnd;
        }
    }
    const int Along = Widest + M.Right;
    const int Across = Y + LineThickness + M.Bottom;
    Result.ClientSize = Vertical ? TBarSize{Across, Along} : TBarSize{Along, Across};
    return Result;
}

std::vector<TBarSize> FloatingSizes(const std::vector<TBarItem>& Items) {
    const int Cross = MeasureThickness(Items, 0);
    std::vector<TBarSize> Sizes{LayOutBar(Items, 0, false, Cross, 0).ClientSize};
    int WidestChild = 0;
    for (const auto& Item : Items)
        if (!Item.Separator)
            WidestChild = std::max(WidestChild, Item.Size.Width);
    for (int Wrap = Sizes.front().Width - 1; Wrap >= WidestChild + 8; --Wrap) {
        const TBarSize Size = LayOutBar(Items, 0, false, Cross, Wrap).ClientSize;
        if (std::find(Sizes.begin(), Sizes.end(), Size) == Sizes.end())
            Sizes.push_back(Size);
    }
    return Sizes;
}

// ---- Frames -----------------------------------------------------------------------------

TBarSize DockedOuterSize(TBarSize Client, bool Vertical, bool DragHandle) {
    const int Along = 4 + (DragHandle ? 9 : 0);
    return Vertical ? TBarSize{Client.Width + 4, Client.Height + Along}
                    : TBarSize{Client.Width + Along, Client.Height + 4};
}

TBarSize FloatingOuterSize(TBarSize Client, const TBarMetrics& Metrics) {
    return {Client.Width + 2 * Metrics.FrameThickness,
            Client.Height + Metrics.CaptionHeight + 2 * Metrics.FrameThickness};
}

std::string ShortenCaption(const std::string& Text, int Width,
                           const std::function<int(const std::string&)>& TextWidth) {
    if (TextWidth(Text) <= Width)
        return Text;
    std::string Shown = Text + "...";
    constexpr std::size_t MinChars = 5;
    while (Shown.size() > MinChars && TextWidth(Shown) > Width)
        Shown.erase(Shown.size() - 4, 1);
    return Shown;
}

// ---- Screen placement and drag targets --------------------------------------------------

TBarRect KeepOnScreen(TBarRect Rect, const TBarRect& WorkArea, bool OnlyIfFullyOffscreen) {
    if (OnlyIfFullyOffscreen && Rect.Intersects(WorkArea))
        return Rect;
    if (Rect.Right > WorkArea.Right)
        Rect = Rect.Moved(WorkArea.Right - Rect.Right, 0);
    if (Rect.Bottom > WorkArea.Bottom)
        Rect = Rect.Moved(0, WorkArea.Bottom - Rect.Bottom);
    if (Rect.Left < WorkArea.Left)
        Rect = Rect.Moved(WorkArea.Left - Rect.Left, 0);
    if (Rect.Top < WorkArea.Top)
        Rect = Rect.Moved(0, WorkArea.Top - Rect.Top);
    return Rect;
}

namespace {

int Share(int Amount, int Part, int Whole) {
    return Whole > 0 ? Amount * Part / Whole : 0;
}

bool HitsDock(const TDockTarget& Dock, const TBarRect& Candidate, TBarPoint Cursor,
              const TDragStart& Start) {
    TBarRect Area = Dock.ScreenRect;
    if (IsVertical(Dock.Position) && Area.Width() == 0)
        ++Area.Right;
    if (!IsVertical(Dock.Position) && Area.Height() == 0)
        ++Area.Bottom;
    if (!Candidate.Intersects(Area))
        return false;
    const int Right = Share(32, Start.Press.X, Start.PressSize.Width);
    TBarRect Reach = Area;
    Reach.Left -= 32 - Right;
    Reach.Right += Right;
    if (!IsVertical(Dock.Position)) {
        const int Below = Share(20, Start.Press.Y, Start.PressSize.Height);
        Reach.Top -= 20 - Below;
        Reach.Bottom += Below;
    }
    return Reach.Contains(Cursor);
}

TBarRect ReachableFloating(TBarRect Rect, const TDragInput& Input) {
    const int Inset = 4 + Input.Metrics.FrameThickness;
    const TBarRect& W = Input.WorkArea;
    const TBarRect Inner{W.Left + Inset, W.Top + Inset, W.Right - Inset, W.Bottom - Inset};
    if (Rect.Right < Inner.Left)
        Rect = Rect.Moved(Inner.Left - Rect.Right, 0);
    if (Rect.Left > Inner.Right)
        Rect = Rect.Moved(Inner.Right - Rect.Left, 0);
    if (Rect.Bottom < Inner.Top)
        Rect = Rect.Moved(0, Inner.Top - Rect.Bottom);
    if (Rect.Top > Inner.Bottom)
        Rect = Rect.Moved(0, Inner.Bottom - Rect.Top);
    const int HighestTop = W.Top - Input.Metrics.FrameThickness - Input.Metrics.CaptionHeight + 4;
    if (Rect.Top < HighestTop)
        Rect = Rect.Moved(0, HighestTop - Rect.Top);
    return Rect;
}

} // namespace

TBarPoint ProportionalOrigin(TBarPoint Cursor, TBarSize Size, const TDragStart& Start) {
    return {Cursor.X - Share(Size.Width - 1, Start.Press.X, Start.PressSize.Width),
            Cursor.Y - Share(Size.Height - 1, Start.Press.Y, Start.PressSize.Height)};
}

TDragChoice ChooseDragTarget(const TDragInput& Input, const TDragStart& Start,
                             const std::vector<TDockTarget>& Docks,
                             const std::function<bool(int)>& Accept) {
    if (!Input.Ctrl) {
        for (const TDockPosition Position : {dpTop, dpBottom, dpLeft, dpRight}) {
            if (std::find(Input.DockableTo.begin(), Input.DockableTo.end(), Position) ==
                Input.DockableTo.end())
                continue;
            for (std::size_t I = 0; I < Docks.size(); ++I) {
                const auto& Dock = Docks[I];
                if (Dock.Position != Position || !Dock.AllowDrag)
                    continue;
                const TBarRect Candidate = TBarRect::At(
                    ProportionalOrigin(Input.Cursor, Dock.BarSize, Start), Dock.BarSize);
                if (!HitsDock(Dock, Candidate, Input.Cursor, Start))
                    continue;
                if (Accept && !Accept(static_cast<int>(I)))
                    continue;
                return {static_cast<int>(I), Candidate};
            }
        }
    }
    const TBarRect& W = Input.WorkArea;
    const TBarPoint Cursor{std::clamp(Input.Cursor.X, W.Left, W.Right - 1),
                           std::clamp(Input.Cursor.Y, W.Top, W.Bottom - 1)};
    const TBarRect Rect =
        TBarRect::At(ProportionalOrigin(Cursor, Input.FloatingSize, Start), Input.FloatingSize);
    return {std::nullopt, ReachableFloating(Rect, Input)};
}

} // namespace korvid

#pragma once

#include <QRgb>

#include <string>
#include <string_view>
#include <vector>

namespace korvid {

// The arithmetic of painting rows, kept apart from any painter so that it can be checked
// without a display.

// Rows (1-based, counted from the top line) that a clip box from ClipTop to ClipBottom touches;
// the partly visible row below the last full one is included.
struct TRowRange {
    int First = 0;
    int Last = 0;
    friend bool operator==(const TRowRange&, const TRowRange&) = default;
};
TRowRange RowsToPaint(int ClipTop, int ClipBottom, int RowHeight, int VisibleRows);

// The text of a line as shown from column LeftColumn + 1: tabs expanded with TabSize, at most
// VisibleColumns characters. Expansion stops at the last shown column, so a line with many tabs
// costs no more than what the window shows.
std::string VisibleLineText(std::string_view Line, int TabSize, int LeftColumn, int VisibleColumns);

// The display width of a line with tabs expanded, counted no further than Limit.
int ExpandedWidth(std::string_view Line, int TabSize, int Limit);

// A stretch of a row's visible text, selected or not.
struct TTextRun {
    int Start = 0; // index into the visible text
    int Length = 0;
    bool Selected = false;
    friend bool operator==(const TTextRun&, const TTextRun&) = default;
};

// The selection as display lines and 1-based columns, the end column exclusive; all 0 when no
// selection shows.
struct TSelectionSpan {
    int BeginLine = 0;
    int BeginColumn = 0;
    int EndLine = 0;
    int EndColumn = 0;
};

// Up to three runs (before, inside and after the selection) covering Length characters of
// display line Line shown from LeftColumn; empty runs are left out.
std::vector<TTextRun> SelectionRuns(int Length, int Line, int LeftColumn,
                                    const TSelectionSpan& Sel);

// The colour of paragraph and wrap marks on a background: 32 darker on a light one (green
// above 195), else 32 lighter, each channel held within 0..255.
QRgb MarkColor(QRgb Background);

} // namespace korvid

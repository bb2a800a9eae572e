#include "editor/EngLinePainter.h"

#include <algorithm>
#include <climits>

namespace korvid {

TRowRange RowsToPaint(int ClipTop, int ClipBottom, int RowHeight, int VisibleRows) {
    TRowRange R{ClipTop / RowHeight + 1, (RowHeight - 1 + ClipBottom) / RowHeight};
    if (R.Last == VisibleRows)
        R.Last = VisibleRows + 1;
    return R;
}

std::string VisibleLineText(std::string_view Line, int TabSize, int LeftColumn,
                            int VisibleColumns) {
    const long long Limit = static_cast<long long>(LeftColumn) + std::max(VisibleColumns, 0);
    const int Tab = std::max(TabSize, 1);
    std::string Expanded;
    Expanded.reserve(static_cast<std::size_t>(std::min<long long>(Limit, 4096)));
    for (const char C : Line) {
        if (static_cast<long long>(Expanded.size()) >= Limit)
            break;
        if (C == '\t') {
            const std::size_t Next = (Expanded.size() / Tab + 1) * Tab;
            Expanded.resize(std::min<std::size_t>(Next, static_cast<std::size_t>(Limit)), ' ');
        } else {
            Expanded.push_back(C);
        }
    }
    if (static_cast<int>(Expanded.size()) <= LeftColumn)
        return {};
    return Expanded.substr(static_cast<std::size_t>(LeftColumn));
}

int ExpandedWidth(std::string_view Line, int TabSize, int Limit) {
    const int Tab = std::max(TabSize, 1);
    int Width = 0;
    for (const char C : Line) {
        if (Width >= Limit)
            return Limit;
        Width = C == '\t' ? (Width / Tab + 1) * Tab : Width + 1;
    }
    return std::min(Width, Limit);
}

std::vector<TTextRun> SelectionRuns(int Length, int Line, int LeftColumn,
                                    const TSelectionSpan& Sel) {
    int From = Length;
    int To = Length;
    if (Sel.BeginLine != 0 && Line >= Sel.BeginLine && Line <= Sel.EndLine) {
        const int BeginCol = Line == Sel.BeginLine ? Sel.BeginColumn : 1;
        const long long EndCol = Line == Sel.EndLine ? Sel.EndColumn : INT_MAX;
        From = std::clamp(BeginCol - LeftColumn - 1, 0, Length);
        To = static_cast<int>(std::clamp<long long>(EndCol - LeftColumn - 1, From, Length));
    }
    std::vector<TTextRun> Runs;
    if (From > 0)
        Runs.push_back({0, From, false});
    if (To > From)
        Runs.push_back({From, To - From, true});
    if (Length > To)
        Runs.push_back({To, Length - To, false});
    return Runs;
}

QRgb MarkColor(QRgb Background) {
    const int Delta = qGreen(Background) > 195 ? -32 : 32;
    const auto Shift = [Delta](int V) { return std::clamp(V + Delta, 0, 255); };
    return qRgb(Shift(qRed(Background)), Shift(qGreen(Background)), Shift(qBlue(Background)));
}

} // namespace korvid

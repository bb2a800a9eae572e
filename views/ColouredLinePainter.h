#pragma once

#include "plugin/ColouringPlugin.h"
#include "views/RunCanvas.h"
#include "views/View.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvid {

// One display line as the editor hands it over for coloured drawing.
struct TLineToDraw {
    TRunCanvas* Canvas = nullptr;
    bool Foreign = false; // drawn elsewhere than on the editor itself, such as a printer
    TRunRect Rect;
    std::string S; // the whole line, tabs expanded
    int Line = 0;
    int Pos = 0;   // first visible column, 0-based
    int Count = 0; // visible columns
    int HBLine = 0;
    int HBCol = 0;
    int HELine = 0;
    int HECol = 0; // exclusive
};

// Draws a line as the coloured runs a plug-in reports for it. The editor derives from this and
// is the Data value the plug-in's callbacks come back with; the callbacks ignore any pointer
// that is not a live painter.
class TColouredLinePainter {
public:
    // Marks the fill of an empty line that carries a marker.
    static constexpr int MarkerFillStart = -999;

    TColouredLinePainter();
    virtual ~TColouredLinePainter();
    TColouredLinePainter(const TColouredLinePainter&) = delete;
    TColouredLinePainter& operator=(const TColouredLinePainter&) = delete;

    static bool IsLivePainter(const void* Data);

    // Width of "X" in the editor's font without style; columns map to pixels through it.
    int CharWidth = 0;
    // A breakpoint line as its number, the execution-point line as its negated number.
    std::vector<int> LineMarkers;

    // Fills the row, then draws the plug-in's chunks of the line.
    void PaintLine(TKorvidEnumChunks EnumChunks, TLineToDraw Line);

    // A chunk from the plug-in, limited to the line and coloured by its element.
    void ChunkProc(int ElementId, std::int64_t Start, std::int64_t Length);
    void DrawRun(int Start, int Length, TColor Colour, bool Bold, bool Italic);
    void SetRunColours(TColor TextColour, TColor BackColour, bool Selected);

protected:
    // The view whose colours are drawn; null draws nothing coloured.
    virtual const TView* ColouringView() const = 0;
    // Writes line LineNo zero-terminated into Buffer (KorvidLineBufferSize bytes); it holds an
    // empty string on entry.
    virtual void GetLineText(int LineNo, char* Buffer) = 0;
    const TLineToDraw& LineBeingDrawn() const { return FLine; }

private:
    friend void EditorGetLineProc(void* Data, std::int32_t LineNo, char* Buffer);

    enum class TMarker { None, Breakpoint, ExecutionPoint };

    void EnumLineChunks(TKorvidEnumChunks EnumChunks);
    void DrawMarkerFill();
    void DrawElementRun(int ElementId, int Start, int Length);
    void DrawWholeRun(const TRunRect& Rect, std::string_view Text, TColor Colour, TColor BackColour,
                      bool Selected);
    void TextOutRun(const TRunRect& Rect, std::string_view Text);
    TMarker MarkerOfLine() const;
    bool IsSelected(int Column) const;
    TColor Background() const;

    TLineToDraw FLine;
};

// The callbacks handed to the plug-in; Data must be a live painter.
void EditorChunkProc(void* Data, std::uint8_t ElementId, std::int32_t Start, std::int32_t Length);
void EditorGetLineProc(void* Data, std::int32_t LineNo, char* Buffer);

// Line markers as editors keep them: a breakpoint's line, the execution point's negated.
void AddLineMarkerTo(std::vector<int>& Markers, int Line, bool IsExecutionPoint);
// The execution point goes; with MakeBreakpoint its line stays marked as a breakpoint.
void ClearExecutionPointIn(std::vector<int>& Markers, bool MakeBreakpoint);

} // namespace korvid

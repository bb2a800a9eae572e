#pragma once

#include "platform/KorvidError.h"

#include <QImage>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvid {

class TToolButton;
class TToolMenuItem;

// An index outside a list.
class EListError : public EKorvidError {
public:
    using EKorvidError::EKorvidError;
};

// One user command with the state that every toolbar button and menu item showing it mirrors.
class TKorvidTool {
public:
    using TProcedure = std::function<void()>;

    TKorvidTool();
    // Unbinds the controls still bound; they live on without a tool.
    ~TKorvidTool();
    TKorvidTool(const TKorvidTool&) = delete;
    TKorvidTool& operator=(const TKorvidTool&) = delete;

    // Runs the command; a tool without a procedure does nothing.
    void Execute();

    enum TAttachOperation { aoAttach = 0, aoDetach = 1 };
    void AttachButton(TToolButton* Button, int Operation);
    void AttachMenuItem(TToolMenuItem* Item, int Operation, bool IsContext);
    // Pushes caption, hint, shortcut, glyph and state (not visibility) to every bound control.
    void Refresh();

    // Each setter does nothing when the value is unchanged.
    void SetCaption(const std::string& Value);
    void SetHint(const std::string& Value);
    void SetShortCut(std::uint16_t Value);
    void SetGroupIndex(int Value);
    void SetUseSecondGlyph(bool Value);
    void SetAllowAllUp(bool Value);
    void SetDown(bool Value);
    void SetEnabled(bool Value);
    void SetHidden(bool Value);

    void SetName(const std::string& Value) { FName = Value; }
    void SetIndex(int Value) { FIndex = Value; }
    void SetProcedure(TProcedure Value) { FProcedure = std::move(Value); }

    const std::string& Name() const { return FName; }
    const std::string& Caption() const { return FCaption; }
    const std::string& Hint() const { return FHint; }
    std::uint16_t ShortCut() const { return FShortCut; }
    int Index() const { return FIndex; }
    int GroupIndex() const { return FGroupIndex; }
    bool UseSecondGlyph() const { return FUseSecondGlyph; }
    bool AllowAllUp() const { return FAllowAllUp; }
    bool Down() const { return FDown; }
    bool Enabled() const { return FEnabled; }
    bool Hidden() const { return FHidden; }
    bool HasProcedure() const { return bool(FProcedure); }
    // The 16 by 16 pictures; set them before controls are bound or call Refresh after.
    QImage& Glyph() { return FGlyph; }
    QImage& SecondGlyph() { return FSecondGlyph; }
    const QImage& Glyph() const { return FGlyph; }
    const QImage& SecondGlyph() const { return FSecondGlyph; }
    const std::vector<TToolButton*>& Buttons() const { return FButtons; }
    const std::vector<TToolMenuItem*>& MainMenuItems() const { return FMainMenuItems; }
    const std::vector<TToolMenuItem*>& ContextMenuItems() const { return FContextMenuItems; }

private:
    std::string FName;
    std::string FCaption;
    std::string FHint;
    std::uint16_t FShortCut = 0;
    int FIndex = 0;
    int FGroupIndex = 0;
    bool FUseSecondGlyph = false;
    bool FAllowAllUp = false;
    bool FDown = false;
    bool FEnabled = true;
    bool FHidden = false;
    TProcedure FProcedure;
    QImage FGlyph;
    QImage FSecondGlyph;
    std::vector<TToolButton*> FButtons;
    std::vector<TToolMenuItem*> FMainMenuItems;
    std::vector<TToolMenuItem*> FContextMenuItems;
};

// The caption as the main menu shows it: braced groups removed, "&" kept.
std::string MainMenuCaption(std::string_view Caption);
// The caption as a context menu shows it: "&", "{" and "}" removed, the braced words kept.
std::string ContextMenuCaption(std::string_view Caption);
// The caption at the head of a button's tooltip, without "&" and without a final "...".
std::string ButtonHintCaption(std::string_view Caption, bool StripBraces);

// The list of all tools, which owns them.
class TKorvidToolList {
public:
    TKorvidToolList() = default;
    TKorvidToolList(const TKorvidToolList&) = delete;
    TKorvidToolList& operator=(const TKorvidToolList&) = delete;
    ~TKorvidToolList() { Clear(); }

    int Count() const { return int(FItems.size()); }
    // Raises EListError for an index outside the list.
    TKorvidTool* Items(int Index) const;
    int Add(std::unique_ptr<TKorvidTool> Tool);
    void Clear();

    // Runs the first tool, in list order, that has the shortcut and is not hidden, and records
    // it while keystrokes are recorded; false when none has it.
    bool FindAndRun(std::uint16_t ShortCut);
    // FindAndRun for a virtual key (low byte) and a shift set.
    bool ExecuteShortCut(std::uint16_t Key, std::uint8_t Shift);

private:
    std::vector<std::unique_ptr<TKorvidTool>> FItems;
};

// The one tool list of the program.
TKorvidToolList& ToolList();

// The index of the first tool whose name equals Name regardless of case, or -1.
int FindToolByName(std::string_view Name, bool& Found);

// Refills the tool list from the built-in tool table, one tool per row in row order.
void BuildTools();

// The shortcut code of a built-in row; EListError outside the table.
std::uint16_t DefaultShortCut(int Index);

} // namespace korvid

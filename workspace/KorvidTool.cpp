#include "workspace/KorvidTool.h"

#include "platform/Cp1252.h"
#include "ui/GlyphResources.h"
#include "ui/VirtualKeys.h"
#include "workspace/BuiltinTools.h"
#include "workspace/Keystroke.h"
#include "workspace/ToolButton.h"
#include "workspace/ToolMenuItem.h"

#include <algorithm>

namespace korvid {

namespace {

template <typename T> void AttachTo(std::vector<T*>& List, T* Control, int Operation) {
    const auto Found = std::find(List.begin(), List.end(), Control);
    if (Operation == TKorvidTool::aoAttach) {
        if (Found == List.end())
            List.push_back(Control);
    } else if (Found != List.end()) {
        List.erase(Found);
    }
}

QImage BlankGlyph() {
    QImage Glyph(16, 16, QImage::Format_RGB32);
    Glyph.fill(Qt::white);
    return Glyph;
}

std::string WithoutChars(std::string_view Text, std::string_view Chars) {
    std::string Result;
    for (char C : Text)
        if (Chars.find(C) == std::string_view::npos)
            Result += C;
    return Result;
}

std::string WithoutFinalEllipsis(std::string Text) {
    if (Text.ends_with("..."))
        Text.resize(Text.size() - 3);
    return Text;
}

} // namespace

// ---- Caption forms ------------------------------------------------------------------------

std::string MainMenuCaption(std::string_view Caption) {
    std::string Result;
    bool InBraces = false;
    for (char C : Caption) {
        if (InBraces) {
            InBraces = C != '}';
        } else if (C == '{') {
            InBraces = true;
        } else {
            Result += C;
        }
    }
    return Result;
}

std::string ContextMenuCaption(std::string_view Caption) {
    return WithoutChars(Caption, "&{}");
}

std::string ButtonHintCaption(std::string_view Caption, bool StripBraces) {
    const std::string Text =
        StripBraces ? WithoutChars(MainMenuCaption(Caption), "&") : ContextMenuCaption(Caption);
    return WithoutFinalEllipsis(Text);
}

// ---- TKorvidTool --------------------------------------------------------------------------

TKorvidTool::TKorvidTool() : FGlyph(BlankGlyph()), FSecondGlyph(BlankGlyph()) {}

TKorvidTool::~TKorvidTool() {
    for (TToolMenuItem* Item : FContextMenuItems)
        Item->ToolDestroyed();
    for (TToolMenuItem* Item : FMainMenuItems)
        Item->ToolDestroyed();
    for (TToolButton* Button : FButtons)
        Button->ToolDestroyed();
}

void TKorvidTool::Execute() {
    if (FProcedure) {
        // A copy, so a procedure that replaces the tool's own procedure still finishes.
        const TProcedure Procedure = FProcedure;
        Procedure();
    }
}

void TKorvidTool::AttachButton(TToolButton* Button, int Operation) {
    AttachTo(FButtons, Button, Operation);
    if (Operation == aoAttach)
        Refresh();
}

void TKorvidTool::AttachMenuItem(TToolMenuItem* Item, int Operation, bool IsContext) {
    AttachTo(IsContext ? FContextMenuItems : FMainMenuItems, Item, Operation);
    if (Operation == aoAttach)
        Refresh();
}

void TKorvidTool::Refresh() {
    const std::string ShortCutText = ShortCutToText(FShortCut);
    const std::string ShortCutPart = FShortCut != 0 ? "  (" + ShortCutText + ")" : "";
    for (TToolButton* Button : FButtons) {
        Button->SetAllowAllUp(FAllowAllUp);
        // The group first: a button outside any group cannot be down.
        Button->SetGroupIndex(FGroupIndex);
        Button->SetDown(FDown);
        Button->setEnabled(FEnabled);
        if (FHidden)
            Button->setVisible(false);
        Button->SetGlyph(FUseSecondGlyph ? FSecondGlyph : FGlyph);
        Button->SetHint(ButtonHintCaption(FCaption, Button->StripBraces()) + ShortCutPart + "|" +
                        FHint);
    }
    const QString Status = ToQString(FHint);
    for (TToolMenuItem* Item : FMainMenuItems) {
        Item->setText(ToQString(MainMenuCaption(FCaption) + "\t" + ShortCutText));
        Item->SetToolChecked(FDown);
        Item->setEnabled(FEnabled);
        Item->setStatusTip(Status);
    }
    for (TToolMenuItem* Item : FContextMenuItems) {
        Item->setText(ToQString(ContextMenuCaption(FCaption)));
        Item->SetToolChecked(FDown);
        Item->setEnabled(FEnabled);
        Item->setStatusTip(Status);
    }
}

void TKorvidTool::SetCaption(const std::string& Value) {
    if (Value == FCaption)
        return;
    FCaption = Value;
    Refresh();
}

void TKorvidTool::SetHint(const std::string& Value) {
    if (Value == FHint)
        return;
    FHint = Value;
    Refresh();
}

void TKorvidTool::SetShortCut(std::uint16_t Value) {
    if (Value == FShortCut)
        return;
    FShortCut = Value;
    Refresh();
}

void TKorvidTool::SetGroupIndex(int Value) {
    if (Value == FGroupIndex)
        return;
    FGroupIndex = Value;
    Refresh();
}

void TKorvidTool::SetUseSecondGlyph(bool Value) {
    if (Value == FUseSecondGlyph)
        return;
    FUseSecondGlyph = Value;
    Refresh();
}

void TKorvidTool::SetAllowAllUp(bool Value) {
    if (Value == FAllowAllUp)
        return;
    FAllowAllUp = Value;
    Refresh();
}

void TKorvidTool::SetDown(bool Value) {
    if (Value == FDown)
        return;
    FDown = Value;
    for (TToolButton* Button : FButtons)
        Button->SetDown(Value);
    for (TToolMenuItem* Item : FMainMenuItems)
        Item->SetToolChecked(Value);
    for (TToolMenuItem* Item : FContextMenuItems)
        Item->SetToolChecked(Value);
}

void TKorvidTool::SetEnabled(bool Value) {
    if (Value == FEnabled)
        return;
    FEnabled = Value;
    for (TToolButton* Button : FButtons)
        Button->setEnabled(Value);
    for (TToolMenuItem* Item : FMainMenuItems)
        Item->setEnabled(Value);
    for (TToolMenuItem* Item : FContextMenuItems)
        Item->setEnabled(Value);
}

void TKorvidTool::SetHidden(bool Value) {
    if (Value == FHidden)
        return;
    FHidden = Value;
    for (TToolButton* Button : FButtons)
        Button->setVisible(!Value);
    for (TToolMenuItem* Item : FMainMenuItems)
        Item->setVisible(!Value);
    for (TToolMenuItem* Item : FContextMenuItems)
        Item->setVisible(!Value);
}

// ---- TKorvidToolList ----------------------------------------------------------------------

TKorvidTool* TKorvidToolList::Items(int Index) const {
    if (Index < 0 || Index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FItems[Index].get();
}

int TKorvidToolList::Add(std::unique_ptr<TKorvidTool> Tool) {
    FItems.push_back(std::move(Tool));
    return Count() - 1;
}

void TKorvidToolList::Clear() {
    while (!FItems.empty())
        FItems.erase(FItems.begin());
}

bool TKorvidToolList::FindAndRun(std::uint16_t ShortCut) {
    for (const auto& Tool : FItems)
        if (Tool->ShortCut() == ShortCut && !Tool->Hidden()) {
            TKorvidTool* const Found = Tool.get();
            Found->Execute();
            if (IsRecordingKeystrokes() && !IsMacroTool(Found->Index()))
                AddKeystroke(ksTool, Found, 0, 0);
            return true;
        }
    return false;
}

bool TKorvidToolList::ExecuteShortCut(std::uint16_t Key, std::uint8_t Shift) {
    return FindAndRun(ShortCutOfStep(Key, Shift));
}

TKorvidToolList& ToolList() {
    static TKorvidToolList List;
    return List;
}

int FindToolByName(std::string_view Name, bool& Found) {
    const std::string Wanted = UpperCase1252(Name);
    const TKorvidToolList& List = ToolList();
    for (int I = 0; I < List.Count(); ++I)
        if (UpperCase1252(List.Items(I)->Name()) == Wanted) {
            Found = true;
            return I;
        }
    Found = false;
    return -1;
}

void BuildTools() {
    TKorvidToolList& List = ToolList();
    List.Clear();
    const auto Table = BuiltinTools();
    for (int Row = 0; Row < int(Table.size()); ++Row) {
        const TDef& Def = Table[Row];
        auto Tool = std::make_unique<TKorvidTool>();
        Tool->SetCaption(Def.Caption);
        if (Def.Procedure)
            Tool->SetProcedure(Def.Procedure);
        Tool->SetIndex(Row);
        const std::string Resource = std::string("GLYPH_") + Def.Name;
        if (QImage Glyph = LoadGlyphResource(Resource); !Glyph.isNull())
            Tool->Glyph() = Glyph;
        if (*Def.SecondGlyphSuffix != '\0')
            if (QImage Glyph = LoadGlyphResource(Resource + Def.SecondGlyphSuffix); !Glyph.isNull())
                Tool->SecondGlyph() = Glyph;
        Tool->SetGroupIndex(Def.GroupIndex);
        Tool->SetHint(Def.Hint);
        Tool->SetName(Def.Name);
        Tool->SetShortCut(ShortCutOfStep(DefKey(Def), DefShift(Def)));
        Tool->SetAllowAllUp(Def.AllowAllUp);
        List.Add(std::move(Tool));
    }
}

std::uint16_t DefaultShortCut(int Index) {
    const auto Table = BuiltinTools();
    if (Index < 0 || Index >= int(Table.size()))
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return ShortCutOfStep(DefKey(Table[Index]), DefShift(Table[Index]));
}

} // namespace korvid

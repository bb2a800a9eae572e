#pragma once

#include "editor/EngCustomEditorWidget.h"
#include "editor/engine/EngTextFileEditor.h"

namespace korvid {

// A widget showing an editor of a given editor class, with that class's interface at hand.
template <typename TEditorClass> class TEngEditorWidgetOf : public TEngCustomEditorWidget {
public:
    explicit TEngEditorWidgetOf(QWidget* Parent = nullptr, TEngController* Controller = nullptr)
        : TEngCustomEditorWidget(Parent, Controller, [](TEngEditorHost& Host, TEngController* C) {
              return std::make_unique<TEditorClass>(Host, C);
          }) {}

    TEditorClass& Editor() { return static_cast<TEditorClass&>(TEngCustomEditorWidget::Editor()); }
};

// The text-file editor on screen.
using TEngTextFileEditorWidget = TEngEditorWidgetOf<TEngTextFileEditor>;

} // namespace korvid

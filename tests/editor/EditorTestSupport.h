#pragma once

#include "editor/Editor.h"
#include "editor/EngFixedFont.h"
#include "views/View.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace korvid::test {

// The main window as an editor sees it, recording what it is asked.
class TFakeOwner : public TEditorOwner {
public:
    TView Default;
    int ViewsMenuBuilds = 0;
    std::vector<std::vector<std::string>> Dropped;
    std::vector<std::string> Searched;
    bool Recentre = false;

    TView& DefaultView() override { return Default; }
    void BuildViewsMenu() override { ++ViewsMenuBuilds; }
    void OpenDroppedFiles(const std::vector<std::string>& FileNames) override {
        Dropped.push_back(FileNames);
    }
    void FindInCurrentSources(const std::string& Name) override { Searched.push_back(Name); }
    bool RecentreOnFind() const override { return Recentre; }
    bool GoToSearchResult() override { return false; }
};

// An editor on a pinned font, with text set by paragraphs.
class EditorFixture : public ::testing::Test {
protected:
    EditorFixture() {
        SetFixedFontSource([] { return std::vector<std::string>{"DejaVu Sans Mono"}; });
        Fonts = std::make_unique<TScopedFontCatalogue>(
            [](std::string_view Name) { return Name == "DejaVu Sans Mono"; });
        View.SetFontName("DejaVu Sans Mono");
        View.SetFontSize(10);
        Ed = std::make_unique<TEditor>(nullptr, &Owner);
        Ed->resize(500, 300);
        Ed->SetView(&View);
    }
    ~EditorFixture() override {
        Ed.reset();
        SetFixedFontSource(nullptr);
    }

    TEngTextFileEditor& E() { return Ed->Editor(); }
    void SetText(const std::vector<std::string>& Paras) {
        std::string Text;
        for (std::size_t I = 0; I < Paras.size(); ++I)
            Text += (I > 0 ? "\r\n" : "") + Paras[I];
        E().SetEditorText(Text);
    }
    std::vector<std::string> Text() { return Ed->Paragraphs(); }
    // Selects from (para, pos) to (para, pos), caret at the end.
    void Select(int Para1, int Pos1, int Para2, int Pos2) {
        E().SetSelectionParas({Para1, Pos1}, {Para2, Pos2}, true);
    }

    std::unique_ptr<TScopedFontCatalogue> Fonts;
    TFakeOwner Owner;
    TView View;
    std::unique_ptr<TEditor> Ed;
};

} // namespace korvid::test

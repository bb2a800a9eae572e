#pragma once

#include "devtools/compiler/CompilerHost.h"
#include "workspace/KorvidOptions.h"

#include <gtest/gtest.h>

#include <deque>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace korvid::test {

struct TRecordedBox {
    std::string Title;
    std::string Text;
    bool OkOnly = false;
    bool CanIgnore = false;
    bool operator==(const TRecordedBox&) const = default;
};

inline void PrintTo(const TRecordedBox& Box, std::ostream* Out) {
    *Out << "{" << Box.Title << ", \"" << Box.Text << "\", ok only " << Box.OkOnly << ", ignore "
         << Box.CanIgnore << "}";
}

struct TRecordedTab {
    std::string Caption;
    std::vector<TCompileLine> Lines;
};

struct TRecordedPlace {
    std::string File;
    int Line = 0;
    int Column = 0;
    bool operator==(const TRecordedPlace&) const = default;
};

// Records what a compile shows; boxes answer from Answers (0 once they run out). With
// NoBoxes set, any box fails the test.
class TRecordingCompilerHost : public TCompilerHost {
public:
    int ShowCompilerBox(const std::string& Title, const std::string& Text, bool OkOnly,
                        bool CanIgnore) override {
        if (NoBoxes)
            ADD_FAILURE() << "box shown: " << Title << ": " << Text;
        Boxes.push_back({Title, Text, OkOnly, CanIgnore});
        if (Answers.empty())
            return 0;
        const int Answer = Answers.front();
        Answers.pop_front();
        return Answer;
    }
    void ShowCompilerError(const std::string& Title, const std::string& Text) override {
        if (NoBoxes)
            ADD_FAILURE() << "error box shown: " << Title << ": " << Text;
        Errors.push_back({Title, Text, true, false});
    }
    bool CanReach(const std::string& File) const override { return Reachable.contains(File); }
    void GoToError(const std::string& File, int Line, int Column) override {
        Places.push_back({File, Line, Column});
    }
    void GoToLastError() override { ++EditPresses; }
    void ShowCompileStatus(const std::string& Text) override { Status.push_back(Text); }
    void OpenLinesTab(const std::string& Caption, const std::vector<TCompileLine>& Lines) override {
        Tabs.push_back({Caption, Lines});
    }
    void SetBusy(bool Busy) override { this->Busy = Busy; }
    std::string JsonName() const override { return Json; }
    void SetJsonName(const std::string& Name) override { Json = Name; }
    std::optional<std::string> PickJsonFile(const std::string& Folder) override {
        PickedFrom.push_back(Folder);
        return Pick;
    }

    bool NoBoxes = false;
    std::deque<int> Answers;
    std::set<std::string> Reachable;
    std::string Json;
    std::optional<std::string> Pick;

    std::vector<TRecordedBox> Boxes;
    std::vector<TRecordedBox> Errors;
    std::vector<TRecordedPlace> Places;
    std::vector<std::string> Status;
    std::vector<TRecordedTab> Tabs;
    std::vector<std::string> PickedFrom;
    bool Busy = false;
    int EditPresses = 0;
};

// The options as a fresh installation has them.
inline TKorvidOptions DefaultCompilerOptions() {
    TKorvidOptions Options;
    InitOptions(Options);
    return Options;
}

} // namespace korvid::test

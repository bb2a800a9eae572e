#include "app/DocumentEditor.h"

#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "psystem/MajorVolume.h"
#include "psystem/Subvolume.h"
#include "psystem/TextKind.h"
#include "psystem/VolumePath.h"
#include "ui/FormUtilities.h"
#include "views/View.h"

#include <QApplication>

namespace korvid {
namespace {

std::string BaseName(std::string_view Path) {
    auto Slash = Path.find_last_of("/\\");
    return std::string(Slash == std::string_view::npos ? Path : Path.substr(Slash + 1));
}

} // namespace

bool TDocumentView::MatchesFileName(std::string_view FileName) const {
    return WildcardsMatchFileName(Wildcards, FileName);
}

std::string TDocumentView::DefaultExtension() const {
    return WildcardsDefaultExtension(Wildcards);
}

TListedViewCatalogue::TListedViewCatalogue() : FViews{TDocumentView{}} {}

TListedViewCatalogue::TListedViewCatalogue(std::vector<TDocumentView> Views)
    : FViews(std::move(Views)) {
    if (FViews.empty())
        FViews.emplace_back();
}

const TDocumentView* TListedViewCatalogue::FindForFileName(std::string_view FileName) {
    for (const auto& View : FViews)
        if (View.MatchesFileName(FileName))
            return &View;
    return DefaultView();
}

const TDocumentView* TListedViewCatalogue::FindForPSystemFile(const std::vector<std::string>& Lines,
                                                              const TDocumentView* Fallback) {
    const int Kind = DetectTextKind({}, Lines, false);
    bool TDocumentView::*Flag = nullptr;
    if (Kind == tkPascal)
        Flag = &TDocumentView::PSystemPascal;
    else if (Kind == tkDotCommands)
        Flag = &TDocumentView::PSystemReportWriter;
    else if (Kind == tkLorvanta || Kind == tkOtherLorvanta)
        Flag = &TDocumentView::PSystemLorvanta;
    if (!Flag)
        return Fallback;
    for (const auto& View : FViews)
        if (View.*Flag)
            return &View;
    return DefaultView();
}

std::string TDocumentEditor::GetShortDisplayName() const {
    return BaseName(GetDisplayName());
}

std::vector<std::string> PSystemVolumeLines(const std::vector<std::string>& Paragraphs, int TabSize,
                                            bool PreserveSpaces, bool PreserveSolitary) {
    TabSize = std::max(TabSize, 1);
    std::vector<std::string> Lines;
    Lines.reserve(Paragraphs.size());
    for (const auto& Paragraph : Paragraphs) {
        std::string Line;
        for (char C : Paragraph) {
            if (C != '\t') {
                Line += C;
                continue;
            }
            Line += ' ';
            while (Line.size() % TabSize != 0)
                Line += ' ';
        }
        Lines.push_back(std::move(Line));
    }
    if (!PreserveSpaces)
        StripTrailingBlanks(Lines, PreserveSolitary);
    return Lines;
}

void StripTrailingBlanks(std::vector<std::string>& Lines, bool PreserveSolitary) {
    for (auto& Line : Lines) {
        const auto End = Line.find_last_not_of(" \t");
        if (End == std::string::npos) {
            if (!PreserveSolitary)
                Line.clear();
        } else {
            Line.resize(End + 1);
        }
    }
}

bool SaveLinesToVolume(const std::string& Name, const std::vector<std::string>& Lines,
                       bool MakeBackup, const TPSystemHeaderPage* Header) {
    const auto Path = ParseVolumePath(Name);
    if (!Path)
        return false;
    const TWaitCursor Wait;
    std::unique_ptr<TVolume> Volume;
    if (!Path->Subvolume.empty())
        Volume = std::make_unique<TSubvolume>(Path->VolumeFile, true, Path->Subvolume);
    else
        Volume = std::make_unique<TMajorVolume>(Path->VolumeFile, true);
    return Volume->SaveTextFile(Path->FileName.substr(0, 255), Lines, MakeBackup, Header);
}

std::string JoinParagraphs(const std::vector<std::string>& Lines) {
    std::string Text;
    for (std::size_t Index = 0; Index < Lines.size(); ++Index) {
        if (Index > 0)
            Text += "\r\n";
        Text += Lines[Index];
    }
    return Text;
}

} // namespace korvid

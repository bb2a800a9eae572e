#include "app/DocumentEditor.h"

#include "foundation/UtilitiesUnit.h"
#include "platform/Cp1252.h"
#include "psystem/MajorVolume.h"
#include "psystem/Subvolume.h"
#include "psystem/TextKind.h"
#include "psystem/VolumePath.h"

#include <QApplication>
#include <QGuiApplication>

namespace korvid {
namespace {

// "*" and "?" over names compared without regard to case, as file systems of views' wildcards do.
bool WildcardMatches(std::string_view Pattern, std::string_view Name) {
    std::size_t P = 0, N = 0, StarP = std::string_view::npos, StarN = 0;
    while (N < Name.size()) {
        if (P < Pattern.size() &&
            (Pattern[P] == '?' || UpCase1252(static_cast<unsigned char>(Pattern[P])) ==
                                      UpCase1252(static_cast<unsigned char>(Name[N])))) {
            ++P;
            ++N;
        } else if (P < Pattern.size() && Pattern[P] == '*') {
            StarP = P++;
            StarN = N;
        } else if (StarP != std::string_view::npos) {
            P = StarP + 1;
            N = ++StarN;
        } else {
            return false;
        }
    }
    while (P < Pattern.size() && Pattern[P] == '*')
        ++P;
    return P == Pattern.size();
}

std::vector<std::string> SplitWildcards(std::string_view Wildcards) {
    std::vector<std::string> Parts;
    SplitToStrings(Wildcards, ";", Parts);
    std::vector<std::string> Result;
    for (auto& Part : Parts) {
        auto First = Part.find_first_not_of(' ');
        if (First == std::string::npos)
            continue;
        Result.push_back(Part.substr(First, Part.find_last_not_of(' ') - First + 1));
    }
    return Result;
}

std::string BaseName(std::string_view Path) {
    auto Slash = Path.find_last_of("/\\");
    return std::string(Slash == std::string_view::npos ? Path : Path.substr(Slash + 1));
}

} // namespace

bool TDocumentView::MatchesFileName(std::string_view FileName) const {
    const std::string Name = BaseName(FileName);
    for (const auto& Wildcard : SplitWildcards(Wildcards))
        if (WildcardMatches(Wildcard, Name))
            return true;
    return false;
}

std::string TDocumentView::DefaultExtension() const {
    const auto List = SplitWildcards(Wildcards);
    if (List.empty())
        return {};
    auto Dot = List.front().rfind('.');
    if (Dot == std::string::npos)
        return {};
    std::string Extension = List.front().substr(Dot);
    if (Extension.find_first_of("*?") != std::string::npos || Extension.size() < 2)
        return {};
    return Extension;
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
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    struct TRestoreCursor {
        ~TRestoreCursor() { QGuiApplication::restoreOverrideCursor(); }
    } Restore;
    std::unique_ptr<TVolume> Volume;
    if (!Path->Subvolume.empty())
        Volume = std::make_unique<TSubvolume>(Path->VolumeFile, true, Path->Subvolume);
    else
        Volume = std::make_unique<TMajorVolume>(Path->VolumeFile, true);
    return Volume->SaveTextFile(Path->FileName.substr(0, 255), Lines, MakeBackup, Header);
}

} // namespace korvid

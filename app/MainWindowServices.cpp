#include "app/MainWindowServices.h"

#include "foundation/TextFileWriter.h"
#include "platform/AtomicFile.h"
#include "platform/Cp1252.h"
#include "ui/MessagesUnit.h"

#include <QDesktopServices>
#include <QUrl>

#include <algorithm>
#include <fstream>

namespace korvid {

bool TDesktopHelpViewer::ShowFile(const std::string& Path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(ToQString(Path)));
}

void TFileHistory::AddToHistory(const std::string& Path) {
    auto Found = std::find(FPaths.begin(), FPaths.end(), Path);
    if (Found != FPaths.end())
        FPaths.erase(Found);
    FPaths.insert(FPaths.begin(), Path);
    if (int(FPaths.size()) > MaximumEntries)
        FPaths.pop_back();
    if (OnChanged)
        OnChanged();
}

std::string TFileHistory::PathOfRank(int Rank) const {
    return Rank >= 0 && Rank < Count() ? FPaths[Rank] : std::string();
}

void TFileHistory::LoadHistory(const std::string& FileName) {
    std::ifstream File(FileName, std::ios::binary);
    if (!File)
        return;
    FPaths.clear();
    std::string Line;
    while (std::getline(File, Line)) {
        if (!Line.empty() && Line.back() == '\r')
            Line.pop_back();
        if (!Line.empty() && int(FPaths.size()) < MaximumEntries)
            FPaths.push_back(Line);
    }
    if (OnChanged)
        OnChanged();
}

void TFileHistory::SaveHistory(std::string& FileName, int MaximumCount) {
    std::vector<std::string> Lines(FPaths.begin(),
                                   FPaths.begin() + std::clamp(MaximumCount, 0, Count()));
    for (;;) {
        try {
            WriteTextFile(FileName, Lines, TTextFileOptions{});
            return;
        } catch (const EFileSaveError&) {
            if (!ShowUnableToSaveMessage(lkHistoryList, FileName))
                return;
        }
    }
}

} // namespace korvid

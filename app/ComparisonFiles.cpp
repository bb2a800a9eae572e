#include "app/ComparisonFiles.h"

#include "platform/Paths.h"

#include <QString>

namespace korvid {
namespace fs = std::filesystem;

namespace {

bool SameName(const fs::path& A, const fs::path& B) {
    return QString::fromStdString(A.string())
               .compare(QString::fromStdString(B.string()), Qt::CaseInsensitive) == 0;
}

// The part of File below Folder, compared component by component ignoring case.
std::optional<fs::path> RelativeUnder(const fs::path& File, const fs::path& Folder) {
    if (Folder.empty())
        return std::nullopt;
    const fs::path Inner = File.lexically_normal();
    const fs::path Outer = Folder.lexically_normal();
    auto It = Inner.begin();
    for (const fs::path& Component : Outer) {
        if (Component.empty())
            continue; // the empty last component of a folder named with a trailing slash
        if (It == Inner.end() || !SameName(*It, Component))
            return std::nullopt;
        ++It;
    }
    fs::path Relative;
    for (; It != Inner.end(); ++It)
        Relative /= *It;
    if (Relative.empty())
        return std::nullopt;
    return Relative;
}

// Folder / Relative, each component spelt as the entry that matches it ignoring case.
fs::path FindIgnoringCase(fs::path Folder, const fs::path& Relative) {
    for (const fs::path& Component : Relative) {
        fs::path Next = Folder / Component;
        std::error_code Error;
        for (fs::directory_iterator It(Folder, Error), End; !Error && It != End;
             It.increment(Error))
            if (SameName(It->path().filename(), Component)) {
                Next = It->path();
                break;
            }
        Folder = std::move(Next);
    }
    return Folder;
}

} // namespace

std::optional<fs::path> NamesakeCounterpart(const fs::path& File, const fs::path& Folder1,
                                            const fs::path& Folder2) {
    if (const auto Relative = RelativeUnder(File, Folder1))
        return FindIgnoringCase(Folder2, *Relative);
    if (const auto Relative = RelativeUnder(File, Folder2))
        return FindIgnoringCase(Folder1, *Relative);
    return std::nullopt;
}

fs::path ComparisonCopy(int Slot) {
    return ApplicationDataFolder() / (Slot == 0 ? "Compare0.txt" : "Compare1.txt");
}

std::string ComparisonText(const std::vector<std::string>& Lines) {
    std::string Text;
    for (const std::string& Line : Lines)
        Text += Line + "\r\n";
    return Text;
}

} // namespace korvid

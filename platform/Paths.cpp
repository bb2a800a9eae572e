#include "platform/Paths.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace korvid {

std::filesystem::path ApplicationDataFolder() {
    const std::filesystem::path Folder =
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
    std::error_code Ignored;
    std::filesystem::create_directories(Folder, Ignored);
    return Folder;
}

std::filesystem::path ProgramFolder() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath().toStdString();
    std::error_code Error;
    const auto Exe = std::filesystem::read_symlink("/proc/self/exe", Error);
    return Error ? std::filesystem::current_path() : Exe.parent_path();
}

} // namespace korvid

#include "app/FileChangeUnit.h"

#include "ui/MessagesUnit.h"

namespace korvid {

bool ShouldCheckFile(std::string_view FileName, std::int64_t StoredTimeMs) {
    return !FileName.empty() && FileName.find('>') == std::string_view::npos && StoredTimeMs > 0;
}

bool IsFileUpdated(std::int64_t StoredTimeMs, std::int64_t DiskTimeMs) {
    return DiskTimeMs > StoredTimeMs + FileTimeToleranceMs;
}

bool AskLoadUpdatedFile(std::string_view FileName) {
    return AskYesNo("File Updated",
                    FormatMessageText("The file \"%1\" has been updated outside Korvid. Do you "
                                      "want to load the latest version?",
                                      {FileName}));
}

} // namespace korvid

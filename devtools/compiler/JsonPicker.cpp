#include "devtools/compiler/JsonPicker.h"

#include "devtools/compiler/CompilerMessages.h"
#include "platform/Cp1252.h"
#include "workspace/PickKeystrokesForm.h"

#include <QString>

#include <algorithm>
#include <filesystem>

namespace korvid {

namespace {

namespace fs = std::filesystem;

std::vector<std::string> JsonFilesIn(const fs::path& Folder) {
    std::vector<std::string> Names;
    std::error_code Error;
    for (const auto& Entry : fs::directory_iterator(Folder, Error))
        if (Entry.is_regular_file(Error) &&
            LowerCase1252(Entry.path().extension().string()) == ".json")
            Names.push_back(Entry.path().filename().string());
    std::sort(Names.begin(), Names.end());
    return Names;
}

} // namespace

std::vector<std::string> JsonPickEntries(const std::string& Folder) {
    std::vector<std::string> Entries = JsonFilesIn(Folder);
    std::vector<std::string> Subfolders;
    std::error_code Error;
    for (const auto& Entry : fs::directory_iterator(Folder, Error))
        if (Entry.is_directory(Error))
            Subfolders.push_back(Entry.path().filename().string());
    std::sort(Subfolders.begin(), Subfolders.end());
    for (const std::string& Sub : Subfolders)
        for (const std::string& Name : JsonFilesIn(fs::path(Folder) / Sub))
            Entries.push_back(Name + TPickKeystrokesForm::SubfolderMark + Sub);
    return Entries;
}

std::string JsonEntryName(const std::string& Entry) {
    const std::string Mark = TPickKeystrokesForm::SubfolderMark;
    const std::size_t At = Entry.find(Mark);
    if (At == std::string::npos)
        return Entry;
    return (fs::path(Entry.substr(At + Mark.size())) / Entry.substr(0, At)).string();
}

std::optional<std::string> PickJsonFile(QWidget* Parent, const std::string& Folder,
                                        const std::string& Current,
                                        std::vector<std::string>& Added) {
    TPickKeystrokesForm Picker(Parent);
    Picker.setWindowTitle(ToQString(PickJsonCaption));
    Picker.BaseEntries = JsonPickEntries(Folder);
    Picker.AddedEntries = &Added;
    Picker.ShowSubfolderBox(true);
    Picker.ShowAddButton(true);
    Picker.FillAndSelect(Current, {});
    if (!Picker.Execute() || Picker.Selected().empty())
        return std::nullopt;
    return JsonEntryName(Picker.Selected());
}

} // namespace korvid

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
    const std::string Mark = TPickKeystrokesForm::SubfolderMark;
    std::vector<std::string> Entries;
    for (const std::string& Name : JsonFilesIn(Folder))
        Entries.push_back(Name + Mark + Folder);
    std::vector<std::string> Subfolders;
    std::error_code Error;
    for (const auto& Entry : fs::directory_iterator(Folder, Error))
        if (Entry.is_directory(Error))
            Subfolders.push_back(Entry.path().filename().string());
    std::sort(Subfolders.begin(), Subfolders.end());
    for (const std::string& Sub : Subfolders)
        for (const std::string& Name : JsonFilesIn(fs::path(Folder) / Sub))
            Entries.push_back(Name + Mark + Sub);
    return Entries;
}

std::string JsonEntryName(const std::string& Entry, const std::string& Folder) {
    const std::string Mark = TPickKeystrokesForm::SubfolderMark;
    const std::size_t At = Entry.find(Mark);
    if (At == std::string::npos)
        return Entry;
    const std::string Place = Entry.substr(At + Mark.size());
    if (Place == Folder)
        return Entry.substr(0, At);
    return (fs::path(Place) / Entry.substr(0, At)).string();
}

std::string JsonEntryFor(const std::string& Name, const std::string& Folder) {
    const fs::path File(Name);
    if (Name.empty() || File.is_absolute())
        return Name;
    const std::string Place = File.has_parent_path() ? File.parent_path().string() : Folder;
    return File.filename().string() + TPickKeystrokesForm::SubfolderMark + Place;
}

std::optional<std::string> PickJsonFile(QWidget* Parent, const std::string& Folder,
                                        const std::string& Current,
                                        std::vector<std::string>& Added) {
    TPickKeystrokesForm Picker(Parent);
    Picker.setWindowTitle(ToQString(PickJsonCaption));
    Picker.BaseEntries = JsonPickEntries(Folder);
    Picker.AddedEntries = &Added;
    Picker.StartFolder = Folder;
    Picker.ShowSubfolderBox(true);
    Picker.ShowAddButton(true);
    Picker.FillAndSelect(JsonEntryFor(Current, Folder), {});
    if (!Picker.Execute() || Picker.Selected().empty())
        return std::nullopt;
    return JsonEntryName(Picker.Selected(), Folder);
}

} // namespace korvid

#include "tests/psystem/VolumeTestSupport.h"

#include <fstream>

namespace korvid::test {

std::string Pattern(std::size_t Size, int Seed) {
    std::string Data(Size, '\0');
    for (std::size_t I = 0; I < Size; ++I)
        Data[I] = static_cast<char>((I * 7 + I / BlockSize * 13 + std::size_t(Seed) * 31) % 251);
    return Data;
}

namespace {

void AddFiles(TVolume& V, const std::string& Prefix, std::map<std::string, std::string>& Files) {
    for (int I = 1; I <= V.FileCount(); ++I) {
        const TFileInfo Info = V.FileInfo(I, {});
        if (Info.Kind == fkSubvolume) {
            TSubvolume Sub(V, Info.Name);
            AddFiles(Sub, Info.Name + ":", Files);
        } else {
            Files[Prefix + Info.Name] = V.ReadFileData(I, {});
        }
    }
}

} // namespace

std::map<std::string, std::string> Snapshot(const std::filesystem::path& Path) {
    std::map<std::string, std::string> Files;
    TMajorVolume V(Path, false);
    AddFiles(V, {}, Files);
    return Files;
}

std::string ValidateVolume(const std::filesystem::path& Path) {
    try {
        TMajorVolume V(Path, false);
        if (V.IsDamaged())
            return V.Damage();
        for (int I = 1; I <= V.FileCount(); ++I) {
            const TFileInfo Info = V.FileInfo(I, {});
            if (Info.Kind != fkSubvolume)
                continue;
            TSubvolume Sub(V, Info.Name);
            if (Sub.IsDamaged())
                return Info.Name + ": " + Sub.Damage();
        }
        return {};
    } catch (const EKorvidError& E) {
        return E.what();
    }
}

int FileWord(const std::filesystem::path& Path, std::int64_t Offset) {
    const std::string Bytes = ReadFileBytes(Path);
    return static_cast<unsigned char>(Bytes.at(std::size_t(Offset))) |
           static_cast<unsigned char>(Bytes.at(std::size_t(Offset + 1))) << 8;
}

void PatchByte(const std::filesystem::path& Path, std::int64_t Offset, int Value) {
    std::fstream File(Path, std::ios::in | std::ios::out | std::ios::binary);
    File.seekp(Offset);
    const char Byte = static_cast<char>(Value);
    File.write(&Byte, 1);
}

void PatchWord(const std::filesystem::path& Path, std::int64_t Offset, int Value) {
    PatchByte(Path, Offset, Value & 0xFF);
    PatchByte(Path, Offset + 1, (Value >> 8) & 0xFF);
}

std::int64_t EntryField(int Entry, int Field, std::int64_t Base) {
    return Base + DirectoryOffset + Entry * EntrySize + Field;
}

void BuildWorkVolume(const std::filesystem::path& Path) {
    ASSERT_TRUE(CreateVolumeFile(Path, "WORK", 100));
    TMajorVolume V(Path, true);
    const auto Store = [&V](const std::string& Name, std::size_t Size, int Kind, int Seed) {
        const std::string Data = Pattern(Size, Seed);
        ASSERT_TRUE(V.SaveBytes(Name, Data.data(), Kind, std::int64_t(Size)));
    };
    Store("A.TEXT", 2048, fkText, 1);
    Store("GAP", 1024, fkData, 0);
    Store("B.CODE", 1024, fkCode, 2);
    V.RemoveFile(0, "GAP");
    const auto Stamp = [&V](const std::string& Name, int Hour, int Minute) {
        TFileInfo Info = V.FileInfo(0, Name);
        Info.Day = 2;
        Info.Month = 5;
        Info.Year = 77;
        Info.Hour = Hour;
        Info.Minute = Minute;
        V.SetFileEntry(0, Name, Info);
    };
    Stamp("A.TEXT", 13, 7);
    Stamp("B.CODE", -1, -1);
}

void TVolumeTest::SetUp() {
    FOldClock = SetVolumeClock([] { return TVolumeStamp{2026, 3, 5, 14, 7}; });
    FOldHandler = SetVolumeWarningHandler([this](std::string_view Caption, std::string_view Text) {
        Warnings.push_back(std::string(Caption) + "|" + std::string(Text));
    });
    InjectVolumeFileFault(0);
}

void TVolumeTest::TearDown() {
    InjectVolumeFileFault(0);
    SetVolumeClock(FOldClock);
    SetVolumeWarningHandler(FOldHandler);
}

std::filesystem::path TVolumeTest::NewVolume(const std::string& FileName, const std::string& Name,
                                             int Blocks) {
    const std::filesystem::path Path = Temp / FileName;
    EXPECT_TRUE(CreateVolumeFile(Path, Name, Blocks));
    return Path;
}

std::string TVolumeTest::Save(TVolume& V, const std::string& Name, std::size_t Size, int Seed,
                              int Kind) {
    std::string Data = Pattern(Size, Seed);
    EXPECT_TRUE(V.SaveBytes(Name, Data.data(), Kind, std::int64_t(Size))) << Name;
    return Data;
}

} // namespace korvid::test

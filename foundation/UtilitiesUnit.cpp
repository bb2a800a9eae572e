#include "foundation/UtilitiesUnit.h"

#include "platform/Cp1252.h"
#include "platform/Registry.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace korvid {

bool IsWow64 = false;

namespace {

bool FontInstalled(const char* Family) {
    return QFontDatabase::families().contains(QString::fromLatin1(Family), Qt::CaseInsensitive);
}

std::string FirstInstalled(const char* First, const char* Second,
                           QFontDatabase::SystemFont Fallback) {
    if (FontInstalled(First))
        return First;
    if (FontInstalled(Second))
        return Second;
    return FromQString(QFontDatabase::systemFont(Fallback).family());
}

constexpr bool FileSystemIgnoresCase =
#ifdef _WIN32
    true;
#else
    false;
#endif

bool HasLowerCaseLetter(std::string_view S) {
    return std::any_of(S.begin(), S.end(), [](char C) { return C >= 'a' && C <= 'z'; });
}

// The stored spelling of Component inside Folder: the exact entry, else the only entry that
// matches ignoring case.
std::string StoredName(const std::filesystem::path& Folder, const std::string& Component) {
    std::error_code Error;
    if (std::filesystem::exists(Folder / Component, Error))
        return Component;
    std::string Match;
    int Matches = 0;
    for (std::filesystem::directory_iterator It(Folder, Error), End; !Error && It != End;
         It.increment(Error)) {
        const std::string Name = It->path().filename().string();
        if (SameText1252(Name, Component)) {
            Match = Name;
            ++Matches;
        }
    }
    return Matches == 1 ? Match : Component;
}

} // namespace

std::string GetDialogFontName() {
    return FirstInstalled("Tahoma", "MS Sans Serif", QFontDatabase::GeneralFont);
}

std::string GetMonospacedFontName() {
    return FirstInstalled("Consolas", "Courier New", QFontDatabase::FixedFont);
}

std::vector<std::string> FontFamilyNames(bool FixedPitchOnly) {
    std::vector<std::string> Names;
    for (const QString& Family : QFontDatabase::families())
        if (!FixedPitchOnly || QFontDatabase::isFixedPitch(Family))
            Names.push_back(FromQString(Family));
    return Names;
}

TPoint CentredPosition(int Width, int Height, const TRect& WorkArea) {
    return {(WorkArea.Width() - Width) / 2 + WorkArea.Left,
            (WorkArea.Height() - Height) / 2 + WorkArea.Top};
}

bool KeepsSavedPosition(int Left, int Top, int Width, int Height, const TRect& VirtualScreen) {
    constexpr int MinimumVisible = 100;
    return Left + Width >= VirtualScreen.Left + MinimumVisible &&
           Left <= VirtualScreen.Right - MinimumVisible &&
           Top + Height >= VirtualScreen.Top + MinimumVisible &&
           Top <= VirtualScreen.Bottom - MinimumVisible;
}

void GetWorkAreaSize(int& Width, int& Height) {
    Width = Height = 0;
    if (const QScreen* Screen = QGuiApplication::primaryScreen()) {
        const QRect Area = Screen->availableGeometry();
        Width = Area.width();
        Height = Area.height();
    }
}

void IncludeTrailingBackslash(std::string& Path) {
    constexpr char Separator = std::filesystem::path::preferred_separator;
    if (Path.empty() || Path.back() != Separator)
        Path += Separator;
}

bool IsRelativePath(std::string_view Path) {
    if (Path.starts_with("\\\\") || (Path.size() >= 2 && Path[1] == ':'))
        return false;
    return !Path.starts_with('/');
}

bool IsReadOnlyFile(std::string_view Name) {
    const std::string File(Name.substr(0, Name.find('>')));
    struct stat Info {};
    if (::stat(File.c_str(), &Info) != 0)
        return false; // a file that is not there yet can be written
    return (Info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

std::string_view TrimText(std::string_view Text) {
    while (!Text.empty() && static_cast<unsigned char>(Text.front()) <= ' ')
        Text.remove_prefix(1);
    while (!Text.empty() && static_cast<unsigned char>(Text.back()) <= ' ')
        Text.remove_suffix(1);
    return Text;
}

std::vector<std::string> ReadLinesOfFile(const std::filesystem::path& FileName) {
    std::vector<std::string> Lines;
    std::ifstream File(FileName, std::ios::binary);
    std::string Line;
    while (std::getline(File, Line)) {
        if (!Line.empty() && Line.back() == '\r')
            Line.pop_back();
        Lines.push_back(Line);
    }
    return Lines;
}

std::int64_t FileDateTime(std::string_view Name) {
    const std::string File(Name);
    struct stat Info {};
    if (::stat(File.c_str(), &Info) != 0 || ::access(File.c_str(), R_OK) != 0)
        return 0;
    return static_cast<std::int64_t>(Info.st_mtim.tv_sec) * 1000 + Info.st_mtim.tv_nsec / 1000000;
}

std::string ReCaseFileNameComponent(std::string_view Component) {
    const std::size_t Dot = Component.rfind('.');
    std::string Base(Component.substr(0, Dot));
    const std::string Extension =
        Dot == std::string_view::npos ? std::string() : LowerCase1252(Component.substr(Dot));
    if (!HasLowerCaseLetter(Base) && Base.size() > 1)
        Base = Base.substr(0, 1) + LowerCase1252(std::string_view(Base).substr(1));
    return Base + Extension;
}

std::string TrueCaseFileName(std::string_view Name, bool KeepCase) {
    std::error_code Error;
    const std::filesystem::path Full =
        std::filesystem::absolute(std::filesystem::path(std::string(Name)), Error)
            .lexically_normal();
    std::filesystem::path Result = Full.root_path();
    std::vector<std::string> Components;
    for (const auto& Part : Full.relative_path())
        if (!Part.empty())
            Components.push_back(Part.string());
    for (std::size_t I = 0; I < Components.size(); ++I) {
        std::string Component = StoredName(Result.empty() ? "." : Result, Components[I]);
        if (!KeepCase && FileSystemIgnoresCase)
            Component = ReCaseFileNameComponent(Component);
        Result /= Component;
    }
    std::string Text = Result.string();
    if (!Components.empty() && Full.string().ends_with('/'))
        Text += '/';
    return Text;
}

std::string PadLeft(std::string_view S, int Width) {
    const int Missing = Width - static_cast<int>(S.size());
    return Missing > 0 ? StringOfSpaces(Missing) + std::string(S) : std::string(S);
}

std::string PadRight(std::string_view S, int Width) {
    const int Missing = Width - static_cast<int>(S.size());
    return Missing > 0 ? std::string(S) + StringOfSpaces(Missing) : std::string(S);
}

std::string ZeroPad(std::string_view S, int Width) {
    const int Missing = Width - static_cast<int>(S.size());
    return Missing > 0 ? std::string(static_cast<std::size_t>(Missing), '0') + std::string(S)
                       : std::string(S);
}

std::string StringOfSpaces(int N) {
    return std::string(static_cast<std::size_t>(std::max(N, 0)), ' ');
}

int CountLeadingSpaces(std::string_view S) {
    const std::size_t First = S.find_first_not_of(' ');
    return static_cast<int>(First == std::string_view::npos ? S.size() : First);
}

void RemoveChar(char Ch, std::string& S) {
    std::erase(S, Ch);
}

std::string DoubleChar(char Ch, std::string_view S) {
    std::string Result;
    for (const char C : S) {
        Result += C;
        if (C == Ch)
            Result += C;
    }
    return Result;
}

std::string ReplaceChar(std::string_view S, char Old, char New) {
    std::string Result(S);
    std::replace(Result.begin(), Result.end(), Old, New);
    return Result;
}

std::string ReplaceAll(std::string_view S, std::string_view Old, std::string_view New) {
    if (Old.empty())
        return std::string(S);
    std::string Result;
    std::size_t Pos = 0;
    for (std::size_t At; (At = S.find(Old, Pos)) != std::string_view::npos; Pos = At + Old.size()) {
        Result.append(S.substr(Pos, At - Pos));
        Result.append(New);
    }
    Result.append(S.substr(Pos));
    return Result;
}

int PosOrPastEnd(std::string_view Sub, std::string_view S) {
    const std::size_t At = S.find(Sub);
    return static_cast<int>(At == std::string_view::npos ? S.size() : At) + 1;
}

std::string StripQuotes(std::string_view S) {
    if (S.starts_with('"'))
        S.remove_prefix(1);
    if (S.ends_with('"'))
        S.remove_suffix(1);
    return std::string(S);
}

std::string UpCaseFirst(std::string_view S) {
    std::string Result(S);
    if (!Result.empty() && Result[0] >= 'a' && Result[0] <= 'z')
        Result[0] = static_cast<char>(Result[0] - 32);
    return Result;
}

std::string IdentifierToCaption(std::string_view S) {
    std::string Result;
    bool AfterRemoved = false;
    for (char C : S) {
        if (C == '_' || C == ' ') {
            AfterRemoved = true;
            continue;
        }
        if (AfterRemoved && C >= 'a' && C <= 'z')
            C = static_cast<char>(C - 32);
        AfterRemoved = false;
        Result += C;
    }
    return Result;
}

void SplitToStrings(std::string_view S, std::string_view Delimiter,
                    std::vector<std::string>& List) {
    if (Delimiter.empty()) {
        if (!S.empty())
            List.emplace_back(S);
        return;
    }
    std::size_t Pos = 0;
    for (std::size_t At; (At = S.find(Delimiter, Pos)) != std::string_view::npos;
         Pos = At + Delimiter.size())
        List.emplace_back(S.substr(Pos, At - Pos));
    if (Pos < S.size())
        List.emplace_back(S.substr(Pos));
}

std::string QuotedPascalString(std::string_view S) {
    if (S.empty())
        return "''";
    std::string Result;
    bool InRun = false;
    for (const char C : S) {
        const auto B = static_cast<unsigned char>(C);
        if (B >= 32 && B <= 126) {
            if (!InRun) {
                Result += '\'';
                InRun = true;
            }
            Result += C;
            if (C == '\'')
                Result += C;
        } else {
            if (InRun) {
                Result += '\'';
                InRun = false;
            }
            Result += '#' + std::to_string(B);
        }
    }
    if (InRun)
        Result += '\'';
    return Result;
}

namespace {

std::string_view TrimTrailingBlanks(std::string_view S) {
    while (!S.empty() && S.back() == ' ')
        S.remove_suffix(1);
    return S;
}

} // namespace

void WordWrapLine(std::string_view Text, int MaxWidth, const TMeasureText& Measure,
                  std::string_view BreakCharacters, std::string& Line, int& LineWidth,
                  std::size_t& NextPosition) {
    std::size_t Fitted = 0; // end of the whole pieces that fit so far
    int FittedWidth = 0;
    while (Fitted < Text.size()) {
        std::size_t End = Text.find_first_of(BreakCharacters, Fitted);
        End = End == std::string_view::npos ? Text.size() : End + 1;
        const std::string_view Candidate = TrimTrailingBlanks(Text.substr(0, End));
        const int Width = Measure(Candidate);
        if (Width > MaxWidth) {
            if (Fitted > 0)
                break;
            // A single piece too wide for the line is cut after its last character that fits.
            std::size_t Cut = 1;
            while (Cut < End && Measure(Text.substr(0, Cut + 1)) <= MaxWidth)
                ++Cut;
            Line = std::string(Text.substr(0, Cut));
            LineWidth = Measure(Line);
            NextPosition = Cut;
            return;
        }
        Fitted = End;
        FittedWidth = Width;
    }
    Line = std::string(TrimTrailingBlanks(Text.substr(0, Fitted)));
    LineWidth = FittedWidth;
    NextPosition = Fitted;
}

void PlaySystemSound(std::string_view EventName, bool Interrupt) {
    std::string File;
    {
        TRegistry Reg;
        if (Reg.OpenKeyReadOnly("\\AppEvents\\Schemes\\Apps\\.Default\\" + std::string(EventName) +
                                "\\.Current")) {
            try {
                File = Reg.ReadString("");
            } catch (const ERegistryException&) {
            }
        }
    }
    static QProcess* Player = nullptr;
    if (Player && Player->state() != QProcess::NotRunning) {
        if (!Interrupt)
            return;
        Player->kill();
        Player->waitForFinished(100);
    }
    // No default sound when the scheme names no file or the file is missing.
    if (File.empty() || !std::filesystem::exists(File))
        return;
    const QString Program = QStandardPaths::findExecutable("paplay").isEmpty()
                                ? QStringLiteral("aplay")
                                : QStringLiteral("paplay");
    if (QStandardPaths::findExecutable(Program).isEmpty() || !QCoreApplication::instance())
        return;
    if (!Player)
        Player = new QProcess(QCoreApplication::instance()); // owned by the application
    Player->start(Program, {QString::fromStdString(File)});
}

bool SameTextForList(std::string_view A, std::string_view B) {
    return SameText1252(A, B);
}

} // namespace korvid

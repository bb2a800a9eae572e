#include "devtools/vbat/VBat.h"

#include "devtools/vbat/VBatMessages.h"
#include "devtools/vbat/VBatPaths.h"
#include "foundation/BinaryStrings.h"
#include "platform/Cp1252.h"

#include <QDate>

#include <algorithm>
#include <optional>
#include <set>

namespace korvid {

namespace {

bool IsBlank(char C) {
    return C == ' ' || C == '\t';
}

std::string_view Trimmed(std::string_view Text) {
    while (!Text.empty() && static_cast<unsigned char>(Text.front()) <= ' ')
        Text.remove_prefix(1);
    while (!Text.empty() && static_cast<unsigned char>(Text.back()) <= ' ')
        Text.remove_suffix(1);
    return Text;
}

bool IsEndOfStatement(std::string_view Rest) {
    return Rest.empty() || Rest.front() == '#';
}

// The first word of a trimmed line, lower case.
std::string FirstWordLower(std::string_view Line) {
    const auto End = std::find_if(Line.begin(), Line.end(), IsBlank);
    return LowerCase1252(Line.substr(0, static_cast<std::size_t>(End - Line.begin())));
}

std::string FileKey(const std::filesystem::path& Name) {
    std::error_code Error;
    const auto Canonical = std::filesystem::weakly_canonical(Name, Error);
    return (Error ? Name : Canonical).lexically_normal().string();
}

std::optional<std::vector<std::string>> ReadScriptLines(const std::filesystem::path& Name) {
    try {
        TBinaryStrings Strings;
        bool ShowAsterisks = false;
        std::string Password;
        if (Strings.LoadFromFile(Name, ShowAsterisks, Password) != TLoadResult::Loaded)
            return std::nullopt;
        return std::move(Strings.Lines());
    } catch (const EKorvidError&) {
        return std::nullopt;
    }
}

} // namespace

std::string PSystemFileName(std::string_view FileName) {
    const auto Separator = FileName.find_last_of("/\\");
    std::string_view Name =
        Separator == std::string_view::npos ? FileName : FileName.substr(Separator + 1);
    if (const auto Dot = Name.rfind('.'); Dot != std::string_view::npos)
        Name = Name.substr(0, Dot);
    return UpperCase1252(Name.substr(0, 10)) + ".TEXT";
}

std::string ExpandVariableText(std::string_view Text, const TVBatValues& Variables,
                               bool UnderscoreOnly) {
    std::string Result;
    Result.reserve(Text.size());
    std::size_t I = 0;
    while (I < Text.size()) {
        if (Text[I] != '{') {
            Result += Text[I++];
            continue;
        }
        // A second "{" before the "}" starts the name again.
        std::size_t Start = I + 1;
        std::size_t J = Start;
        while (J < Text.size() && Text[J] != '}') {
            if (Text[J] == '{')
                Start = J + 1;
            ++J;
        }
        if (J >= Text.size())
            break; // an unclosed "{" drops the rest
        const std::string_view Name = Text.substr(Start, J - Start);
        if (UnderscoreOnly && (Name.empty() || Name.front() != '_')) {
            Result += '{';
            Result += Name;
            Result += '}';
        } else if (const auto Found = Variables.find(UpperCase1252(Name));
                   Found != Variables.end()) {
            Result += Found->second;
        }
        I = J + 1;
    }
    return Result;
}

// ---- Parsing -----------------------------------------------------------------------------------

class TVBat::TParser {
public:
    TParser(TVBat& Owner, TVBatReporter& Reporter) : FOwner(Owner), FReporter(Reporter) {}

    // ShownName: the name as the including line gives it.
    bool ParseFile(const std::string& FileName, TVBatCommands& Target,
                   std::string_view ShownName = {});
    bool Error(std::string_view Message);

private:
    // Parses lines into Target until the file ends or, inside a block, an "end" line.
    // Answers false after an error; EndFound tells a block that its "end" came.
    bool ParseLines(TVBatCommands& Target, bool InBlock, bool& EndFound);
    bool ParseStatement(TVBatCommands& Target);
    bool ParseBlock(TVBatCommand& Test);
    bool ParseGenerate(TVBatCommands& Target);
    bool ParseInput(TVBatCommands& Target);
    bool ParseStore(TVBatCommands& Target);
    bool ParseSendKeys(TVBatCommands& Target);
    bool IncludeFile(const std::string& FileName, bool IsDefault, TVBatCommands& Target);

    // Next line to parse, trimmed, skipping empty lines and comments; false at the end of the
    // file (in a ".vp" source, at its "*)" line).
    bool NextLine();
    bool Word(std::string& Result);
    bool Value(std::string& Result);
    bool Keyword(std::string_view Expected);
    bool OptionalKeyword(std::string_view Word);
    bool EndOfStatement();
    bool Enter();
    void Leave() { --FDepth; }

    std::string Expanded(std::string_view Text) const {
        return FOwner.ExpandUnderscoreVariables(Text);
    }
    // Relative names in a script mean its own folder, whatever the current folder is.
    std::string FromScriptFolder(std::string_view Name) const {
        return FFileName.empty() ? std::string(Name)
                                 : VBatFromFolder(VBatFolderOf(FFileName), Name);
    }

    TVBat& FOwner;
    TVBatReporter& FReporter;
    std::vector<std::string> FLines;
    std::string FFileName;
    std::size_t FLine = 0; // index of the line being parsed
    std::size_t FNext = 0; // index of the next line to read
    std::string FRest;     // of the current line, not yet consumed
    bool FIsVp = false;
    bool FParsing = false;
    int FDepth = 0;
    std::vector<std::string> FOpenFiles;
    TVBatCommand* FPendingTest = nullptr; // a test line just parsed, which a "begin" may follow
};

bool TVBat::TParser::Error(std::string_view Message) {
    FReporter.Error(FParsing ? VBatParseErrorText(FFileName, static_cast<int>(FLine) + 1, Message)
                             : std::string(Message));
    return false;
}

bool TVBat::TParser::Enter() {
    if (FDepth >= MaxNesting)
        return Error(VBatNestedTooDeeply());
    ++FDepth;
    return true;
}

bool TVBat::TParser::NextLine() {
    while (FNext < FLines.size()) {
        FLine = FNext++;
        const std::string_view Line = Trimmed(FLines[FLine]);
        if (Line.empty() || Line.front() == '#')
            continue;
        if (FIsVp && FirstWordLower(Line) == "*)") {
            FNext = FLines.size();
            return false;
        }
        FRest = Line;
        return true;
    }
    return false;
}

bool TVBat::TParser::Word(std::string& Result) {
    if (FRest.empty())
        return Error(VBatUnexpectedEndOfLine());
    const auto End = std::find_if(FRest.begin(), FRest.end(), IsBlank);
    Result.assign(FRest.begin(), End);
    FRest = Trimmed(std::string_view(FRest).substr(Result.size()));
    return true;
}

bool TVBat::TParser::Value(std::string& Result) {
    if (FRest.empty() || FRest.front() != '\'')
        return Word(Result);
    Result.clear();
    std::size_t I = 1;
    for (;;) {
        if (I >= FRest.size())
            return Error(VBatNoClosingQuote());
        if (FRest[I] == '\'') {
            if (I + 1 < FRest.size() && FRest[I + 1] == '\'') {
                Result += '\'';
                I += 2;
                continue;
            }
            break;
        }
        Result += FRest[I++];
    }
    FRest = Trimmed(std::string_view(FRest).substr(I + 1));
    return true;
}

bool TVBat::TParser::OptionalKeyword(std::string_view Expected) {
    if (FirstWordLower(FRest) != Expected)
        return false;
    std::string Unused;
    return Word(Unused);
}

bool TVBat::TParser::Keyword(std::string_view Expected) {
    const std::string Quoted = "'" + std::string(Expected) + "'";
    if (FRest.empty())
        return Error(VBatExpected(Quoted, ""));
    std::string Found;
    const std::string Lower = FirstWordLower(FRest);
    if (Lower != Expected) {
        Word(Found);
        return Error(VBatExpected(Quoted, Found));
    }
    return Word(Found);
}

bool TVBat::TParser::EndOfStatement() {
    if (IsEndOfStatement(FRest))
        return true;
    return Error(VBatEndOfLineExpected(FRest));
}

bool TVBat::TParser::ParseFile(const std::string& FileName, TVBatCommands& Target,
                               std::string_view ShownName) {
    const std::string Key = FileKey(VBatDiskPath(FileName));
    if (std::find(FOpenFiles.begin(), FOpenFiles.end(), Key) != FOpenFiles.end())
        return Error(VBatIncludeAlreadyParsed(ShownName.empty() ? FileName : ShownName));
    if (!Enter())
        return false;
    Target.push_back(std::make_unique<TVBatCommand>(vkPrefix, std::vector<std::string>{"VP"}));

    std::optional<std::vector<std::string>> Lines = ReadScriptLines(VBatDiskPath(FileName));
    if (!Lines) {
        Leave();
        return Error(VBatFileMissing(FileName));
    }
    // The including file's place is taken back afterwards.
    std::vector<std::string> SavedLines = std::exchange(FLines, std::move(*Lines));
    std::string SavedName = std::exchange(FFileName, FileName);
    const std::size_t SavedLine = std::exchange(FLine, 0);
    const std::size_t SavedNext = std::exchange(FNext, 0);
    std::string SavedRest = std::move(FRest);
    const bool SavedIsVp =
        std::exchange(FIsVp, LowerCase1252(VBatDiskPath(FileName).extension().string()) == ".vp");
    const bool SavedParsing = std::exchange(FParsing, true);
    TVBatCommand* SavedPending = std::exchange(FPendingTest, nullptr);
    FOpenFiles.push_back(Key);

    bool Ok = true;
    bool Parse = true;
    if (FIsVp) {
        // An embedded script starts with "(* VBat" on the very first line.
        std::string_view First = FLines.empty() ? std::string_view() : Trimmed(FLines.front());
        Parse = First.substr(0, 2) == "(*";
        if (Parse) {
            First = Trimmed(First.substr(2));
            const auto End = std::find_if(First.begin(), First.end(), IsBlank);
            Parse = LowerCase1252(First.substr(0, static_cast<std::size_t>(End - First.begin()))) ==
                    "vbat";
        }
        FNext = 1;
    }
    if (Parse) {
        bool EndFound = false;
        Ok = ParseLines(Target, false, EndFound);
    }

    FOpenFiles.pop_back();
    FLines = std::move(SavedLines);
    FFileName = std::move(SavedName);
    FLine = SavedLine;
    FNext = SavedNext;
    FRest = std::move(SavedRest);
    FIsVp = SavedIsVp;
    FParsing = SavedParsing;
    FPendingTest = SavedPending;
    Leave();
    return Ok;
}

bool TVBat::TParser::ParseLines(TVBatCommands& Target, bool InBlock, bool& EndFound) {
    EndFound = false;
    while (NextLine()) {
        const std::string First = FirstWordLower(FRest);
        if (InBlock && First == "end") {
            std::string Unused;
            Word(Unused);
            EndFound = true;
            return EndOfStatement();
        }
        TVBatCommand* const Pending = std::exchange(FPendingTest, nullptr);
        if (Pending && First == "begin") {
            std::string Unused;
            Word(Unused);
            if (!EndOfStatement() || !ParseBlock(*Pending))
                return false;
            continue;
        }
        if (!ParseStatement(Target))
            return false;
    }
    FPendingTest = nullptr;
    return true;
}

bool TVBat::TParser::ParseBlock(TVBatCommand& Test) {
    if (!Enter())
        return false;
    const std::size_t BeginLine = FLine;
    bool EndFound = false;
    const bool Ok = ParseLines(Test.Commands, true, EndFound);
    Leave();
    if (!Ok)
        return false;
    if (!EndFound) {
        FLine = BeginLine;
        return Error(VBatBeginWithNoEnd());
    }
    return true;
}

bool TVBat::TParser::IncludeFile(const std::string& FileName, bool IsDefault,
                                 TVBatCommands& Target) {
    std::string Written = Expanded(FileName);
    if (IsDefault) {
        Written = VBatSlashes(Written);
        if (!Written.empty() && Written.back() != '/')
            Written += '/';
        Written += "Default.vbat";
    }
    const std::string Name = FromScriptFolder(Written);
    std::error_code Error;
    if (!std::filesystem::is_regular_file(VBatDiskPath(Name), Error))
        return this->Error(IsDefault ? VBatFileMissing(Written) : VBatIncludeMissing(FileName));
    return ParseFile(Name, Target, Written);
}

bool TVBat::TParser::ParseStore(TVBatCommands& Target) {
    std::string A;
    if (!Value(A))
        return false;
    std::vector<std::string> Arguments{Expanded(A), VBatFolderOf(FFileName)};
    std::string B;
    if (OptionalKeyword("to")) {
        if (!Value(B))
            return false;
        Arguments.push_back(std::string(1, '\1'));
        Arguments.push_back(Expanded(B));
    } else if (OptionalKeyword("as")) {
        if (!Value(B))
            return false;
        Arguments.push_back(Expanded(B));
    } else {
        Arguments.push_back(std::string(1, '\0'));
    }
    if (!EndOfStatement())
        return false;
    Target.push_back(std::make_unique<TVBatCommand>(vkStore, std::move(Arguments)));
    return true;
}

bool TVBat::TParser::ParseSendKeys(TVBatCommands& Target) {
    if (!Keyword("keys"))
        return false;
    if (OptionalKeyword("tidily"))
        Target.push_back(
            std::make_unique<TVBatCommand>(vkDelete, std::vector<std::string>{"VP:="}));
    std::string Option;
    if (OptionalKeyword("and")) {
        if (!Keyword("wait"))
            return false;
        Option = "and wait";
    } else if (OptionalKeyword("so")) {
        if (!Keyword("far"))
            return false;
        Option = "so far";
    }
    if (!EndOfStatement())
        return false;
    Target.push_back(std::make_unique<TVBatCommand>(vkSendKeys, std::vector<std::string>{Option}));
    Target.push_back(std::make_unique<TVBatCommand>(vkPrefix, std::vector<std::string>{"VP"}));
    return true;
}

bool TVBat::TParser::ParseGenerate(TVBatCommands& Target) {
    std::string A, B;
    if (!Value(A) || !Keyword("as") || !Value(B))
        return false;
    std::string Interfaced = "T";
    std::string Standalone;
    if (!IsEndOfStatement(FRest)) {
        std::string Kind;
        Word(Kind);
        const std::string Lower = LowerCase1252(Kind);
        if (Lower == "interfaced")
            Interfaced.clear();
        else if (Lower == "standalone")
            Standalone = "F";
        else
            return Error(VBatExpected("'interfaced' or 'standalone'", Kind));
    }
    if (!EndOfStatement())
        return false;
    std::vector<std::string> Arguments{Expanded(A), Expanded(B), Interfaced, Standalone};
    for (;;) {
        if (!NextLine())
            return Error(VBatGenerateWithNoEnd());
        std::string Word;
        this->Word(Word);
        const std::string Lower = LowerCase1252(Word);
        if (Lower == "end") {
            if (Arguments.size() == 4)
                return Error(VBatExpected("'add'", Word));
            if (!EndOfStatement())
                return false;
            break;
        }
        if (Lower != "add")
            return Error(VBatExpected("'add' or 'end'", Word));
        std::string Item;
        if (!Value(Item) || !EndOfStatement())
            return false;
        Arguments.push_back(Expanded(Item));
    }
    Target.push_back(std::make_unique<TVBatCommand>(vkGenerate, std::move(Arguments)));
    return true;
}

bool TVBat::TParser::ParseInput(TVBatCommands& Target) {
    std::string Name;
    if (!Word(Name))
        return false;
    TVBatInput Input;
    Input.Names.push_back(UpperCase1252(Name));
    std::vector<std::string> Arguments{Input.Names.front()};
    const std::string How = FirstWordLower(FRest);
    if (How == "as") {
        OptionalKeyword("as");
        if (!Value(Input.Caption))
            return false;
        if (Input.Caption.empty())
            Input.Caption = Input.Names.front();
        Arguments.push_back("as");
        Arguments.push_back(Input.Caption);
    } else if (How == "or") {
        Arguments.push_back("or");
        while (OptionalKeyword("or")) {
            std::string Alternative;
            if (!Word(Alternative))
                return false;
            Input.Names.push_back(UpperCase1252(Alternative));
            Arguments.push_back(Input.Names.back());
        }
    } else {
        std::string Found;
        if (!FRest.empty())
            Word(Found);
        return Error(VBatExpected("'as' or 'or'", Found));
    }
    if (!EndOfStatement())
        return false;
    FOwner.FInputs.push_back(std::move(Input));
    Target.push_back(std::make_unique<TVBatCommand>(vkInput, std::move(Arguments)));
    return true;
}

bool TVBat::TParser::ParseStatement(TVBatCommands& Target) {
    std::string First;
    Word(First);
    if (const auto Equals = First.find('='); Equals != std::string::npos && Equals > 0) {
        FRest = First.substr(Equals) + (FRest.empty() ? "" : " " + FRest);
        First.resize(Equals);
    }
    const std::string Statement = LowerCase1252(First);
    auto Add = [&](TVBatKind Kind, std::vector<std::string> Arguments) {
        Target.push_back(std::make_unique<TVBatCommand>(Kind, std::move(Arguments)));
    };
    // "A to B" forms: two values around a keyword.
    auto Pair = [&](TVBatKind Kind, std::string_view Between) {
        std::string A, B;
        if (!Value(A) || !Keyword(Between) || !Value(B) || !EndOfStatement())
            return false;
        Add(Kind, {A, B});
        return true;
    };
    auto One = [&](TVBatKind Kind) {
        std::string A;
        if (!Value(A) || !EndOfStatement())
            return false;
        Add(Kind, {A});
        return true;
    };
    auto Optional = [&](TVBatKind Kind, std::string_view Default) {
        std::string A(Default);
        if (!IsEndOfStatement(FRest) && !Value(A))
            return false;
        if (!EndOfStatement())
            return false;
        Add(Kind, {A});
        return true;
    };

    if (Statement == "announce")
        return One(vkAnnounce);
    if (Statement == "begin")
        return Error(VBatBeginWithNoTest());
    if (Statement == "compile") {
        std::string A, B, C;
        if (!Value(A) || !Keyword("to") || !Value(B))
            return false;
        if (OptionalKeyword("and") && !Value(C))
            return false;
        if (!EndOfStatement())
            return false;
        Add(vkCompile, {A, B, C});
        return true;
    }
    if (Statement == "confirm")
        return Optional(vkConfirm, "(next section of VBat script)");
    if (Statement == "copy")
        return Pair(vkCopy, "to");
    if (Statement == "default" || Statement == "include") {
        std::string Name;
        if (!Value(Name) || !EndOfStatement())
            return false;
        return IncludeFile(Name, Statement == "default", Target);
    }
    if (Statement == "delete")
        return One(vkDelete);
    if (Statement == "execute")
        return Pair(vkExecute, "with");
    if (Statement == "flag") {
        std::string Name, State, File;
        if (!Value(Name))
            return false;
        if (FRest.empty())
            return Error(VBatExpected("'on' or 'off'", ""));
        Word(State);
        const std::string Lower = LowerCase1252(State);
        if (Lower != "on" && Lower != "off")
            return Error(VBatExpected("'on' or 'off'", State));
        if (!Keyword("in") || !Value(File) || !EndOfStatement())
            return false;
        Add(vkFlag, {Name, Lower, File});
        return true;
    }
    if (Statement == "generate")
        return ParseGenerate(Target);
    if (Statement == "input")
        return ParseInput(Target);
    if (Statement == "initialise") {
        if (!EndOfStatement())
            return false;
        Add(vkInitialise, {});
        return true;
    }
    if (Statement == "krunch")
        return One(vkKrunch);
    if (Statement == "link") {
        std::string A, B;
        if (!Value(A) || !Keyword("to") || !Value(B) || !EndOfStatement())
            return false;
        Add(vkLink, {A, B, ""});
        return true;
    }
    if (Statement == "mount")
        return One(vkMount);
    if (Statement == "pause")
        return Optional(vkPause, "Paused");
    if (Statement == "prefix")
        return One(vkPrefix);
    if (Statement == "rename")
        return Pair(vkRename, "to");
    if (Statement == "send")
        return ParseSendKeys(Target);
    if (Statement == "store")
        return ParseStore(Target);
    if (Statement == "template") {
        std::string A, B;
        if (!Value(A) || !Keyword("to") || !Value(B) || !EndOfStatement())
            return false;
        Add(vkTemplate,
            {Expanded(A), Expanded(B), FFileName.empty() ? "" : VBatFolderOf(FFileName)});
        return true;
    }

    if (First.size() >= 2 && (First.back() == '!' || First.back() == '?')) {
        auto Test = std::make_unique<TVBatCommand>(
            vkTest, std::vector<std::string>{UpperCase1252(First.substr(0, First.size() - 1)),
                                             std::string(1, First.back())});
        TVBatCommand& Added = *Test;
        Target.push_back(std::move(Test));
        if (IsEndOfStatement(FRest)) {
            FPendingTest = &Added;
            return true;
        }
        if (FirstWordLower(FRest) == "begin") {
            std::string Unused;
            Word(Unused);
            return EndOfStatement() && ParseBlock(Added);
        }
        if (!Enter())
            return false;
        const bool Ok = ParseStatement(Added.Commands);
        Leave();
        return Ok;
    }
    if (!FRest.empty() && FRest.front() == '=') {
        FRest = Trimmed(std::string_view(FRest).substr(1));
        std::string Value;
        if (!IsEndOfStatement(FRest) && !this->Value(Value))
            return false;
        if (!EndOfStatement())
            return false;
        Add(vkAssign, {UpperCase1252(First), Value});
        return true;
    }
    return Error(VBatSyntaxError());
}

// ---- TVBat -------------------------------------------------------------------------------------

TVBat::TVBat(TVBatSettings Settings) : FSettings(std::move(Settings)) {}

TVBat::~TVBat() = default;

std::string TVBat::ExpandVariables(std::string_view Text) const {
    return ExpandVariableText(Text, FVariables, false);
}

std::string TVBat::ExpandUnderscoreVariables(std::string_view Text) const {
    return ExpandVariableText(Text, FVariables, true);
}

std::string TVBat::Variable(std::string_view Name) const {
    const auto Found = FVariables.find(UpperCase1252(Name));
    return Found == FVariables.end() ? std::string() : Found->second;
}

bool TVBat::LoadScript(const std::string& ScriptFile, const std::string& UserScript,
                       TVBatReporter& Reporter) {
    const std::string& Unit = FSettings.UnitFile;
    const std::string Extension = LowerCase1252(VBatDiskPath(Unit).extension().string());
    auto Flag = [](bool Value) { return Value ? std::string("Y") : std::string(); };
    FVariables["_UNITNAME_"] = Unit;
    FVariables["_UNITISVP_"] = Flag(Extension == ".vp");
    FVariables["_UNITISVX_"] = Flag(Extension == ".vx");
    FVariables["_UNITPATH_"] = Unit.empty() ? std::string() : VBatFolderOf(Unit);
    FVariables["_VBATPATH_"] = VBatFolderOf(ScriptFile);
    FVariables["_PSYSTEMNAME_"] = FSettings.PSystemName;
    FVariables["_YEARNUM_"] =
        std::to_string(FSettings.Year ? FSettings.Year() : QDate::currentDate().year());

    FCommands.push_back(std::make_unique<TVBatCommand>(vkInitialise));
    TParser Parser(*this, Reporter);
    const std::string User(Trimmed(UserScript));
    std::error_code Error;
    if (!User.empty() && LowerCase1252(User) != LowerCase1252(Trimmed(ScriptFile)) &&
        std::filesystem::is_regular_file(VBatDiskPath(User), Error) &&
        !Parser.ParseFile(User, FCommands))
        return false;
    return Parser.ParseFile(ScriptFile, FCommands);
}

} // namespace korvid

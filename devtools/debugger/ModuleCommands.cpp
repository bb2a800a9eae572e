#include "devtools/debugger/ModuleCommands.h"

#include "platform/Cp1252.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <map>

namespace korvid {

namespace {

constexpr int TableKind = 24;
constexpr int UnitKind = 19;
constexpr int FileKind = 23;
constexpr int ExternalKind = 22;
constexpr int NumberKind = 10;
constexpr std::string_view NoTableName = "???";

std::string Key(std::string_view Name, std::string_view Value) {
    return std::string(Name) + "=" + std::string(Value);
}

std::string Key(std::string_view Name, int Value) {
    return Key(Name, std::to_string(Value));
}

TModuleRequest Plain(int Command, int SubCode = 0) {
    return {Command, SubCode, {}};
}

// The nearest of the entity's owners (or the entity itself, when From is it) that is of Kind.
const TEntity* Nearest(const TEntity* From, int Kind) {
    for (const TEntity* Entity = From; Entity; Entity = Entity->Owner)
        if (Entity->Kind == Kind)
            return Entity;
    return nullptr;
}

std::string UnitName(const TEntity& Entity) {
    const TEntity* Unit = Nearest(Entity.Owner, UnitKind);
    return Unit ? Unit->Name : std::string(NoTableName);
}

std::string TableName(const TEntity& Entity) {
    const TEntity* Table = Nearest(&Entity, TableKind);
    return Table ? Table->Name : std::string(NoTableName);
}

// An entity without a module name of its own belongs to its owner's.
std::string ModuleName(const TEntity& Entity) {
    for (const TEntity* Step = &Entity; Step; Step = Step->Owner)
        if (!Step->ModuleName.empty())
            return Step->ModuleName;
    return {};
}

bool GivesLocation(const TEntity& Entity) {
    return LocationClassGivenBy(Entity.Letter) != lcNone;
}

// The owners whose offsets add up to the entity's place: up to the one that gives the location.
template <typename TVisit> void WalkPlace(const TEntity& Entity, TVisit Visit) {
    for (const TEntity* Owner = Entity.Owner; Owner && !GivesLocation(*Owner); Owner = Owner->Owner)
        Visit(*Owner);
}

void AddRowNumbers(TModuleRequest& Request, const TModuleOptions& Options) {
    if (Options.RowNumbers)
        Request.Keys.push_back("k=1");
}

// Commands 15, 18 and 21 name the entity by its table and module.
TModuleRequest TableRequest(int Command, const TEntity& Entity, const TModuleOptions& Options) {
    TModuleRequest Request{Command, 0, {Key("n", TableName(Entity))}};
    if (const std::string Module = ModuleName(Entity); !Module.empty())
        Request.Keys.push_back(Key("m", Module));
    AddRowNumbers(Request, Options);
    return Request;
}

void AddVariableKeys(TModuleRequest& Request, const TEntity& Entity,
                     const TModuleOptions& Options) {
    const TVariableOffset Place = VariableOffset(Entity);
    Request.Keys.push_back(Key("o", Place.Offset));
    if (Place.HasSecond)
        Request.Keys.push_back(Key("e", Place.Second));
    Request.Keys.push_back(Key("t", std::string(1, Entity.Letter)));
    if (Entity.Kind == NumberKind) {
        Request.Keys.push_back(Key("x", Entity.Extent1));
        Request.Keys.push_back(Key("y", Entity.Extent2));
    }
    if (Place.Indirect)
        Request.Keys.push_back("a=1");
    AddRowNumbers(Request, Options);
}

int FileNumber(const TEntity* From) {
    const TEntity* File = Nearest(From, FileKind);
    return File ? File->WordOffset : 0;
}

int HandleNumber(const TEntity* From) {
    const TEntity* Handle = Nearest(From, ExternalKind);
    return Handle ? Handle->MapNumber : 0;
}

} // namespace

int DecimalOr0(std::string_view Text) {
    Text = TrimBlanks(Text);
    int Value = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    return Error == std::errc{} && End == Text.data() + Text.size() ? Value : 0;
}

TModuleRequest LocationRequest(TLocationCommand SubCode, const std::string& Segment, int Proc,
                               int Offset) {
    return {3, SubCode, {Key("s", Segment), Key("p", Proc), Key("o", Offset)}};
}

TModuleRequest BreakOnReturnRequest() {
    return Plain(3, 3);
}

TModuleRequest BreakOnEntryRequest(const std::vector<std::string>& Segments) {
    TModuleRequest Request{3, 4, {Key("n", static_cast<int>(Segments.size()))}};
    for (std::size_t Index = 0; Index < Segments.size(); ++Index)
        Request.Keys.push_back(Key("s" + std::to_string(Index + 1), Segments[Index]));
    return Request;
}

TModuleRequest ListBreakpointsRequest() {
    return Plain(4);
}

TModuleRequest ResumeRequest(int Mode) {
    return Plain(5, Mode);
}

TModuleRequest HeapStackRequest() {
    return Plain(6);
}

TModuleRequest PauseRequest() {
    return Plain(7);
}

TModuleRequest CallStackRequest() {
    return Plain(8);
}

TModuleRequest DumpRequest() {
    return Plain(9);
}

TModuleRequest DeleteAllRequest(bool OfflineOnly) {
    return Plain(10, OfflineOnly ? 1 : 0);
}

TModuleRequest TableViewerRequest(const TModuleOptions& Options) {
    // The sub-code is the module's scope; -4 and -1 in its 16-bit word.
    int SubCode = 0xFFFF;
    switch (Options.TableViewerScope) {
    case 1:
        SubCode = 2;
        break;
    case 2:
        SubCode = 1;
        break;
    case 3:
        SubCode = 0xFFFC;
        break;
    default:
        break;
    }
    TModuleRequest Request = Plain(19, SubCode);
    if (Options.TableViewerModal)
        Request.Keys.push_back("m=1");
    return Request;
}

TModuleRequest RunUntilChangedRequest(const std::string& Name, const std::string& Address,
                                      int Words) {
    return {20, 0, {Key("n", Name), Key("a", Address), Key("w", Words)}};
}

TVariableOffset VariableOffset(const TEntity& Entity) {
    TVariableOffset Place;
    Place.Offset = Entity.WordOffset;
    Place.Indirect = Entity.Indirect;
    WalkPlace(Entity, [&Place](const TEntity& Owner) {
        // The nearest indirect owner is reached through a pointer: the entity's offset is
        // counted from it, and the owner's own place from the location.
        if (Owner.Indirect && !Place.HasSecond) {
            Place.HasSecond = true;
            Place.Indirect = true;
            Place.Second = Place.Offset;
            Place.Offset = 0;
        }
        Place.Offset += Owner.WordOffset;
    });
    return Place;
}

TModuleRequest ValueRequest(const TEntity& Entity, TValueMode Mode, const TModuleOptions& Options) {
    switch (Entity.Letter) {
    case 'H':
        return TableRequest(18, Entity, Options);
    case 'J':
        return TableRequest(21, Entity, Options);
    case 'F':
        return {16, Mode, {Key("f", FileNumber(&Entity))}};
    case 'X':
        return {17, Mode, {Key("s", UnitName(Entity)), Key("h", HandleNumber(&Entity))}};
    default:
        break;
    }
    TModuleRequest Request;
    switch (Entity.LocationClass) {
    case lcGlobal:
        Request = {11, Mode, {Key("s", UnitName(Entity))}};
        break;
    case lcLocal:
        Request = Plain(12, Mode);
        break;
    case lcPrimary:
        Request = {13, Mode, {Key("f", FileNumber(Entity.Owner))}};
        break;
    case lcExternal:
        Request = {14, Mode, {Key("s", UnitName(Entity)), Key("h", HandleNumber(Entity.Owner))}};
        break;
    case lcColumn: {
        Request = TableRequest(15, Entity, Options);
        Request.Keys.push_back(Key("o", VariableOffset(Entity).Offset));
        Request.Keys.push_back(Key("t", std::string(1, Entity.Letter)));
        Request.Keys.push_back("r=0");
        return Request;
    }
    default:
        // Nothing in the module holds it.
        return {};
    }
    AddVariableKeys(Request, Entity, Options);
    return Request;
}

bool IsStringElement(const TEntity& Entity) {
    constexpr int StringKind = 12;
    constexpr int ArrayKind = 15;
    return Entity.ElementIndex > 0 && Entity.Kind == StringKind && Entity.Owner &&
           Entity.Owner->Kind == ArrayKind;
}

TModuleRequest StringElementRequest(const TEntity& Element) {
    int Offset = Element.WordOffset;
    WalkPlace(Element, [&Offset](const TEntity& Owner) { Offset += Owner.WordOffset; });
    TModuleRequest Request{11, vmValue, {Key("o", Offset), "t=s"}};
    const std::string Array = Element.Owner ? Element.Owner->Name : std::string();
    if (Array.starts_with('$')) {
        Request.Command = 13;
        Request.Keys.push_back("f=0");
    } else if (Array.starts_with(':'))
        Request.Command = 12;
    else
        Request.Keys.push_back(Key("s", Array));
    return Request;
}

std::vector<TBreakpointEntry> ReadBreakpointList(const std::vector<std::string>& Lines) {
    // The first line of a key counts, as for any reply value.
    std::map<std::string, std::string, std::less<>> Values;
    for (const std::string& Line : Lines)
        if (const auto Equals = Line.find('='); Equals != std::string::npos)
            Values.try_emplace(LowerCase1252(std::string_view(Line).substr(0, Equals)),
                               Line.substr(Equals + 1));
    const auto Value = [&Values](const std::string& Name) -> const std::string* {
        const auto Found = Values.find(Name);
        return Found == Values.end() ? nullptr : &Found->second;
    };
    const std::string* Count = Value("n");
    // The count comes from the module: every entry takes reply lines, so there can be no more
    // entries than lines.
    const auto Last = std::min<std::int64_t>(Count ? DecimalOr0(*Count) : 0,
                                             static_cast<std::int64_t>(Lines.size()));
    std::vector<TBreakpointEntry> Entries;
    for (std::int64_t Index = 1; Index <= Last; ++Index) {
        const std::string Suffix = std::to_string(Index);
        const std::string* Segment = Value("s" + Suffix);
        const std::string* Proc = Value("p" + Suffix);
        const std::string* Offset = Value("o" + Suffix);
        const std::string* Disabled = Value("d" + Suffix);
        if (!Segment && !Proc && !Offset && !Disabled)
            break;
        Entries.push_back({Segment ? *Segment : std::string(), Proc ? DecimalOr0(*Proc) : 0,
                           Offset ? DecimalOr0(*Offset) : 0,
                           Disabled && DecimalOr0(*Disabled) != 0});
    }
    return Entries;
}

TStackLine ReadStackLine(std::string_view Line) {
    TStackLine Frame;
    Frame.Segment = std::string(TrimBlanks(Line.substr(0, 8)));
    const std::string_view Place = Line.size() > 9 ? Line.substr(9) : std::string_view{};
    const auto Dot = Place.find('.');
    Frame.Proc = DecimalOr0(Place.substr(0, Dot));
    if (Dot != std::string_view::npos)
        Frame.Offset = DecimalOr0(Place.substr(Dot + 1));
    return Frame;
}

std::vector<TStackLine> ReadStackLines(const std::vector<std::string>& Lines) {
    std::vector<TStackLine> Frames;
    for (const std::string& Line : Lines)
        if (!TrimBlanks(Line).empty())
            Frames.push_back(ReadStackLine(Line));
    return Frames;
}

} // namespace korvid

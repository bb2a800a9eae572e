#include "plugin/Keywords.h"

#include <algorithm>

#include "plugin/Elements.h"

namespace korvid {
namespace {

constexpr std::uint8_t Block = element::BlockKeyword;
constexpr std::uint8_t Declaration = element::DeclarationKeyword;
constexpr std::uint8_t Command = element::CommandKeyword;
constexpr std::uint8_t Function = element::FunctionKeyword;
constexpr std::uint8_t Clause = element::ClauseKeyword;
constexpr std::uint8_t Operator = element::OperatorKeyword;
constexpr std::uint8_t End = element::EndKeyword;
constexpr std::uint8_t Style = element::StyleAttribute;
constexpr std::uint8_t Type = element::TypeKeyword;
constexpr std::uint8_t Assertion = element::Assertion;

constexpr TCondition Always{true};

constexpr TKeyword Kw(std::string_view Text, std::uint8_t Kind, std::uint8_t Id = 0,
                      TIdSet After = {}) {
    return {Text, 1, {{{Always, {Kind, Id, After}}}}};
}

constexpr TKeyword Kw(std::string_view Text, TKeywordChoice First, TKeywordEntry Otherwise) {
    return {Text, 2, {{First, {Always, Otherwise}}}};
}

constexpr TKeyword Kw(std::string_view Text, TKeywordChoice First, TKeywordChoice Second,
                      TKeywordEntry Otherwise) {
    return {Text, 3, {{First, Second, {Always, Otherwise}}}};
}

constexpr TKeywordChoice IfFirstToken(TKeywordEntry Entry) {
    return {{false, true}, Entry};
}

constexpr TKeywordChoice IfFirstKeyword(TIdSet FirstKeywords, TKeywordEntry Entry) {
    return {{false, false, FirstKeywords}, Entry};
}

constexpr TKeywordChoice IfFirstTokenOr(TIdSet FirstKeywords, TKeywordEntry Entry) {
    return {{false, true, FirstKeywords}, Entry};
}

// Sets of first keywords are spelt as ids; 0 stands for "no keyword yet".
constexpr std::array KeywordTable{
    // Keywords whose entry depends on the statement.
    Kw("assert", Assertion),
    Kw("associated", IfFirstKeyword({0}, {Function}), {Clause}),
    Kw("attach", IfFirstKeyword({0}, {Command, 4}), {Clause, 0, {2, 39, 47, 137}}),
    Kw("by", IfFirstKeyword({0}, {Type}), {Clause, 0, {16, 25, 40, 47, 48, 94, 154, 160}}),
    Kw("case", IfFirstToken({Block, 152}), {Operator}),
    Kw("centre", IfFirstKeyword({24}, {Clause}), {Style}),
    Kw("left", IfFirstKeyword({24}, {Clause}), {Style}),
    Kw("chain", IfFirstToken({Block, 154}), {Clause, 0, {49}}),
    Kw("clear", IfFirstToken({Command, 14}), {Clause, 0, {30}}),
    Kw("colour", IfFirstToken({Command, 13}), {Clause, 0, {31}}),
    Kw("column", IfFirstToken({Command}), {Clause, 0, {42}}),
    Kw("comma", IfFirstKeyword({60, 125, 140}, {Clause}), {Function}),
    Kw("crDr", IfFirstKeyword({60, 125, 140}, {Clause}), {Function}),
    Kw("drCr", IfFirstKeyword({60, 125, 140}, {Clause}), {Function}),
    Kw("zComma", IfFirstKeyword({60, 125, 140}, {Clause}), {Function}),
    Kw("zCrDr", IfFirstKeyword({60, 125, 140}, {Clause}), {Function}),
    Kw("zDrCr", IfFirstKeyword({60, 125, 140}, {Clause}), {Function}),
    Kw("zero", IfFirstKeyword({60, 125, 140}, {Clause}), {Function}),
    Kw("count", IfFirstKeyword({0}, {Function}), {Clause, 0, {160}}),
    Kw("custom", IfFirstToken({Command, 22}), {Clause}),
    Kw("database", IfFirstKeyword({0}, {Operator}), {Clause, 0, {95}}),
    Kw("dbToDelete", IfFirstToken({Command, 32}), {Function}),
    Kw("display", IfFirstToken({Command, 40}), {Clause, 0, {40}}),
    Kw("dynamic", IfFirstToken({Command, 30}), {Operator}),
    Kw("email", IfFirstToken({Command, 38}), {Clause, 0, {41, 94, 96, 143}}),
    Kw("fetch", IfFirstToken({Command, 47}), {Clause}),
    Kw("flush", IfFirstToken({Command, 49}), {Clause, 0, {22}}),
    Kw("font", IfFirstToken({Command, 50}), {Function}),
    Kw("for", IfFirstToken({Block, 158}), {Clause}),
    Kw("format", IfFirstToken({Command, 51}), {Clause, 0, {60, 125, 140}}),
    Kw("from", IfFirstKeyword({7, 16, 23, 46, 71, 134, 136}, {Clause}), {Operator}),
    Kw("func", IfFirstTokenOr({157}, {Block, 46, {0, 157}}), {Type}),
    Kw("proc", IfFirstTokenOr({157}, {Block, 99, {0, 157}}), {Type}),
    Kw("grid", IfFirstToken({Command, 59}), {Clause, 0, {40}}),
    Kw("header", IfFirstToken({Command, 63}), {Clause, 0, {14, 141}}),
    Kw("height", IfFirstKeyword({0}, {Function}), {Clause, 0, {59, 113}}),
    Kw("if", IfFirstTokenOr({156, 159}, {Block, 159}), {Clause, 0, {113}}),
    Kw("input", IfFirstToken({Command, 67}), {Operator}),
    Kw("invoke", IfFirstToken({Command, 65}), {Clause, 0, {9}}),
    Kw("link", IfFirstToken({Command, 77}), IfFirstKeyword({30, 140}, {Clause}), {Style}),
    Kw("load", IfFirstToken({Command, 74}), {Clause, 0, {22, 114}}),
    Kw("local", IfFirstKeyword({95, 106}, {Clause}), {Operator}),
    Kw("lower", IfFirstKeyword({40}, {Clause}), {Function}),
    Kw("upper", IfFirstKeyword({40}, {Clause}), {Function}),
    Kw("message", IfFirstToken({Command, 83}), {Clause, 0, {94}}),
    Kw("newLine", IfFirstToken({Command, 89}), {Function}),
    Kw("not", IfFirstKeyword({94, 143}, {Clause}), {Operator}),
    Kw("null", IfFirstKeyword({154, 160}, {Clause}), {Function}),
    Kw("progress", IfFirstToken({Declaration, 104}), {Function}),
    Kw("prompt", IfFirstToken({Command, 100}), {Clause, 0, {40, 94}}),
    Kw("record", IfFirstKeyword({0, 133}, {Type}), {Clause}),
    Kw("refString", IfFirstKeyword({40}, {Clause}), {Type}),
    Kw("report", IfFirstKeyword({114}, {Clause}), {Command, 105}),
    Kw("right", IfFirstKeyword({24, 51, 103}, {Clause}), {Style}),
    Kw("save", IfFirstToken({Command, 115}), {Clause}),
    Kw("sheet", IfFirstKeyword({41}, {Clause}), {Command, 128}),
    Kw("size", IfFirstKeyword({7, 24, 31, 40, 43, 64, 71, 102, 104, 142}, {Clause}), {Function}),
    Kw("table", IfFirstTokenOr({78}, {Declaration, 134}), {Clause, 0, {5}}),
    Kw("to", IfFirstKeyword({0}, {Type}),
       IfFirstKeyword({21, 30, 31, 42, 47, 70, 94, 96, 121, 143, 158, 160}, {Clause}), {Operator}),
    Kw("type", IfFirstToken({Declaration}), {Type}),
    Kw("value", IfFirstKeyword({48}, {Clause}), {Command, 140}),
    Kw("var", IfFirstToken({Declaration, 138}), {Operator}),
    Kw("with", IfFirstToken({Block, 150}), {Clause}),
    Kw("write", IfFirstToken({Command, 146}), {Clause, 0, {41, 61, 96, 143}}),

    // Keywords with one entry.
    Kw("const", Declaration, 11),
    Kw("open", Declaration, 95),
    Kw("singleton", Declaration, 130),
    Kw("body", Block, 9),
    Kw("change", Block, 17),
    Kw("critical", Block, 20),
    Kw("else", Block, 155, {152, 156, 159}), // after case, end, if
    Kw("exclusive", Block, 36),
    Kw("exclusiveAssociated", Block, 37),
    Kw("external", Block, 157),
    Kw("form", Block, 54),
    Kw("init", Block, 68),
    Kw("list", Block, 160),
    Kw("loop", Block, 163),
    Kw("section", Block, 113),
    Kw("soap", Block, 121),
    Kw("switch", Block, 114),
    Kw("tail", Block, 136),
    Kw("then", Block, 161, {159}), // after if
    Kw("view", Block, 141),
    Kw("web", Block, 147),
    Kw("while", Block, 162),
    Kw("abort", Command, 5),
    Kw("allow", Command, 1),
    Kw("append", Command, 2),
    Kw("archive", Command, 3),
    Kw("banner", Command, 6),
    Kw("baseFont", Command, 10),
    Kw("box", Command, 7),
    Kw("break", Command, 8),
    Kw("clearScreen", Command, 15),
    Kw("codeFile", Command, 18),
    Kw("com", Command, 21),
    Kw("continue", Command, 23),
    Kw("create", Command, 12),
    Kw("createFolder", Command, 19),
    Kw("dashboard", Command, 33),
    Kw("dataPanel", Command, 24),
    Kw("dbFind", Command, 25),
    Kw("dec", Command, 34),
    Kw("delete", Command, 26),
    Kw("deleteAssociated", Command, 27),
    Kw("deleteFile", Command, 28),
    Kw("deleteFolder", Command, 29),
    Kw("draw", Command, 31),
    Kw("editGrid", Command, 43),
    Kw("ensure", Command, 39),
    Kw("enter", Command, 40),
    Kw("excelLink", Command, 41),
    Kw("exit", Command, 35),
    Kw("export", Command, 42),
    Kw("extend", Command, 44),
    Kw("f8", Command, 52),
    Kw("f8Suffixed", Command, 53),
    Kw("fail", Command, 45),
    Kw("find", Command, 48),
    Kw("footer", Command, 51),
    Kw("friendlyName", Command, 56),
    Kw("getValue", Command, 58),
    Kw("getXY", Command, 57),
    Kw("grandTotal", Command, 60),
    Kw("graph", Command, 61),
    Kw("group", Command, 62),
    Kw("hyperlink", Command, 64),
    Kw("image", Command, 71),
    Kw("import", Command, 70),
    Kw("inc", Command, 73),
    Kw("include", Command, 66),
    Kw("index", Command, 72),
    Kw("interpret", Command, 69),
    Kw("library", Command, 78),
    Kw("line", Command, 76),
    Kw("listAttributes", Command, 80),
    Kw("listFolder", Command, 79),
    Kw("loadAssociated", Command, 75),
    Kw("loadTitlesRecord", Command, 81),
    Kw("logSqlQueries", Command, 82),
    Kw("mailTo", Command, 85),
    Kw("makeFileReadOnly", Command, 87),
    Kw("manage", Command, 84),
    Kw("moneyBox", Command, 86),
    Kw("namePair", Command, 90),
    Kw("navigation", Command, 91),
    Kw("noDrillDown", Command, 92),
    Kw("noExposing", Command, 93),
    Kw("noteFormat", Command, 88),
    Kw("outlook", Command, 96),
    Kw("output", Command, 94),
    Kw("override", Command, 97),
    Kw("packedValue", Command, 140),
    Kw("page", Command, 98),
    Kw("pause", Command, 101),
    Kw("pickGrid", Command, 102),
    Kw("point", Command, 103),
    Kw("redisplay", Command, 108),
    Kw("register", Command, 110),
    Kw("remember", Command, 106),
    Kw("renameFile", Command, 112),
    Kw("resolve", Command, 111),
    Kw("retrieve", Command, 107),
    Kw("ruleLine", Command, 109),
    Kw("saveAssociated", Command, 126),
    Kw("screen", Command, 118),
    Kw("separator", Command, 127),
    Kw("setValue", Command, 117),
    Kw("setXY", Command, 116),
    Kw("showTables", Command, 129),
    Kw("sleep", Command, 120),
    Kw("sms", Command, 132),
    Kw("soapAction", Command, 122),
    Kw("soapExecute", Command, 123),
    Kw("soapNamespace", Command, 124),
    Kw("status", Command, 119),
    Kw("stopwatch", Command),
    Kw("subtotal", Command, 125),
    Kw("transfer", Command, 135),
    Kw("update", Command, 137),
    Kw("validate", Command, 139),
    Kw("viewGrid", Command, 142),
    Kw("wake", Command, 144),
    Kw("watch", Command, 145),
    Kw("webExecute", Command, 148),
    Kw("webParameter", Command, 149),
    Kw("wordLink", Command, 143),
    Kw("add", Clause, 0, {41, 143}),      // after excelLink, wordLink
    Kw("after", Clause, 0, {160}),        // after list
    Kw("all", Clause, 0, {1, 47, 126}),   // after allow, fetch, saveAssociated
    Kw("also", Clause, 0, {4, 47, 154}),  // after attach, fetch, chain
    Kw("always", Clause, 0, {4, 47, 52}), // after attach, fetch, f8
    Kw("around", Clause, 0, {160}),       // after list
    Kw("as", Clause),
    Kw("at", Clause, 0,
       {7, 15, 24, 40, 41, 45, 59, 64, 71, 76, 108, 143,
        146}), // after box, clearScreen, dataPanel, display/enter, excelLink, fail, grid,
               // hyperlink, image, line, redisplay, wordLink, write
    Kw("before", Clause, 0, {160}),   // after list
    Kw("close", Clause, 0, {94}),     // after output
    Kw("deadEnd", Clause, 0, {59}),   // after grid
    Kw("documents", Clause, 0, {84}), // after manage
    Kw("down", Clause, 0, {103}),     // after point
    Kw("each", Clause),
    Kw("execute", Clause, 0, {41, 143}),           // after excelLink, wordLink
    Kw("forced", Clause, 0, {40, 74}),             // after display/enter, load
    Kw("ignoringMinMax", Clause, 0, {4, 47, 154}), // after attach, fetch, chain
    Kw("ignoringWarning", Clause, 0, {47}),        // after fetch
    Kw("keys", Clause, 0, {144}),                  // after wake
    Kw("listing", Clause, 0, {40}),                // after display/enter
    Kw("maintenance", Clause, 0, {54, 134}),       // after form, table
    Kw("maps", Clause, 0, {84}),                   // after manage
    Kw("master", Clause, 0, {41, 143}),            // after excelLink, wordLink
    Kw("merge", Clause, 0, {143}),                 // after wordLink
    Kw("monthOnly", Clause, 0, {40}),              // after display/enter
    Kw("nearest", Clause, 0, {25, 48}),            // after dbFind, find
    Kw("noAttach", Clause, 0, {2, 39, 47, 137}),   // after append, ensure, fetch, update
    Kw("noChain", Clause, 0, {26}),                // after delete
    Kw("noChainAttach", Clause, 0, {126}),         // after saveAssociated
    Kw("noComma", Clause),
    Kw("now", Clause, 0, {41, 143}), // after excelLink, wordLink
    Kw("of", Clause),
    Kw("once", Clause, 0, {46, 99}), // after func, proc
    Kw("one", Clause),
    Kw("onto", Clause, 0, {47}), // after fetch
    Kw("order", Clause),
    Kw("print", Clause, 0, {143}),  // after wordLink
    Kw("radio", Clause, 0, {67}),   // after input
    Kw("refresh", Clause, 0, {40}), // after display/enter
    Kw("reverse", Clause),
    Kw("row", Clause, 0, {41, 143}), // after excelLink, wordLink
    Kw("scanning", Clause),
    Kw("static", Clause, 0, {134, 138}), // after table, var
    Kw("stubborn", Clause, 0, {134}),    // after table
    Kw("suppress", Clause, 0, {94}),     // after output
    Kw("total", Clause),
    Kw("ulFunc", Clause, 0, {46}), // after func
    Kw("unique", Clause),
    Kw("unmapped", Clause, 0, {2, 39}), // after append, ensure
    Kw("unscrolled", Clause, 0, {59}),  // after grid
    Kw("via", Clause, 0, {40, 59}),     // after display/enter, grid
    Kw("where", Clause, 0,
       {4, 39, 40, 47, 48, 154, 158,
        160}), // after attach, ensure, display/enter, fetch, find, chain, for, list
    Kw("without", Clause, 0, {22, 141}), // after custom, view
    Kw("any", Function),
    Kw("archiveSucceeded", Function),
    Kw("asCharacter", Function),
    Kw("asCounter", Function),
    Kw("asDate", Function),
    Kw("asDateRange", Function),
    Kw("asFuzzyBoolean", Function),
    Kw("asHandle", Function),
    Kw("asInteger", Function),
    Kw("asNumber", Function),
    Kw("asParagraph", Function),
    Kw("asRefString", Function),
    Kw("asRowNumber", Function),
    Kw("asString", Function),
    Kw("average", Function),
    Kw("bounded", Function),
    Kw("chequeMoney", Function),
    Kw("clock", Function),
    Kw("clockSnapshot", Function),
    Kw("collating", Function),
    Kw("columnCount", Function),
    Kw("columnName", Function),
    Kw("configuration", Function),
    Kw("currencySymbol", Function),
    Kw("currentKey", Function),
    Kw("cursor", Function),
    Kw("customDate", Function),
    Kw("databaseName", Function),
    Kw("dataPath", Function),
    Kw("daysBetween", Function),
    Kw("dbDeleted", Function),
    Kw("dbFieldNumber", Function),
    Kw("dbFileNumber", Function),
    Kw("dbToInsert", Function),
    Kw("deleted", Function),
    Kw("deletedByMaintenance", Function),
    Kw("deletedRow", Function),
    Kw("deletingByMaintenance", Function),
    Kw("displaying", Function),
    Kw("divide", Function),
    Kw("dmsContainsFile", Function),
    Kw("doubleLine", Function),
    Kw("dynamicRow", Function),
    Kw("emailToDmsSubfolder", Function),
    Kw("ensureAppended", Function),
    Kw("excelAsText", Function),
    Kw("exists", Function),
    Kw("exportSucceeded", Function),
    Kw("false", Function),
    Kw("fileExists", Function),
    Kw("fileIsReadOnly", Function),
    Kw("filteredFromGrid", Function),
    Kw("freeRecordCount", Function),
    Kw("fullDate", Function),
    Kw("hasGrandchildren", Function),
    Kw("hasLabel", Function),
    Kw("hasMinMax", Function),
    Kw("hasPdfPrinter", Function),
    Kw("imported", Function),
    Kw("importSucceeded", Function),
    Kw("interactive", Function),
    Kw("isArchive", Function),
    Kw("isArchiveShell", Function),
    Kw("isDate", Function),
    Kw("isDisk", Function),
    Kw("isEmail", Function),
    Kw("isEmailToDms", Function),
    Kw("isEnquiry", Function),
    Kw("isEnquiryOnly", Function),
    Kw("isExcel", Function),
    Kw("isHardCopy", Function),
    Kw("isHTML", Function),
    Kw("isInteger", Function),
    Kw("isNA", Function),
    Kw("isNumber", Function),
    Kw("isOnScreen", Function),
    Kw("isOutput", Function),
    Kw("isPlenk", Function),
    Kw("isPrinter", Function),
    Kw("isSQL", Function),
    Kw("isTable", Function),
    Kw("isV9", Function),
    Kw("isWeb", Function),
    Kw("isWholeMonth", Function),
    Kw("isWorkingDay", Function),
    Kw("label", Function),
    Kw("length", Function),
    Kw("lf", Function),
    Kw("lineNumber", Function),
    Kw("linesLeft", Function),
    Kw("longDate", Function),
    Kw("longMoney", Function),
    Kw("matchesFilter", Function),
    Kw("matchesMinMax", Function),
    Kw("max", Function),
    Kw("min", Function),
    Kw("modified", Function),
    Kw("monthsBetween", Function),
    Kw("na", Function),
    Kw("noZero", Function),
    Kw("oldValue", Function),
    Kw("outputCopies", Function),
    Kw("outputDescription", Function),
    Kw("outputDmsSubfolder", Function),
    Kw("outputIsDms", Function),
    Kw("outputIsDmsOnly", Function),
    Kw("outputIsSplit", Function),
    Kw("outputIsSystemEmails", Function),
    Kw("outputPdfName", Function),
    Kw("pageFull", Function),
    Kw("pageHeight", Function),
    Kw("pageNumber", Function),
    Kw("pageWidth", Function),
    Kw("position", Function),
    Kw("promptY", Function),
    Kw("provider", Function),
    Kw("question", Function),
    Kw("random", Function),
    Kw("recordCount", Function),
    Kw("relativeDate", Function),
    Kw("renameFileSucceeded", Function),
    Kw("replace", Function),
    Kw("result", Function),
    Kw("rgb", Function),
    Kw("round", Function),
    Kw("screenCode", Function),
    Kw("screenNumber", Function),
    Kw("screenTitle", Function),
    Kw("singleLine", Function),
    Kw("soapFault", Function),
    Kw("soapSucceeded", Function),
    Kw("stripReturn", Function),
    Kw("substring", Function),
    Kw("targetTable", Function),
    Kw("timeAsString", Function),
    Kw("timeBetween", Function),
    Kw("today", Function),
    Kw("todaySnapshot", Function),
    Kw("traceLevel", Function),
    Kw("true", Function),
    Kw("unpostedCharge", Function),
    Kw("unpostedChargeDue", Function),
    Kw("upperOne", Function),
    Kw("userAuthoriser", Function),
    Kw("userDepartment", Function),
    Kw("userDeputy", Function),
    Kw("userEmail", Function),
    Kw("userEmail2", Function),
    Kw("userEmail3", Function),
    Kw("userFax", Function),
    Kw("userIdentifier", Function),
    Kw("userInitials", Function),
    Kw("userLevel", Function),
    Kw("userManager", Function),
    Kw("userName", Function),
    Kw("userPhone", Function),
    Kw("userPhone2", Function),
    Kw("userPhone3", Function),
    Kw("userPhone4", Function),
    Kw("userReference", Function),
    Kw("vatAcronym", Function),
    Kw("webIsHTML", Function),
    Kw("webIsXML", Function),
    Kw("webParagraph", Function),
    Kw("webSucceeded", Function),
    Kw("wordPosition", Function),
    Kw("workingDay", Function),
    Kw("wrap", Function),
    Kw("and", Operator),
    Kw("contains", Operator),
    Kw("containsWord", Operator),
    Kw("day", Operator),
    Kw("ends", Operator),
    Kw("fuzzy", Operator),
    Kw("global", Operator),
    Kw("in", Operator),
    Kw("mod", Operator),
    Kw("month", Operator),
    Kw("new", Operator),
    Kw("or", Operator),
    Kw("starts", Operator),
    Kw("time", Operator),
    Kw("year", Operator),
    Kw("boolean", Type),
    Kw("character", Type),
    Kw("choice", Type),
    Kw("counter", Type),
    Kw("date", Type),
    Kw("handle", Type),
    Kw("integer", Type),
    Kw("number", Type),
    Kw("paragraph", Type),
    Kw("set", Type),
    Kw("string", Type),
    Kw("tAuditNumber", Type),
    Kw("tDateRange", Type),
    Kw("tMoney", Type),
    Kw("tReference", Type),
    Kw("tString", Type),
    Kw("end", End, 156),
    Kw("indent", Style),
    Kw("justify", Style),
    Kw("leader", Style),
};

constexpr std::size_t KeywordCount = KeywordTable.size();

// Keyword indexes sorted by text, and where each first letter's run starts in it.
struct TKeywordIndex {
    std::array<std::uint16_t, KeywordCount> Sorted{};
    std::array<std::uint16_t, 27> LetterStart{};
};

constexpr TKeywordIndex BuildIndex() {
    TKeywordIndex Index;
    for (std::size_t I = 0; I < KeywordCount; ++I)
        Index.Sorted[I] = static_cast<std::uint16_t>(I);
    std::sort(Index.Sorted.begin(), Index.Sorted.end(), [](std::uint16_t A, std::uint16_t B) {
        return KeywordTable[A].Text < KeywordTable[B].Text;
    });
    std::size_t Position = 0;
    for (std::size_t Letter = 0; Letter <= 26; ++Letter) {
        while (Position < KeywordCount &&
               static_cast<std::size_t>(KeywordTable[Index.Sorted[Position]].Text[0] - 'a') <
                   Letter)
            ++Position;
        Index.LetterStart[Letter] = static_cast<std::uint16_t>(Position);
    }
    return Index;
}

constexpr TKeywordIndex Index = BuildIndex();

constexpr bool TextsAreUniqueAndLowercase() {
    for (std::size_t I = 0; I < KeywordCount; ++I) {
        const std::string_view Text = KeywordTable[Index.Sorted[I]].Text;
        if (Text.size() < 2 || Text[0] < 'a' || Text[0] > 'z')
            return false;
        if (I > 0 && KeywordTable[Index.Sorted[I - 1]].Text == Text)
            return false;
    }
    return true;
}
static_assert(TextsAreUniqueAndLowercase());

} // namespace

std::span<const TKeyword> Keywords() noexcept {
    return KeywordTable;
}

const TKeyword* FindKeyword(std::string_view Text) noexcept {
    if (Text.size() < 2 || Text[0] < 'a' || Text[0] > 'z')
        return nullptr;
    const std::size_t Letter = static_cast<std::size_t>(Text[0] - 'a');
    const auto First = Index.Sorted.begin() + Index.LetterStart[Letter];
    const auto Last = Index.Sorted.begin() + Index.LetterStart[Letter + 1];
    const auto Found = std::lower_bound(First, Last, Text, [](std::uint16_t I, std::string_view T) {
        return KeywordTable[I].Text < T;
    });
    if (Found == Last || KeywordTable[*Found].Text != Text)
        return nullptr;
    return &KeywordTable[*Found];
}

const TKeywordEntry& SelectEntry(const TKeyword& Keyword, bool FirstToken,
                                 std::uint8_t FirstKeywordId) noexcept {
    for (std::size_t I = 0; I + 1 < Keyword.ChoiceCount; ++I)
        if (Keyword.Choices[I].When.Holds(FirstToken, FirstKeywordId))
            return Keyword.Choices[I].Entry;
    return Keyword.Choices[Keyword.ChoiceCount - 1].Entry;
}

std::uint8_t ClassifyName(std::string_view Name, TStatementContext& Context) noexcept {
    const TKeyword* Keyword = FindKeyword(Name);
    if (Keyword == nullptr)
        return element::Name;
    const TKeywordEntry& Entry = SelectEntry(*Keyword, Context.FirstToken, Context.FirstKeywordId);
    if (!Entry.After.Empty() && Context.FirstKeywordId < UnrestrictedKeywordId &&
        !Entry.After.Contains(Context.FirstKeywordId))
        return element::Name;
    const bool BlockDeclarationOrCommand =
        Entry.Kind == Block || Entry.Kind == Declaration || Entry.Kind == Command;
    if (!Context.KindsAdmitted && BlockDeclarationOrCommand && Entry.Id != ElseKeywordId &&
        Entry.Id != ThenKeywordId)
        return element::Name;
    if (Context.FirstKeywordId == 0) {
        Context.FirstKeywordId = Entry.Id;
        Context.NextNameIsProcedureName = Entry.Id == FuncKeywordId || Entry.Id == ProcKeywordId;
    }
    // A statement led by "else" or "then" opens no further block, declaration or command.
    Context.KindsAdmitted =
        Context.FirstKeywordId != ElseKeywordId && Context.FirstKeywordId != ThenKeywordId;
    return Entry.Kind;
}

} // namespace korvid

// Every keyword with its kind, id and context, written down apart from the plug-in's own table,
// and the rules by which a statement's context admits a keyword.

#include <cctype>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "plugin/Keywords.h"
#include "tests/plugin/FakeHost.h"

namespace korvid::test {
namespace {

// Keywords with one entry, as lists of "text id [after: first keywords]" by kind.
struct TKindList {
    int Kind;
    std::size_t Count;
    const char* Items;
};

const TKindList KindLists[] = {
    {Declaration, 3, "const 11, open 95, singleton 130"},
    {Block, 19,
     "body 9, change 17, critical 20, else 155 [after: case, end, if], exclusive 36, "
     "exclusiveAssociated 37, external 157, form 54, init 68, list 160, loop 163, "
     "section 113, soap 121, switch 114, tail 136, then 161 [after: if], view 141, "
     "web 147, while 162"},
    {Command, 102,
     "abort 5, allow 1, append 2, archive 3, banner 6, baseFont 10, box 7, break 8, "
     "clearScreen 15, codeFile 18, com 21, continue 23, create 12, createFolder 19, "
     "dashboard 33, dataPanel 24, dbFind 25, dec 34, delete 26, deleteAssociated 27, "
     "deleteFile 28, deleteFolder 29, draw 31, editGrid 43, ensure 39, enter 40, "
     "excelLink 41, exit 35, export 42, extend 44, f8 52, f8Suffixed 53, fail 45, "
     "find 48, footer 51, friendlyName 56, getValue 58, getXY 57, grandTotal 60, "
     "graph 61, group 62, hyperlink 64, image 71, import 70, inc 73, include 66, "
     "index 72, interpret 69, library 78, line 76, listAttributes 80, listFolder 79, "
     "loadAssociated 75, loadTitlesRecord 81, logSqlQueries 82, mailTo 85, "
     "makeFileReadOnly 87, manage 84, moneyBox 86, namePair 90, navigation 91, "
     "noDrillDown 92, noExposing 93, noteFormat 88, outlook 96, output 94, override 97, "
     "packedValue 140, page 98, pause 101, pickGrid 102, point 103, redisplay 108, "
     "register 110, remember 106, renameFile 112, resolve 111, retrieve 107, "
     "ruleLine 109, saveAssociated 126, screen 118, separator 127, setValue 117, "
     "setXY 116, showTables 129, sleep 120, sms 132, soapAction 122, soapExecute 123, "
     "soapNamespace 124, status 119, stopwatch, subtotal 125, transfer 135, update 137, "
     "validate 139, viewGrid 142, wake 144, watch 145, webExecute 148, webParameter 149, "
     "wordLink 143"},
    {Clause, 53,
     "add [after: excelLink, wordLink], after [after: list], all [after: allow, fetch, "
     "saveAssociated], also [after: attach, fetch, chain], always [after: attach, fetch, "
     "f8], around [after: list], as, at [after: box, clearScreen, dataPanel, "
     "display/enter, excelLink, fail, grid, hyperlink, image, line, redisplay, wordLink, "
     "write], before [after: list], close [after: output], deadEnd [after: grid], "
     "documents [after: manage], down [after: point], each, execute [after: excelLink, "
     "wordLink], forced [after: display/enter, load], ignoringMinMax [after: attach, "
     "fetch, chain], ignoringWarning [after: fetch], keys [after: wake], "
     "listing [after: display/enter], maintenance [after: form, table], "
     "maps [after: manage], master [after: excelLink, wordLink], merge [after: wordLink], "
     "monthOnly [after: display/enter], nearest [after: dbFind, find], "
     "noAttach [after: append, ensure, fetch, update], noChain [after: delete], "
     "noChainAttach [after: saveAssociated], noComma, now [after: excelLink, wordLink], "
     "of, once [after: func, proc], one, onto [after: fetch], order, "
     "print [after: wordLink], radio [after: input], refresh [after: display/enter], "
     "reverse, row [after: excelLink, wordLink], scanning, static [after: table, var], "
     "stubborn [after: table], suppress [after: output], total, ulFunc [after: func], "
     "unique, unmapped [after: append, ensure], unscrolled [after: grid], "
     "via [after: display/enter, grid], where [after: attach, ensure, display/enter, "
     "fetch, find, chain, for, list], without [after: custom, view]"},
    {Function, 168,
     "any, archiveSucceeded, asCharacter, asCounter, asDate, asDateRange, asFuzzyBoolean, "
     "asHandle, asInteger, asNumber, asParagraph, asRefString, asRowNumber, asString, "
     "average, bounded, chequeMoney, clock, clockSnapshot, collating, columnCount, "
     "columnName, configuration, currencySymbol, currentKey, cursor, customDate, "
     "databaseName, dataPath, daysBetween, dbDeleted, dbFieldNumber, dbFileNumber, "
     "dbToInsert, deleted, deletedByMaintenance, deletedRow, deletingByMaintenance, "
     "displaying, divide, dmsContainsFile, doubleLine, dynamicRow, emailToDmsSubfolder, "
     "ensureAppended, excelAsText, exists, exportSucceeded, false, fileExists, "
     "fileIsReadOnly, filteredFromGrid, freeRecordCount, fullDate, hasGrandchildren, "
     "hasLabel, hasMinMax, hasPdfPrinter, imported, importSucceeded, interactive, "
     "isArchive, isArchiveShell, isDate, isDisk, isEmail, isEmailToDms, isEnquiry, "
     "isEnquiryOnly, isExcel, isHardCopy, isHTML, isInteger, isNA, isNumber, isOnScreen, "
     "isOutput, isPlenk, isPrinter, isSQL, isTable, isV9, isWeb, isWholeMonth, "
     "isWorkingDay, label, length, lf, lineNumber, linesLeft, longDate, longMoney, "
     "matchesFilter, matchesMinMax, max, min, modified, monthsBetween, na, noZero, "
     "oldValue, outputCopies, outputDescription, outputDmsSubfolder, outputIsDms, "
     "outputIsDmsOnly, outputIsSplit, outputIsSystemEmails, outputPdfName, pageFull, "
     "pageHeight, pageNumber, pageWidth, position, promptY, provider, question, random, "
     "recordCount, relativeDate, renameFileSucceeded, replace, result, rgb, round, "
     "screenCode, screenNumber, screenTitle, singleLine, soapFault, soapSucceeded, "
     "stripReturn, substring, targetTable, timeAsString, timeBetween, today, "
     "todaySnapshot, traceLevel, true, unpostedCharge, unpostedChargeDue, upperOne, "
     "userAuthoriser, userDepartment, userDeputy, userEmail, userEmail2, userEmail3, "
     "userFax, userIdentifier, userInitials, userLevel, userManager, userName, userPhone, "
     "userPhone2, userPhone3, userPhone4, userReference, vatAcronym, webIsHTML, webIsXML, "
     "webParagraph, webSucceeded, wordPosition, workingDay, wrap"},
    {Operator, 15,
     "and, contains, containsWord, day, ends, fuzzy, global, in, mod, month, new, or, "
     "starts, time, year"},
    {Type, 16,
     "boolean, character, choice, counter, date, handle, integer, number, paragraph, set, "
     "string, tAuditNumber, tDateRange, tMoney, tReference, tString"},
    {End, 1, "end 156"},
    {Style, 3, "indent, justify, leader"},
};

// Ids of keywords that the lists' context sets name but that have entries chosen by context.
const std::map<std::string, unsigned, std::less<>> ContextKeywordIds{
    {"attach", 4},         {"case", 152},  {"chain", 154}, {"custom", 22},
    {"display/enter", 40}, {"fetch", 47},  {"for", 158},   {"func", 46},
    {"grid", 59},          {"if", 159},    {"input", 67},  {"load", 74},
    {"proc", 99},          {"table", 134}, {"var", 138},   {"write", 146},
};

struct TListedKeyword {
    std::string Text;
    int Kind = 0;
    unsigned Id = 0;
    std::vector<std::string> After;
};

std::string Trim(std::string_view Text) {
    while (!Text.empty() && Text.front() == ' ')
        Text.remove_prefix(1);
    while (!Text.empty() && Text.back() == ' ')
        Text.remove_suffix(1);
    return std::string(Text);
}

std::vector<std::string> SplitTopLevel(std::string_view Text) {
    std::vector<std::string> Items;
    int Depth = 0;
    std::size_t From = 0;
    for (std::size_t I = 0; I < Text.size(); ++I) {
        if (Text[I] == '[')
            ++Depth;
        else if (Text[I] == ']')
            --Depth;
        else if (Text[I] == ',' && Depth == 0) {
            Items.push_back(Trim(Text.substr(From, I - From)));
            From = I + 1;
        }
    }
    Items.push_back(Trim(Text.substr(From)));
    return Items;
}

TListedKeyword ParseItem(int Kind, const std::string& Item) {
    TListedKeyword Keyword;
    Keyword.Kind = Kind;
    std::string Head = Item;
    if (const std::size_t Bracket = Item.find(" [after: "); Bracket != std::string::npos) {
        Head = Item.substr(0, Bracket);
        const std::size_t From = Bracket + 9;
        const std::string List = Item.substr(From, Item.size() - 1 - From);
        for (const std::string& Name : SplitTopLevel(List))
            Keyword.After.push_back(Name);
    }
    if (const std::size_t Blank = Head.find(' '); Blank != std::string::npos) {
        Keyword.Text = Head.substr(0, Blank);
        Keyword.Id = static_cast<unsigned>(std::stoi(Head.substr(Blank + 1)));
    } else {
        Keyword.Text = Head;
    }
    return Keyword;
}

std::vector<TListedKeyword> ListedKeywords() {
    std::vector<TListedKeyword> Keywords;
    for (const TKindList& List : KindLists) {
        const std::vector<std::string> Items = SplitTopLevel(List.Items);
        EXPECT_EQ(Items.size(), List.Count) << "kind " << List.Kind;
        for (const std::string& Item : Items)
            Keywords.push_back(ParseItem(List.Kind, Item));
    }
    return Keywords;
}

// One entry of a keyword chosen by context: in context (First, F) the keyword stands for Kind
// with Id, and it stays a name when its context set excludes F.
struct TContextRow {
    const char* Text;
    bool First;
    unsigned F;
    int Kind;
    unsigned Id = 0;
    bool Excluded = false;
};

constexpr bool T = true;
constexpr bool NotFirst = false;

const TContextRow ContextRows[] = {
    {"assert", T, 0, Assertion},
    {"assert", NotFirst, 47, Assertion},
    {"associated", NotFirst, 0, Function},
    {"associated", NotFirst, 47, Clause},
    {"attach", T, 0, Command, 4},
    {"attach", NotFirst, 2, Clause},
    {"attach", NotFirst, 39, Clause},
    {"attach", NotFirst, 47, Clause},
    {"attach", NotFirst, 137, Clause},
    {"attach", NotFirst, 5, Clause, 0, true},
    {"by", NotFirst, 0, Type},
    {"by", NotFirst, 16, Clause},
    {"by", NotFirst, 25, Clause},
    {"by", NotFirst, 40, Clause},
    {"by", NotFirst, 47, Clause},
    {"by", NotFirst, 48, Clause},
    {"by", NotFirst, 94, Clause},
    {"by", NotFirst, 154, Clause},
    {"by", NotFirst, 160, Clause},
    {"by", NotFirst, 5, Clause, 0, true},
    {"case", T, 0, Block, 152},
    {"case", NotFirst, 0, Operator},
    {"centre", NotFirst, 24, Clause},
    {"centre", NotFirst, 0, Style},
    {"left", NotFirst, 24, Clause},
    {"left", T, 0, Style},
    {"chain", T, 0, Block, 154},
    {"chain", NotFirst, 49, Clause},
    {"chain", NotFirst, 0, Clause, 0, true},
    {"clear", T, 0, Command, 14},
    {"clear", NotFirst, 30, Clause},
    {"clear", NotFirst, 0, Clause, 0, true},
    {"colour", T, 0, Command, 13},
    {"colour", NotFirst, 31, Clause},
    {"colour", NotFirst, 30, Clause, 0, true},
    {"column", T, 0, Command},
    {"column", NotFirst, 42, Clause},
    {"column", NotFirst, 0, Clause, 0, true},
    {"comma", NotFirst, 60, Clause},
    {"comma", T, 0, Function},
    {"crDr", NotFirst, 125, Clause},
    {"crDr", NotFirst, 0, Function},
    {"drCr", NotFirst, 140, Clause},
    {"drCr", NotFirst, 47, Function},
    {"zComma", NotFirst, 60, Clause},
    {"zComma", NotFirst, 0, Function},
    {"zCrDr", NotFirst, 125, Clause},
    {"zCrDr", NotFirst, 0, Function},
    {"zDrCr", NotFirst, 140, Clause},
    {"zDrCr", NotFirst, 0, Function},
    {"zero", NotFirst, 60, Clause},
    {"zero", NotFirst, 0, Function},
    {"count", NotFirst, 0, Function},
    {"count", NotFirst, 160, Clause},
    {"count", NotFirst, 47, Clause, 0, true},
    {"custom", T, 0, Command, 22},
    {"custom", NotFirst, 0, Clause},
    {"database", NotFirst, 0, Operator},
    {"database", NotFirst, 95, Clause},
    {"database", NotFirst, 47, Clause, 0, true},
    {"dbToDelete", T, 0, Command, 32},
    {"dbToDelete", NotFirst, 0, Function},
    {"display", T, 0, Command, 40},
    {"display", NotFirst, 40, Clause},
    {"display", NotFirst, 0, Clause, 0, true},
    {"dynamic", T, 0, Command, 30},
    {"dynamic", NotFirst, 0, Operator},
    {"email", T, 0, Command, 38},
    {"email", NotFirst, 41, Clause},
    {"email", NotFirst, 94, Clause},
    {"email", NotFirst, 96, Clause},
    {"email", NotFirst, 143, Clause},
    {"email", NotFirst, 0, Clause, 0, true},
    {"fetch", T, 0, Command, 47},
    {"fetch", NotFirst, 0, Clause},
    {"flush", T, 0, Command, 49},
    {"flush", NotFirst, 22, Clause},
    {"flush", NotFirst, 0, Clause, 0, true},
    {"font", T, 0, Command, 50},
    {"font", NotFirst, 0, Function},
    {"for", T, 0, Block, 158},
    {"for", NotFirst, 0, Clause},
    {"format", T, 0, Command, 51},
    {"format", NotFirst, 60, Clause},
    {"format", NotFirst, 125, Clause},
    {"format", NotFirst, 140, Clause},
    {"format", NotFirst, 0, Clause, 0, true},
    {"from", NotFirst, 7, Clause},
    {"from", NotFirst, 16, Clause},
    {"from", NotFirst, 23, Clause},
    {"from", NotFirst, 46, Clause},
    {"from", NotFirst, 71, Clause},
    {"from", NotFirst, 134, Clause},
    {"from", NotFirst, 136, Clause},
    {"from", T, 0, Operator},
    {"func", T, 0, Block, 46},
    {"func", NotFirst, 157, Block, 46},
    {"func", NotFirst, 0, Type},
    {"func", NotFirst, 47, Type},
    {"proc", T, 0, Block, 99},
    {"proc", NotFirst, 157, Block, 99},
    {"proc", NotFirst, 0, Type},
    {"grid", T, 0, Command, 59},
    {"grid", NotFirst, 40, Clause},
    {"grid", NotFirst, 0, Clause, 0, true},
    {"header", T, 0, Command, 63},
    {"header", NotFirst, 14, Clause},
    {"header", NotFirst, 141, Clause},
    {"header", NotFirst, 0, Clause, 0, true},
    {"height", NotFirst, 0, Function},
    {"height", NotFirst, 59, Clause},
    {"height", NotFirst, 113, Clause},
    {"height", NotFirst, 47, Clause, 0, true},
    {"if", T, 0, Block, 159},
    {"if", NotFirst, 156, Block, 159},
    {"if", NotFirst, 159, Block, 159},
    {"if", NotFirst, 113, Clause},
    {"if", NotFirst, 0, Clause, 0, true},
    {"input", T, 0, Command, 67},
    {"input", NotFirst, 0, Operator},
    {"invoke", T, 0, Command, 65},
    {"invoke", NotFirst, 9, Clause},
    {"invoke", NotFirst, 0, Clause, 0, true},
    {"link", T, 0, Command, 77},
    {"link", NotFirst, 30, Clause},
    {"link", NotFirst, 140, Clause},
    {"link", NotFirst, 0, Style},
    {"link", NotFirst, 47, Style},
    {"load", T, 0, Command, 74},
    {"load", NotFirst, 22, Clause},
    {"load", NotFirst, 114, Clause},
    {"load", NotFirst, 0, Clause, 0, true},
    {"local", NotFirst, 95, Clause},
    {"local", NotFirst, 106, Clause},
    {"local", NotFirst, 0, Operator},
    {"lower", NotFirst, 40, Clause},
    {"lower", NotFirst, 0, Function},
    {"upper", NotFirst, 40, Clause},
    {"upper", T, 0, Function},
    {"message", T, 0, Command, 83},
    {"message", NotFirst, 94, Clause},
    {"message", NotFirst, 0, Clause, 0, true},
    {"newLine", T, 0, Command, 89},
    {"newLine", NotFirst, 0, Function},
    {"not", NotFirst, 94, Clause},
    {"not", NotFirst, 143, Clause},
    {"not", NotFirst, 0, Operator},
    {"null", NotFirst, 154, Clause},
    {"null", NotFirst, 160, Clause},
    {"null", NotFirst, 0, Function},
    {"progress", T, 0, Declaration, 104},
    {"progress", NotFirst, 0, Function},
    {"prompt", T, 0, Command, 100},
    {"prompt", NotFirst, 40, Clause},
    {"prompt", NotFirst, 94, Clause},
    {"prompt", NotFirst, 0, Clause, 0, true},
    {"record", NotFirst, 0, Type},
    {"record", NotFirst, 133, Type},
    {"record", NotFirst, 47, Clause},
    {"refString", NotFirst, 40, Clause},
    {"refString", NotFirst, 0, Type},
    {"report", NotFirst, 114, Clause},
    {"report", NotFirst, 0, Command, 105},
    {"report", T, 0, Command, 105},
    {"right", NotFirst, 24, Clause},
    {"right", NotFirst, 51, Clause},
    {"right", NotFirst, 103, Clause},
    {"right", NotFirst, 0, Style},
    {"save", T, 0, Command, 115},
    {"save", NotFirst, 0, Clause},
    {"sheet", NotFirst, 41, Clause},
    {"sheet", NotFirst, 0, Command, 128},
    {"size", NotFirst, 7, Clause},
    {"size", NotFirst, 24, Clause},
    {"size", NotFirst, 31, Clause},
    {"size", NotFirst, 40, Clause},
    {"size", NotFirst, 43, Clause},
    {"size", NotFirst, 64, Clause},
    {"size", NotFirst, 71, Clause},
    {"size", NotFirst, 102, Clause},
    {"size", NotFirst, 104, Clause},
    {"size", NotFirst, 142, Clause},
    {"size", NotFirst, 0, Function},
    {"table", T, 0, Declaration, 134},
    {"table", NotFirst, 78, Declaration, 134},
    {"table", NotFirst, 5, Clause},
    {"table", NotFirst, 0, Clause, 0, true},
    {"to", NotFirst, 0, Type},
    {"to", NotFirst, 21, Clause},
    {"to", NotFirst, 30, Clause},
    {"to", NotFirst, 31, Clause},
    {"to", NotFirst, 42, Clause},
    {"to", NotFirst, 47, Clause},
    {"to", NotFirst, 70, Clause},
    {"to", NotFirst, 94, Clause},
    {"to", NotFirst, 96, Clause},
    {"to", NotFirst, 121, Clause},
    {"to", NotFirst, 143, Clause},
    {"to", NotFirst, 158, Clause},
    {"to", NotFirst, 160, Clause},
    {"to", NotFirst, 5, Operator},
    {"type", T, 0, Declaration},
    {"type", NotFirst, 0, Type},
    {"value", NotFirst, 48, Clause},
    {"value", NotFirst, 0, Command, 140},
    {"var", T, 0, Declaration, 138},
    {"var", NotFirst, 0, Operator},
    {"with", T, 0, Block, 150},
    {"with", NotFirst, 0, Clause},
    {"write", T, 0, Command, 146},
    {"write", NotFirst, 41, Clause},
    {"write", NotFirst, 61, Clause},
    {"write", NotFirst, 96, Clause},
    {"write", NotFirst, 143, Clause},
    {"write", NotFirst, 0, Clause, 0, true},
};

std::set<unsigned> Members(const TIdSet& Set) {
    std::set<unsigned> Ids;
    for (unsigned Id = 0; Id < 192; ++Id)
        if (Set.Contains(Id))
            Ids.insert(Id);
    return Ids;
}

TEST(Keywords, EveryListedKeywordHasItsKindIdAndContext) {
    std::map<std::string, unsigned, std::less<>> Ids = ContextKeywordIds;
    const std::vector<TListedKeyword> Listed = ListedKeywords();
    for (const TListedKeyword& Keyword : Listed)
        if (Keyword.Id != 0)
            Ids[Keyword.Text] = Keyword.Id;

    for (const TListedKeyword& Listing : Listed) {
        SCOPED_TRACE(Listing.Text);
        std::set<unsigned> After;
        for (const std::string& Name : Listing.After) {
            const auto Found = Ids.find(Name);
            ASSERT_NE(Found, Ids.end()) << Name;
            After.insert(Found->second);
        }
        const TKeyword* Keyword = FindKeyword(Listing.Text);
        ASSERT_NE(Keyword, nullptr);
        EXPECT_EQ(Keyword->Text, Listing.Text);
        // The same entry whatever the statement.
        for (const auto& [First, F] : {std::pair{true, 0u}, {false, 47u}, {false, 157u}}) {
            const TKeywordEntry& Entry = SelectEntry(*Keyword, First, static_cast<std::uint8_t>(F));
            EXPECT_EQ(int(Entry.Kind), Listing.Kind);
            EXPECT_EQ(unsigned(Entry.Id), Listing.Id);
            EXPECT_EQ(Members(Entry.After), After);
        }
    }
}

TEST(Keywords, EveryKeywordChosenByContext) {
    for (const TContextRow& Row : ContextRows) {
        SCOPED_TRACE(std::string(Row.Text) + (Row.First ? " first" : "") + " after " +
                     std::to_string(Row.F));
        const TKeyword* Keyword = FindKeyword(Row.Text);
        ASSERT_NE(Keyword, nullptr);
        const auto F = static_cast<std::uint8_t>(Row.F);
        const TKeywordEntry& Entry = SelectEntry(*Keyword, Row.First, F);
        EXPECT_EQ(int(Entry.Kind), Row.Kind);
        EXPECT_EQ(unsigned(Entry.Id), Row.Id);

        TStatementContext Context{Row.First, F, true, false};
        EXPECT_EQ(ClassifyName(Row.Text, Context), Row.Excluded ? Name : Row.Kind);
        if (Row.F == 0 && !Row.Excluded) {
            EXPECT_EQ(unsigned(Context.FirstKeywordId), Row.Id);
        }
    }
}

TEST(Keywords, ThereAre444AndNoOthers) {
    std::set<std::string, std::less<>> Texts;
    for (const TListedKeyword& Keyword : ListedKeywords())
        EXPECT_TRUE(Texts.insert(Keyword.Text).second) << Keyword.Text;
    std::set<std::string, std::less<>> ByContext;
    for (const TContextRow& Row : ContextRows)
        ByContext.insert(Row.Text);
    EXPECT_EQ(ByContext.size(), 64u);
    for (const std::string& Text : ByContext)
        EXPECT_TRUE(Texts.insert(Text).second) << Text;
    EXPECT_EQ(Texts.size(), 444u);

    EXPECT_EQ(Keywords().size(), 444u);
    for (const TKeyword& Keyword : Keywords())
        EXPECT_TRUE(Texts.contains(Keyword.Text)) << Keyword.Text;
}

TEST(Keywords, OnlyExactLowercaseTextsAreLookedUp) {
    for (const char* Text : {"If", "IF", "iF", "ifx", "i", "x", "", "if|x", "1if", "Assert"})
        EXPECT_EQ(FindKeyword(Text), nullptr) << Text;
    EXPECT_NE(FindKeyword("if"), nullptr);
    EXPECT_NE(FindKeyword("zDrCr"), nullptr);
    EXPECT_NE(FindKeyword("abort"), nullptr);
}

// How the statement context admits a name and what the name leaves in it.
struct TRuleRow {
    const char* Title;
    const char* Text;
    TStatementContext Before;
    int Kind;
    TStatementContext After;
};

const TRuleRow RuleRows[] = {
    {"capital is a name", "If", {T, 0, T, false}, Name, {T, 0, T, false}},
    {"one letter is a name", "x", {T, 0, T, false}, Name, {T, 0, T, false}},
    {"if first sets F", "if", {T, 0, T, false}, Block, {T, 159, T, false}},
    {"else with no keyword yet", "else", {T, 0, T, false}, Name, {T, 0, T, false}},
    {"else after if", "else", {false, 159, T, false}, Block, {false, 159, T, false}},
    {"else after case", "else", {false, 152, T, false}, Block, {false, 152, T, false}},
    {"else after end", "else", {false, 156, T, false}, Block, {false, 156, T, false}},
    {"else after any id from 152", "else", {false, 153, T, false}, Block, {false, 153, T, false}},
    {"else after fetch", "else", {false, 47, T, false}, Name, {false, 47, T, false}},
    {"then after if", "then", {false, 159, T, false}, Block, {false, 159, T, false}},
    {"then first", "then", {T, 0, T, false}, Name, {T, 0, T, false}},
    {"at first", "at", {T, 0, T, false}, Name, {T, 0, T, false}},
    {"at after display", "at", {false, 40, T, false}, Clause, {false, 40, T, false}},
    {"func first", "func", {T, 0, T, false}, Block, {T, 46, T, true}},
    {"proc first", "proc", {T, 0, T, false}, Block, {T, 99, T, true}},
    {"func after external", "func", {false, 157, T, false}, Block, {false, 157, T, false}},
    {"func elsewhere is a type", "func", {false, 5, T, false}, Type, {false, 5, T, false}},
    {"keyword without id keeps F", "stopwatch", {T, 0, T, false}, Command, {T, 0, T, false}},
    {"later keyword keeps F", "abort", {false, 47, T, false}, Command, {false, 47, T, false}},
    {"command later in a statement",
     "report",
     {false, 0, T, false},
     Command,
     {false, 105, T, false}},
    {"assert", "assert", {T, 0, T, false}, Assertion, {T, 0, T, false}},
    {"then-led statement refuses a command",
     "abort",
     {false, 161, false, false},
     Name,
     {false, 161, false, false}},
    {"else-led statement refuses a block",
     "while",
     {false, 155, false, false},
     Name,
     {false, 155, false, false}},
    {"then-led statement refuses a declaration",
     "const",
     {false, 161, false, false},
     Name,
     {false, 161, false, false}},
    {"then-led statement takes else",
     "else",
     {false, 161, false, false},
     Block,
     {false, 161, false, false}},
    {"else-led statement takes then",
     "then",
     {false, 155, false, false},
     Block,
     {false, 155, false, false}},
    {"then-led statement takes a clause",
     "where",
     {false, 161, false, false},
     Clause,
     {false, 161, false, false}},
    {"accepting a keyword under then closes kinds 2 to 4",
     "where",
     {false, 161, T, false},
     Clause,
     {false, 161, false, false}},
    {"accepting a keyword elsewhere opens them",
     "where",
     {false, 47, T, false},
     Clause,
     {false, 47, T, false}},
};

TEST(Keywords, ContextRules) {
    for (const TRuleRow& Row : RuleRows) {
        SCOPED_TRACE(Row.Title);
        TStatementContext Context = Row.Before;
        EXPECT_EQ(ClassifyName(Row.Text, Context), Row.Kind);
        EXPECT_EQ(Context.FirstToken, Row.After.FirstToken);
        EXPECT_EQ(Context.FirstKeywordId, Row.After.FirstKeywordId);
        EXPECT_EQ(Context.KindsAdmitted, Row.After.KindsAdmitted);
        EXPECT_EQ(Context.NextNameIsProcedureName, Row.After.NextNameIsProcedureName);
    }
}

} // namespace
} // namespace korvid::test

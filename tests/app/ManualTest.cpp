#include "app/ManualIndex.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace korvid::test {
namespace {

namespace fs = std::filesystem;

const fs::path ManualFolder = KORVID_MANUAL_SOURCE;

std::string ReadPage(const fs::path& Page) {
    std::ifstream Stream(Page, std::ios::binary);
    std::ostringstream Text;
    Text << Stream.rdbuf();
    return Text.str();
}

struct TLink {
    std::string Target;
    std::string Text;
};

std::vector<TLink> Links(const std::string& Html) {
    static const std::regex Link(R"re(<a\s+href="([^"]*)"\s*>([^<]*)</a>)re");
    std::vector<TLink> Found;
    for (auto It = std::sregex_iterator(Html.begin(), Html.end(), Link);
         It != std::sregex_iterator(); ++It)
        Found.push_back({(*It)[1], (*It)[2]});
    return Found;
}

std::set<std::string> Anchors(const std::string& Html) {
    static const std::regex Id(R"re(\sid="([^"]+)")re");
    std::set<std::string> Found;
    for (auto It = std::sregex_iterator(Html.begin(), Html.end(), Id); It != std::sregex_iterator();
         ++It)
        Found.insert((*It)[1]);
    return Found;
}

class TManualTest : public ::testing::Test {
protected:
    std::map<std::string, std::string> Pages; // file name -> text
    void SetUp() override {
        for (const auto& Entry : fs::directory_iterator(ManualFolder))
            if (Entry.path().extension() == ".html")
                Pages[Entry.path().filename().string()] = ReadPage(Entry.path());
        ASSERT_TRUE(Pages.count("index.html")) << ManualFolder;
    }
    // Why a link from Page does not resolve; empty when it does.
    std::string Broken(const std::string& Page, const std::string& Target) const {
        const auto Hash = Target.find('#');
        const std::string File = Hash == 0 ? Page : Target.substr(0, Hash);
        const auto Found = Pages.find(File);
        if (Found == Pages.end())
            return "no page " + File;
        if (Hash != std::string::npos && !Anchors(Found->second).count(Target.substr(Hash + 1)))
            return "no anchor in " + File;
        return {};
    }
};

TEST_F(TManualTest, EveryLocalLinkResolvesAndEveryPageIsReachable) {
    std::set<std::string> Reached{"index.html"};
    for (const auto& [Page, Html] : Pages) {
        EXPECT_NE(Html.find("<meta charset=\"utf-8\">"), std::string::npos) << Page;
        for (const TLink& Link : Links(Html)) {
            if (Link.Target.rfind("http", 0) == 0 || Link.Target.rfind("mailto:", 0) == 0)
                continue;
            EXPECT_EQ(Broken(Page, Link.Target), "") << Page << " -> " << Link.Target;
            Reached.insert(Link.Target.substr(0, Link.Target.find('#')));
        }
    }
    for (const auto& [Page, Html] : Pages)
        EXPECT_TRUE(Reached.count(Page)) << Page << " is linked from no page";
}

// Help on Current Word reads the same list: each word must lead where its entry points.
TEST_F(TManualTest, EveryIndexEntryLeadsToItsAnchor) {
    const std::string& Index = Pages.at("index.html");
    const auto Words = Index.find("id=\"words\"");
    ASSERT_NE(Words, std::string::npos);
    const auto Entries = Links(Index.substr(Words));
    ASSERT_FALSE(Entries.empty());
    std::set<std::string> Seen;
    for (const TLink& Entry : Entries) {
        SCOPED_TRACE(Entry.Text);
        EXPECT_NE(Entry.Target.find('#'), std::string::npos);
        EXPECT_EQ(Broken("index.html", Entry.Target), "");
        // A word listed twice would hide its second entry.
        std::string Lower = Entry.Text;
        for (char& C : Lower)
            C = char(std::tolower(static_cast<unsigned char>(C)));
        EXPECT_TRUE(Seen.insert(Lower).second) << "listed twice";
        EXPECT_EQ(ManualTargetOfWord(Index, Entry.Text), Entry.Target);
    }
}

// Only the list of words counts: the contents name subjects, not words.
TEST(TManualIndexTest, OnlyTheListOfWordsIsSearched) {
    const std::string Index = R"(<ul><li><a href="options.html">Options</a></li></ul>
<ul id="words"><li><a href="keys.html#ctrl-tab">Ctrl+Tab</a></li>
<li><a href="tools.html#opts">ViewOptions</a></li></ul>)";
    EXPECT_EQ(ManualTargetOfWord(Index, "options"), "");
    EXPECT_EQ(ManualTargetOfWord(Index, "viewoptions"), "tools.html#opts");
    EXPECT_EQ(ManualTargetOfWord(Index, ""), "");
    EXPECT_EQ(ManualTargetOfWord("<a href=\"a.html#b\">word</a>", "word"), "");
}

} // namespace
} // namespace korvid::test

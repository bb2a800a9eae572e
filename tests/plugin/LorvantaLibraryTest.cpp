// The built plug-in file, loaded as the editor loads it: by path, bound by export name.

#include <dlfcn.h>

#include <cctype>
#include <cstdint>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plugin/ColouringPlugin.h"
#include "plugin/Tokeniser.h"
#include "tests/plugin/FakeHost.h"
#include "tests/support/ElfDynamicInfo.h"

namespace korvid::test {
namespace {

const char* const LibraryPath = LORVANTA_LIBRARY_PATH;

struct TCloseLibrary {
    void operator()(void* Handle) const { dlclose(Handle); }
};

class TLorvantaLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        FHandle.reset(dlopen(LibraryPath, RTLD_NOW | RTLD_LOCAL));
        ASSERT_NE(FHandle, nullptr) << dlerror();
        QueryDLL = Bind<TKorvidQueryDLL>(KorvidQueryDLLName);
        EnumDefaultColours = Bind<TKorvidEnumDefaultColours>(KorvidEnumDefaultColoursName);
        EnumElements = Bind<TKorvidEnumElements>(KorvidEnumElementsName);
        EnumChunks = Bind<TKorvidEnumChunks>(KorvidEnumChunksName);
        ASSERT_TRUE(QueryDLL && EnumDefaultColours && EnumElements && EnumChunks);
    }

    template <typename TFunction> TFunction Bind(const char* Name) {
        return reinterpret_cast<TFunction>(dlsym(FHandle.get(), Name));
    }

    std::unique_ptr<void, TCloseLibrary> FHandle;
    TKorvidQueryDLL QueryDLL = nullptr;
    TKorvidEnumDefaultColours EnumDefaultColours = nullptr;
    TKorvidEnumElements EnumElements = nullptr;
    TKorvidEnumChunks EnumChunks = nullptr;
};

TEST_F(TLorvantaLibrary, ExportsExactlyTheFourFunctions) {
    EXPECT_EQ(std::string(LibraryPath).substr(std::string(LibraryPath).rfind('/') + 1),
              "Lorvanta.so");
    const TDynamicInfo Info = ReadDynamicInfo(LibraryPath);
    const std::set<std::string> Four{"Korvid_QueryDLL", "Korvid_EnumDefaultColours",
                                     "Korvid_EnumElements", "Korvid_EnumChunks"};
    EXPECT_EQ(Info.DefinedSymbols, Four);
    EXPECT_EQ(Info.FunctionSymbols, Four);
}

TEST_F(TLorvantaLibrary, DependsOnNoQtOrKorvidLibrary) {
    const TDynamicInfo Info = ReadDynamicInfo(LibraryPath);
    EXPECT_FALSE(Info.Needed.empty());
    for (const std::string& Needed : Info.Needed) {
        std::string Lower = Needed;
        for (char& C : Lower)
            C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
        for (const char* Forbidden : {"qt", "korvid", "lorvanta", "platform", "gtest"})
            EXPECT_EQ(Lower.find(Forbidden), std::string::npos) << Needed;
    }
}

TEST_F(TLorvantaLibrary, ProbeOffersFeaturesOneAndThree) {
    for (const std::int32_t Feature : {std::numeric_limits<std::int32_t>::min(), -1, 0, 1, 2, 3, 4,
                                       5, 256, std::numeric_limits<std::int32_t>::max()}) {
        const std::int32_t Expected = Feature == 1 || Feature == 3 ? 1 : 0;
        EXPECT_EQ(QueryDLL(Feature), Expected) << Feature;
    }
}

struct TElementCall {
    std::int32_t Id;
    std::string Name;
    friend bool operator==(const TElementCall&, const TElementCall&) = default;
};

std::vector<TElementCall> CollectElements(TKorvidEnumElements Enum) {
    std::vector<TElementCall> Calls;
    Enum(&Calls, [](void* Data, std::int32_t Id, const char* Name) {
        static_cast<std::vector<TElementCall>*>(Data)->push_back({Id, Name});
    });
    return Calls;
}

TEST_F(TLorvantaLibrary, EnumeratesTwentyElementsInOrder) {
    const std::vector<TElementCall> Expected{
        {1, "Names"},
        {19, "Procedure names"},
        {3, "Declaration keywords"},
        {2, "Block keywords"},
        {4, "Command keywords"},
        {6, "Clause keywords"},
        {5, "Function keywords"},
        {7, "Operator keywords"},
        {18, "Type keywords"},
        {8, "Keyword `end`"},
        {9, "Style attributes"},
        {10, "Symbols"},
        {13, "Numbers"},
        {12, "Strings"},
        {11, "Pipes and braces"},
        {17, "Backslashes"},
        {14, "Comments with ;"},
        {15, "Comments with #"},
        {20, "Compiler directives (?)"},
        {21, "Assertions"},
    };
    EXPECT_EQ(CollectElements(EnumElements), Expected);
    EXPECT_EQ(CollectElements(EnumElements), Expected);
}

TEST_F(TLorvantaLibrary, ElementNamesStayValidAfterTheCall) {
    std::vector<const char*> Names;
    EnumElements(&Names, [](void* Data, std::int32_t, const char* Name) {
        static_cast<std::vector<const char*>*>(Data)->push_back(Name);
    });
    ASSERT_EQ(Names.size(), 20u);
    EXPECT_STREQ(Names.front(), "Names");
    EXPECT_STREQ(Names.back(), "Assertions");
}

struct TColourCall {
    std::uint32_t Colour;
    int Bold;
    int Italic;
    friend bool operator==(const TColourCall&, const TColourCall&) = default;
};

std::vector<TColourCall> CollectColours(TKorvidEnumDefaultColours Enum) {
    std::vector<TColourCall> Calls;
    Enum(&Calls, [](void* Data, std::uint32_t Colour, TKorvidBool Bold, TKorvidBool Italic) {
        static_cast<std::vector<TColourCall>*>(Data)->push_back({Colour, Bold, Italic});
    });
    return Calls;
}

constexpr std::uint32_t Rgb(std::uint32_t R, std::uint32_t G, std::uint32_t B) {
    return R + G * 256 + B * 65536;
}

TEST_F(TLorvantaLibrary, GivesTwentyFourDefaultColours) {
    const std::vector<TColourCall> Expected{
        {Rgb(0, 0, 0), 0, 0},       {Rgb(255, 255, 255), 0, 0}, {Rgb(255, 255, 255), 0, 0},
        {Rgb(0, 0, 128), 0, 0},     {Rgb(0, 0, 0), 0, 0},       {Rgb(0, 0, 0), 1, 0},
        {Rgb(0, 0, 128), 1, 0},     {Rgb(128, 0, 0), 1, 0},     {Rgb(0, 0, 0), 1, 0},
        {Rgb(0, 0, 128), 1, 0},     {Rgb(128, 0, 128), 1, 0},   {Rgb(0, 0, 0), 1, 0},
        {Rgb(0, 0, 128), 0, 0},     {Rgb(128, 128, 128), 1, 0}, {Rgb(0, 128, 0), 1, 0},
        {Rgb(128, 128, 128), 0, 0}, {Rgb(0, 0, 255), 0, 0},     {Rgb(0, 0, 255), 0, 0},
        {Rgb(128, 128, 255), 1, 0}, {Rgb(128, 128, 128), 1, 0}, {Rgb(0, 128, 0), 0, 1},
        {Rgb(0, 128, 0), 0, 0},     {Rgb(128, 0, 0), 1, 0},     {Rgb(192, 192, 192), 0, 0},
    };
    const std::vector<TColourCall> Calls = CollectColours(EnumDefaultColours);
    EXPECT_EQ(Calls, Expected);
    for (std::size_t I = 0; I < Calls.size(); ++I)
        EXPECT_EQ(Calls[I].Italic == 1, I == 20) << "call " << I + 1;
    EXPECT_EQ(CollectColours(EnumDefaultColours), Expected);
}

TEST_F(TLorvantaLibrary, ColoursLinesThroughTheHostsCallbacks) {
    TFakeHost Host({
        "func total.sub ; sums",
        "  var n,",
        "    'name' \\",
        "    12.5",
        ";( notes",
        "fetch x",
        "); done",
        "assert n > 0",
        "",
    });
    EXPECT_EQ(Host.ColourAsText(1, EnumChunks), (std::vector<TTextChunk>{{"func", Block},
                                                                         {" ", Blanks},
                                                                         {"total", Procedure},
                                                                         {".", Symbol},
                                                                         {"sub", Procedure},
                                                                         {" ", Blanks},
                                                                         {"; sums", SemiComment}}));
    EXPECT_EQ(Host.ColourAsText(4, EnumChunks),
              (std::vector<TTextChunk>{{"    ", Blanks}, {"12.5", Number}}));
    EXPECT_EQ(Host.ColourAsText(6, EnumChunks),
              (std::vector<TTextChunk>{{"fetch x", SemiComment}}));
    EXPECT_EQ(Host.ColourAsText(8, EnumChunks),
              (std::vector<TTextChunk>{{"assert n > 0", Assertion}}));
    EXPECT_TRUE(Host.Colour(9, EnumChunks).empty());

    // The same answers on every call, and the same as the tokeniser linked in directly.
    for (std::int32_t LineNo = 1; LineNo <= 9; ++LineNo) {
        const std::vector<TChunk> First = Host.Colour(LineNo, EnumChunks);
        EXPECT_EQ(Host.Colour(LineNo, EnumChunks), First) << "line " << LineNo;
        EXPECT_EQ(Host.Colour(LineNo, &EnumLineChunks), First) << "line " << LineNo;
    }
}

TEST_F(TLorvantaLibrary, MissingCallbacksAreIgnored) {
    EnumElements(nullptr, nullptr);
    EnumDefaultColours(nullptr, nullptr);
    EnumChunks(nullptr, "if x", 4, 1, nullptr, nullptr);
    SUCCEED();
}

} // namespace
} // namespace korvid::test

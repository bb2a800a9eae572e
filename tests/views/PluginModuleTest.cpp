#include "views/PluginModule.h"
#include "views/ColouringBinding.h"
#include "views/View.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace korvid {
namespace {

TEST(PluginModuleTest, ProbeAnswersTrueOnlyForAnExactOne) {
    struct TCase {
        const char* Path;
        int Kind;
        bool Expected;
    };
    const TCase Cases[] = {
        {LORVANTA_LIBRARY_PATH, 1, true},
        {LORVANTA_LIBRARY_PATH, 3, true},
        {LORVANTA_LIBRARY_PATH, 2, false},
        {LORVANTA_LIBRARY_PATH, 0, false},
        {STANDIN_PROBE2_PATH, 1, false},
        {STANDIN_PROBE257_PATH, 1, false},
        {STANDIN_NOCHUNKS_PATH, 1, true},
        {"/no/such/Plugin.so", 1, false},
        {"", 1, false},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(QueryColouringDLL(nullptr, Case.Path, Case.Kind), Case.Expected)
            << Case.Path << " kind " << Case.Kind;
}

TEST(PluginModuleTest, AFileThatIsNoLibraryLoadsNothing) {
    test::TTempDir Dir;
    test::WriteFileBytes(Dir / "Broken.so", "not a library");
    EXPECT_EQ(TPluginModule::Load(Dir / "Broken.so"), nullptr);
    EXPECT_EQ(TPluginModule::Load(Dir / "Missing.so"), nullptr);
    EXPECT_FALSE(QueryColouringDLL(nullptr, Dir / "Broken.so", 1));
}

TEST(PluginModuleTest, AGivenModuleIsAskedAndKept) {
    auto Module = TPluginModule::Load(LORVANTA_LIBRARY_PATH);
    ASSERT_NE(Module, nullptr);
    EXPECT_TRUE(QueryColouringDLL(Module.get(), "/ignored/when/a/module/is/given.so", 1));
    EXPECT_NE(Module->Function<TKorvidEnumChunks>(KorvidEnumChunksName), nullptr);
    EXPECT_EQ(Module->Function<TKorvidEnumChunks>("NoSuchExport"), nullptr);
}

TEST(ColouringBindingTest, BindsOnlyAPluginThatPassesTheProbeAndHasChunks) {
    struct TCase {
        const char* Path;
        bool UseDll;
        bool Loaded;
        bool Bound;
    };
    const TCase Cases[] = {
        {LORVANTA_LIBRARY_PATH, true, true, true},  {LORVANTA_LIBRARY_PATH, false, false, false},
        {STANDIN_PROBE2_PATH, true, true, false},   // loaded, not used
        {STANDIN_PROBE257_PATH, true, true, false}, // only the whole value 1 counts
        {STANDIN_NOCHUNKS_PATH, true, true, false}, {"/no/such/Plugin.so", true, false, false},
    };
    for (const TCase& Case : Cases) {
        TView View;
        View.UseDll = Case.UseDll;
        View.SetDll(Case.Path);
        TColouringBinding Binding;
        EXPECT_EQ(Binding.Bind(View), Case.Bound) << Case.Path;
        EXPECT_EQ(Binding.PluginModule() != nullptr, Case.Loaded) << Case.Path;
        EXPECT_EQ(Binding.EnumChunks() != nullptr, Case.Bound) << Case.Path;
        Binding.Unbind();
        EXPECT_EQ(Binding.PluginModule(), nullptr);
        EXPECT_EQ(Binding.EnumChunks(), nullptr);
    }
}

TEST(ColouringBindingTest, BindingAnotherViewFreesTheFirstPlugin) {
    TView Failing;
    Failing.UseDll = true;
    Failing.SetDll(STANDIN_PROBE2_PATH);
    TView Plain;
    TColouringBinding Binding;
    Binding.Bind(Failing);
    ASSERT_NE(Binding.PluginModule(), nullptr);
    EXPECT_FALSE(Binding.Bind(Plain));
    EXPECT_EQ(Binding.PluginModule(), nullptr);
}

// The program's own plug-in named without a folder, from a program in a build tree or installed.
TEST(PluginModuleTest, ABareNameIsFoundBesideTheProgramOrInItsLibraryFolder) {
    test::TTempDir Dir;
    for (const char* Folder : {"build/app", "build/plugin", "usr/bin", "usr/lib/korvid", "alone"})
        std::filesystem::create_directories(Dir / Folder);
    test::WriteFileBytes(Dir / "build/plugin/Lorvanta.so", "");
    test::WriteFileBytes(Dir / "usr/lib/korvid/Lorvanta.so", "");
    test::WriteFileBytes(Dir / "alone/Lorvanta.so", "");
    struct TCase {
        std::filesystem::path Name;
        std::filesystem::path ProgramFolder;
        std::filesystem::path Expected;
    };
    const TCase Cases[] = {
        {"Lorvanta.so", Dir / "build/app", Dir / "build/plugin/Lorvanta.so"},
        {"Lorvanta.so", Dir / "usr/bin", Dir / "usr/lib/korvid/Lorvanta.so"},
        {"Lorvanta.so", Dir / "alone", Dir / "alone/Lorvanta.so"},
        {"Other.so", Dir / "usr/bin", "Other.so"},
        {"lib/Lorvanta.so", Dir / "usr/bin", "lib/Lorvanta.so"},
        {"", Dir / "usr/bin", ""},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(FindPlugin(Case.Name, Case.ProgramFolder), Case.Expected)
            << Case.Name << " from " << Case.ProgramFolder;
}

} // namespace
} // namespace korvid

#include "views/PluginModule.h"
#include "views/ColouringBinding.h"
#include "views/View.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace korvid

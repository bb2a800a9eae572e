#pragma once

#include "devtools/definitions/DefsFile.h"
#include "devtools/definitions/DefsListing.h"
#include "psystem/MajorVolume.h"
#include "tests/support/TempDir.h"
#include "ui/ModalRunner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace korvid::test {

struct TFieldDef {
    int Index;
    std::string Name;
    int Type;
    int Capacity = 5;
    int Elements = 1;
    int Scale = 0;
    bool Flag = false;
    bool Forced = false;
    int FileRef = 0;
    int FieldRef = 0;
    int SecondRef = 0;
    int ThirdRef = 0;
};

void SetField(TDefsFile& File, const TFieldDef& Def);
void SetKey(TDefsFile& File, int Number, std::vector<std::array<int, 3>> Parts, bool Duplicates);
// APP.DEFS: system (months, year), customer (name, qty, price, month, orders, total; two
// keys) and orders (cust, odate, amount), laid out as the editor lays them out.
void BuildAppDefs(TDefsList& List);
std::string SerialisedImage(const TDefsList& List);

// A temporary volume work.vol holding APP.DEFS, the listings installed, message boxes recorded.
class TDefsTest : public ::testing::Test {
protected:
    void SetUp() override;

    // Stores Image as Name (kind 5) in the volume.
    void Store(const std::string& Name, const std::string& Image);
    std::string VolumePath(const std::string& Name) const;
    // The bytes of the volume's file Name.
    std::string ReadVolumeData(const std::string& Name) const;
    std::vector<std::string> Read(const std::string& Name, int Mode);
    // What the built program, started with the volume's file Name, writes of its listing.
    std::string ListingShownByProgram(const std::string& Name);
    // Runs the built program on the volume's file Name with the key script Steps; it must end
    // by itself with exit code 0.
    void RunProgram(const std::string& Name, const std::string& Steps);
    // "caption|text" of every message box shown so far.
    std::vector<std::string> Messages() const;

    TTempDir Temp;
    std::filesystem::path Volume;
    TScriptedModals Modals;
};

// True when Lines holds Wanted, after its leading blanks.
bool HasTrimmedLine(const std::vector<std::string>& Lines, const std::string& Wanted);
std::size_t IndexOfLine(const std::vector<std::string>& Lines, const std::string& Wanted);

} // namespace korvid::test

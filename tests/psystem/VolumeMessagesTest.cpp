#include "tests/psystem/VolumeTestSupport.h"

#include "ui/ModalRunner.h"

namespace korvid::test {
namespace {

// Without a handler of its own, a volume warning is a message box.
TEST(VolumeMessages, WarningsAreMessageBoxes) {
    const TVolumeWarningHandler Old = SetVolumeWarningHandler({});
    TTempDir Temp;
    const auto Path = Temp / "small.vol";
    ASSERT_TRUE(CreateVolumeFile(Path, "SMALL", 10)); // 4 blocks of room
    TMajorVolume V(Path, true);
    const std::string Big(5 * 512, 'x');
    TScriptedModals Modals;
    Modals.Press("OK");
    EXPECT_FALSE(V.SaveBytes("BIG", Big.data(), fkText, std::ssize(Big)));
    SetVolumeWarningHandler(Old);
    ASSERT_EQ(Modals.Shown().size(), 1u);
    const TMessageFormState& Box = *Modals.Last().Message;
    EXPECT_EQ(Box.Caption, "Unable to save file");
    EXPECT_EQ(Box.Text, "There is not enough room in volume SMALL.");
    EXPECT_EQ(Box.Icon, TMessageIcon::Warning);
    EXPECT_EQ(Box.Buttons, std::vector<std::string>({"OK"}));
    EXPECT_EQ(Modals.Unanswered(), 0);
}

// Pack refusals are information boxes; the truncation warning comes from the catalogue.
TEST(VolumeMessages, PackAndTruncationMessages) {
    const TVolumeWarningHandler Old = SetVolumeWarningHandler({});
    TScriptedModals Modals;
    Modals.Press("OK").Press("OK");
    ShowPackFilesMessage("Too many files in volume BIG");
    ShowPSystemLinesTruncatedMessage();
    SetVolumeWarningHandler(Old);
    ASSERT_EQ(Modals.Shown().size(), 2u);
    const TMessageFormState& Pack = *Modals.Shown()[0].Message;
    EXPECT_EQ(Pack.Caption, "Pack Files");
    EXPECT_EQ(Pack.Text, "Too many files in volume BIG");
    EXPECT_EQ(Pack.Icon, TMessageIcon::Information);
    const TMessageFormState& Cut = *Modals.Shown()[1].Message;
    EXPECT_EQ(Cut.Caption, "Save p-System File");
    EXPECT_EQ(Cut.Text,
              "One or more lines contain more than 255 characters, and will be truncated.");
    EXPECT_EQ(Modals.Unanswered(), 0);
}

} // namespace
} // namespace korvid::test

#include "FormFixture.h"

#include "foundation/FileReader.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QStatusBar>

#include <cstdint>
#include <fstream>
#include <optional>
#include <string>

namespace korvid::test {
namespace {

// Resident bytes of this process, from /proc/self/status.
std::int64_t ResidentBytes() {
    std::ifstream Status("/proc/self/status");
    for (std::string Line; std::getline(Status, Line);)
        if (Line.starts_with("VmRSS:"))
            return std::stoll(Line.substr(6)) * 1024;
    return 0;
}

class TOpenGuardTest : public TFormTest {
protected:
    int Reads = 0;

    // The ordinary reader in steps of StepSize, counting the reads; Hook runs after each step
    // the window was told of.
    void UseReader(std::size_t StepSize, std::function<void(int Step)> Hook = {}) {
        OpenSetup.Reader = [this, StepSize, Hook](const std::filesystem::path& Name,
                                                  const TReadStep& Step) {
            ++Reads;
            int Steps = 0;
            return ReadWholeFile(
                Name,
                [&](std::uint64_t Done, std::uint64_t Total) {
                    const bool GoOn = Step(Done, Total);
                    if (Hook)
                        Hook(++Steps);
                    return GoOn;
                },
                StepSize);
        };
    }
};

TEST_F(TOpenGuardTest, AFileTooLargeForTheMemoryLeftIsRefusedBeforeItIsRead) {
    // Seven bytes take 21 at the open's peak.
    const struct {
        std::optional<std::uint64_t> Available;
        bool Opens;
    } Cases[] = {{20, false}, {21, true}, {1 << 20, true}, {std::nullopt, true}};
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Available.value_or(0));
        Reads = 0;
        UseReader(DefaultReadStep);
        OpenSetup.AvailableMemory = [&Case] { return Case.Available; };
        MakeForm();
        const auto Name = File("seven.txt", "hello\r\n");
        TScriptedModals Modals;
        if (!Case.Opens)
            Modals.Press("OK");
        Form->OpenFile(Name, false, {});
        if (Case.Opens) {
            EXPECT_TRUE(Modals.Shown().empty());
            EXPECT_EQ(Form->TabCount(), 1);
            continue;
        }
        ASSERT_EQ(Modals.Shown().size(), 1u);
        EXPECT_NE(Modals.Last().Message->Text.find("too large to open"), std::string::npos);
        EXPECT_EQ(Form->TabCount(), 0);
        EXPECT_EQ(Reads, 0);
        // Reading into a list turns it away too, without a word.
        std::vector<std::string> Target{"kept"};
        Form->LoadFileIntoEditor(Name, Target);
        EXPECT_EQ(Target, std::vector<std::string>{"kept"});
        EXPECT_EQ(Modals.Shown().size(), 1u);
        EXPECT_EQ(Reads, 0);
    }
}

TEST_F(TOpenGuardTest, EscAfterTheFirstProgressStepLeavesNoTabNoDocumentAndNoBuffer) {
    constexpr std::size_t Step = 16 << 20;
    const auto Name = File("big.txt", std::string(4 * Step, 'x'));
    OpenSetup.ProgressDelay = std::chrono::milliseconds(0);
    std::string Progress;
    UseReader(Step, [this, &Progress](int Number) {
        if (Number != 1 || !Progress.empty())
            return;
        Progress = Form->statusBar()->currentMessage().toStdString();
        QCoreApplication::postEvent(
            Form.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    });
    MakeForm();
    const std::int64_t Before = ResidentBytes();
    Form->OpenFile(Name, false, {});

    EXPECT_NE(Progress.find("25%"), std::string::npos) << Progress;
    EXPECT_NE(Progress.find("Esc"), std::string::npos) << Progress;
    EXPECT_EQ(Form->TabCount(), 0);
    EXPECT_EQ(Form->FindTabOfFile(Name), nullptr);
    EXPECT_EQ(Form->statusBar()->currentMessage(), "");
#ifndef __SANITIZE_ADDRESS__ // the sanitizer holds freed memory back on purpose
    EXPECT_LT(ResidentBytes() - Before, static_cast<std::int64_t>(Step))
        << "the buffer of the stopped read is still held";
#endif
    static_cast<void>(Before);

    // The window is as it was: the next file opens.
    Form->OpenFile(File("small.txt", "one\r\n"), false, {});
    ASSERT_EQ(Form->TabCount(), 1);
    EXPECT_EQ(ActiveText(), "one\n");
}

} // namespace
} // namespace korvid::test

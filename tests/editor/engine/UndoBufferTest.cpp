#include "editor/engine/UndoBuffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvid {
namespace {

class UndoBufferTest : public ::testing::Test {
protected:
    std::vector<TNodeHandle> Released;
    TUndoBuffer::TReleaseNode Release() {
        return [this](TNodeHandle H) { Released.push_back(H); };
    }
};

TEST_F(UndoBufferTest, TypingMergesIntoOneRecord) {
    TUndoBuffer Undo(8192, Release());
    for (int I = 0; I < 3; ++I)
        ASSERT_TRUE(Undo.Record(ukInsertText, false, 1, 1 + I, std::string(1, "abc"[I])));
    EXPECT_EQ(Undo.UndoCount(), 1);
    EXPECT_EQ(Undo.Free(), 8192u - 19u); // 3 characters + 16
    const auto Rec = Undo.Current();
    EXPECT_EQ(Rec->Kind, ukInsertText);
    EXPECT_EQ(Rec->Text, "abc");
    EXPECT_EQ(Rec->Pos, 1);
}

TEST_F(UndoBufferTest, DeletionsMergeForwardsAndBackwards) {
    TUndoBuffer Undo(8192, Release());
    Undo.Record(ukDeleteText, false, 1, 5, "c"); // Backspace three times
    Undo.Record(ukDeleteText, false, 1, 4, "b");
    Undo.Record(ukDeleteText, false, 1, 3, "a");
    EXPECT_EQ(Undo.UndoCount(), 1);
    EXPECT_EQ(Undo.Current()->Text, "abc");
    EXPECT_EQ(Undo.Current()->Pos, 3);
    Undo.Record(ukDeleteText, false, 2, 1, "x"); // Delete twice in another paragraph
    Undo.Record(ukDeleteText, false, 2, 1, "y");
    EXPECT_EQ(Undo.UndoCount(), 2);
    EXPECT_EQ(Undo.Current()->Text, "xy");
}

TEST_F(UndoBufferTest, ReplacementsMerge) {
    TUndoBuffer Undo(8192, Release());
    Undo.RecordReplace(false, 1, 1, "X", "a");
    Undo.RecordReplace(false, 1, 2, "YZ", "b");
    ASSERT_EQ(Undo.UndoCount(), 1);
    const auto Rec = Undo.Current();
    EXPECT_EQ(Rec->Text, "ab");
    EXPECT_EQ(Rec->NewText, "XYZ");
    EXPECT_EQ(Undo.Free(), 8192u - (16 + 2 + 3 + 2));
}

// A replacement continues a record only where the recorded new text ends; merging at the end
// of the old text would make undo restore the wrong stretch when the lengths differ.
TEST_F(UndoBufferTest, ReplacementOfAnotherLengthMergesAtTheNewTextsEnd) {
    TUndoBuffer Undo(8192, Release());
    Undo.RecordReplace(false, 1, 1, "XYZ", "ab");
    Undo.RecordReplace(false, 1, 3, "q", "c"); // where the old text ended: inside "XYZ"
    EXPECT_EQ(Undo.UndoCount(), 2);
    Undo.RecordReplace(false, 1, 4, "r", "d"); // right after the last new text
    EXPECT_EQ(Undo.UndoCount(), 2);
    EXPECT_EQ(Undo.Current()->Text, "cd");
    EXPECT_EQ(Undo.Current()->NewText, "qr");
}

TEST_F(UndoBufferTest, WhatNeverMerges) {
    TUndoBuffer Undo(8192, Release());
    Undo.Record(ukInsertText, false, 1, 1, "a");
    Undo.Record(ukInsertText, false, 1, 5, "b"); // not where the text ends
    Undo.Record(ukInsertText, false, 2, 6, "c"); // another paragraph
    Undo.Record(ukCaret, false, 2, 7, {});
    Undo.Record(ukCaret, false, 2, 7, {});
    EXPECT_EQ(Undo.UndoCount(), 5);
    const bool Outer = Undo.BeginGroup();
    Undo.Record(ukInsertText, false, 3, 1, "a");
    Undo.Record(ukInsertText, false, 3, 2, "b"); // inside a group
    Undo.EndGroup(Outer);
    EXPECT_EQ(Undo.UndoCount(), 7);
    EXPECT_EQ(Undo.UndoGroupCount(), 6);
}

TEST_F(UndoBufferTest, GroupsUndoAndRedoTogether) {
    TUndoBuffer Undo(8192, Release());
    Undo.Record(ukInsertText, false, 1, 1, "x");
    const bool Outer = Undo.BeginGroup();
    EXPECT_FALSE(Outer);
    EXPECT_TRUE(Undo.BeginGroup()); // nested: no effect
    Undo.Record(ukCaret, true, 1, 2, {});
    Undo.EndGroup(true);
    Undo.Record(ukDeleteText, true, 1, 2, "y");
    Undo.EndGroup(Outer);
    const int Group = Undo.GroupOfNextUndo();
    auto Rec = Undo.UndoStep();
    EXPECT_EQ(Rec->Kind, ukDeleteText);
    EXPECT_EQ(Undo.GroupOfNextUndo(), Group);
    Rec = Undo.UndoStep();
    EXPECT_EQ(Rec->Kind, ukCaret);
    EXPECT_NE(Undo.GroupOfNextUndo(), Group);
    EXPECT_EQ(Undo.RedoCount(), 2);
    EXPECT_EQ(Undo.GroupOfNextRedo(), Group);
    Rec = Undo.RedoStep(false);
    EXPECT_EQ(Rec->Kind, ukCaret);
    EXPECT_FALSE(Rec->Modified); // redo writes the flag it is given
    // A new record drops what could be redone.
    Undo.Record(ukInsertText, false, 5, 1, "z");
    EXPECT_FALSE(Undo.CanRedo());
    EXPECT_EQ(Undo.GroupOfNextRedo(), -1);
}

TEST_F(UndoBufferTest, MarkAllModified) {
    TUndoBuffer Undo(8192, Release());
    Undo.Record(ukInsertText, false, 1, 1, "a");
    Undo.Record(ukInsertText, false, 2, 1, "b");
    Undo.UndoStep();
    Undo.MarkAllModified();
    EXPECT_TRUE(Undo.Current()->Modified);
    EXPECT_TRUE(Undo.Current()->ModifiedAfter);
    const auto Redone = Undo.RedoStep(true);
    EXPECT_TRUE(Redone->Modified);
    EXPECT_TRUE(Redone->ModifiedAfter);
}

// Saved between "a" and "b": the record before the save ends unmodified, the one after it
// starts so; every other side of a record is modified.
TEST_F(UndoBufferTest, MarkSavedLeavesOnlyTheSavedPositionUnmodified) {
    TUndoBuffer Undo(8192, Release());
    Undo.Record(ukInsertText, false, 1, 1, "x");
    Undo.Record(ukInsertText, true, 2, 1, "a");
    Undo.Record(ukInsertText, true, 3, 1, "b");
    Undo.Record(ukInsertText, true, 4, 1, "c");
    Undo.UndoStep();
    Undo.UndoStep();
    Undo.MarkSaved();
    EXPECT_TRUE(Undo.Current()->Modified);
    EXPECT_FALSE(Undo.Current()->ModifiedAfter);
    Undo.UndoStep();
    EXPECT_TRUE(Undo.Current()->ModifiedAfter);
    Undo.RedoStep(true);
    const auto B = Undo.RedoStep(false);
    EXPECT_FALSE(B->Modified);
    EXPECT_TRUE(B->ModifiedAfter);
    const auto C = Undo.RedoStep(true);
    EXPECT_TRUE(C->Modified);
    EXPECT_TRUE(C->ModifiedAfter);
    // Text typed on at the saved position never merges into the record that ends there.
    Undo.UndoStep();
    Undo.UndoStep();
    Undo.Record(ukInsertText, false, 2, 2, "d");
    EXPECT_EQ(Undo.UndoCount(), 3);
    EXPECT_EQ(Undo.Current()->Text, "d");
}

TEST_F(UndoBufferTest, PurgeFreesAtLeastASixteenth) {
    TUndoBuffer Undo(8192, Release());
    const std::string Data(100, 'd');
    int Para = 1;
    while (Undo.Free() >= Data.size() + 16)
        ASSERT_TRUE(Undo.Record(ukInsertText, false, Para++, 1, Data));
    const int Before = Undo.UndoCount();
    ASSERT_TRUE(Undo.Record(ukInsertText, false, Para++, 1, Data));
    EXPECT_LT(Undo.UndoCount(), Before);
    EXPECT_GE(Undo.Free() + Data.size() + 16, 8192u / 16);
    // The records left are intact: undo them all.
    int Count = 0;
    while (auto Rec = Undo.UndoStep()) {
        EXPECT_EQ(Rec->Text, Data);
        EXPECT_EQ(Rec->Para, --Para);
        ++Count;
    }
    EXPECT_EQ(Count, Undo.RedoCount());
}

TEST_F(UndoBufferTest, TooLargeRecordClearsTheHistory) {
    TUndoBuffer Undo(8192, Release());
    Undo.Record(ukInsertText, false, 1, 1, "a");
    EXPECT_FALSE(Undo.Record(ukInsertText, false, 2, 1, std::string(8192, 'x')));
    EXPECT_FALSE(Undo.CanUndo());
    // Inside a group, recording stops for the rest of the group so no partial group remains.
    const bool Outer = Undo.BeginGroup();
    Undo.Record(ukInsertText, false, 1, 1, "a");
    EXPECT_FALSE(Undo.Record(ukInsertText, false, 2, 1, std::string(9000, 'x')));
    EXPECT_TRUE(Undo.Suspended());
    EXPECT_FALSE(Undo.Record(ukInsertText, false, 3, 1, "b"));
    Undo.EndGroup(Outer);
    EXPECT_FALSE(Undo.CanUndo());
    EXPECT_TRUE(Undo.Record(ukInsertText, false, 3, 1, "b"));
}

// Sizes are 32-bit: a record of 65,520 bytes of data must not wrap to a tiny size.
TEST_F(UndoBufferTest, SizesDoNotWrapAt16Bits) {
    TUndoBuffer Undo(TUndoBuffer::MaxSize, Release());
    EXPECT_FALSE(Undo.Record(ukInsertText, false, 1, 1, std::string(65520, 'x')));
    EXPECT_FALSE(Undo.RecordReplace(false, 1, 1, std::string(40000, 'n'), std::string(30000, 'o')));
    EXPECT_TRUE(Undo.Record(ukInsertText, false, 1, 1, std::string(65519, 'x')));
    EXPECT_EQ(Undo.Free(), 0u);
    EXPECT_EQ(Undo.Current()->Text.size(), 65519u);
    // Extending the only record past the buffer writes a record of its own instead.
    EXPECT_TRUE(Undo.Record(ukInsertText, false, 1, 65520, "yy"));
    EXPECT_EQ(Undo.UndoCount(), 1);
    EXPECT_EQ(Undo.Current()->Text, "yy");
}

TEST_F(UndoBufferTest, ExtensionWithoutRoomStartsANewRecord) {
    TUndoBuffer Undo(64, Release());
    Undo.Record(ukInsertText, false, 1, 1, std::string(40, 'a'));
    EXPECT_TRUE(Undo.Record(ukInsertText, false, 1, 41, std::string(10, 'b')));
    EXPECT_EQ(Undo.UndoCount(), 1);
    EXPECT_EQ(Undo.Current()->Text, std::string(10, 'b'));
    EXPECT_EQ(Undo.Current()->Pos, 41);
}

// A removed paragraph is owned by the record that removed it while it can be undone, and by
// the record that inserted it once that was undone; discarding the owner releases it.
TEST_F(UndoBufferTest, NodeOwnership) {
    TUndoBuffer Undo(8192, Release());
    Undo.RecordNode(ukInsertPara, false, 1, 1, 11);
    Undo.RecordNode(ukDeletePara, false, 2, 1, 12);
    Undo.RecordNode(ukInsertParaAfter, false, 3, 1, 13);
    Undo.UndoStep(); // 13 is now out of the text, held by its redo record
    Undo.Record(ukInsertText, false, 1, 1, "x"); // drops the redo record
    EXPECT_EQ(Released, (std::vector<TNodeHandle>{13}));
    Undo.Clear(); // 12 was deleted; 11 is in the text
    EXPECT_EQ(Released, (std::vector<TNodeHandle>{13, 12}));
    EXPECT_EQ(Undo.UndoCount(), 0);
    EXPECT_EQ(Undo.GroupOfNextUndo(), -1);
}

TEST_F(UndoBufferTest, NoBufferAtAll) {
    TUndoBuffer Undo(0, Release());
    EXPECT_EQ(Undo.Size(), 0u);
    EXPECT_FALSE(Undo.RecordNode(ukDeletePara, false, 1, 1, 5));
    EXPECT_FALSE(Undo.CanUndo());
    EXPECT_FALSE(Undo.UndoStep().has_value());
}

} // namespace
} // namespace korvid

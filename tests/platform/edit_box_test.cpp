#include "platform/window_model.h"

#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

namespace dealcast::platform {
namespace {

class EditBoxTest : public ::testing::Test {
protected:
    EditBoxTest()
    {
        box = static_cast<EditBox*>(
            window.add({.name = "编辑框_微信模板", .kind = ControlKind::EditBox, .flags = kMultiLine}));
        window.subscribe([this](const Change& c) {
            std::lock_guard lock(mutex);
            changes.push_back(c);
        });
    }

    std::vector<Change> changesOf(ChangeKind kind)
    {
        std::lock_guard lock(mutex);
        std::vector<Change> out;
        for (const Change& c : changes) {
            if (c.kind == kind)
                out.push_back(c);
        }
        return out;
    }

    WindowModel window{"test", 100, 100};
    EditBox* box = nullptr;
    std::mutex mutex;
    std::vector<Change> changes;
};

TEST_F(EditBoxTest, ReplaceSelectionCountsCodePointsAndLeavesTheCaretAfterTheInsert)
{
    struct Case {
        std::string text;
        int start, length;
        std::string insert;
        std::string expected;
        int caret;
    };
    const Case cases[] = {
        {"标题：\r\n价格", 3, 0, "[标题]", "标题：[标题]\r\n价格", 7},  // caret inside multi-byte text
        {"ab", 0, 0, "[图]", "[图]ab", 3},
        {"a价格b", 1, 2, "[券后价]", "a[券后价]b", 6},  // replaces the selection
        {"ab", 1, 99, "X", "aX", 2},                    // selection clamped to the end
        {"ab", 7, 0, "X", "abX", 3},                    // caret past the end: at the end
        {"a😀b", 2, 0, "X", "a😀Xb", 3},                  // 4-byte character is one code point
        {"abc", 1, 1, "", "ac", 1},                     // empty insert deletes the selection
    };
    for (const Case& c : cases) {
        box->setText(c.text);
        box->setSelection(c.start, c.length);
        box->replaceSelection(c.insert);
        EXPECT_EQ(box->text(), c.expected) << c.text;
        EXPECT_EQ(box->selection(), (TextSelection{c.caret, 0})) << c.text;
    }
}

TEST_F(EditBoxTest, SetTextKeepsTheSelectionInsideTheNewText)
{
    box->setText("0123456789");
    box->setSelection(4, 3);
    box->setText("0123456789abc");
    EXPECT_EQ(box->selection(), (TextSelection{4, 3}));  // a front-end typing keeps its caret
    box->setText("01234");
    EXPECT_EQ(box->selection(), (TextSelection{4, 1}));
    box->setText("");
    EXPECT_EQ(box->selection(), (TextSelection{0, 0}));
}

TEST_F(EditBoxTest, AppendNotifiesTheAppendedPieceOnly)
{
    box->setText("*");
    changes.clear();
    box->append("[09:05:07] >>>> a\r\n");
    box->append("");
    box->append("[09:05:08] >>>> b\r\n");

    const auto appended = changesOf(ChangeKind::Appended);
    ASSERT_EQ(appended.size(), 2u);
    EXPECT_EQ(appended[0].text, "[09:05:07] >>>> a\r\n");
    EXPECT_EQ(appended[1].text, "[09:05:08] >>>> b\r\n");
    EXPECT_LT(appended[0].revision, appended[1].revision);
    EXPECT_EQ(appended[0].control, box);
    EXPECT_EQ(changes.size(), 2u);  // no whole-text change alongside
    EXPECT_EQ(box->text(), "*[09:05:07] >>>> a\r\n[09:05:08] >>>> b\r\n");
}

TEST_F(EditBoxTest, SettersGivenTheCurrentValueDoNotNotify)
{
    box->setText("x");
    box->setSelection(1, 0);
    box->setReadOnly(true);
    changes.clear();
    box->setText("x");
    box->setSelection(1, 0);
    box->setSelection(5, 5);  // clamps to the same caret
    box->setReadOnly(true);
    box->replaceSelection("");
    EXPECT_TRUE(changes.empty());
}

// A front-end mirrors the box from a snapshot and the appends after it; concurrent appends must neither be
// lost nor counted twice when it skips those at or below the snapshot's revision.
TEST_F(EditBoxTest, SnapshotAndLaterAppendsRebuildTheText)
{
    constexpr int kLines = 2000;
    std::thread writer([&] {
        for (int i = 0; i < kLines; ++i)
            box->append("line " + std::to_string(i) + "\r\n");
    });
    while (box->text().size() < 1000)
        std::this_thread::yield();
    const EditBox::Snapshot snap = box->snapshot();
    writer.join();

    std::string mirror = snap.text;
    for (const Change& c : changesOf(ChangeKind::Appended)) {
        if (c.revision > snap.revision)
            mirror += c.text;
    }
    EXPECT_EQ(mirror, box->text());
}

}  // namespace
}  // namespace dealcast::platform

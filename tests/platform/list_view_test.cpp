#include "platform/window_model.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace dealcast::platform {
namespace {

using Cells = std::vector<std::string>;

ControlDecl queueDecl()
{
    return {.name = "超级列表框_待推送列表",
            .kind = ControlKind::ListView,
            .flags = kCheckBoxes,
            .items = {"序号", "商品信息", "状态", "来源"}};
}

TEST(ListView, FourThreadsTakingRowsTakeEveryRowExactlyOnce)
{
    WindowModel window("test", 100, 100);
    auto* list = static_cast<ListView*>(window.add(queueDecl()));
    constexpr int kRows = 4000;
    for (int i = 0; i < kRows; ++i)
        list->append({std::to_string(i), "商品" + std::to_string(i), "待发", "单品"});

    std::vector<std::vector<std::string>> taken(4);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            while (auto row = list->takeRow(0))
                taken[static_cast<std::size_t>(t)].push_back((*row)[0]);
        });
    }
    for (auto& th : threads)
        th.join();

    std::multiset<std::string> all;
    for (const auto& v : taken)
        all.insert(v.begin(), v.end());
    EXPECT_EQ(all.size(), static_cast<std::size_t>(kRows));
    for (int i = 0; i < kRows; ++i)
        EXPECT_EQ(all.count(std::to_string(i)), 1u) << i;
    EXPECT_EQ(list->rowCount(), 0);
}

// Find-and-modify under one lock: workers claim waiting rows by state; no row is claimed twice even
// while another thread keeps inserting at the top.
TEST(ListView, WithRowsMakesFindAndModifyOneStep)
{
    WindowModel window("test", 100, 100);
    auto* list = static_cast<ListView*>(window.add(queueDecl()));
    constexpr int kRows = 1000;
    for (int i = 0; i < kRows; ++i)
        list->append({std::to_string(i), "商品", "待发", "采集"});

    std::atomic<int> claims{0};
    std::atomic<bool> stop{false};
    std::thread inserter([&] {
        for (int i = 0; i < 2000 && !stop; ++i)
            list->insert(0, {"x", "新商品", "未发", "监控"});
    });
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t) {
        workers.emplace_back([&, t] {
            while (true) {
                const bool got = list->withRows([&](ListView::Rows& rows) {
                    const int row = rows.find(2, "待发");
                    if (row < 0)
                        return false;
                    rows.setCell(row, 2, "worker" + std::to_string(t));
                    return true;
                });
                if (!got)
                    break;
                ++claims;
            }
        });
    }
    for (auto& th : workers)
        th.join();
    stop = true;
    inserter.join();

    EXPECT_EQ(claims, kRows);
    int claimed = 0;
    for (const ListRow& row : list->rows())
        claimed += row.cells[2].starts_with("worker") ? 1 : 0;
    EXPECT_EQ(claimed, kRows);
}

TEST(ListView, CurrentRowFollowsItsRowAndIndexesOutOfRangeChangeNothing)
{
    WindowModel window("test", 100, 100);
    auto* list = static_cast<ListView*>(window.add(queueDecl()));
    for (const char* id : {"a", "b", "c"})
        list->append({id});
    ASSERT_TRUE(list->setCurrentRow(1));
    list->insert(0, {"z"});
    EXPECT_EQ(list->currentRow(), 2);
    EXPECT_EQ(list->cell(list->currentRow(), 0), "b");
    list->remove(0);
    EXPECT_EQ(list->currentRow(), 1);
    list->remove(1);
    EXPECT_EQ(list->currentRow(), -1);

    EXPECT_EQ(list->insert(99, {"end"}), 2);  // clamped to an append
    EXPECT_EQ(list->insert(-5, {"top"}), 0);
    EXPECT_FALSE(list->remove(4));
    EXPECT_FALSE(list->takeRow(-1).has_value());
    EXPECT_FALSE(list->setCell(9, 0, "x"));
    EXPECT_FALSE(list->setCell(0, ListView::kMaxColumns, "x"));
    EXPECT_FALSE(list->setCurrentRow(4));
    EXPECT_EQ(list->cell(0, 7), "");
    EXPECT_TRUE(list->setCell(0, 5, "hidden value"));  // cells past the row's end are padded
    EXPECT_EQ(*list->row(0), (Cells{"top", "", "", "", "", "hidden value"}));
}

TEST(ListView, CheckBoxesOnlyWhereTheListHasThem)
{
    WindowModel window("test", 100, 100);
    auto* withBoxes = static_cast<ListView*>(window.add(queueDecl()));
    auto* plain = static_cast<ListView*>(window.add({.name = "超级列表框_计划", .kind = ControlKind::ListView}));
    for (int i = 0; i < 4; ++i) {
        withBoxes->append({std::to_string(i)}, i % 2 == 0);
        plain->append({std::to_string(i)}, true);
    }
    EXPECT_EQ(withBoxes->checkedRows(), (std::vector<int>{0, 2}));
    EXPECT_TRUE(plain->checkedRows().empty());
    EXPECT_FALSE(plain->setChecked(0, true));

    withBoxes->setAllChecked(true);
    EXPECT_EQ(withBoxes->checkedRows().size(), 4u);
    withBoxes->remove(0);
    EXPECT_EQ(withBoxes->checkedRows(), (std::vector<int>{0, 1, 2}));
}

// The notifications carry enough for a front-end to mirror the list by replaying them in revision order.
TEST(ListView, ReplayingNotificationsRebuildsTheList)
{
    WindowModel window("test", 100, 100);
    auto* list = static_cast<ListView*>(window.add(queueDecl()));
    std::mutex mutex;
    std::vector<Change> changes;
    window.subscribe([&](const Change& c) {
        std::lock_guard lock(mutex);
        changes.push_back(c);
    });

    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 300; ++i) {
                const std::string id = std::to_string(t) + "-" + std::to_string(i);
                list->insert(i % 3, {id, "商品"}, i % 2 == 0);
                list->setCell(0, 1, id);
                list->setChecked(1, i % 3 == 0);
                if (i % 4 == 0)
                    list->takeRow(list->rowCount() - 1);
            }
        });
    }
    for (auto& th : threads)
        th.join();

    std::sort(changes.begin(), changes.end(), [](const Change& a, const Change& b) { return a.revision < b.revision; });
    std::vector<ListRow> mirror;
    for (const Change& c : changes) {
        const auto at = static_cast<std::size_t>(c.index);
        switch (c.kind) {
        case ChangeKind::RowInserted:
            mirror.insert(mirror.begin() + c.index, ListRow{c.cells, c.flag, false});
            break;
        case ChangeKind::RowRemoved:
            mirror.erase(mirror.begin() + c.index);
            break;
        case ChangeKind::CellChanged:
            mirror[at].cells.resize(std::max(mirror[at].cells.size(), static_cast<std::size_t>(c.column) + 1));
            mirror[at].cells[static_cast<std::size_t>(c.column)] = c.text;
            break;
        case ChangeKind::RowChecked:
            mirror[at].checked = c.flag;
            break;
        default:
            break;
        }
    }
    EXPECT_EQ(mirror, list->rows());
}

}  // namespace
}  // namespace dealcast::platform

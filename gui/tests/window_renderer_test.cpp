#include "gui/window_renderer.h"
#include "gui_test_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <QWidget>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace dealcast::gui {
namespace {

using platform::ControlDecl;
using platform::ControlKind;
using platform::EventArgs;
using platform::EventType;
using test::processUntil;

std::vector<ControlDecl> sampleControls()
{
    return {
        {.name = "group", .kind = ControlKind::GroupBox, .caption = "分组"},
        {.name = "edit", .kind = ControlKind::EditBox, .value = "起始", .parent = "group"},
        {.name = "memo", .kind = ControlKind::EditBox, .parent = "group", .flags = platform::kMultiLine},
        {.name = "check", .kind = ControlKind::CheckBox, .caption = "勾选", .parent = "group"},
        {.name = "radioA", .kind = ControlKind::RadioBox, .caption = "甲", .value = "1", .parent = "group"},
        {.name = "radioB", .kind = ControlKind::RadioBox, .caption = "乙", .parent = "group"},
        {.name = "combo", .kind = ControlKind::ComboBox, .parent = "group", .items = {"一", "二", "三"}},
        {.name = "list",
         .kind = ControlKind::ListView,
         .parent = "group",
         .flags = platform::kCheckBoxes,
         .items = {"编号", "名称"}},
        {.name = "listMenu", .kind = ControlKind::PopupMenu, .items = {"删除", "清空"}},
        {.name = "pages", .kind = ControlKind::PageControl, .items = {"第一页", "第二页"}},
        {.name = "onPage", .kind = ControlKind::Button, .caption = "按钮", .parent = "pages", .page = 1},
        {.name = "hidden", .kind = ControlKind::Label, .caption = "藏", .flags = platform::kHidden},
        {.name = "store",
         .kind = ControlKind::EditBox,
         .value = "1\r\n",
         .flags = platform::kMultiLine | platform::kHidden},
    };
}

class WindowRendererTest : public ::testing::Test {
protected:
    WindowRendererTest()
        : model("窗口", 600, 500)
    {
        model.addAll(sampleControls());
    }

    void render()
    {
        WindowRenderer::Options options;
        options.listMenus.emplace("list", "listMenu");
        renderer = std::make_unique<WindowRenderer>(model, &root, options);
        root.resize(model.width(), model.height());
        root.show();
        QCoreApplication::processEvents();
    }

    template <class W> W* widget(std::string_view name) { return qobject_cast<W*>(renderer->widget(name)); }

    // Counts the events raised on a control.
    int& count(std::string_view name, EventType type)
    {
        auto& slot = events[{std::string(name), type}];
        model.bind(name, type, [&slot, this](const EventArgs& args) {
            ++slot;
            lastArgs = args;
        });
        return slot;
    }

    platform::WindowModel model;
    QWidget root;
    std::unique_ptr<WindowRenderer> renderer;
    std::map<std::pair<std::string, EventType>, int> events;
    EventArgs lastArgs;
};

TEST_F(WindowRendererTest, ShowsTheDeclaredAndCurrentStateOfEveryKind)
{
    auto* list = model.find<platform::ListView>("list");
    list->append({"1", "甲"}, true);
    list->append({"2", "乙"});
    list->setHighlighted(1, true);
    model.find<platform::ComboBox>("combo")->setCurrentIndex(2);
    render();

    EXPECT_EQ(widget<QLineEdit>("edit")->text(), QStringLiteral("起始"));
    EXPECT_TRUE(widget<QRadioButton>("radioA")->isChecked());
    EXPECT_EQ(widget<QComboBox>("combo")->currentText(), QStringLiteral("三"));
    auto* tree = widget<QTreeWidget>("list");
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->headerItem()->text(1), QStringLiteral("名称"));
    EXPECT_EQ(tree->topLevelItem(0)->checkState(0), Qt::Checked);
    EXPECT_TRUE(tree->topLevelItem(1)->isSelected());
    EXPECT_EQ(widget<QTabWidget>("pages")->tabText(1), QStringLiteral("第二页"));
    EXPECT_FALSE(renderer->widget("hidden")->isVisible());
    EXPECT_TRUE(renderer->widget("edit")->isVisible());
    EXPECT_EQ(renderer->widget("onPage")->window(), &root);
    ASSERT_NE(renderer->menu("listMenu"), nullptr);
    EXPECT_EQ(renderer->menu("listMenu")->actions().size(), 2);
}

TEST_F(WindowRendererTest, UserEditsReachTheModelAndRaiseTheirEvents)
{
    render();
    const int& changed = count("edit", EventType::Changed);
    const int& ticked = count("check", EventType::Clicked);
    const int& chosen = count("combo", EventType::ItemChosen);
    const int& radio = count("radioB", EventType::Clicked);

    widget<QLineEdit>("edit")->end(false);
    EXPECT_EQ(model.find<platform::EditBox>("edit")->selection(), (platform::TextSelection{2, 0}));
    QTest::keyClicks(widget<QLineEdit>("edit"), "xy");
    EXPECT_EQ(model.find<platform::EditBox>("edit")->text(), "起始xy");
    EXPECT_EQ(changed, 2);

    widget<QCheckBox>("check")->click();
    EXPECT_TRUE(model.find<platform::CheckBox>("check")->checked());
    EXPECT_EQ(ticked, 1);

    Q_EMIT widget<QComboBox>("combo")->activated(1);
    EXPECT_EQ(model.find<platform::ComboBox>("combo")->currentIndex(), 1);
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(lastArgs.text, "二");

    // The model keeps the group exclusive; the other widget follows once the change is applied.
    widget<QRadioButton>("radioB")->click();
    EXPECT_EQ(radio, 1);
    EXPECT_FALSE(model.find<platform::RadioBox>("radioA")->checked());
    EXPECT_TRUE(processUntil([&] { return !widget<QRadioButton>("radioA")->isChecked(); }));
    widget<QRadioButton>("radioB")->click();
    EXPECT_TRUE(widget<QRadioButton>("radioB")->isChecked());

    // A multi-line box gives the model "\r\n" line breaks.
    auto* memo = widget<QPlainTextEdit>("memo");
    memo->setFocus();
    QTest::keyClicks(memo, "a");
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, "b");
    EXPECT_EQ(model.find<platform::EditBox>("memo")->text(), "a\r\nb");
}

TEST_F(WindowRendererTest, ModelChangesDoNotEchoBackAsUserEvents)
{
    render();
    const int& changed = count("edit", EventType::Changed);
    const int& ticked = count("check", EventType::Clicked);
    const int& page = count("pages", EventType::Changed);
    const int& chosen = count("list", EventType::ItemChosen);

    model.find<platform::EditBox>("edit")->setText("新文本");
    model.find<platform::CheckBox>("check")->setChecked(true);
    model.find<platform::PageControl>("pages")->setCurrentPage(1);
    auto* list = model.find<platform::ListView>("list");
    list->append({"1", "甲"});
    list->setCurrentRow(0);
    renderer->applyPendingChanges();

    EXPECT_EQ(widget<QLineEdit>("edit")->text(), QStringLiteral("新文本"));
    EXPECT_TRUE(widget<QCheckBox>("check")->isChecked());
    EXPECT_EQ(widget<QTabWidget>("pages")->currentIndex(), 1);
    EXPECT_EQ(widget<QTreeWidget>("list")->currentItem(), widget<QTreeWidget>("list")->topLevelItem(0));
    EXPECT_EQ(changed + ticked + page + chosen, 0);
    EXPECT_EQ(model.find<platform::EditBox>("edit")->text(), "新文本");
}

TEST_F(WindowRendererTest, ListRowsAndMenuItemsRaiseWithTheirIndex)
{
    auto* list = model.find<platform::ListView>("list");
    list->append({"1", "甲"});
    list->append({"2", "乙"});
    render();
    const int& chosen = count("list", EventType::ItemChosen);
    const int& menuItem = count("listMenu", EventType::MenuItem);

    auto* tree = widget<QTreeWidget>("list");
    tree->setCurrentItem(tree->topLevelItem(1));
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(list->highlightedRows(), std::vector<int>{1});
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(lastArgs.index, 1);

    tree->topLevelItem(0)->setCheckState(0, Qt::Checked);
    EXPECT_EQ(list->checkedRows(), std::vector<int>{0});

    renderer->menu("listMenu")->actions().at(1)->trigger();
    EXPECT_EQ(menuItem, 1);
    EXPECT_EQ(lastArgs.index, 1);
    EXPECT_EQ(lastArgs.text, "清空");

    model.find<platform::PopupMenu>("listMenu")->setItemEnabled(0, false);
    renderer->applyPendingChanges();
    EXPECT_FALSE(renderer->menu("listMenu")->actions().at(0)->isEnabled());
}

// Workers change the controls all the time; every change must reach the widget, in the control's order.
TEST_F(WindowRendererTest, ChangesFromWorkerThreadsReachTheWidgetsInOrder)
{
    render();
    auto* list = model.find<platform::ListView>("list");
    auto* memo = model.find<platform::EditBox>("memo");
    constexpr int kRows = 300;
    std::vector<std::thread> workers;
    for (int t = 0; t < 2; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < kRows / 2; ++i) {
                list->append({std::to_string(t), std::to_string(i)});
                memo->append(std::to_string(t) + ":" + std::to_string(i) + "\r\n");
            }
        });
    }
    std::thread editor([&] { model.find<platform::EditBox>("edit")->setText("来自线程"); });
    for (auto& worker : workers)
        worker.join();
    editor.join();
    list->setCell(kRows - 1, 1, "最后");

    auto* tree = widget<QTreeWidget>("list");
    ASSERT_TRUE(processUntil([&] { return tree->topLevelItemCount() == kRows; }));
    ASSERT_TRUE(processUntil([&] { return tree->topLevelItem(kRows - 1)->text(1) == QStringLiteral("最后"); }));
    const auto rows = list->rows();
    for (int r = 0; r < kRows; ++r) {
        ASSERT_EQ(tree->topLevelItem(r)->text(0).toStdString(), rows[static_cast<std::size_t>(r)].cells[0]) << r;
        ASSERT_EQ(tree->topLevelItem(r)->text(1).toStdString(), rows[static_cast<std::size_t>(r)].cells[1]) << r;
    }
    QString expected = QString::fromStdString(memo->text()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    EXPECT_TRUE(processUntil([&] { return widget<QPlainTextEdit>("memo")->toPlainText() == expected; }));
    EXPECT_TRUE(processUntil([&] { return widget<QLineEdit>("edit")->text() == QStringLiteral("来自线程"); }));
}

// A hidden store box fills its widget only when shown, with everything written to it meanwhile.
TEST_F(WindowRendererTest, AHiddenEditBoxShowsItsWholeTextOnceShown)
{
    render();
    auto* store = model.find<platform::EditBox>("store");
    store->append("2\r\n");
    std::thread([&] { store->append("3\r\n"); }).join();
    renderer->applyPendingChanges();
    store->setVisible(true);
    store->append("4\r\n");
    auto* widget = this->widget<QPlainTextEdit>("store");
    EXPECT_TRUE(processUntil([&] { return widget->isVisible(); }));
    EXPECT_TRUE(processUntil([&] { return widget->toPlainText() == QStringLiteral("1\n2\n3\n4\n"); }))
        << widget->toPlainText().toStdString();
    store->setVisible(false);
    store->setText("5");
    store->setVisible(true);
    EXPECT_TRUE(processUntil([&] { return widget->toPlainText() == QStringLiteral("5"); }));
}

TEST_F(WindowRendererTest, ChangesQueuedForAGoneRendererAreDropped)
{
    render();
    model.find<platform::EditBox>("edit")->setText("晚到");
    renderer.reset();
    model.find<platform::EditBox>("edit")->setText("更晚");
    QCoreApplication::processEvents();  // the queued delivery must not touch the gone renderer
    SUCCEED();
}

}  // namespace
}  // namespace dealcast::gui

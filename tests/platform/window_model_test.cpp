#include "platform/window_model.h"

#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

namespace dealcast::platform {
namespace {

std::vector<ControlDecl> sampleWindow()
{
    return {
        {.name = "选择夹1",
         .kind = ControlKind::PageControl,
         .geometry = Geometry{8, 95, 1034, 600},
         .items = {"基本设置", "手动群发"}},
        {.name = "编辑框_运行日志",
         .kind = ControlKind::EditBox,
         .value = "*",
         .parent = "操作日志",
         .flags = kMultiLine | kReadOnly},
        {.name = "操作日志", .kind = ControlKind::GroupBox, .caption = "操作日志", .parent = "选择夹1", .page = 1},
        {.name = "选择框_过滤重复商品", .kind = ControlKind::CheckBox, .value = "1", .parent = "选择夹1", .page = 0},
        {.name = "编辑框_微信模板", .kind = ControlKind::EditBox, .value = "[标题]"},
        {.name = "单选框_随机发送", .kind = ControlKind::RadioBox, .value = "1", .parent = "分组框7"},
        {.name = "单选框_顺序发送", .kind = ControlKind::RadioBox, .parent = "分组框7"},
        {.name = "单选框_联盟搜索", .kind = ControlKind::RadioBox, .parent = "分组框7", .group = "来源"},
        {.name = "单选框_采集搜索", .kind = ControlKind::RadioBox, .parent = "分组框7", .group = "来源"},
        {.name = "分组框7", .kind = ControlKind::GroupBox, .caption = "群发设置(秒)"},
        {.name = "组合框_微信推广位", .kind = ControlKind::ComboBox, .value = "1", .items = {"a", "b"}},
        {.name = "标签_登录状态", .kind = ControlKind::Label, .caption = "未登录", .colour = 0xFF0000},
        {.name = "标签_掉线重登", .kind = ControlKind::Label, .flags = kHidden},
        {.name = "按钮_暂停发送", .kind = ControlKind::Button, .caption = "暂停发送", .flags = kDisabled},
        {.name = "时钟_定时群发", .kind = ControlKind::Timer, .value = "60000"},
        {.name = "待推送菜单", .kind = ControlKind::PopupMenu, .items = {"删除", "清空"}},
        {.name = "图片框1", .kind = ControlKind::PictureBox},
        {.name = "超级列表框_待推送列表", .kind = ControlKind::ListView, .flags = kCheckBoxes, .items = {"序号"}},
    };
}

class WindowModelTest : public ::testing::Test {
protected:
    WindowModelTest()
    {
        const auto decls = sampleWindow();
        EXPECT_TRUE(window.addAll(decls));
    }

    template <class T> T& get(std::string_view name)
    {
        T* c = window.find<T>(name);
        EXPECT_NE(c, nullptr) << name;
        return *c;
    }

    WindowModel window{"主窗口", 1045, 710};
};

TEST_F(WindowModelTest, DeclarationsGiveControlsWithTheirDefaults)
{
    EXPECT_EQ(get<EditBox>("编辑框_运行日志").text(), "*");
    EXPECT_TRUE(get<EditBox>("编辑框_运行日志").multiLine());
    EXPECT_TRUE(get<EditBox>("编辑框_运行日志").readOnly());
    EXPECT_TRUE(get<CheckBox>("选择框_过滤重复商品").checked());
    EXPECT_TRUE(get<RadioBox>("单选框_随机发送").checked());
    EXPECT_EQ(get<ComboBox>("组合框_微信推广位").currentIndex(), 1);
    EXPECT_EQ(get<Label>("标签_登录状态").text(), "未登录");
    EXPECT_EQ(get<Label>("标签_登录状态").colour(), 0xFF0000u);
    EXPECT_FALSE(get<Label>("标签_掉线重登").visible());
    EXPECT_FALSE(get<Button>("按钮_暂停发送").enabled());
    EXPECT_EQ(get<TimerControl>("时钟_定时群发").interval(), 60000);
    EXPECT_EQ(get<PopupMenu>("待推送菜单").itemCount(), 2);
    EXPECT_EQ(get<PageControl>("选择夹1").pageCount(), 2);
    EXPECT_EQ(get<PageControl>("选择夹1").width(), 1034);
    EXPECT_EQ(get<PageControl>("选择夹1").currentPage(), 0);
    EXPECT_TRUE(get<ListView>("超级列表框_待推送列表").hasCheckBoxes());
    EXPECT_EQ(get<GroupBox>("操作日志").page(), 1);
}

TEST_F(WindowModelTest, FindsByNameAndKindAndEnumeratesInDeclarationOrder)
{
    EXPECT_EQ(window.find<CheckBox>("编辑框_运行日志"), nullptr);  // wrong kind
    EXPECT_EQ(window.find<EditBox>("编辑框_不存在"), nullptr);
    EXPECT_NE(window.find("图片框1"), nullptr);

    std::vector<std::string> edits;
    for (EditBox* e : window.all<EditBox>())
        edits.push_back(e->name());
    EXPECT_EQ(edits, (std::vector<std::string>{"编辑框_运行日志", "编辑框_微信模板"}));
    EXPECT_EQ(window.controls(ControlKind::RadioBox).size(), 4u);

    EXPECT_EQ(window.add({.name = "编辑框_微信模板", .kind = ControlKind::Label}), nullptr);
    EXPECT_EQ(window.add({.name = "", .kind = ControlKind::Label}), nullptr);
    EXPECT_NE(window.find<EditBox>("编辑框_微信模板"), nullptr);  // the first one stays
}

TEST_F(WindowModelTest, CheckingARadioBoxUnchecksTheOthersOfItsGroupOnly)
{
    auto& random = get<RadioBox>("单选框_随机发送");
    auto& ordered = get<RadioBox>("单选框_顺序发送");
    auto& union_ = get<RadioBox>("单选框_联盟搜索");
    auto& collect = get<RadioBox>("单选框_采集搜索");
    std::vector<std::pair<std::string, bool>> seen;
    window.subscribe([&](const Change& c) { seen.emplace_back(c.control->name(), c.flag); });

    union_.setChecked(true);
    ordered.setChecked(true);
    EXPECT_FALSE(random.checked());
    EXPECT_TRUE(ordered.checked());
    EXPECT_TRUE(union_.checked());  // another group
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, bool>>{
                        {"单选框_联盟搜索", true}, {"单选框_随机发送", false}, {"单选框_顺序发送", true}}));

    collect.setChecked(true);
    collect.setChecked(false);  // unchecking leaves the group with none
    EXPECT_FALSE(union_.checked());
    EXPECT_EQ(window.radioGroup("来源")->checkedBox(), nullptr);
    EXPECT_EQ(window.radioGroup("分组框7")->members().size(), 2u);
}

TEST_F(WindowModelTest, ConcurrentRadioChecksLeaveExactlyOneChecked)
{
    RadioGroup* group = window.radioGroup("分组框7");
    std::vector<std::thread> threads;
    for (RadioBox* box : group->members()) {
        threads.emplace_back([box] {
            for (int i = 0; i < 2000; ++i)
                box->setChecked(true);
        });
    }
    for (auto& t : threads)
        t.join();
    int checked = 0;
    for (RadioBox* box : group->members())
        checked += box->checked() ? 1 : 0;
    EXPECT_EQ(checked, 1);
}

TEST_F(WindowModelTest, ComboEntriesCarryNumberOrTextValues)
{
    auto& combo = get<ComboBox>("组合框_微信推广位");
    combo.setEntries({{"微信推广位", std::string("mm_1_2_3")}, {"QQ推广位", std::int64_t{42}}}, 0);
    EXPECT_EQ(combo.add("备用", std::string("mm_9_9_9")), 2);
    EXPECT_EQ(combo.findValue(std::string("mm_9_9_9")), 2);
    EXPECT_EQ(combo.findValue(std::int64_t{42}), 1);
    EXPECT_EQ(combo.findValue(std::string("42")), -1);  // a text is not the number
    EXPECT_EQ(combo.find("QQ推广位"), 1);
    EXPECT_EQ(combo.find("无"), -1);
    EXPECT_EQ(std::get<std::string>(combo.current()->value), "mm_1_2_3");

    EXPECT_FALSE(combo.setCurrentIndex(3));
    EXPECT_EQ(combo.currentIndex(), 0);
    EXPECT_TRUE(combo.setCurrentIndex(-1));
    EXPECT_FALSE(combo.current().has_value());
    combo.setEntries({{"x", std::int64_t{1}}}, 5);  // an index it does not have: none
    EXPECT_EQ(combo.currentIndex(), -1);
    combo.setCurrentIndex(0);
    combo.clear();
    EXPECT_EQ(combo.count(), 0);
    EXPECT_EQ(combo.currentIndex(), -1);
}

TEST_F(WindowModelTest, DisablingAContainerDisablesEverythingInside)
{
    auto& log = get<EditBox>("编辑框_运行日志");  // in 操作日志, on a page of 选择夹1
    auto& group = get<GroupBox>("操作日志");
    auto& pages = get<PageControl>("选择夹1");
    EXPECT_EQ(log.parent(), &group);  // declared before its parent: linked when the parent came
    EXPECT_TRUE(log.effectivelyEnabled());

    pages.setEnabled(false);
    EXPECT_TRUE(log.enabled());
    EXPECT_FALSE(log.effectivelyEnabled());
    EXPECT_FALSE(group.effectivelyEnabled());
    pages.setEnabled(true);
    group.setEnabled(false);
    EXPECT_FALSE(log.effectivelyEnabled());
    EXPECT_TRUE(get<CheckBox>("选择框_过滤重复商品").effectivelyEnabled());  // a sibling of the group
    group.setEnabled(true);
    EXPECT_TRUE(log.effectivelyEnabled());
}

TEST(WindowModel, ParentLinksThatWouldFormACycleAreLeftOut)
{
    WindowModel window("test", 1, 1);
    window.add({.name = "A", .kind = ControlKind::GroupBox, .parent = "B"});
    window.add({.name = "B", .kind = ControlKind::GroupBox, .parent = "A"});
    window.add({.name = "C", .kind = ControlKind::GroupBox, .parent = "C"});
    EXPECT_EQ(window.find("B")->parent(), window.find("A"));
    EXPECT_EQ(window.find("A")->parent(), nullptr);  // B in A in B refused
    EXPECT_EQ(window.find("C")->parent(), nullptr);
    window.find("A")->setEnabled(false);
    EXPECT_FALSE(window.find("B")->effectivelyEnabled());  // and the walk ends
    EXPECT_TRUE(window.find("C")->effectivelyEnabled());
}

TEST_F(WindowModelTest, RaiseRunsTheBoundHandlerAndIgnoresWhatIsNotBound)
{
    std::vector<std::string> calls;
    EXPECT_FALSE(window.bind("按钮_不存在", EventType::Clicked, [](const EventArgs&) {}));
    ASSERT_TRUE(window.bind("待推送菜单", EventType::MenuItem, [&](const EventArgs& a) {
        calls.push_back(a.control + "#" + std::to_string(a.index));
        // Handlers may raise and bind in turn: no lock of the model is held.
        window.raise("标签_掉线重登", EventType::Feedback);
    }));
    ASSERT_TRUE(window.bind("标签_掉线重登", EventType::Feedback, [&](const EventArgs& a) {
        calls.push_back(a.control);
        window.bind("标签_掉线重登", EventType::Feedback, nullptr);
    }));

    EXPECT_TRUE(window.raise("待推送菜单", EventType::MenuItem, {.index = 1}));
    EXPECT_FALSE(window.raise("待推送菜单", EventType::Clicked));      // unbound event
    EXPECT_FALSE(window.raise("按钮_不存在", EventType::Clicked));     // unknown control
    EXPECT_FALSE(window.raise("标签_掉线重登", EventType::Feedback));  // unbound by its own handler
    EXPECT_EQ(calls, (std::vector<std::string>{"待推送菜单#1", "标签_掉线重登"}));
}

// Observers run after the control's lock is released, on the changing thread: one that reads or changes
// controls must not deadlock.
TEST_F(WindowModelTest, ObserversRunOutsideTheLockOnTheChangingThread)
{
    auto& status = get<Label>("标签_登录状态");
    std::atomic<int> calls{0};
    std::thread::id observerThread;
    window.subscribe([&](const Change& c) {
        ++calls;
        observerThread = std::this_thread::get_id();
        (void)c.control->caption();  // the control's own lock
        (void)c.control->effectivelyEnabled();
        if (c.control->name() == "组合框_微信推广位")
            status.setText("已选择");
    });

    std::thread worker([&] {
        get<EditBox>("编辑框_运行日志").append("line\r\n");
        get<ListView>("超级列表框_待推送列表").append({"1"}, true);
        get<ListView>("超级列表框_待推送列表").withRows([](ListView::Rows& r) { r.setCell(0, 0, "2"); });
        get<RadioBox>("单选框_顺序发送").setChecked(true);
        get<ComboBox>("组合框_微信推广位").setCurrentIndex(0);
        get<PageControl>("选择夹1").setWidth(584);
        get<PopupMenu>("待推送菜单").popup();
    });
    const auto workerId = worker.get_id();
    worker.join();
    EXPECT_EQ(observerThread, workerId);
    EXPECT_EQ(status.text(), "已选择");
    EXPECT_EQ(calls, 9);  // radio: two boxes; combo: its index and the label it led to
}

TEST_F(WindowModelTest, SettersGivenTheCurrentValueDoNotNotify)
{
    int calls = 0;
    const auto id = window.subscribe([&](const Change&) { ++calls; });
    const std::vector<std::function<void()>> sameValue = {
        [&] { get<CheckBox>("选择框_过滤重复商品").setChecked(true); },
        [&] { get<RadioBox>("单选框_随机发送").setChecked(true); },
        [&] { get<RadioBox>("单选框_联盟搜索").setChecked(false); },
        [&] { get<ComboBox>("组合框_微信推广位").setCurrentIndex(1); },
        [&] {
            get<ComboBox>("组合框_微信推广位").setEntries({{"a"}, {"b"}}, 1);
        },
        [&] { get<Label>("标签_登录状态").setText("未登录"); },
        [&] { get<Label>("标签_登录状态").setColour(0xFF0000); },
        [&] { get<Button>("按钮_暂停发送").setEnabled(false); },
        [&] { get<Label>("标签_掉线重登").setVisible(false); },
        [&] { get<PageControl>("选择夹1").setCurrentPage(0); },
        [&] { get<PageControl>("选择夹1").setWidth(1034); },
        [&] { get<TimerControl>("时钟_定时群发").setInterval(60000); },
        [&] { get<PictureBox>("图片框1").setImage(""); },
        [&] { get<PopupMenu>("待推送菜单").setItemEnabled(0, true); },
        [&] { get<ListView>("超级列表框_待推送列表").setColumns({"序号"}); },
        [&] { get<ListView>("超级列表框_待推送列表").clear(); },
        [&] { get<ListView>("超级列表框_待推送列表").setCurrentRow(-1); },
        [&] {
            get<Control>("选择夹1").setGeometry({8, 95, 1034, 600});
        },
    };
    for (std::size_t i = 0; i < sameValue.size(); ++i) {
        sameValue[i]();
        EXPECT_EQ(calls, 0) << "setter " << i;
    }

    get<TimerControl>("时钟_定时群发").setInterval(0);
    EXPECT_EQ(calls, 1);
    window.unsubscribe(id);
    get<TimerControl>("时钟_定时群发").setInterval(1000);
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace dealcast::platform

#include "app/app_controls.h"
#include "app/main_window.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace dealcast::app {
namespace {

using platform::Control;
using platform::ControlDecl;
using platform::ControlKind;

std::vector<const ControlDecl*> allDecls()
{
    std::vector<const ControlDecl*> out;
    for (const auto& table : mainWindowControlTables()) {
        for (const ControlDecl& decl : table)
            out.push_back(&decl);
    }
    return out;
}

std::string joined(const std::vector<std::string>& parts)
{
    std::string out;
    for (const auto& part : parts)
        out += (out.empty() ? "" : "|") + part;
    return out;
}

// A control's designed state in one comparable text, read through the control as a handler would see it.
std::string stateOf(const Control& c)
{
    using namespace platform;
    switch (c.kind()) {
    case ControlKind::EditBox:
        return static_cast<const EditBox&>(c).text();
    case ControlKind::CheckBox:
        return c.caption() + (static_cast<const CheckBox&>(c).checked() ? "|1" : "|0");
    case ControlKind::RadioBox:
        return c.caption() + (static_cast<const RadioBox&>(c).checked() ? "|1" : "|0");
    case ControlKind::Label:
        return static_cast<const Label&>(c).text();
    case ControlKind::Timer:
        return std::to_string(static_cast<const TimerControl&>(c).interval());
    case ControlKind::ListView:
        return joined(static_cast<const ListView&>(c).columns());
    case ControlKind::PageControl:
        return joined(static_cast<const PageControl&>(c).pageTitles());
    case ControlKind::PopupMenu: {
        std::vector<std::string> items;
        for (const auto& item : static_cast<const PopupMenu&>(c).items())
            items.push_back(item.text);
        return joined(items);
    }
    case ControlKind::ComboBox:
        return std::to_string(static_cast<const ComboBox&>(c).count()) + " entries";
    default:
        return c.caption();
    }
}

// The page of "选择夹1" a control sits on, through its containers; -1 off the pages (the right-hand panel).
int mainPageOf(const Control* c)
{
    for (; c != nullptr && c->parent() != nullptr; c = c->parent()) {
        if (c->parentName() == controls::kPages)
            return c->page();
    }
    return -1;
}

TEST(MainWindowControls, EveryNameIsDeclaredOnceAndFoundWithItsKind)
{
    MainWindow window;
    EXPECT_EQ(window.model().width(), 1045);
    EXPECT_EQ(window.model().height(), 710);

    std::map<std::string, int> declared;
    for (const ControlDecl* decl : allDecls()) {
        ++declared[decl->name];
        const Control* control = window.model().find(decl->name);
        ASSERT_NE(control, nullptr) << decl->name;
        EXPECT_EQ(control->kind(), decl->kind) << decl->name;
    }
    for (const auto& [name, count] : declared)
        EXPECT_EQ(count, 1) << name << " is declared by more than one table";
    EXPECT_EQ(window.model().controls().size(), declared.size());
}

// The settings file keeps edit, check and radio boxes in sections of their kind, keyed by name; a control whose
// name says one kind but is declared as another would be saved under the wrong section or not at all.
TEST(MainWindowControls, NamePrefixMatchesDeclaredKind)
{
    const std::vector<std::pair<std::string_view, ControlKind>> prefixes = {
        {"编辑框", ControlKind::EditBox},     {"选择框_", ControlKind::CheckBox}, {"单选框", ControlKind::RadioBox},
        {"组合框", ControlKind::ComboBox},    {"按钮", ControlKind::Button},      {"图形按钮", ControlKind::Button},
        {"标签", ControlKind::Label},         {"透明标签", ControlKind::Label},   {"超级列表框", ControlKind::ListView},
        {"时钟", ControlKind::Timer},         {"分组框", ControlKind::GroupBox},  {"图片框", ControlKind::PictureBox},
        {"选择夹", ControlKind::PageControl},
    };
    for (const ControlDecl* decl : allDecls()) {
        const std::string_view name = decl->name;
        for (const auto& [prefix, kind] : prefixes) {
            if (name.starts_with(prefix)) {
                EXPECT_EQ(decl->kind, kind) << name;
            }
        }
        if (name.ends_with("菜单")) {
            EXPECT_EQ(decl->kind, ControlKind::PopupMenu) << name;
        }
    }
}

TEST(MainWindowControls, ParentsAreContainersAndPagesExist)
{
    MainWindow window;
    for (const ControlDecl* decl : allDecls()) {
        if (decl->parent.empty()) {
            EXPECT_EQ(decl->page, -1) << decl->name;
            continue;
        }
        const Control* control = window.model().find(decl->name);
        const Control* parent = control->parent();
        ASSERT_NE(parent, nullptr) << decl->name << " names the missing parent " << decl->parent;
        if (parent->kind() == ControlKind::PageControl) {
            const int pages = static_cast<const platform::PageControl*>(parent)->pageCount();
            EXPECT_TRUE(decl->page >= 0 && decl->page < pages) << decl->name << " on page " << decl->page;
        } else {
            EXPECT_TRUE(parent->kind() == ControlKind::GroupBox || parent->kind() == ControlKind::PictureBox)
                << decl->name << " inside " << decl->parent;
            EXPECT_EQ(decl->page, -1) << decl->name;
        }
    }
}

TEST(MainWindowControls, SavedKindsEnumerateAndRadioGroupsStartWithOneChoice)
{
    MainWindow window;
    auto names = [](const auto& controls) {
        std::set<std::string> out;
        for (const Control* c : controls)
            out.insert(c->name());
        return out;
    };
    EXPECT_TRUE(names(window.model().all<platform::EditBox>()).contains("编辑框_微信模板"));
    EXPECT_TRUE(names(window.model().all<platform::EditBox>()).contains("编辑框_阿里妈妈密码"));
    EXPECT_TRUE(names(window.model().all<platform::CheckBox>()).contains("选择框_过滤重复商品"));
    EXPECT_TRUE(names(window.model().all<platform::RadioBox>()).contains("单选框_鹊桥搜索"));

    std::map<std::string, int> checkedPerGroup;
    for (const platform::RadioBox* radio : window.model().all<platform::RadioBox>())
        checkedPerGroup[radio->group().name()] += radio->checked() ? 1 : 0;
    EXPECT_EQ(checkedPerGroup.size(), 2u);
    for (const auto& [group, checked] : checkedPerGroup)
        EXPECT_EQ(checked, 1) << group;
}

TEST(MainWindowControls, NamedControlsHaveTheirDesignedKindDefaultAndPage)
{
    struct Case {
        const char* name;
        ControlKind kind;
        std::string state;
        int page;
    };
    const std::vector<Case> cases = {
        {"编辑框_运行日志", ControlKind::EditBox, "*", -1},
        {"编辑框_微信模板", ControlKind::EditBox,
         "[标题]\r\n【在售价:[现售价]】\r\n【券后价:[券后价]】\r\n[文案]\r\n【淘口令:[淘口令]】\r\n"
         "复制这条信息，打开手机淘宝即可领券购买\r\n领券下单：[禾岚超级短链]",
         0},
        {"编辑框_QQ群模板", ControlKind::EditBox,
         "[标题]\r\n【在售价:[现售价]】\r\n【券后价:[券后价]】\r\n领券下单：[二合一短链]\r\n[文案]", 0},
        {"透明标签1", ControlKind::Label, "1.51", -1},
        {"透明标签2", ControlKind::Label, "beta", -1},
        {"选择夹1", ControlKind::PageControl, "基本设置|手动群发|商品采集|联盟数据|QQ群监控|自动群发", -1},
        {"选择夹_登录", ControlKind::PageControl, "旺旺登录|帐号登录", 0},
        {"标签_登录状态", ControlKind::Label, "未登录", 0},
        {"标签_授权状态", ControlKind::Label, "未授权", 0},
        {"按钮_打开授权", ControlKind::Button, "授权", 0},
        {"超级链接框3", ControlKind::Label, "使用教程", 0},
        {"超级链接框1", ControlKind::Label, "添加/删除导购推广位", 0},
        {"标签24", ControlKind::Label, "[标题]", 0},
        {"标签70", ControlKind::Label, "[发送时间]", 0},
        {"按钮_重置模板", ControlKind::Button, "重置\r\n\r\n模板", 0},
        {"分组框8", ControlKind::GroupBox, "手动转链", 1},
        {"按钮_单品添加列表", ControlKind::Button, "添加到群发列表", 1},
        {"组合框_推广位", ControlKind::ComboBox, "0 entries", 1},
        {"编辑框_禾岚页数", ControlKind::EditBox, "1", 2},
        {"编辑框_价格高_阿里", ControlKind::EditBox, "100", 2},
        {"编辑框_最低销量", ControlKind::EditBox, "100", 2},
        {"单选框_联盟搜索", ControlKind::RadioBox, "联盟搜索|1", 2},
        {"按钮_手动采集", ControlKind::Button, "云端选款", 2},
        {"超级列表框_采集", ControlKind::ListView, "序号|文案|推送", 2},
        {"编辑框_结尾数", ControlKind::EditBox, "200", 3},
        {"分组框11", ControlKind::GroupBox, "大数据操作", 3},
        {"标签_链接状态", ControlKind::Label, "启动失败", 4},
        {"标签_在线人数", ControlKind::Label, "0", 4},
        {"选择框_自动跟发", ControlKind::CheckBox, "自动跟发禾岚官方精选商品|0", 4},
        {"超级列表框_群对接", ControlKind::ListView, "ID|群昵称|群号|指定发单员", 4},
        {"编辑框_单条间隔", ControlKind::EditBox, "300", 5},
        {"编辑框_尾巴间隔条数", ControlKind::EditBox, "5", 5},
        {"编辑框_佣金大于", ControlKind::EditBox, "10", 5},
        {"分组框7", ControlKind::GroupBox, "群发设置(秒)", 5},
        {"选择框_C店商品", ControlKind::CheckBox, "只发天猫商品|0", 5},
        {"选择框_清除过滤", ControlKind::CheckBox, "关闭软件时清除过滤|0", 5},
        {"按钮_定时群发", ControlKind::Button, "设置", 5},
        {"超级列表框_待推送列表", ControlKind::ListView, "ID|群发列表|状态|来源", 5},
        {"超级列表框_已推送列表", ControlKind::ListView, "ID|文案|来源|微信文案|QQ群文案|图片地址|微信|QQ群|状态|提示",
         5},
        {"待推送菜单", ControlKind::PopupMenu, "优先发送|-|查看商品详情|-|删除选中(待推)|清空商品(待推)", -1},
        {"时钟_定时群发", ControlKind::Timer, "0", -1},
        {"选择框_查询计划自动申请", ControlKind::CheckBox, "查询计划时自动申请最高佣金|0", -1},
    };
    MainWindow window;
    for (const Case& c : cases) {
        const Control* control = window.model().find(c.name);
        ASSERT_NE(control, nullptr) << c.name;
        EXPECT_EQ(control->kind(), c.kind) << c.name;
        EXPECT_EQ(stateOf(*control), c.state) << c.name;
        EXPECT_EQ(mainPageOf(control), c.page) << c.name;
    }
}

TEST(MainWindowControls, FlagsTheFeaturesRelyOn)
{
    MainWindow window;
    const auto& model = window.model();
    for (const char* name : {"编辑框_过滤重复", "标签_掉线重登"})
        EXPECT_FALSE(model.find(name)->visible()) << name;
    for (const char* name : {"编辑框_运行日志", "编辑框_过滤重复", "编辑框_微信模板", "编辑框_QQ群模板"})
        EXPECT_TRUE(model.find<platform::EditBox>(name)->multiLine()) << name;
    EXPECT_TRUE(model.find<platform::EditBox>("编辑框_阿里妈妈密码")->password());
    EXPECT_FALSE(model.find("按钮_暂停发送")->enabled());

    const std::map<std::string, bool> checkBoxes = {
        {"超级列表框_待推送列表", true},   {"超级列表框_群对接", true},     {"超级列表框_群监控", true},
        {"超级列表框_采集", true},         {"超级列表框_大数据", true},     {"超级列表框_已推送列表", false},
        {"超级列表框_微信群_模拟", false}, {"超级列表框_QQ群_模拟", false}, {"超级列表框_计划", false},
    };
    for (const auto& [name, expected] : checkBoxes)
        EXPECT_EQ(model.find<platform::ListView>(name)->hasCheckBoxes(), expected) << name;
}

class Toolbar : public ::testing::Test {
protected:
    bool visible(std::string_view name) const { return window.model().find(name)->visible(); }
    int width() const { return window.model().find<platform::PageControl>(controls::kPages)->width(); }

    void expectSelected(std::string_view button, int page, int expectedWidth) const
    {
        EXPECT_EQ(window.currentPage(), page) << button;
        EXPECT_EQ(width(), expectedWidth) << button;
        for (int p = 0; p < kPageCount; ++p) {
            const std::string_view other = MainWindow::pageButton(p);
            EXPECT_EQ(visible(other), other != button) << other << " after " << button;
        }
    }

    MainWindow window;
};

TEST_F(Toolbar, StartsOnTheFirstPageWithItsButtonHidden)
{
    expectSelected("图形按钮1", 0, 1034);
}

TEST_F(Toolbar, EachSelectorShowsItsPageAndHidesOnlyItself)
{
    struct Case {
        const char* button;
        int page;
        int width;
    };
    // Page 0 last, so every button is clicked after another page was shown.
    const Case cases[] = {
        {"图形按钮6", 1, 584}, {"图形按钮3", 2, 584}, {"图形按钮5", 3, 584},
        {"图形按钮4", 4, 584}, {"图形按钮2", 5, 584}, {"图形按钮1", 0, 1034},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(window.model().raise(c.button, platform::EventType::Clicked)) << c.button;
        expectSelected(c.button, c.page, c.width);
    }
}

TEST_F(Toolbar, PageOutsideTheWindowChangesNothing)
{
    window.selectPage(3);
    for (int page : {-1, 6})
        EXPECT_FALSE(window.selectPage(page));
    expectSelected("图形按钮5", 3, 584);
}

TEST_F(Toolbar, PageTabOnlyAdjustsTheWidth)
{
    auto* pages = window.model().find<platform::PageControl>(controls::kPages);
    window.selectPage(2);

    pages->setCurrentPage(0);
    EXPECT_TRUE(window.model().raise(controls::kPages, platform::EventType::Changed));
    EXPECT_EQ(width(), 1034);
    EXPECT_FALSE(visible("图形按钮3"));  // the toolbar still marks the page chosen there
    EXPECT_TRUE(visible("图形按钮1"));

    pages->setCurrentPage(4);
    window.model().raise(controls::kPages, platform::EventType::Changed);
    EXPECT_EQ(width(), 584);
    EXPECT_EQ(window.currentPage(), 4);
}

TEST_F(Toolbar, CloseAndMinimiseRunTheHandlersTheShellSets)
{
    int closes = 0;
    int minimises = 0;
    EXPECT_FALSE(window.model().raise("图形按钮7", platform::EventType::Clicked));  // nothing set yet

    window.setCloseHandler([&] { ++closes; });
    window.setMinimiseHandler([&] { ++minimises; });
    window.model().raise("图形按钮7", platform::EventType::Clicked);
    window.model().raise("图形按钮9", platform::EventType::Clicked);
    window.model().raise("图形按钮9", platform::EventType::Clicked);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(minimises, 2);

    window.setCloseHandler({});
    EXPECT_FALSE(window.model().raise("图形按钮7", platform::EventType::Clicked));
    EXPECT_EQ(closes, 1);
}

}  // namespace
}  // namespace dealcast::app

#include "conversion/conversion_controls.h"
#include "slots/slots_controls.h"
#include "slots_fixture.h"

#include <gmock/gmock.h>

namespace dealcast::slots::test {
namespace {

using namespace slots::controls;
using namespace slots::slot_window_controls;
using platform::DialogResult;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::Not;

class SlotWindowTest : public SlotsTest {
protected:
    void fill(const std::string& wechat, const std::string& qq, const std::string& group)
    {
        window.model().find<platform::EditBox>(kWechatAccount)->setText(wechat);
        window.model().find<platform::EditBox>(kQqNumber)->setText(qq);
        window.model().find<platform::EditBox>(kQqGroup)->setText(group);
    }
    void click(const char* name) { window.model().raise(name, platform::EventType::Clicked); }

    std::vector<Received> calls(const std::string& path)
    {
        std::vector<Received> out;
        for (auto& r : back.received()) {
            if (r.path == path)
                out.push_back(r);
        }
        return out;
    }
};

TEST_F(SlotWindowTest, OpensModallyOnlyWithALiveSession)
{
    loggedIn = false;
    main.model().raise(kSlotWindowLink, platform::EventType::Clicked);
    EXPECT_THAT(messages(), ElementsAre("阿里妈妈未登录哦，先登录吧！"));
    EXPECT_TRUE(windowHost.shown.empty());

    loggedIn = true;
    main.model().raise(kSlotWindowLink, platform::EventType::Clicked);
    ASSERT_EQ(windowHost.shown.size(), 1u);
    EXPECT_EQ(windowHost.shown[0].first, &window.model());
    EXPECT_TRUE(windowHost.shown[0].second);
    EXPECT_EQ(window.model().title(), "创建推广位");

    click(kBackOfficeLink);
    EXPECT_THAT(windowHost.opened,
                ElementsAre("http://" + back.host() + "/myunion.htm?#!/manage/zone/zone?tab=3&toPage=1"));
}

TEST_F(SlotWindowTest, IncompleteInputSendsNothing)
{
    const std::vector<std::vector<std::string>> cases = {
        {"wx1", "", ""}, {"wx1", "123", ""}, {"", "123", "456"}, {"wx1", "123", "  "}};
    for (const auto& c : cases) {
        fill(c[0], c[1], c[2]);
        click(kAdd);
    }
    EXPECT_EQ(messages(), std::vector<std::string>(cases.size(), "不能为空，请填写完整！"));
    EXPECT_TRUE(back.received().empty());
}

TEST_F(SlotWindowTest, AddingCreatesBothGuidesAndSlotsAndShowsTheirPids)
{
    fill("wx&1", "12345", "678");
    click(kAdd);

    EXPECT_THAT(messages(), ElementsAre("添加成功！"));
    {
        const auto held = back.hold();
        ASSERT_EQ(back.guides.size(), 2u);
        EXPECT_EQ(back.guides[0].name, "禾岚创建的导购1");
        EXPECT_EQ(back.guides[1].name, "禾岚创建的导购2");
        ASSERT_EQ(back.slots.size(), 2u);
        EXPECT_EQ(back.slots[0].name, "禾岚创建的推广位1");
        EXPECT_EQ(back.slots[0].siteId, back.guides[0].id);
        EXPECT_EQ(back.slots[1].name, "禾岚创建的推广位2");
        EXPECT_EQ(back.slots[1].siteId, back.guides[1].id);
    }

    const auto adds = calls("/common/site/generalize/guideAdd.json");
    ASSERT_EQ(adds.size(), 2u);
    // Names and the user's texts go percent-encoded as UTF-8, fields in their fixed order.
    EXPECT_THAT(adds[0].raw, MatchesRegex("name=%E7%A6%BE%E5%B2%9A%E5%88%9B%E5%BB%BA%E7%9A%84%E5%AF%BC%E8%B4%AD1"
                                          "&categoryId=14&account1=wx%261&t=[0-9]{13}&pvid=&_tb_token_=tok9"));
    EXPECT_THAT(adds[1].raw, MatchesRegex("name=[%0-9A-F]+2&categoryId=13&account1=12345&account2=678"
                                          "&t=[0-9]{13}&pvid=&_tb_token_=tok9"));
    const auto creates = calls("/common/adzone/selfAdzoneCreate.json");
    ASSERT_EQ(creates.size(), 2u);
    EXPECT_THAT(creates[0].raw, MatchesRegex("tag=29&gcid=8&siteid=[0-9]+&selectact=add&newadzonename=[%0-9A-F]+1"
                                             "&t=[0-9]{13}&_tb_token_=tok9&pvid=10_10\\.4\\.5\\.6_534_[0-9]{13}"));
    // The PID query is the last call.
    const Received last = back.received().back();
    EXPECT_EQ(last.path, "/common/adzone/adzoneManage.json");
    EXPECT_THAT(last.raw, MatchesRegex("tab=3&toPage=1&perPageSize=150&gcid=8&t=[0-9]{13}&pvid=60_1\\.2\\.3\\.4_12635_"
                                       "&_tb_token_=tok9&_input_charset=utf-8"));

    const auto held = back.hold();
    EXPECT_EQ(slots.wechatPid(), back.slots[0].pid);
    EXPECT_EQ(slots.qqPid(), back.slots[1].pid);
    EXPECT_EQ(label(kWechatPidLabel).text(), "Pid1：" + back.slots[0].pid);
    EXPECT_EQ(label(kQqPidLabel).text(), "Pid2：" + back.slots[1].pid);
    EXPECT_THAT(logText(), AllOf(HasSubstr("] >>>> 查询pid成功！\r\n"),
                                 HasSubstr("] >>>> 禾岚QQ推广位_通用_Pid：" + back.slots[1].pid + "\r\n"),
                                 HasSubstr("] >>>> 禾岚微信推广位_通用_Pid：" + back.slots[0].pid + "\r\n")));
}

TEST_F(SlotWindowTest, AFailedGuideIsReportedAndTheOtherStillAdded)
{
    back.failWechatGuide = true;
    fill("wx1", "12345", "678");
    click(kAdd);
    EXPECT_THAT(messages(), ElementsAre("微信添加失败！请自行到阿里妈妈后台设置。"));
    {
        const auto held = back.hold();
        ASSERT_EQ(back.slots.size(), 1u);
        EXPECT_EQ(back.slots[0].name, "禾岚创建的推广位2");
        EXPECT_EQ(label(kQqPidLabel).text(), "Pid2：" + back.slots[0].pid);
    }
    EXPECT_THAT(logText(), AllOf(HasSubstr("禾岚QQ推广位_通用_Pid："), Not(HasSubstr("禾岚微信推广位"))));
    EXPECT_EQ(label(kWechatPidLabel).text(), "获取Pid失败，请添加导购位！");

    back.failQqGuide = true;
    back.failListing = true;
    click(kAdd);
    EXPECT_THAT(messages(),
                ElementsAre("微信添加失败！请自行到阿里妈妈后台设置。", "微信添加失败！请自行到阿里妈妈后台设置。",
                            "QQ添加失败！请自行到阿里妈妈后台设置。"));
    EXPECT_THAT(logText(), HasSubstr("] >>>> 查询pid失败！\r\n"));
}

TEST_F(SlotWindowTest, DeletionNeedsTheUsersOk)
{
    dialogs.queueAnswer(DialogResult::Cancel);
    click(kDelete);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].message, "删除禾岚导购推广位？");
    EXPECT_EQ(dialogs.shown()[0].caption, "提示");
    EXPECT_EQ(dialogs.shown()[0].buttons, platform::DialogButtons::OkCancel);
    EXPECT_TRUE(back.received().empty());

    dialogs.queueAnswer(DialogResult::Ok);
    back.failListing = true;
    click(kDelete);
    EXPECT_THAT(logText(), HasSubstr("] >>>> 删除推广位失败！\r\n"));
    EXPECT_EQ(back.received().size(), 1u);
}

TEST_F(SlotWindowTest, DeletionWithoutRecordedSitesOnlyListsAndEmptiesTheLists)
{
    // One slot per general site and a WeChat guide without slots: no site id gets recorded.
    {
        const auto held = back.hold();
        back.guides = {{"1", "群", "微信"}};
        back.slots = {{"8", "站八", "八号位", "80", "mm_7_8_80"}};
    }
    slots.reloadPromotionSlots();
    slots.refreshPidLabels();
    back.forget();

    dialogs.queueAnswer(DialogResult::Ok);
    click(kDelete);
    EXPECT_THAT(back.paths(), ElementsAre("GET /common/adzone/adzoneManage.json"));
    for (const char* name : {kWechatGuide, kWechatSlot, kGeneralGuide, kGeneralSlot})
        EXPECT_EQ(combo(name).count(), 0) << name;
    EXPECT_EQ(combo(kManualGuide).count(), 2);
    EXPECT_EQ(label(kQqPidLabel).text(), "获取Pid失败，请添加导购位！");
    const auto held = back.hold();
    EXPECT_EQ(back.slots.size(), 1u);
}

TEST_F(SlotWindowTest, DeletionRemovesTheRecordedSitesAndLeavesNoPidChosen)
{
    {
        const auto held = back.hold();
        back.guides = {{"1", "禾岚创建的导购1", "微信"}, {"2", "禾岚创建的导购2", "QQ"}};
        back.slots = {{"1", "禾岚创建的导购1", "禾岚创建的推广位1", "10", "mm_7_1_10"},
                      {"2", "禾岚创建的导购2", "禾岚创建的推广位2", "20", "mm_7_2_20"},
                      {"2", "禾岚创建的导购2", "二号", "21", "mm_7_2_21"},
                      {"3", "站三", "三号", "30", "mm_7_3_30"}};
    }
    slots.reloadPromotionSlots();
    slots.refreshPidLabels();
    ASSERT_EQ(slots.wechatSiteId(), "1");
    ASSERT_EQ(slots.generalSiteId(), "2");
    ASSERT_EQ(slots.qqPid(), "mm_7_2_20");
    back.forget();

    dialogs.queueAnswer(DialogResult::Ok);
    click(kDelete);

    const auto deletes = calls("/common/adzone/adzoneDelete.json");
    ASSERT_EQ(deletes.size(), 3u);
    EXPECT_THAT(deletes[0].raw, MatchesRegex("gcid=8&adzoneids=10&t=[0-9]{13}&pvid=60_1\\.2\\.3\\.4_1622_[0-9]{13}"
                                             "&_tb_token_=tok9"));
    EXPECT_THAT(calls("/common/site/generalize/guideSiteDelete.json")[0].raw,
                MatchesRegex("siteId=1&t=[0-9]{13}&pvid=&_tb_token_=tok9"));
    const auto held = back.hold();
    ASSERT_EQ(back.slots.size(), 1u);
    EXPECT_EQ(back.slots[0].siteId, "3");
    EXPECT_TRUE(back.guides.empty());

    EXPECT_EQ(slots.wechatPid(), "");
    EXPECT_EQ(slots.qqPid(), "");
    EXPECT_EQ(slots.wechatSiteId(), "");
    EXPECT_EQ(slots.generalSiteId(), "");
    EXPECT_EQ(slots.choiceFor(PidTarget::Wechat), PidChoice{});
    for (const char* name : {kWechatPidLabel, kQqPidLabel}) {
        EXPECT_EQ(label(name).text(), "获取Pid失败，请添加导购位！") << name;
        EXPECT_EQ(label(name).colour(), 0xFF0000u) << name;
    }
    // The manual pair keeps what it had.
    EXPECT_EQ(combo(kManualGuide).count(), 3);
}

}  // namespace
}  // namespace dealcast::slots::test

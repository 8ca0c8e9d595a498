#include "conversion/conversion_controls.h"
#include "slots/slots_controls.h"
#include "slots_fixture.h"

#include <gmock/gmock.h>

namespace dealcast::slots::test {
namespace {

using namespace slots::controls;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::vector<std::string> namesOf(const std::vector<GuideSite>& guides)
{
    std::vector<std::string> out;
    for (const auto& g : guides) {
        std::string line = g.name + "(" + g.guideId + "):";
        for (const auto& s : g.slots)
            line += " " + s.name + "/" + s.adzoneId + "/" + s.pid;
        out.push_back(line);
    }
    return out;
}

// Two WeChat guides and a guide of another category; slots of the WeChat guides, of that other guide and
// of a site the guide list does not name.
class AccountTest : public SlotsTest {
protected:
    AccountTest()
    {
        back.guides = {{"101", "微信群A", "微信"}, {"102", "QQ站", "QQ"}, {"104", "空导购", "微信"}};
        back.slots = {
            {"101", "微信群A", "位1", "501", "mm_7_101_501"},
            {"102", "QQ站", "位2", "502", "mm_7_102_502"},
            {"103", "网站C", "位3", "503", "mm_7_103_503"},
            {"102", "QQ站", "位4", "504", "mm_7_102_504"},
            {"101", "微信群A", "位5", "505", ""},
        };
    }
};

TEST_F(AccountTest, LoadingMergesSlotsIntoWechatAndGeneralGuides)
{
    slots.loadGuidesAndSlots();

    // Only "微信" guides come from the guide list; a WeChat guide without slots keeps its placeholder.
    EXPECT_THAT(namesOf(slots.wechatGuides()),
                ElementsAre("微信群A(101): 位1/501/mm_7_101_501 位5/505/", "空导购(104): //"));
    // Other sites appear in order of their first slot, named by the slot list's site name.
    EXPECT_THAT(namesOf(slots.generalGuides()), ElementsAre("QQ站(102): 位2/502/mm_7_102_502 位4/504/mm_7_102_504",
                                                            "网站C(103): 位3/503/mm_7_103_503"));
    EXPECT_THAT(namesOf(slots.allGuides()),
                ElementsAre(HasSubstr("QQ站"), HasSubstr("网站C"), HasSubstr("微信群A"), HasSubstr("空导购")));
    EXPECT_EQ(slots.wechatSiteId(), "101");
    // Recorded only when a further slot of a known general site is merged.
    EXPECT_EQ(slots.generalSiteId(), "102");
    // Loading alone touches no control.
    EXPECT_EQ(combo(kWechatGuide).count(), 0);
}

TEST_F(AccountTest, ReloadFillsThePairsAndRefreshShowsThePids)
{
    slots.reloadPromotionSlots();
    EXPECT_THAT(texts(kWechatGuide), ElementsAre("微信群A", "空导购"));
    EXPECT_THAT(texts(kWechatSlot), ElementsAre("位1", "位5"));
    EXPECT_EQ(currentText(kWechatSlot), "位1");
    // The manual pair: general guides first, then WeChat guides; the first guide, and its PID in the box.
    EXPECT_THAT(texts(kManualGuide), ElementsAre("QQ站", "网站C", "微信群A", "空导购"));
    EXPECT_EQ(currentText(kManualGuide), "QQ站");
    EXPECT_EQ(main.model().find<platform::EditBox>(conversion::controls::kManualPid)->text(), "mm_7_102_502");
    // The labels wait for a refresh.
    EXPECT_EQ(label(kWechatPidLabel).text(), "");

    slots.refreshPidLabels();
    EXPECT_EQ(label(kWechatPidLabel).text(), "Pid1：mm_7_101_501");
    EXPECT_EQ(label(kWechatPidLabel).colour(), 0x606060u);
    EXPECT_EQ(label(kQqPidLabel).text(), "Pid2：mm_7_102_502");
    EXPECT_EQ(slots.choiceFor(PidTarget::Wechat), (PidChoice{"101", "501", "mm_7_101_501"}));
    EXPECT_EQ(slots.choiceFor(PidTarget::Qq), (PidChoice{"102", "502", "mm_7_102_502"}));
}

TEST_F(AccountTest, SelectionHandlersFollowTheChosenGuideAndSlot)
{
    slots.reloadPromotionSlots();
    slots.refreshPidLabels();

    // A slot without a PID can be chosen: the PID goes empty and the label turns red.
    choose(kWechatSlot, 1);
    EXPECT_EQ(slots.wechatPid(), "");
    EXPECT_EQ(label(kWechatPidLabel).text(), "获取Pid失败，请选择其他导购位！");
    EXPECT_EQ(label(kWechatPidLabel).colour(), 0xFF0000u);

    // The WeChat guide without slots offers one empty entry.
    choose(kWechatGuide, 1);
    EXPECT_THAT(texts(kWechatSlot), ElementsAre(""));
    EXPECT_EQ(slots.wechatPid(), "");
    EXPECT_EQ(label(kWechatPidLabel).text(), "获取Pid失败，请选择其他导购位！");

    choose(kGeneralGuide, 1);
    EXPECT_THAT(texts(kGeneralSlot), ElementsAre("位3"));
    EXPECT_EQ(label(kQqPidLabel).text(), "Pid2：mm_7_103_503");
    EXPECT_EQ(slots.choiceFor(PidTarget::Qq), (PidChoice{"103", "503", "mm_7_103_503"}));

    // The manual pair: a slot without a PID leaves the typed PID alone; choosing a guide shows its first.
    choose(kManualGuide, 2);
    auto& manualPid = *main.model().find<platform::EditBox>(conversion::controls::kManualPid);
    EXPECT_EQ(manualPid.text(), "mm_7_101_501");
    manualPid.setText("mm_1_2_3");
    choose(kManualSlot, 1);
    EXPECT_EQ(manualPid.text(), "mm_1_2_3");
    choose(kManualSlot, 0);
    EXPECT_EQ(manualPid.text(), "mm_7_101_501");
}

TEST_F(AccountTest, SlotEntryWithValueMinusOneIsIgnored)
{
    slots.reloadPromotionSlots();
    slots.refreshPidLabels();
    combo(kWechatSlot).setEntries({{"位1", std::int64_t{-1}}, {"位5", std::int64_t{505}}}, 0);
    choose(kWechatSlot, 0);
    choose(kWechatSlot, 5);  // no such entry
    EXPECT_EQ(slots.wechatPid(), "mm_7_101_501");
}

TEST_F(AccountTest, DoubleClickCopiesTheLabelAsShown)
{
    slots.reloadPromotionSlots();
    slots.refreshPidLabels();
    choose(kGeneralGuide, 1);
    choose(kWechatSlot, 1);

    main.model().raise(kWechatPidLabel, platform::EventType::DoubleClick);
    EXPECT_EQ(clipboard.text(), "获取Pid失败，请选择其他导购位！");
    main.model().raise(kQqPidLabel, platform::EventType::DoubleClick);
    EXPECT_EQ(clipboard.text(), "Pid2：mm_7_103_503");
    EXPECT_THAT(messages(), ElementsAre("已复制微信推广通用pid！", "已复制QQ推广通用pid！"));
}

TEST_F(SlotsTest, OwnGuideIsPreselectedTheLaterOfTwoWinning)
{
    back.guides = {
        {"1", "普通", "微信"}, {"2", "禾岚创建的导购1", "微信"}, {"3", "禾岚二号", "微信"}, {"4", "尾", "微信"}};
    back.slots = {{"3", "禾岚二号", "三号位", "30", "mm_7_3_30"},
                  {"9", "别的站", "九号位", "90", "mm_7_9_90"},
                  {"8", "禾岚站", "八号位", "80", "mm_7_8_80"}};
    slots.reloadPromotionSlots();
    slots.refreshPidLabels();
    EXPECT_EQ(currentText(kWechatGuide), "禾岚二号");
    EXPECT_EQ(currentText(kWechatSlot), "三号位");
    EXPECT_EQ(currentText(kGeneralGuide), "禾岚站");
    // No preference in the manual pair.
    EXPECT_EQ(currentText(kManualGuide), "别的站");
    EXPECT_EQ(slots.wechatPid(), "mm_7_3_30");
}

TEST_F(SlotsTest, WithoutWechatGuidesTheWechatSideSaysToAddOne)
{
    back.slots = {{"8", "站八", "八号位", "80", "mm_7_8_80"}};
    slots.setWechatPid("mm_old");
    slots.reloadPromotionSlots();
    slots.refreshPidLabels();
    EXPECT_EQ(combo(kWechatGuide).count(), 0);
    EXPECT_EQ(combo(kWechatSlot).count(), 0);
    EXPECT_EQ(label(kWechatPidLabel).text(), "获取Pid失败，请添加导购位！");
    EXPECT_EQ(label(kWechatPidLabel).colour(), 0xFF0000u);
    EXPECT_EQ(label(kQqPidLabel).text(), "Pid2：mm_7_8_80");
}

TEST_F(SlotsTest, SlotListIsPagedUntilAnEmptyPage)
{
    back.guides = {{"5", "群", "微信"}};
    for (int i = 0; i < 301; ++i)
        back.slots.push_back(
            {"5", "群", "位" + std::to_string(i), std::to_string(1000 + i), "mm_7_5_" + std::to_string(i)});
    slots.loadGuidesAndSlots();

    std::vector<std::string> pages;
    for (const auto& r : back.received()) {
        if (r.path == "/common/adzone/adzoneManage.json") {
            pages.push_back(r.fields.at("toPage"));
            EXPECT_EQ(r.fields.at("perPageSize"), "150");
            EXPECT_EQ(r.fields.at("_tb_token_"), "tok9");
            EXPECT_EQ(r.fields.at("spm"), "a219t.7900221/1.1998910419.dbb742793.mQUmfF");
            EXPECT_EQ(r.fields.at("pvid"), "60_10.1.2.3_12735_" + r.fields.at("t"));
            EXPECT_EQ(r.fields.at("t").size(), 13u);
        }
    }
    EXPECT_THAT(pages, ElementsAre("1", "2", "3", "4"));
    EXPECT_EQ(back.paths().front(), "GET /common/site/generalize/guideList.json");
    ASSERT_EQ(slots.wechatGuides().size(), 1u);
    EXPECT_EQ(slots.wechatGuides()[0].slots.size(), 301u);
}

TEST_F(SlotsTest, UnexpectedAnswersEndTheLoadingQuietly)
{
    back.guides = {{"5", "群", "微信"}};
    back.slots = {{"5", "群", "位", "50", "mm_7_5_50"}};
    // Without the guide list every site is a general one; a back office that answers the same page for
    // every number is read once.
    back.htmlGuideList = true;
    back.ignorePageNumber = true;
    slots.loadGuidesAndSlots();
    EXPECT_TRUE(slots.wechatGuides().empty());
    EXPECT_THAT(namesOf(slots.generalGuides()), ElementsAre("群(5): 位/50/mm_7_5_50"));
    EXPECT_EQ(back.paths().size(), 3u);  // guide list, page 1, page 2 repeating page 1

    hosts.set(web::role::kAffiliateHost, "");
    slots.reloadPromotionSlots();
    EXPECT_TRUE(slots.allGuides().empty());
    EXPECT_EQ(combo(kManualGuide).count(), 0);
}

TEST_F(SlotsTest, IdsBeyondThirtyTwoBitsAreCarriedExactly)
{
    const std::string bigSite = "98765432109";
    const std::string hugeSite = "123456789012345678901234";
    back.guides = {{bigSite, "大号", "微信"}, {"7", "小号", "微信"}};
    back.slots = {{bigSite, "大号", "大位", "4294967297", "mm_7_" + bigSite + "_4294967297"},
                  {hugeSite, "超大", "超位", "77", "mm_7_" + hugeSite + "_77"}};
    slots.reloadPromotionSlots();
    slots.refreshPidLabels();

    EXPECT_EQ(combo(kWechatGuide).current()->value, platform::ItemValue{std::int64_t{98765432109}});
    EXPECT_EQ(combo(kGeneralGuide).current()->value, platform::ItemValue{hugeSite});
    EXPECT_EQ(slots.choiceFor(PidTarget::Wechat),
              (PidChoice{bigSite, "4294967297", "mm_7_" + bigSite + "_4294967297"}));
    EXPECT_EQ(slots.choiceFor(PidTarget::Qq).siteId, hugeSite);

    // The guide handler finds the guide again by its id text.
    choose(kWechatGuide, 1);
    choose(kWechatGuide, 0);
    EXPECT_THAT(texts(kWechatSlot), ElementsAre("大位"));
    EXPECT_EQ(slots.wechatPid(), "mm_7_" + bigSite + "_4294967297");
}

TEST(PromotionSlotsIds, OnlyTheExactDecimalFormBecomesANumber)
{
    using V = platform::ItemValue;
    const std::vector<std::pair<std::string, V>> cases = {
        {"42", V{std::int64_t{42}}},
        {"-1", V{std::int64_t{-1}}},
        {"9223372036854775807", V{std::int64_t{9223372036854775807}}},
        {"9223372036854775808", V{std::string("9223372036854775808")}},
        {"007", V{std::string("007")}},
        {"+5", V{std::string("+5")}},
        {"", V{std::string()}},
        {"12ab", V{std::string("12ab")}},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(PromotionSlots::idValue(text), value) << text;
        EXPECT_EQ(PromotionSlots::idText(PromotionSlots::idValue(text)), text);
    }
}

}  // namespace
}  // namespace dealcast::slots::test

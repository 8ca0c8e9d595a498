#include "conversion/single_item.h"
#include "pipeline_fixture.h"

#include <gtest/gtest.h>
#include <mutex>
#include <vector>

namespace dealcast::test {
namespace {

using conversion::SingleItem;
namespace cc = conversion::controls;

constexpr std::string_view kTee = sandbox::MarketplaceCatalog::kCouponItem;

class SingleItemTest : public ::testing::Test {
public:
    void SetUp() override
    {
        ASSERT_TRUE(w.started);
        area.bindHandlers();
        w.setText(cc::kManualPid, "mm_1_2233_4455");
        w.tick(cc::kFilterDuplicates, false);
    }

    std::string label(std::string_view name) { return w.window().find<platform::Label>(name)->text(); }
    platform::Button& convertButton() { return *w.window().find<platform::Button>(cc::kConvertSingle); }
    std::vector<std::string> noticeTexts() const
    {
        std::vector<std::string> out;
        for (const auto& shown : w.dialogs.shown())
            out.push_back(shown.message);
        return out;
    }

    PipelineWorld w;
    MemoryClipboard clipboard;
    bool expired = false;
    int authorizationOpened = 0;
    SingleItem area{*w.services,
                    w.main,
                    *w.converter,
                    w.dialogs,
                    clipboard,
                    conversion::SingleItemHooks{.loggedIn = [this] { return w.loggedIn.load(); },
                                                .authorizationExpired = [this] { return expired; },
                                                .openAuthorization = [this] { ++authorizationOpened; }}};
};

TEST_F(SingleItemTest, TheFiveChecksStopBeforeAnyConversion)
{
    struct Case {
        const char* name;
        std::function<void(SingleItemTest&)> setup;
        const char* notice;
        const char* logLine;
    };
    const std::vector<Case> cases = {
        {"no text", [](SingleItemTest& t) { t.w.setText(cc::kSingleItemText, ""); }, SingleItem::kNoTextNotice, ""},
        {"no pid", [](SingleItemTest& t) { t.w.setText(cc::kManualPid, ""); }, SingleItem::kNoPidNotice, ""},
        {"three-part pid", [](SingleItemTest& t) { t.w.setText(cc::kManualPid, "mm_1_2233"); },
         SingleItem::kBadPidNotice, ""},
        {"five-part pid", [](SingleItemTest& t) { t.w.setText(cc::kManualPid, "mm_1_2233_4455_6"); },
         SingleItem::kBadPidNotice, ""},
        {"logged out", [](SingleItemTest& t) { t.w.loggedIn = false; }, SingleItem::kNotLoggedInNotice,
         SingleItem::kNotLoggedInLine},
        {"no grant", [](SingleItemTest& t) { t.w.accessToken.clear(); }, SingleItem::kNoGrantNotice, ""},
        {"expired grant", [](SingleItemTest& t) { t.expired = true; }, SingleItem::kGrantExpiredNotice, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        w.dialogs.setDefaultAnswer(platform::DialogResult::Ok);
        w.setText(cc::kSingleItemText, PipelineWorld::itemLink(kTee));
        w.setText(cc::kManualPid, "mm_1_2233_4455");
        w.loggedIn = true;
        w.accessToken = "grant-token-1";
        expired = false;
        const std::size_t noticesBefore = w.dialogs.shown().size();
        c.setup(*this);

        EXPECT_FALSE(area.convertSingleItem());
        EXPECT_FALSE(area.running());
        const auto notices = noticeTexts();
        ASSERT_EQ(notices.size(), noticesBefore + 1);
        EXPECT_EQ(notices.back(), c.notice);
        if (*c.logLine) {
            EXPECT_NE(w.logText().find(c.logLine), std::string::npos);
        }
        EXPECT_TRUE(convertButton().enabled());
    }
    EXPECT_EQ(authorizationOpened, 1);
    EXPECT_EQ(w.logText().find(SingleItem::kConvertingLine), std::string::npos);
}

TEST_F(SingleItemTest, ConvertsOnItsWorkerAndFillsTheProductArea)
{
    std::mutex mutex;
    std::vector<bool> buttonStates;
    const auto subscription = w.window().subscribe([&](const platform::Change& change) {
        if (change.kind == platform::ChangeKind::Enabled && change.control == &convertButton()) {
            std::lock_guard lock(mutex);
            buttonStates.push_back(change.flag);
        }
    });
    w.setText(cc::kSingleItemText, PipelineWorld::itemLink(kTee));

    ASSERT_TRUE(w.window().raise(cc::kConvertSingle, platform::EventType::Clicked));
    area.join();

    EXPECT_EQ(buttonStates, (std::vector<bool>{false, true}));
    EXPECT_NE(w.logText().find(SingleItem::kConvertingLine), std::string::npos);
    EXPECT_NE(w.logText().find("商品链转化完成！"), std::string::npos) << w.logText();
    EXPECT_EQ(label(cc::kCurrentPrice), "59.9");
    EXPECT_EQ(label(cc::kCouponAmount), "20");
    EXPECT_EQ(label(cc::kPriceAfterCoupon), "39.9");
    EXPECT_EQ(label(cc::kMonthlySales), "3520");
    EXPECT_EQ(label(cc::kCouponsLeft), "");
    const std::string wechat = w.text(cc::kWechatMessage);
    EXPECT_NE(wechat.find("夏季纯棉短袖T恤男宽松圆领半袖"), std::string::npos);
    EXPECT_EQ(w.text(cc::kCopyText), wechat);
    EXPECT_FALSE(w.text(cc::kQqMessage).empty());
    EXPECT_FALSE(w.window().find<platform::PictureBox>(cc::kPicture)->image().empty());

    // The copy buttons take the message and the picture.
    ASSERT_TRUE(w.window().raise(cc::kCopyMessage, platform::EventType::Clicked));
    EXPECT_EQ(clipboard.text(), wechat);
    ASSERT_TRUE(w.window().raise(cc::kCopyPicture2, platform::EventType::Clicked));
    EXPECT_EQ(clipboard.image(), w.window().find<platform::PictureBox>(cc::kPicture)->image());
    EXPECT_NE(w.logText().find(SingleItem::kTextCopiedLine), std::string::npos);
    EXPECT_NE(w.logText().find(SingleItem::kPictureCopiedLine), std::string::npos);

    // A conversion that ends early gives the button back and leaves no stale picture to copy.
    w.setText(cc::kSingleItemText, "没有链接的文字");
    ASSERT_TRUE(area.convertSingleItem());
    area.join();
    EXPECT_TRUE(convertButton().enabled());
    EXPECT_TRUE(w.window().find<platform::PictureBox>(cc::kPicture)->image().empty());
    EXPECT_EQ(label(cc::kCurrentPrice), "");
    clipboard.setImage("old");
    area.copyPicture();
    EXPECT_EQ(clipboard.image(), "old");
    w.window().unsubscribe(subscription);
}

TEST_F(SingleItemTest, QueueingAppendsAManualRowAndShowsTheSendingPage)
{
    auto& queue = *w.window().find<platform::ListView>(sending::controls::kQueue);
    w.setText(cc::kSingleItemText, "");
    area.queueSingleItem();
    ASSERT_EQ(noticeTexts(), std::vector<std::string>{SingleItem::kNothingToQueueNotice});
    EXPECT_EQ(queue.rowCount(), 0);

    queue.append({"1", "a", "待发", "采集"});
    queue.append({"2", "b", "待发", "监控"});
    int scrolledTo = -1;
    const auto subscription = w.window().subscribe([&](const platform::Change& change) {
        if (change.kind == platform::ChangeKind::ScrollIntoView && change.control == &queue)
            scrolledTo = change.index;
    });
    const std::string text = PipelineWorld::itemLink(kTee) + "\r\n第二行";
    w.setText(cc::kSingleItemText, text);
    ASSERT_TRUE(w.window().raise(cc::kQueueSingle, platform::EventType::Clicked));

    ASSERT_EQ(queue.rowCount(), 3);
    EXPECT_EQ(*queue.row(2), (std::vector<std::string>{"3", text, "待发", "单品"}));
    EXPECT_EQ(scrolledTo, 2);
    EXPECT_NE(w.logText().find(SingleItem::kQueuedLine), std::string::npos);
    EXPECT_EQ(w.main.currentPage(), app::kManualSendPage);
    w.window().unsubscribe(subscription);
}

TEST_F(SingleItemTest, ClearingTheFilterAsksFirst)
{
    w.filter.append("111");
    w.dialogs.queueAnswer(platform::DialogResult::No);
    ASSERT_TRUE(w.window().raise(cc::kClearFilter, platform::EventType::Clicked));
    EXPECT_TRUE(w.filter.contains("111"));
    EXPECT_EQ(readFileBytes(w.filter.file()), "111\r\n");

    w.dialogs.queueAnswer(platform::DialogResult::Yes);
    area.clearFilter();
    EXPECT_FALSE(w.filter.contains("111"));
    EXPECT_EQ(w.text(cc::kFilterStore), "");
    EXPECT_EQ(readFileBytes(w.filter.file()), "");
    EXPECT_NE(w.logText().find(SingleItem::kClearedLine), std::string::npos);

    const auto shown = w.dialogs.shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].message, SingleItem::kClearQuestion);
    EXPECT_EQ(shown[0].caption, SingleItem::kClearCaption);
    EXPECT_EQ(shown[0].buttons, platform::DialogButtons::YesNo);
}

}  // namespace
}  // namespace dealcast::test

#include "platform/console_dialogs.h"
#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>
#include <sstream>

namespace dealcast::platform {
namespace {

TEST(ConsoleDialogs, WritesOneLinePerDialogAndAnswersTheFirstButtonByDefault)
{
    std::ostringstream out;
    ConsoleDialogs dialogs(out);
    EXPECT_EQ(dialogs.notice("请先授权\r\n再转链"), DialogResult::Ok);
    EXPECT_EQ(dialogs.ask("是否保存配置再退出?", "提示关闭", DialogButtons::YesNoCancel), DialogResult::Yes);
    EXPECT_EQ(dialogs.ask("重试?", "提示", DialogButtons::RetryCancel, DialogIcon::Warning), DialogResult::Retry);
    EXPECT_EQ(dialogs.openFile("选择文件", "表格文件(*.xls)|*.xls"), "");
    EXPECT_EQ(out.str(), "notice [友情提醒] 请先授权\\n再转链 (OK) -> OK\n"
                         "question [提示关闭] 是否保存配置再退出? (Yes/No/Cancel) -> Yes\n"
                         "question [提示] 重试? (Retry/Cancel) -> Retry\n"
                         "open-file [选择文件] 表格文件(*.xls)|*.xls -> (cancelled)\n");
}

TEST(ConsoleDialogs, ConfiguredAnswersMustBeOfferedByTheirButtonSet)
{
    std::ostringstream out;
    ConsoleDialogs dialogs(out);
    EXPECT_TRUE(dialogs.setAnswer(DialogButtons::YesNoCancel, DialogResult::Cancel));
    EXPECT_FALSE(dialogs.setAnswer(DialogButtons::YesNo, DialogResult::Cancel));
    EXPECT_FALSE(dialogs.setAnswer(DialogButtons::Ok, 7));
    dialogs.setOpenFileAnswer("/tmp/export.xls");

    EXPECT_EQ(dialogs.ask("是否保存配置再退出?", "提示关闭", DialogButtons::YesNoCancel), DialogResult::Cancel);
    EXPECT_EQ(dialogs.ask("升级?", "更新", DialogButtons::YesNo), DialogResult::Yes);
    EXPECT_EQ(dialogs.notice("ok"), DialogResult::Ok);
    EXPECT_EQ(dialogs.openFile("选择文件", "*.xls"), "/tmp/export.xls");
}

TEST(ScriptedDialogs, AnswersFromTheQueueThenTheDefaultAndRecordsEverything)
{
    test::ScriptedDialogs dialogs;
    dialogs.queueAnswer(DialogResult::No);
    EXPECT_EQ(dialogs.ask("是否保存配置再退出?", "提示关闭", DialogButtons::YesNoCancel), DialogResult::No);
    EXPECT_EQ(dialogs.ask("确认关闭？", "确认关闭？", DialogButtons::OkCancel), DialogResult::Ok);  // unscripted
    dialogs.setDefaultAnswer(DialogResult::Cancel);
    EXPECT_EQ(dialogs.notice("推广位错误", "友情提醒", DialogButtons::Ok, DialogIcon::Error), DialogResult::Cancel);

    const auto shown = dialogs.shown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].kind, DialogKind::Question);
    EXPECT_EQ(shown[0].caption, "提示关闭");
    EXPECT_EQ(shown[0].buttons, DialogButtons::YesNoCancel);
    EXPECT_EQ(shown[0].icon, DialogIcon::Question);
    EXPECT_TRUE(shown[0].scripted);
    EXPECT_FALSE(shown[1].scripted);
    EXPECT_EQ(shown[2].message, "推广位错误");
    EXPECT_EQ(shown[2].icon, DialogIcon::Error);
    EXPECT_EQ(dialogs.unscriptedCount(), 2);
}

}  // namespace
}  // namespace dealcast::platform

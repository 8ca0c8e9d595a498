#include "app/app_controls.h"
#include "app/main_window.h"
#include "app/persistence.h"
#include "app/run_log.h"
#include "conversion/conversion_controls.h"
#include "platform/virtual_clock.h"
#include "sending/sending_controls.h"
#include "session/session_controls.h"
#include "settings/settings_file.h"
#include "settings/text_file.h"
#include "support/fixtures.h"
#include "support/scripted_dialogs.h"
#include "web/encoding.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sys/resource.h>

namespace dealcast::app {
namespace {

namespace fs = std::filesystem;
using platform::DialogResult;
using settings::SettingsFile;

// A main window with its run log and persistence over a fresh run folder.
struct Harness {
    explicit Harness(const fs::path& root)
        : log(*window.model().find<platform::EditBox>(controls::kRunLog), clock)
        , persistence(window, settings::Folders{root / "run", root / "machine"}, log)
    {
    }

    platform::WindowModel& model() { return window.model(); }
    platform::EditBox& edit(std::string_view name) { return *model().find<platform::EditBox>(name); }
    platform::CheckBox& check(std::string_view name) { return *model().find<platform::CheckBox>(name); }
    platform::ListView& list(std::string_view name) { return *model().find<platform::ListView>(name); }
    std::string logText() { return edit(controls::kRunLog).text(); }
    fs::path run() const { return persistence.folders().runFolder; }

    MainWindow window;
    platform::VirtualClock clock;
    RunLog log;
    Persistence persistence;
};

// Every state the settings file keeps, by control name.
std::map<std::string, std::string> savedStates(const platform::WindowModel& model)
{
    std::map<std::string, std::string> out;
    for (const auto* box : model.all<platform::EditBox>()) {
        if (SettingsFile::kUnsavedEditBoxes.find(box->name()) == std::string_view::npos ||
            box->name() == SettingsFile::kAccountBox || box->name() == SettingsFile::kPasswordBox)
            out[box->name()] = box->text();
    }
    for (const auto* box : model.all<platform::CheckBox>()) {
        if (SettingsFile::kUnsavedCheckBoxes.find(box->name()) == std::string_view::npos)
            out[box->name()] = box->checked() ? "checked" : "unchecked";
    }
    for (const auto* box : model.all<platform::RadioBox>())
        out[box->name()] = box->checked() ? "checked" : "unchecked";
    return out;
}

std::vector<std::vector<std::string>> cellsOf(const platform::ListView& list)
{
    std::vector<std::vector<std::string>> out;
    for (const auto& row : list.rows())
        out.push_back(row.cells);
    return out;
}

// Every file under `root` with its bytes.
std::map<fs::path, std::string> filesUnder(const fs::path& root)
{
    std::map<fs::path, std::string> out;
    if (!fs::exists(root))
        return out;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        out[entry.path()] = entry.is_regular_file() ? test::readFileBytes(entry.path()) : "<folder>";
    return out;
}

// While alive, no file of this process can grow: every write of a byte fails as on a full disk.
class NoFileGrowth {
public:
    NoFileGrowth()
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit none = m_saved;
        none.rlim_cur = 0;
        ::setrlimit(RLIMIT_FSIZE, &none);
    }
    ~NoFileGrowth()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};

TEST(Persistence, SaveButtonKeepsControlsAndListsAcrossARestartByteForByte)
{
    test::TempDir dir;
    Harness before(dir.path());
    before.persistence.bindHandlers();
    before.edit(sending::controls::kTailText).setText("第一行尾巴\r\n第二行 含 &&、||");
    before.edit(sending::controls::kItemInterval).setText("120");
    before.edit(conversion::controls::kCopyText).setText("不该保存的文案");
    before.edit(session::controls::kAccount).setText("淘宝账号abc");
    before.edit(session::controls::kPassword).setText("p@ss word!2017");
    before.check(sending::controls::kSendWechat).setChecked(false);
    before.check(sending::controls::kRandomOrder).setChecked(true);
    before.check(sending::controls::kSaveWechatGroups).setChecked(true);
    before.model().find<platform::RadioBox>(sending::controls::kCtrlEnterSends)->setChecked(true);
    before.list(sending::controls::kWechatGroups).append({"1", "群A", "4242", "7"});
    before.list(sending::controls::kWechatGroups).append({"2", "好物分享群", "4343", "0"});
    before.list(sending::controls::kQueue).append({"1", "https://a.example/item?id=1\r\n领券 ￥abc￥", "待发", "单品"});
    before.list(sending::controls::kQueue).append({"2", "无状态的一条", "", "监控"});
    before.log.write("日志样本行");

    ASSERT_TRUE(before.model().raise(controls::kSaveSettingsButton, platform::EventType::Clicked));
    EXPECT_NE(before.logText().find("] >>>> 配置已保存！\r\n"), std::string::npos);

    const std::string ini = test::readFileBytes(before.run() / "data" / "setsoft.ini");
    EXPECT_FALSE(ini.starts_with("\xEF\xBB\xBF"));
    EXPECT_EQ(std::count(ini.begin(), ini.end(), '\n'), std::count(ini.begin(), ini.end(), '\r'));
    EXPECT_TRUE(ini.ends_with("\r\n"));
    EXPECT_NE(ini.find(web::utf8ToGbk("编辑框_尾巴内容=第一行尾巴><br><第二行 含 &&、||\r\n")), std::string::npos);
    for (const char* never : {"编辑框_运行日志", "编辑框_文案", "淘宝账号abc", "p@ss word!2017", "日志样本行"})
        EXPECT_EQ(web::gbkToUtf8(ini).find(never), std::string::npos) << never;
    for (std::string_view line : {"[编辑框]\r\n", "[选择框]\r\n", "[单选框]\r\n"})
        EXPECT_NE(ini.find(web::utf8ToGbk(line)), std::string::npos) << line;

    ASSERT_TRUE(settings::writeTextFile(before.run() / "itemid.txt", "575123\r\n620001\r\n"));

    Harness after(dir.path());
    after.persistence.restoreAtStartup();
    after.persistence.loadLists();

    EXPECT_EQ(savedStates(after.model()), savedStates(before.model()));
    const MainWindow designed;
    EXPECT_EQ(after.edit(conversion::controls::kCopyText).text(),
              designed.model().find<platform::EditBox>(conversion::controls::kCopyText)->text());
    EXPECT_EQ(after.edit(conversion::controls::kFilterStore).text(), "575123\r\n620001\r\n");
    // A restored group waits for its window to be found again; nothing has been sent to it this run.
    EXPECT_EQ(cellsOf(after.list(sending::controls::kWechatGroups)),
              (std::vector<std::vector<std::string>>{{"1", "群A", "", "0"}, {"2", "好物分享群", "", "0"}}));
    EXPECT_EQ(cellsOf(after.list(sending::controls::kQueue)), cellsOf(before.list(sending::controls::kQueue)));

    // Saving the restored window writes the same bytes: nothing drifts from one run to the next.
    ASSERT_TRUE(after.persistence.saveAll());
    EXPECT_EQ(test::readFileBytes(after.run() / "data" / "setsoft.ini"), ini);
}

TEST(Persistence, MissingFilesLeaveTheDesignAndEmptyLists)
{
    test::TempDir dir;
    Harness designed(dir.path() / "a");
    Harness restored(dir.path() / "b");
    restored.persistence.restoreAtStartup();
    restored.persistence.loadLists();
    EXPECT_EQ(savedStates(restored.model()), savedStates(designed.model()));
    EXPECT_EQ(restored.list(sending::controls::kWechatGroups).rowCount(), 0);
    EXPECT_EQ(restored.list(sending::controls::kQueue).rowCount(), 0);
    EXPECT_EQ(restored.edit(conversion::controls::kFilterStore).text(), "");
}

TEST(Persistence, WechatGroupsAreSavedOnlyWhileTheirBoxIsTicked)
{
    test::TempDir dir;
    Harness h(dir.path());
    ASSERT_TRUE(settings::writeTextFile(h.run() / "WXGroup.txt", "旧群"));
    h.list(sending::controls::kWechatGroups).append({"1", "新群", "1", "0"});
    ASSERT_TRUE(h.persistence.saveAll());
    EXPECT_EQ(test::readFileBytes(h.run() / "WXGroup.txt"), web::utf8ToGbk("旧群"));
    EXPECT_EQ(test::readFileBytes(h.run() / "ListGoods.txt"), "");  // an empty queue saves an empty file
}

TEST(Persistence, CancelAndNoInTheCloseQuestionTouchNoFile)
{
    for (const int answer : {DialogResult::Cancel, DialogResult::No}) {
        SCOPED_TRACE(platform::answerName(answer));
        test::TempDir dir;
        Harness h(dir.path());
        ASSERT_TRUE(settings::writeTextFile(h.run() / "itemid.txt", "575123\r\n"));
        h.check(conversion::controls::kClearFilterOnClose).setChecked(true);
        h.list(sending::controls::kQueue).append({"1", "商品", "待发", "单品"});
        const auto filesBefore = filesUnder(dir.path());
        const std::string logBefore = h.logText();

        test::ScriptedDialogs dialogs;
        dialogs.queueAnswer(answer);
        EXPECT_EQ(h.persistence.requestClose(dialogs), answer == DialogResult::No);

        EXPECT_EQ(filesUnder(dir.path()), filesBefore);
        EXPECT_EQ(h.logText(), logBefore);
        const auto shown = dialogs.shown();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].message, "是否保存配置再退出?");
        EXPECT_EQ(shown[0].caption, "提示关闭");
        EXPECT_EQ(shown[0].buttons, platform::DialogButtons::YesNoCancel);
        EXPECT_EQ(shown[0].icon, platform::DialogIcon::Question);
    }
}

TEST(Persistence, YesSavesEverythingAndEmptiesTheFilterStoreWhenAsked)
{
    for (const bool clearFilter : {true, false}) {
        SCOPED_TRACE(clearFilter ? "clear filter" : "keep filter");
        test::TempDir dir;
        Harness h(dir.path());
        ASSERT_TRUE(settings::writeTextFile(h.run() / "itemid.txt", "575123\r\n"));
        h.check(conversion::controls::kClearFilterOnClose).setChecked(clearFilter);
        h.check(sending::controls::kSaveWechatGroups).setChecked(true);
        h.list(sending::controls::kWechatGroups).append({"1", "群A", "1", "0"});
        h.list(sending::controls::kQueue).append({"1", "商品", "待发", "单品"});

        const std::string logBefore = h.logText();
        test::ScriptedDialogs dialogs;
        dialogs.queueAnswer(DialogResult::Yes);
        EXPECT_TRUE(h.persistence.requestClose(dialogs));

        EXPECT_TRUE(fs::is_regular_file(h.run() / "itemid.txt"));
        EXPECT_EQ(test::readFileBytes(h.run() / "itemid.txt"), clearFilter ? "" : "575123\r\n");
        EXPECT_TRUE(fs::is_regular_file(h.run() / "data" / "setsoft.ini"));
        EXPECT_EQ(test::readFileBytes(h.run() / "WXGroup.txt"), web::utf8ToGbk("群A"));
        EXPECT_EQ(test::readFileBytes(h.run() / "ListGoods.txt"), web::utf8ToGbk("商品&&待发&&单品&&"));
        EXPECT_EQ(h.logText(), logBefore);  // the way out writes no log line
        EXPECT_EQ(dialogs.shown().size(), 1u);
    }
}

TEST(Persistence, AFailedSaveIsReportedAndLeavesThePreviousFile)
{
    test::TempDir dir;
    Harness h(dir.path());
    ASSERT_TRUE(h.persistence.saveAll());
    const fs::path ini = h.run() / "data" / "setsoft.ini";
    const std::string previous = test::readFileBytes(ini);
    h.edit(sending::controls::kItemInterval).setText("999");
    h.list(sending::controls::kQueue).append({"1", "商品", "待发", "单品"});

    bool saved = true;
    {
        NoFileGrowth full;
        saved = h.persistence.saveAll();
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(test::readFileBytes(ini), previous);
    EXPECT_EQ(test::readFileBytes(h.run() / "ListGoods.txt"), "");
    const std::string log = h.logText();
    const std::string failure = "配置保存失败！未能写入：" + ini.string() + "、" + (h.run() / "ListGoods.txt").string();
    EXPECT_NE(log.find(failure), std::string::npos) << log;
    EXPECT_EQ(log.rfind("配置已保存！"), log.find("配置已保存！"));  // only the first, good save said so
    EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(ini.parent_path()), {}), std::vector<fs::path>{ini});
}

TEST(Persistence, ASaveFailingOnTheWayOutLetsTheUserStay)
{
    for (const int second : {DialogResult::No, DialogResult::Yes}) {
        SCOPED_TRACE(platform::answerName(second));
        test::TempDir dir;
        Harness h(dir.path());
        fs::create_directories(h.run());
        std::ofstream(h.run() / "data") << "a file where the data folder belongs";

        test::ScriptedDialogs dialogs;
        dialogs.queueAnswer(DialogResult::Yes);
        dialogs.queueAnswer(second);
        EXPECT_EQ(h.persistence.requestClose(dialogs), second == DialogResult::Yes);

        EXPECT_TRUE(fs::is_regular_file(h.run() / "ListGoods.txt"));  // the other files are still saved
        const auto shown = dialogs.shown();
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_TRUE(
            shown[1].message.starts_with("配置保存失败！未能写入：" + (h.run() / "data" / "setsoft.ini").string()));
        EXPECT_TRUE(shown[1].message.ends_with("\r\n仍然退出吗?"));
        EXPECT_EQ(shown[1].buttons, platform::DialogButtons::YesNo);
        EXPECT_NE(h.logText().find("配置保存失败！"), std::string::npos);
    }
}

TEST(Persistence, DestroyConfirmationIsShownAndItsAnswerIgnored)
{
    test::TempDir dir;
    Harness h(dir.path());
    test::ScriptedDialogs dialogs;
    dialogs.queueAnswer(DialogResult::Cancel);
    h.persistence.confirmDestroy(dialogs);
    const auto shown = dialogs.shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].message, "确认关闭？");
    EXPECT_EQ(shown[0].caption, "确认关闭？");
    EXPECT_EQ(shown[0].buttons, platform::DialogButtons::OkCancel);
    EXPECT_FALSE(fs::exists(h.run()));
}

}  // namespace
}  // namespace dealcast::app

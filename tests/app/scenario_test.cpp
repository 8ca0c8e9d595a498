#include "app/main_window.h"
#include "app/run_log.h"
#include "app/run_log_feed.h"
#include "app/scenario.h"
#include "app/scenario_dialogs.h"
#include "app/scenario_output.h"
#include "platform/event_loop.h"
#include "platform/responsive_wait.h"
#include "platform/virtual_clock.h"
#include "platform/window_model.h"
#include "platform/worker.h"

#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace dealcast::app {
namespace {

using namespace platform;

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(ScenarioParse, ReadsEachCommandWithItsWordsAndText)
{
    struct Case {
        std::string line;
        ScenarioVerb verb;
        std::string target, text;
        int row = -1, column = -1;
        std::int64_t ms = 0;
        int answer = -1;
    };
    const Case cases[] = {
        {"set 编辑框_PID mm_1_2_3", ScenarioVerb::Set, "编辑框_PID", "mm_1_2_3"},
        // The text is the rest of the line: "#" is no comment there, escapes are resolved, blanks are kept.
        {"set 编辑框_微信模板 [标题]\\r\\n券后价：[券后价] # 不是注释", ScenarioVerb::Set, "编辑框_微信模板",
         "[标题]\r\n券后价：[券后价] # 不是注释"},
        {"set 编辑框_X  two  blanks ", ScenarioVerb::Set, "编辑框_X", " two  blanks "},
        {"set 编辑框_X a\\\\b\\tc\\d\\", ScenarioVerb::Set, "编辑框_X", "a\\b\tc\\d\\"},  // unknown escapes stay
        {"expect 编辑框_PID", ScenarioVerb::Expect, "编辑框_PID", ""},
        {"  tick   阿里妈妈登录/选择框_快捷登录  ", ScenarioVerb::Tick, "阿里妈妈登录/选择框_快捷登录", ""},
        {"untick 选择框_过滤重复商品", ScenarioVerb::Untick, "选择框_过滤重复商品", ""},
        {"select 组合框_推广位 2", ScenarioVerb::Select, "组合框_推广位", "", 2},
        {"dblclick 超级列表框_待推送列表", ScenarioVerb::DoubleClick, "超级列表框_待推送列表", ""},
        {"expect-row 超级列表框_待推送列表 0 2 待发", ScenarioVerb::ExpectRow, "超级列表框_待推送列表", "待发", 0, 2},
        {"menu 超级列表框_待推送列表 删除选中(待推)", ScenarioVerb::Menu, "超级列表框_待推送列表", "删除选中(待推)"},
        {"answer no", ScenarioVerb::Answer, "", "", -1, -1, 0, DialogResult::No},
        {"wait 1500", ScenarioVerb::Wait, "", "", -1, -1, 1500},
        {"wait-log 登录成功", ScenarioVerb::WaitLog, "", "登录成功", -1, -1, 30'000},
        {"wait-log  共采集 5 件  60 ", ScenarioVerb::WaitLog, "", "共采集 5 件", -1, -1, 60'000},
        {"wait-log 120", ScenarioVerb::WaitLog, "", "120", -1, -1, 30'000},  // a lone number is the text
        {"close", ScenarioVerb::Close, "", ""},
    };
    for (const Case& c : cases) {
        const ParsedScenario parsed = parseScenario(c.line);
        ASSERT_TRUE(parsed.errors.empty()) << c.line << ": " << parsed.errors[0].message;
        ASSERT_EQ(parsed.commands.size(), 1u) << c.line;
        const ScenarioCommand& got = parsed.commands[0];
        EXPECT_EQ(got.verb, c.verb) << c.line;
        EXPECT_EQ(got.target, c.target) << c.line;
        EXPECT_EQ(got.text, c.text) << c.line;
        EXPECT_EQ(got.row, c.row) << c.line;
        EXPECT_EQ(got.column, c.column) << c.line;
        EXPECT_EQ(got.ms, c.ms) << c.line;
        EXPECT_EQ(got.answer, c.answer) << c.line;
        EXPECT_EQ(unescapeScenarioText(escapeScenarioText(got.text)), got.text) << c.line;
    }
}

TEST(ScenarioParse, ReportsEveryFaultyLineByItsNumber)
{
    const std::string script = "\xEF\xBB\xBF# 冒烟测试\r\n"
                               "\r\n"
                               "clik 按钮_开始发送\r\n"
                               "   # set 编辑框_PID x\r\n"
                               "click\r\n"
                               "select 组合框_推广位 二\r\n"
                               "wait -5\r\n"
                               "click 按钮_开始发送 twice\r\n"
                               "answer Maybe\r\n"
                               "wait-log   \r\n"
                               "expect-row 超级列表框_待推送列表 1\r\n"
                               "set 编辑框_PID \xFF\xFE\r\n"
                               "click 按钮_开始发送\r\n"
                               "close\r\n"
                               "click 按钮_开始发送";
    const ParsedScenario parsed = parseScenario(script);

    std::vector<std::string> errors;
    for (const ScenarioError& e : parsed.errors)
        errors.push_back(formatScenarioError(e));
    EXPECT_EQ(errors, (std::vector<std::string>{
                          "line 3: unknown command \"clik\"",
                          "line 5: click needs a control",
                          "line 6: select: an index \"二\" is not a number from 0",
                          "line 7: wait: \"-5\" is not a number of milliseconds",
                          "line 8: unexpected \"twice\" after click",
                          "line 9: answer \"Maybe\" is not one of Yes, No, Cancel, OK, Abort, Retry, Ignore",
                          "line 10: wait-log needs a text",
                          "line 11: expect-row needs a column",
                          "line 12: the line is not UTF-8 text",
                          "line 15: nothing may follow close",
                      }));
    ASSERT_EQ(parsed.commands.size(), 2u);
    EXPECT_EQ(parsed.commands[0].line, 13);
    EXPECT_EQ(parsed.commands[1].verb, ScenarioVerb::Close);
}

const std::vector<ControlDecl> kMainControls = {
    {.name = "编辑框_运行日志", .kind = ControlKind::EditBox, .value = "*", .flags = kMultiLine | kReadOnly},
    {.name = "编辑框_PID", .kind = ControlKind::EditBox},
    {.name = "编辑框_文案", .kind = ControlKind::EditBox, .value = "第一行\r\n\t第二行"},
    {.name = "选择框_过滤重复商品", .kind = ControlKind::CheckBox},
    {.name = "单选框_联盟搜索", .kind = ControlKind::RadioBox, .value = "1", .group = "搜索"},
    {.name = "单选框_鹊桥搜索", .kind = ControlKind::RadioBox, .group = "搜索"},
    {.name = "组合框_推广位", .kind = ControlKind::ComboBox, .value = "0", .items = {"位一", "位二", "位三"}},
    {.name = "标签_登录状态", .kind = ControlKind::Label, .caption = "未登录"},
    {.name = "按钮_开始发送", .kind = ControlKind::Button, .caption = "开始发送"},
    {.name = "按钮_记时", .kind = ControlKind::Button},
    {.name = "分组框_停用", .kind = ControlKind::GroupBox, .flags = kDisabled},
    {.name = "按钮_暂停发送", .kind = ControlKind::Button, .parent = "分组框_停用"},
    {.name = "选择夹1", .kind = ControlKind::PageControl, .items = {"基本设置", "手动群发", "商品采集"}},
    {.name = "超级列表框_待推送列表",
     .kind = ControlKind::ListView,
     .flags = kCheckBoxes,
     .items = {"序号", "商品", "状态"}},
    {.name = "待推送菜单",
     .kind = ControlKind::PopupMenu,
     .items = {"优先发送", "-", "删除选中(待推)", "清空商品(待推)"}},
    {.name = "图形按钮7", .kind = ControlKind::Button},
};

// A main window and a login window driven by a scenario, with the UI loop on a thread of its own.
class ScenarioRunnerTest : public ::testing::Test {
protected:
    ScenarioRunnerTest()
    {
        main.addAll(kMainControls);
        login.addAll(std::vector<ControlDecl>{{.name = "编辑框_账号", .kind = ControlKind::EditBox},
                                              {.name = "按钮_登录", .kind = ControlKind::Button}});
        auto* queue = main.find<ListView>("超级列表框_待推送列表");
        for (const char* item : {"商品一", "商品二", "商品三"})
            queue->append({std::to_string(queue->rowCount() + 1), item, "待发"});
        runLog.emplace(*main.find<EditBox>("编辑框_运行日志"), clock);
    }

    // Records every event of `name` as "name event index text", and the thread it ran on.
    void record(WindowModel& window, const std::string& name, EventType type, const char* event)
    {
        window.bind(name, type, [this, name, event](const EventArgs& a) {
            events.push_back(name + " " + event + " " + std::to_string(a.index) + " " + a.text);
            threads.push_back(std::this_thread::get_id());
        });
    }

    // Runs the script as a task of the loop, as the program does, and the loop on its own UI thread.
    int run(std::string_view script)
    {
        int code = -1;
        loop.post([&] {
            code = runner.runScript(script);
            loop.quit();
        });
        std::thread ui([&] { loop.run(); });
        uiThread = ui.get_id();
        ui.join();
        return code;
    }

    std::int64_t elapsedMs() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(clock.monotonic() - start).count();
    }

    VirtualClock clock;
    const Clock::Monotonic start = clock.monotonic();
    WindowModel main{"dealcast", 1045, 710};
    WindowModel login{"阿里妈妈登录", 400, 300};
    EventLoop loop{clock};
    std::ostringstream out;
    ScenarioOutput output{out};
    ScenarioDialogs dialogs{output};
    ScenarioRunner runner{{{{"", &main}, {"阿里妈妈登录", &login}}, loop, output, dialogs}};
    std::optional<RunLog> runLog;
    std::vector<std::string> events;
    std::vector<std::thread::id> threads;
    std::thread::id uiThread;
};

TEST_F(ScenarioRunnerTest, ActionsChangeControlsAndRaiseTheirEventsOnTheUiThread)
{
    record(main, "编辑框_PID", EventType::Changed, "Changed");
    record(main, "组合框_推广位", EventType::ItemChosen, "ItemChosen");
    record(main, "选择框_过滤重复商品", EventType::Clicked, "Clicked");
    record(main, "单选框_鹊桥搜索", EventType::Clicked, "Clicked");
    record(main, "选择夹1", EventType::Changed, "Changed");
    record(main, "超级列表框_待推送列表", EventType::ItemChosen, "ItemChosen");
    record(main, "超级列表框_待推送列表", EventType::DoubleClick, "DoubleClick");
    record(main, "待推送菜单", EventType::MenuItem, "MenuItem");
    record(main, "按钮_开始发送", EventType::Clicked, "Clicked");
    record(login, "编辑框_账号", EventType::Changed, "Changed");
    record(login, "按钮_登录", EventType::Clicked, "Clicked");

    const int code = run("set 编辑框_PID mm_1_2_3\n"
                         "set 组合框_推广位 位三\n"
                         "tick 选择框_过滤重复商品\n"
                         "tick 选择框_过滤重复商品\n"  // already ticked: no click
                         "untick 选择框_过滤重复商品\n"
                         "tick 单选框_鹊桥搜索\n"
                         "select 选择夹1 2\n"
                         "select 超级列表框_待推送列表 1\n"
                         "dblclick 超级列表框_待推送列表\n"
                         "menu 超级列表框_待推送列表 删除选中(待推)\n"
                         "menu 待推送菜单 清空商品(待推)\n"
                         "click 按钮_开始发送\n"
                         "set 阿里妈妈登录/编辑框_账号 user name\n"
                         "click 阿里妈妈登录/按钮_登录\n");

    EXPECT_EQ(code, 0) << out.str();
    EXPECT_EQ(events, (std::vector<std::string>{
                          "编辑框_PID Changed -1 mm_1_2_3",
                          "组合框_推广位 ItemChosen 2 位三",
                          "选择框_过滤重复商品 Clicked -1 ",
                          "选择框_过滤重复商品 Clicked -1 ",
                          "单选框_鹊桥搜索 Clicked -1 ",
                          "选择夹1 Changed 2 ",
                          "超级列表框_待推送列表 ItemChosen 1 ",
                          "超级列表框_待推送列表 DoubleClick 1 ",
                          "待推送菜单 MenuItem 2 删除选中(待推)",
                          "待推送菜单 MenuItem 3 清空商品(待推)",
                          "按钮_开始发送 Clicked -1 ",
                          "编辑框_账号 Changed -1 user name",
                          "按钮_登录 Clicked -1 ",
                      }));
    EXPECT_EQ(threads, std::vector<std::thread::id>(events.size(), uiThread));
    EXPECT_NE(uiThread, std::this_thread::get_id());

    EXPECT_EQ(main.find<EditBox>("编辑框_PID")->text(), "mm_1_2_3");
    EXPECT_EQ(main.find<ComboBox>("组合框_推广位")->currentIndex(), 2);
    EXPECT_FALSE(main.find<CheckBox>("选择框_过滤重复商品")->checked());
    EXPECT_TRUE(main.find<RadioBox>("单选框_鹊桥搜索")->checked());
    EXPECT_FALSE(main.find<RadioBox>("单选框_联盟搜索")->checked());
    EXPECT_EQ(main.find<PageControl>("选择夹1")->currentPage(), 2);
    EXPECT_EQ(main.find<ListView>("超级列表框_待推送列表")->currentRow(), 1);
    EXPECT_EQ(main.find<ListView>("超级列表框_待推送列表")->highlightedRows(), std::vector<int>{1});
    EXPECT_EQ(login.find<EditBox>("编辑框_账号")->text(), "user name");

    // Off the UI thread it refuses rather than race the loop.
    EXPECT_EQ(runner.runScript("click 按钮_开始发送"), 1);
    EXPECT_EQ(events.size(), 13u);
}

TEST_F(ScenarioRunnerTest, ChecksAndMistakesAreReportedByLineAndTheRestStillRuns)
{
    const int code = run("expect 选择框_过滤重复商品 假\n"
                         "expect 单选框_联盟搜索 真\n"
                         "expect 组合框_推广位 位一\n"
                         "expect 按钮_开始发送 开始发送\n"
                         "expect 超级列表框_待推送列表 3\n"
                         "expect 标签_登录状态 未登录\n"
                         "expect 编辑框_PID\n"
                         "expect-row 超级列表框_待推送列表 1 1 商品二\n"
                         "dump 编辑框_文案\n"
                         "expect 标签_登录状态 已登录\n"
                         "click 按钮_不存在\n"
                         "tick 按钮_开始发送\n"
                         "select 组合框_推广位 7\n"
                         "click 按钮_暂停发送\n"
                         "set 编辑框_运行日志 x\n"
                         "untick 单选框_联盟搜索\n"
                         "click 不存在的窗口/按钮_登录\n"
                         "menu 超级列表框_待推送列表 全选\n"
                         "expect-row 超级列表框_待推送列表 5 0 x\n"
                         "dblclick 超级列表框_待推送列表\n"
                         "expect 编辑框_文案 第一行\\r\\n\\t第二行\n");

    EXPECT_EQ(code, 1);
    EXPECT_EQ(splitLines(out.str()),
              (std::vector<std::string>{
                  "编辑框_文案 = 第一行\\r\\n\\t第二行",
                  "line 10: expect 标签_登录状态: wanted \"已登录\", got \"未登录\"",
                  "line 11: unknown control \"按钮_不存在\"",
                  "line 12: tick does not apply to 按钮_开始发送, a button",
                  "line 13: 组合框_推广位 has no entry 7 (it has 3)",
                  "line 14: \"按钮_暂停发送\" is disabled",
                  "line 15: 编辑框_运行日志 is read-only",
                  "line 16: a radio box is unticked by ticking another one of its group",
                  "line 17: unknown window \"不存在的窗口\"",
                  "line 18: \"待推送菜单\" has no item \"全选\" (its items: \"优先发送\", \"-\", \"删除选中(待推)\", "
                  "\"清空商品(待推)\")",
                  "line 19: 超级列表框_待推送列表 has no row 5 (it has 3)",
                  "line 20: 超级列表框_待推送列表 has no current row; select one first",
                  "scenario failed: 11 problem(s)",
              }));
}

TEST_F(ScenarioRunnerTest, AScriptThatDoesNotParseRunsNothing)
{
    record(main, "按钮_开始发送", EventType::Clicked, "Clicked");
    EXPECT_EQ(run("click 按钮_开始发送\nclik 按钮_开始发送\n"), 1);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(splitLines(out.str()), (std::vector<std::string>{"line 2: unknown command \"clik\"",
                                                               "scenario not run: 1 error(s) in the script"}));
}

TEST_F(ScenarioRunnerTest, WaitLogEndsAtTheLineItWaitsForOrTimesOut)
{
    std::vector<std::int64_t> marks;
    main.bind("按钮_记时", EventType::Clicked, [&](const EventArgs&) { marks.push_back(elapsedMs()); });
    // A worker that writes the log after a wait of its own. The handler waits for it: virtual time is one time
    // line for every thread, so only an order fixed in real time keeps the UI's next wait from passing it.
    Worker worker(clock, "采集");
    main.bind("按钮_开始发送", EventType::Clicked, [&](const EventArgs&) {
        worker.start([&] {
            ResponsiveWait(3000);
            runLog->write("采集完成：共3件");
        });
        worker.join();
    });
    loop.startTimer(5000, [&] { runLog->write("心跳"); });

    const int code = run("click 按钮_开始发送\n"
                         "wait-log 采集完成 30\n"  // written before the wait began, after the scenario did
                         "click 按钮_记时\n"
                         "wait-log 心跳 30\n"
                         "click 按钮_记时\n"
                         "wait-log 心跳 30\n"  // the next beat: a line that satisfied a wait is not taken again
                         "click 按钮_记时\n"
                         "wait-log 不会出现 10\n"
                         "click 按钮_记时\n");

    EXPECT_EQ(code, 1);
    EXPECT_EQ(marks, (std::vector<std::int64_t>{3000, 5000, 10000, 20000}));
    EXPECT_EQ(splitLines(out.str()),
              (std::vector<std::string>{"line 8: wait-log \"不会出现\": no such line within 10 s",
                                        "scenario failed: 1 problem(s)"}));
}

TEST_F(ScenarioRunnerTest, QueuedAnswersGoToTheBoxesThatOfferThem)
{
    std::vector<int> answers;
    main.bind("按钮_开始发送", EventType::Clicked, [&](const EventArgs&) {
        answers.push_back(dialogs.notice("配置已保存！"));
        answers.push_back(dialogs.ask("是否保存配置再退出?", "提示关闭", DialogButtons::YesNoCancel));
    });

    const int code = run("answer No\n"
                         "click 按钮_开始发送\n"  // the notice cannot answer No: it stays for the question
                         "click 按钮_开始发送\n"  // nothing queued: OK and Yes
                         "answer Retry\n");       // no box ever takes it

    EXPECT_EQ(code, 1);
    using R = DialogResult;
    EXPECT_EQ(answers, (std::vector<int>{R::Ok, R::No, R::Ok, R::Yes}));
    EXPECT_EQ(splitLines(out.str()), (std::vector<std::string>{
                                         "[友情提醒] 配置已保存！",
                                         "[提示关闭] 是否保存配置再退出?",
                                         "[友情提醒] 配置已保存！",
                                         "[提示关闭] 是否保存配置再退出?",
                                         "line 4: answer Retry: no notice or question took it",
                                         "scenario failed: 1 problem(s)",
                                     }));
    EXPECT_TRUE(dialogs.pendingAnswers().empty());

    struct Case {
        DialogKind kind;
        DialogButtons buttons;
        int answer;
    };
    const Case defaults[] = {
        {DialogKind::Notice, DialogButtons::Ok, R::Ok},
        {DialogKind::Notice, DialogButtons::YesNo, R::Yes},
        {DialogKind::Question, DialogButtons::OkCancel, R::Ok},
        {DialogKind::Question, DialogButtons::RetryCancel, R::Retry},
        {DialogKind::Notice, DialogButtons::AbortRetryIgnore, R::Abort},
    };
    for (const Case& c : defaults)
        EXPECT_EQ(ScenarioDialogs::defaultAnswer(c.kind, c.buttons), c.answer);
}

TEST_F(ScenarioRunnerTest, CloseRaisesTheCloseRequestAndAnEndedProgramStopsTheScript)
{
    int closes = 0;
    main.bind("图形按钮7", EventType::Clicked, [&](const EventArgs&) {
        ++closes;
        if (dialogs.ask("是否保存配置再退出?", "提示关闭", DialogButtons::YesNoCancel) != DialogResult::Cancel)
            loop.quit(0);
    });
    main.bind("按钮_开始发送", EventType::Clicked, [&](const EventArgs&) { loop.quit(0); });

    EXPECT_EQ(run("answer Cancel\nclose\n"), 0);
    EXPECT_EQ(run("answer No\nclose\n"), 0);
    EXPECT_EQ(closes, 2);

    out.str("");
    EXPECT_EQ(run("click 按钮_开始发送\nexpect 标签_登录状态 未登录\n"), 1);
    EXPECT_EQ(splitLines(out.str()),
              (std::vector<std::string>{"line 2: not run: the program has ended", "scenario failed: 1 problem(s)"}));
}

TEST(ScenarioMenus, EveryListOfTheMainWindowReachesItsOwnMenu)
{
    MainWindow window;
    VirtualClock clock;
    EventLoop loop(clock);
    std::ostringstream out;
    ScenarioOutput output(out);
    ScenarioDialogs dialogs(output);
    ScenarioRunner runner({{{"", &window.model()}}, loop, output, dialogs});

    std::string script;
    std::vector<std::string> wanted, raised;
    for (const ListMenu& pair : listMenus()) {
        ASSERT_NE(window.model().find<ListView>(pair.list), nullptr) << pair.list;
        const auto* menu = window.model().find<PopupMenu>(pair.menu);
        ASSERT_NE(menu, nullptr) << pair.menu;
        const std::string name(pair.menu);
        const int last = menu->itemCount() - 1;
        window.model().bind(name, EventType::MenuItem, [&raised, name](const EventArgs& a) {
            raised.push_back(name + " " + std::to_string(a.index));
        });
        script += "menu " + std::string(pair.list) + " " + menu->items()[static_cast<std::size_t>(last)].text + "\n";
        wanted.push_back(name + " " + std::to_string(last));
    }
    EXPECT_EQ(runner.runScript(script), 0) << out.str();
    EXPECT_EQ(raised, wanted);
}

TEST(RunLogFeed, HandsOverWholeLinesWrittenFromNowOn)
{
    WindowModel window("dealcast", 100, 100);
    window.add({.name = "编辑框_运行日志", .kind = ControlKind::EditBox, .value = "*"});
    auto& box = *window.find<EditBox>("编辑框_运行日志");
    std::ostringstream out;
    ScenarioOutput output(out);
    {
        RunLogFeed echo(window, box, output);
        box.append("ab");
        box.append("c\r\nde");
        box.append("f\r\n\r\n");
        box.append("gh");
        box.setText("");  // a replaced text drops the unfinished line
        box.append("ij\r\n");
    }
    box.append("kl\r\n");  // after the feed is gone
    EXPECT_EQ(out.str(), "abc\ndef\n\nij\n");
}

TEST(RunLogFeed, LinesFromSeveralThreadsArriveWholeAndInTheirOrder)
{
    VirtualClock clock;
    WindowModel window("dealcast", 100, 100);
    window.add({.name = "编辑框_运行日志", .kind = ControlKind::EditBox});
    auto& box = *window.find<EditBox>("编辑框_运行日志");
    RunLog log(box, clock);
    std::vector<std::string> lines;
    RunLogFeed feed(window, box, [&](std::string_view line) { lines.emplace_back(line); });

    constexpr int kLines = 2000;
    const auto writer = [&](char who) {
        for (int i = 0; i < kLines; ++i)
            log.write(std::string(1, who) + std::to_string(i));
    };
    std::thread a(writer, 'a');
    std::thread b(writer, 'b');
    a.join();
    b.join();

    ASSERT_EQ(lines.size(), 2u * kLines);
    int next[2] = {0, 0};
    for (const std::string& line : lines) {
        ASSERT_TRUE(line.starts_with("[08:00:00] >>>> ")) << line;
        const std::string message = line.substr(16);
        const int who = message[0] == 'a' ? 0 : 1;
        ASSERT_EQ(message.substr(1), std::to_string(next[who]++)) << line;
    }
}

}  // namespace
}  // namespace dealcast::app

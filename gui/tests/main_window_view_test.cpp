#include "app/app_controls.h"
#include "app/application.h"
#include "app/main_window.h"
#include "gui/main_window_view.h"
#include "gui/qt_ui_loop.h"
#include "gui_test_support.h"
#include "platform/clock.h"
#include "platform/edit_box.h"
#include "platform/processes.h"
#include "support/fixtures.h"
#include "support/scripted_dialogs.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace dealcast::gui {
namespace {

using app::MainWindow;
using platform::DialogResult;

TEST(MainWindowViewTest, ToolbarClicksSelectThePageAndMarkItsButton)
{
    MainWindow window;
    MainWindowView view(window);
    view.show();
    auto* tabs = qobject_cast<QTabWidget*>(view.widget(app::controls::kPages));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(view.size(), QSize(1045, 710));

    // In an order that visits every page from another one, ending back at the first.
    for (const int page : {3, 1, 5, 2, 4, 0}) {
        SCOPED_TRACE(page);
        QTest::mouseClick(view.widget(MainWindow::pageButton(page)), Qt::LeftButton);
        view.renderer().applyPendingChanges();
        const bool wide = page == 0;
        EXPECT_EQ(window.currentPage(), page);
        EXPECT_EQ(tabs->currentIndex(), page);
        EXPECT_EQ(tabs->width(), wide ? MainWindow::kWidePageWidth : MainWindow::kNarrowPageWidth);
        EXPECT_EQ(view.panel()->isVisible(), !wide);
        EXPECT_TRUE(view.widget(app::controls::kRunLog)->isVisible() == !wide);
        for (int other = 0; other < app::kPageCount; ++other) {
            const auto name = MainWindow::pageButton(other);
            EXPECT_EQ(window.model().find(name)->visible(), other != page) << name;
            // The chosen page's button stays on screen, shown as selected.
            EXPECT_TRUE(view.widget(name)->isVisible()) << name;
            EXPECT_EQ(view.widget(name)->property("selected").toBool(), other == page) << name;
        }
    }

    // A tab chosen directly only adjusts the width: the toolbar keeps its marks.
    tabs->tabBar()->setCurrentIndex(2);
    view.renderer().applyPendingChanges();
    EXPECT_EQ(tabs->width(), MainWindow::kNarrowPageWidth);
    EXPECT_TRUE(view.widget(MainWindow::pageButton(0))->property("selected").toBool());
    EXPECT_FALSE(view.widget(MainWindow::pageButton(2))->property("selected").toBool());
}

TEST(MainWindowViewTest, RunLogLinesFromAnyThreadShowInTheLogBox)
{
    MainWindow window;
    MainWindowView view(window);
    app::RunLog log(*window.model().find<platform::EditBox>(app::controls::kRunLog), platform::systemClock());
    log.write("界面线程");
    std::thread worker([&] { log.write("工作线程\r\n第二行"); });
    worker.join();
    auto* box = qobject_cast<QPlainTextEdit*>(view.widget(app::controls::kRunLog));
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(test::processUntil([&] { return box->toPlainText().count(QStringLiteral(">>>>")) == 2; }));
    const QStringList lines = box->toPlainText().split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("*[")));
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("] >>>> 界面线程")));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("] >>>> 工作线程")));
    EXPECT_EQ(lines[2], QStringLiteral("第二行"));
    EXPECT_TRUE(box->isReadOnly());
}

// The close question through the real window: closing it asks, and the answer decides.
class CloseQuestionTest : public ::testing::TestWithParam<int> {};

TEST_P(CloseQuestionTest, AnswerDecidesWhetherTheProgramSavesAndEnds)
{
    const int answer = GetParam();
    ::dealcast::test::TempDir home;
    ::dealcast::test::ScriptedDialogs dialogs;
    dialogs.queueAnswer(answer);
    QtUiLoop loop(platform::systemClock());
    platform::LocalProcesses processes;
    web::Hosts hosts;
    for (const auto role : web::Hosts::roles())
        hosts.set(role, "");  // no outside service: nothing waits for the network
    const auto folders = settings::Folders::resolve(home.path() / "dealcast", home.path(), home.path() / "machine");
    app::Application application(
        {platform::systemClock(), loop, dialogs, processes, folders, hosts, home.path() / "dealcast", false});
    ASSERT_TRUE(application.start());
    MainWindowView view(application.mainWindow());
    view.show();

    constexpr int kStillRunning = 42;
    loop.post([&] { view.close(); });
    loop.post([&] { loop.quit(kStillRunning); });  // reached only when the answer keeps the program running
    QTimer::singleShot(10000, [&] { loop.quit(-1); });
    const int code = application.run();

    const auto shown = dialogs.shown();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[0].message, "是否保存配置再退出?");
    EXPECT_EQ(shown[0].caption, "提示关闭");
    EXPECT_EQ(shown[0].buttons, platform::DialogButtons::YesNoCancel);
    EXPECT_EQ(shown[0].icon, platform::DialogIcon::Question);
    EXPECT_EQ(code, answer == DialogResult::Cancel ? kStillRunning : 0);
    EXPECT_EQ(std::filesystem::exists(folders.settingsPath()), answer == DialogResult::Yes);
    EXPECT_TRUE(view.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Answers, CloseQuestionTest,
                         ::testing::Values(DialogResult::Yes, DialogResult::No, DialogResult::Cancel),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(platform::answerName(info.param));
                         });

}  // namespace
}  // namespace dealcast::gui

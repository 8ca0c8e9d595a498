#include "gui/program.h"
#include "gui/qt_clipboard.h"
#include "gui/qt_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QMessageBox>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace dealcast::gui {
namespace {

using platform::DialogButtons;
using platform::DialogResult;

TEST(QtDialogsTest, FiltersBecomeQtFilters)
{
    const struct {
        const char* given;
        const char* expected;
    } cases[] = {
        {"Excel（*.xls）|*.xls", "Excel（*.xls） (*.xls)"},
        {"表格文件(*.xls)|*.xls|所有文件|*.*", "表格文件(*.xls) (*.xls);;所有文件 (*.*)"},
        {"图片|*.jpg;*.png", "图片 (*.jpg *.png)"},
        {"没有模式", "没有模式 (*)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QtDialogs::qtFilter(c.given).toStdString(), c.expected) << c.given;
}

// Presses the button with `text` on the next message box that opens.
void pressOnNextBox(const QString& text)
{
    QTimer::singleShot(0, [text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return pressOnNextBox(text);  // not open yet
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == text)
                return button->click();
        }
        box->reject();
    });
}

TEST(QtDialogsTest, BoxesShowTheirTextsAndReturnThePressedButtonsCode)
{
    QtDialogs dialogs;
    const struct {
        DialogButtons buttons;
        const char* press;
        int expected;
    } cases[] = {
        {DialogButtons::YesNoCancel, "是", DialogResult::Yes},
        {DialogButtons::YesNoCancel, "否", DialogResult::No},
        {DialogButtons::YesNoCancel, "取消", DialogResult::Cancel},
        {DialogButtons::Ok, "确定", DialogResult::Ok},
        {DialogButtons::AbortRetryIgnore, "忽略", DialogResult::Ignore},
        {DialogButtons::YesNo, "(escape)", DialogResult::No},  // closed without a button
    };
    for (const auto& c : cases) {
        QString caption;
        QTimer::singleShot(0, [&caption] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                caption = box->windowTitle();
        });
        pressOnNextBox(QString::fromUtf8(c.press));
        EXPECT_EQ(dialogs.ask("是否保存配置再退出?", "提示关闭", c.buttons), c.expected) << c.press;
        EXPECT_EQ(caption, QStringLiteral("提示关闭"));
    }
}

TEST(QtDialogsTest, AWorkersNoticeIsShownOnTheGuiThread)
{
    QtDialogs dialogs;
    std::atomic<int> answer{-1};
    std::thread worker([&] { answer = dialogs.notice("工作线程的提醒"); });
    pressOnNextBox(QStringLiteral("确定"));
    while (answer < 0)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_EQ(answer, DialogResult::Ok);
}

TEST(QtClipboardTest, HoldsTextAndImages)
{
    QtClipboard clipboard;
    clipboard.setText("复制的文案");
    EXPECT_EQ(clipboard.text(), "复制的文案");

    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    ASSERT_TRUE(clipboard.setImage(png.toStdString()));
    const std::string back = clipboard.image();
    const QImage read = QImage::fromData(reinterpret_cast<const uchar*>(back.data()), static_cast<int>(back.size()));
    EXPECT_EQ(read.size(), QSize(4, 3));
    EXPECT_EQ(read.pixelColor(0, 0), QColor(Qt::red));

    EXPECT_FALSE(clipboard.setImage("not an image"));
    EXPECT_EQ(clipboard.image(), back);
}

TEST(ProgramOptionsTest, CommandLines)
{
    std::string error;
    auto parsed = parseProgramOptions({"--home", "/h", "--hosts", "/h/hosts.ini"}, error);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->home, "/h");
    EXPECT_EQ(parsed->hosts, "/h/hosts.ini");
    EXPECT_FALSE(parsed->headless);

    parsed = parseProgramOptions({"--headless", "--script", "a.txt"}, error);
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->headless);
    EXPECT_EQ(parsed->script, "a.txt");

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--home"}, {"--headless"}, {"--script", "a.txt"}, {"--bogus"}, {"--hosts", ""}}) {
        EXPECT_FALSE(parseProgramOptions(bad, error)) << bad.front();
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace dealcast::gui

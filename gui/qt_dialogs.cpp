#include "gui/qt_dialogs.h"

#include "gui/gui_thread.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace dealcast::gui {
namespace {

QString toQt(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString buttonText(int answer)
{
    using platform::DialogResult;
    switch (answer) {
    case DialogResult::Ok:
        return QStringLiteral("确定");
    case DialogResult::Cancel:
        return QStringLiteral("取消");
    case DialogResult::Abort:
        return QStringLiteral("中止");
    case DialogResult::Retry:
        return QStringLiteral("重试");
    case DialogResult::Ignore:
        return QStringLiteral("忽略");
    case DialogResult::Yes:
        return QStringLiteral("是");
    case DialogResult::No:
        return QStringLiteral("否");
    default:
        return QStringLiteral("?");
    }
}

QMessageBox::ButtonRole role(int answer)
{
    using platform::DialogResult;
    switch (answer) {
    case DialogResult::Ok:
    case DialogResult::Retry:
        return QMessageBox::AcceptRole;
    case DialogResult::Yes:
        return QMessageBox::YesRole;
    case DialogResult::No:
        return QMessageBox::NoRole;
    case DialogResult::Cancel:
    case DialogResult::Abort:
        return QMessageBox::RejectRole;
    default:
        return QMessageBox::ActionRole;
    }
}

QMessageBox::Icon icon(platform::DialogIcon icon)
{
    switch (icon) {
    case platform::DialogIcon::Information:
        return QMessageBox::Information;
    case platform::DialogIcon::Question:
        return QMessageBox::Question;
    case platform::DialogIcon::Warning:
        return QMessageBox::Warning;
    case platform::DialogIcon::Error:
        return QMessageBox::Critical;
    case platform::DialogIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Closing the box without a button (Escape, the title bar) answers Cancel where the box offers it, else its
// last button: No for yes/no, OK for a notice.
int escapeAnswer(platform::DialogButtons buttons)
{
    const auto answers = platform::dialogAnswers(buttons);
    if (platform::offers(buttons, platform::DialogResult::Cancel))
        return platform::DialogResult::Cancel;
    return answers.empty() ? platform::DialogResult::Ok : answers.back();
}

}  // namespace

int QtDialogs::show(const platform::DialogRequest& request)
{
    int answer = escapeAnswer(request.buttons);
    runOnThreadOf(this, [&] { answer = showOnUiThread(request); });
    return answer;
}

int QtDialogs::showOnUiThread(const platform::DialogRequest& request)
{
    QMessageBox box(icon(request.icon), toQt(request.caption), toQt(request.message), QMessageBox::NoButton,
                    m_owner.data());
    std::vector<std::pair<QAbstractButton*, int>> buttons;
    for (const int answer : platform::dialogAnswers(request.buttons)) {
        QPushButton* button = box.addButton(buttonText(answer), role(answer));
        buttons.emplace_back(button, answer);
    }
    if (!buttons.empty())
        box.setDefaultButton(static_cast<QPushButton*>(buttons.front().first));
    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    for (const auto& [button, answer] : buttons) {
        if (button == clicked)
            return answer;
    }
    return escapeAnswer(request.buttons);
}

std::string QtDialogs::openFile(std::string_view caption, std::string_view filter)
{
    const QString qtCaption = toQt(caption);
    const QString qtFilterText = qtFilter(filter);
    std::string path;
    runOnThreadOf(this, [&] { path = openFileOnUiThread(qtCaption, qtFilterText); });
    return path;
}

std::string QtDialogs::openFileOnUiThread(const QString& caption, const QString& filter)
{
    return QFileDialog::getOpenFileName(m_owner.data(), caption, QString(), filter).toStdString();
}

QString QtDialogs::qtFilter(std::string_view filter)
{
    const QStringList parts = toQt(filter).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QStringList patterns;
        if (i + 1 < parts.size()) {
            for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
                patterns << pattern.trimmed();
        }
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        out << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

}  // namespace dealcast::gui

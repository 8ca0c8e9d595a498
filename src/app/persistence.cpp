#include "app/persistence.h"

#include "app/app_controls.h"
#include "app/main_window.h"
#include "app/run_log.h"
#include "conversion/conversion_controls.h"
#include "platform/dialogs.h"
#include "sending/sending_controls.h"
#include "settings/goods_list_file.h"
#include "settings/item_id_file.h"
#include "settings/settings_file.h"
#include "settings/wechat_group_file.h"

#include <algorithm>

namespace dealcast::app {
namespace {

// Column of the WeChat group list that counts the messages sent this run.
constexpr int kSentCountColumn = 3;

settings::ListRows rowsOf(const platform::ListView& list)
{
    settings::ListRows out;
    for (auto& row : list.rows())
        out.push_back(std::move(row.cells));
    return out;
}

void replaceRows(platform::ListView& list, settings::ListRows rows)
{
    list.withRows([&rows](platform::ListView::Rows& view) {
        view.clear();
        for (auto& cells : rows)
            view.append(std::move(cells));
    });
}

bool isChecked(const platform::WindowModel& model, std::string_view name)
{
    const auto* box = model.find<platform::CheckBox>(name);
    return box != nullptr && box->checked();
}

}  // namespace

Persistence::Persistence(MainWindow& window, settings::Folders folders, RunLog& log)
    : m_window(window)
    , m_folders(std::move(folders))
    , m_log(log)
{
}

void Persistence::restoreAtStartup()
{
    auto& model = m_window.model();
    if (auto* store = model.find<platform::EditBox>(conversion::controls::kFilterStore))
        store->setText(settings::ItemIdFile::load(m_folders.itemIdPath()));
    settings::SettingsFile(model, m_folders.settingsPath()).restoreControlStates();
}

void Persistence::loadLists()
{
    auto& model = m_window.model();
    if (auto* groups = model.find<platform::ListView>(sending::controls::kWechatGroups)) {
        settings::ListRows rows = settings::WechatGroupFile::load(m_folders.wechatGroupsPath());
        const auto columns = static_cast<std::size_t>(std::max(groups->columnCount(), kSentCountColumn + 1));
        for (auto& row : rows) {
            row.resize(columns);
            row[kSentCountColumn] = "0";
        }
        replaceRows(*groups, std::move(rows));
    }
    if (auto* queue = model.find<platform::ListView>(sending::controls::kQueue)) {
        const auto columns = static_cast<std::size_t>(queue->columnCount());
        replaceRows(*queue, settings::GoodsListFile::load(m_folders.goodsListPath(), columns));
    }
}

std::vector<std::filesystem::path> Persistence::save(bool closing)
{
    auto& model = m_window.model();
    std::vector<std::filesystem::path> failed;

    settings::SettingsFile settingsFile(model, m_folders.settingsPath());
    if (!settingsFile.saveControlStates())
        failed.push_back(settingsFile.path());

    if (closing && isChecked(model, conversion::controls::kClearFilterOnClose) &&
        !settings::ItemIdFile::clear(m_folders.itemIdPath()))
        failed.push_back(m_folders.itemIdPath());

    if (isChecked(model, sending::controls::kSaveWechatGroups)) {
        if (const auto* groups = model.find<platform::ListView>(sending::controls::kWechatGroups);
            groups != nullptr && !settings::WechatGroupFile::save(m_folders.wechatGroupsPath(), rowsOf(*groups)))
            failed.push_back(m_folders.wechatGroupsPath());
    }

    if (const auto* queue = model.find<platform::ListView>(sending::controls::kQueue)) {
        const auto columns = static_cast<std::size_t>(queue->columnCount());
        if (!settings::GoodsListFile::save(m_folders.goodsListPath(), rowsOf(*queue), columns))
            failed.push_back(m_folders.goodsListPath());
    }
    return failed;
}

std::string Persistence::failureText(const std::vector<std::filesystem::path>& failed)
{
    std::string text = kSaveFailedLine;
    for (std::size_t i = 0; i < failed.size(); ++i)
        text += (i > 0 ? "、" : "") + failed[i].string();
    return text;
}

bool Persistence::saveAll()
{
    const auto failed = save(false);
    m_log.write(failed.empty() ? std::string(kSavedLine) : failureText(failed));
    return failed.empty();
}

bool Persistence::saveForClose()
{
    const auto failed = save(true);
    if (!failed.empty())
        m_log.write(failureText(failed));
    return failed.empty();
}

bool Persistence::requestClose(platform::Dialogs& dialogs)
{
    using platform::DialogResult;
    const int answer = dialogs.ask(kCloseQuestion, kCloseCaption, platform::DialogButtons::YesNoCancel,
                                   platform::DialogIcon::Question);
    if (answer == DialogResult::No)
        return true;
    if (answer != DialogResult::Yes)
        return false;

    const auto failed = save(true);
    if (failed.empty())
        return true;
    const std::string text = failureText(failed);
    m_log.write(text);
    return dialogs.ask(text + "\r\n" + kQuitAnyway, kCloseCaption, platform::DialogButtons::YesNo,
                       platform::DialogIcon::Warning) == DialogResult::Yes;
}

void Persistence::confirmDestroy(platform::Dialogs& dialogs)
{
    dialogs.notice(kConfirmClose, kConfirmClose, platform::DialogButtons::OkCancel, platform::DialogIcon::None);
}

void Persistence::bindHandlers()
{
    m_window.model().bind(controls::kSaveSettingsButton, platform::EventType::Clicked,
                          [this](const platform::EventArgs&) { saveAll(); });
}

}  // namespace dealcast::app

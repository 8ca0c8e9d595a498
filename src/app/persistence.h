#pragma once

#include "settings/folders.h"

#include <filesystem>
#include <string>
#include <vector>

namespace dealcast::platform {
class Dialogs;
}

namespace dealcast::app {

class MainWindow;
class RunLog;

// What the main window keeps across a restart: the control states in setsoft.ini, the WeChat group names,
// the send queue and the duplicate filter's store; and the close question that decides whether they are
// saved on the way out.
class Persistence {
public:
    static constexpr char kSavedLine[] = "配置已保存！";
    // Followed by the files that could not be written, joined by "、".
    static constexpr char kSaveFailedLine[] = "配置保存失败！未能写入：";

    static constexpr char kCloseQuestion[] = "是否保存配置再退出?";
    static constexpr char kCloseCaption[] = "提示关闭";
    // Asked when the save before closing failed, after the failure text.
    static constexpr char kQuitAnyway[] = "仍然退出吗?";
    static constexpr char kConfirmClose[] = "确认关闭？";

    // All three outlive this object.
    Persistence(MainWindow& window, settings::Folders folders, RunLog& log);

    const settings::Folders& folders() const { return m_folders; }

    // At the main window's creation: itemid.txt into the duplicate store, then the saved radio, edit and
    // check boxes, then the account and password deciphered in place. Missing files leave the design.
    void restoreAtStartup();
    // WXGroup.txt into the WeChat group list and ListGoods.txt into the send queue, replacing their rows.
    // A restored group has no window handle yet and has had nothing sent.
    void loadLists();

    // The "保存配置" action: the control states, WXGroup.txt (only while "选择框_保存微信群列表" is
    // ticked), ListGoods.txt; then the run-log line kSavedLine, or kSaveFailedLine with the files that
    // failed. Every file is attempted even when an earlier one fails. True when all were written.
    bool saveAll();
    // The same files on the way out, with itemid.txt emptied while "选择框_清除过滤" is ticked; writes
    // the failure line only. True when all were written.
    bool saveForClose();

    // The close question. Yes: save for close and close; No: close without touching any file; Cancel: keep
    // running. When the save fails the user is told which files were not written and may stay (returns
    // false) instead of losing the settings unnoticed. True when the program may end.
    bool requestClose(platform::Dialogs& dialogs);
    // The box shown while the main window is destroyed; its answer changes nothing.
    void confirmDestroy(platform::Dialogs& dialogs);

    // Binds "按钮_保存配置" to saveAll().
    void bindHandlers();

private:
    // Paths of the files that could not be written.
    std::vector<std::filesystem::path> save(bool closing);
    static std::string failureText(const std::vector<std::filesystem::path>& failed);

    MainWindow& m_window;
    settings::Folders m_folders;
    RunLog& m_log;
};

}  // namespace dealcast::app

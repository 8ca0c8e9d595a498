#pragma once

#include "platform/worker.h"

#include <functional>
#include <string>

namespace dealcast::app {
class MainWindow;
}
namespace dealcast::platform {
class Clipboard;
class Dialogs;
}  // namespace dealcast::platform

namespace dealcast::conversion {

class ProductConverter;
struct ConversionResult;
struct ConversionServices;

// What the manual area asks of the session and the open-platform grant. Empty functions count as logged in,
// not expired, and no window to open.
struct SingleItemHooks {
    std::function<bool()> loggedIn;
    // True when the stored grant is older than it stays valid.
    std::function<bool()> authorizationExpired;
    // Shows the window in which the user grants access.
    std::function<void()> openAuthorization;
};

// The manual conversion area of the main window: converts one pasted product text for the user to look at,
// copy or queue, and clears the duplicate filter. The handlers run on the UI thread; the conversion runs on a
// worker of its own while "按钮_单品转换" is disabled, and the button comes back on every way the worker ends.
class SingleItem {
public:
    static constexpr char kNoTextNotice[] = "没有转化的文本数据！";
    static constexpr char kNoPidNotice[] = "请填写pid！";
    static constexpr char kBadPidNotice[] = "请输入正确的pid！";
    static constexpr char kNotLoggedInLine[] = "淘宝联盟未登录状态，请检查";
    static constexpr char kNotLoggedInNotice[] = "淘宝联盟未登录状态！";
    static constexpr char kNoGrantNotice[] = "联盟未授权，请点击登录按钮下面的授权按钮，否则导致部分功能无法使用";
    static constexpr char kGrantExpiredNotice[] =
        "授权即将或已过期，请重新到授权窗口授权应用，否则导致部分功能无法使用";
    static constexpr char kConvertingLine[] = "单品转化信息获取中...";
    static constexpr char kNothingToQueueNotice[] = "没有文案可添加！";
    static constexpr char kQueuedLine[] = "已从单品转换推送1条至群发列表！";
    static constexpr char kTextCopiedLine[] = "复制文案成功";
    static constexpr char kPictureCopiedLine[] = "复制图片成功";
    static constexpr char kClearQuestion[] = "清除过滤重复缓存？";
    static constexpr char kClearCaption[] = "提示";
    static constexpr char kClearedLine[] = "已清除过滤重复缓存";

    // Everything given outlives this object; `services.window` is `mainWindow`'s model.
    SingleItem(const ConversionServices& services, app::MainWindow& mainWindow, ProductConverter& converter,
               platform::Dialogs& dialogs, platform::Clipboard& clipboard, SingleItemHooks hooks = {});
    // Stops the worker and waits for it.
    ~SingleItem();
    SingleItem(const SingleItem&) = delete;
    SingleItem& operator=(const SingleItem&) = delete;

    // "按钮_单品转换": the five checks, then the conversion on the worker. False when a check stopped it or
    // a conversion is still running.
    bool convertSingleItem();
    // "按钮_单品添加列表": the pasted text joins the send queue as a product of the manual area.
    void queueSingleItem();
    // "按钮_复制文案".
    void copyMessage();
    // "按钮_复制图片" and "按钮_复制图片2": the product picture, when there is one.
    void copyPicture();
    // "按钮_清除过滤": empties the duplicate filter after the user agrees.
    void clearFilter();

    void bindHandlers();

    // Waits until a running conversion has ended (at shutdown and in tests).
    void join();
    bool running() const { return m_worker.isRunning(); }

private:
    void convertOnWorker(const std::string& text);
    void show(const ConversionResult& result);
    std::string downloadPicture(const std::string& url) const;

    const ConversionServices& m_services;
    app::MainWindow& m_mainWindow;
    ProductConverter& m_converter;
    platform::Dialogs& m_dialogs;
    platform::Clipboard& m_clipboard;
    SingleItemHooks m_hooks;
    // Last, so it is stopped and joined before anything its body uses goes away.
    platform::Worker m_worker;
};

}  // namespace dealcast::conversion

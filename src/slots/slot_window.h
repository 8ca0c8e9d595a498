#pragma once

#include "platform/window_model.h"

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace dealcast::platform {
class Dialogs;
class WindowHost;
}  // namespace dealcast::platform
namespace dealcast::session {
class AffiliateClient;
}
namespace dealcast::app {
class RunLog;
class StartupValues;
}  // namespace dealcast::app

namespace dealcast::slots {

class PromotionSlots;

namespace slot_window_controls {

inline constexpr char kWechatAccount[] = "编辑框_微信号";
inline constexpr char kQqNumber[] = "编辑框_QQ号";
inline constexpr char kQqGroup[] = "编辑框_QQ群号";
inline constexpr char kAdd[] = "按钮_添加";
inline constexpr char kDelete[] = "按钮_删除";
// Opens the back office's slot page in the user's browser ("后台删除").
inline constexpr char kBackOfficeLink[] = "超级链接框1";
inline constexpr char kBackOfficeHint[] = "标签1";
inline constexpr char kGroupHint[] = "标签2";

}  // namespace slot_window_controls

// The names of what the slot window creates; the guide names carry the mark the slot lists prefer.
inline constexpr char kWechatGuideName[] = "禾岚创建的导购1";
inline constexpr char kQqGuideName[] = "禾岚创建的导购2";
inline constexpr char kWechatSlotName[] = "禾岚创建的推广位1";
inline constexpr char kQqSlotName[] = "禾岚创建的推广位2";

// The controls of the slot window.
std::span<const platform::ControlDecl> slotWindowControls();

// The window "创建推广位": creates the WeChat and QQ guide sites with one slot each on the affiliate back end,
// and removes the slots and sites of the account's recorded WeChat and general sites again. Its handlers run
// on the UI thread while it is shown modally.
class SlotWindow {
public:
    SlotWindow(PromotionSlots& slots, const session::AffiliateClient& affiliate, app::RunLog& log,
               platform::Dialogs& dialogs, platform::WindowHost& host, const app::StartupValues& values,
               std::function<bool()> isLoggedIn);
    SlotWindow(const SlotWindow&) = delete;
    SlotWindow& operator=(const SlotWindow&) = delete;

    platform::WindowModel& model() { return m_model; }

    // Binds the window's buttons and link.
    void bindHandlers();
    // Binds the main window's link "添加/删除导购推广位" to open().
    void bindOpener(platform::WindowModel& mainWindow);

    // Shows the window modally while the affiliate session is live; otherwise tells the user to log in.
    void open();
    // "按钮_添加": both guides with their slots, then the PID query and the label refresh.
    void add();
    // "按钮_删除": after the user's OK, the slots and sites of the recorded site ids.
    void remove();
    // "超级链接框1": the back office's slot page in the user's browser.
    void openBackOffice();

private:
    bool addGuide(std::string_view body) const;
    std::string findGuideId(std::string_view name) const;
    void createSlot(std::string_view siteId, std::string_view slotName) const;
    // The first page of the account's slots, as the PID query and the deletion read it.
    std::string listFirstPage() const;
    void queryPids();
    bool deleteSlot(std::string_view slotId) const;
    bool deleteGuide(std::string_view siteId) const;
    std::string fieldText(const char* name) const;

    platform::WindowModel m_model;
    PromotionSlots& m_slots;
    const session::AffiliateClient& m_affiliate;
    app::RunLog& m_log;
    platform::Dialogs& m_dialogs;
    platform::WindowHost& m_host;
    const app::StartupValues& m_values;
    std::function<bool()> m_isLoggedIn;
};

}  // namespace dealcast::slots

#pragma once

#include "platform/combo_box.h"
#include "slots/pid_choice.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dealcast::platform {
class Clipboard;
class Dialogs;
class EditBox;
class Label;
class WindowModel;
}  // namespace dealcast::platform
namespace dealcast::session {
class AffiliateClient;
}

namespace dealcast::slots {

// One promotion slot of the account; every field is the platform's text.
struct PromotionSlot {
    std::string name{};
    std::string adzoneId{};
    std::string pid{};  // "mm_<member>_<site>_<slot>", never built here
    bool operator==(const PromotionSlot&) const = default;
};

// One guide site with its slots. A new site holds one placeholder slot (all fields empty), so its slot combo
// always has an entry to show; the first real slot takes the placeholder's place.
struct GuideSite {
    std::string name{};
    std::string guideId{};
    std::vector<PromotionSlot> slots{PromotionSlot{}};
    bool operator==(const GuideSite&) const = default;
};

// Label texts and colours of the two PID labels.
inline constexpr char kNoGuideText[] = "获取Pid失败，请添加导购位！";
inline constexpr char kNoSlotPidText[] = "获取Pid失败，请选择其他导购位！";
inline constexpr char kWechatPidPrefix[] = "Pid1：";
inline constexpr char kQqPidPrefix[] = "Pid2：";
inline constexpr std::uint32_t kPidFailedColour = 0xFF0000;  // red
inline constexpr std::uint32_t kPidShownColour = 0x606060;   // grey RGB(96,96,96)

// The account's guide sites and promotion slots as loaded from the affiliate back end, the slots chosen for
// WeChat and QQ messages, and the main-window controls that show them ("导购位" group and the manual pair).
//
// The lists and PIDs sit behind one lock: conversion workers read the choice while the UI thread or the
// login worker reloads. A reload fetches every page before it replaces the lists and refills the combos, so
// a reader sees the old choice or the new one, never a half-loaded account.
//
// Guide and slot ids are decimal texts of any size. A combo entry carries the id as an int64 when the text is
// exactly the decimal form of one, otherwise as the text itself, so no id is ever truncated; entries are
// matched against the lists by comparing decimal texts.
class PromotionSlots {
public:
    // `window` is the main window; its slot controls and the manual PID box are looked up once here.
    PromotionSlots(const session::AffiliateClient& affiliate, platform::WindowModel& window,
                   platform::Clipboard& clipboard, platform::Dialogs& dialogs);
    PromotionSlots(const PromotionSlots&) = delete;
    PromotionSlots& operator=(const PromotionSlots&) = delete;

    // Binds the combo selection handlers and the label double clicks on the main window.
    void bindHandlers();

    // Fetches the WeChat guides and every page of slots and replaces the three lists; touches no control.
    void loadGuidesAndSlots();
    // loadGuidesAndSlots, then refills the WeChat, general and manual combo pairs and the manual PID box.
    // Does not refresh the PID labels: callers that want them follow with refreshPidLabels().
    void reloadPromotionSlots();
    // Takes both PIDs from the current combo selections and rewrites the two PID labels.
    void refreshPidLabels();
    // Writes the PID of the manual pair's selected slot into the manual PID box (also when it is empty).
    void showManualPid();

    // The slot a commission link for `target` is made for: site and slot id from the selected combo entries,
    // the PID from the chosen WeChat or QQ PID.
    PidChoice choiceFor(PidTarget target) const;

    std::vector<GuideSite> wechatGuides() const;
    std::vector<GuideSite> generalGuides() const;
    std::vector<GuideSite> allGuides() const;

    std::string wechatPid() const;
    void setWechatPid(std::string pid);
    std::string qqPid() const;
    void setQqPid(std::string pid);
    // Site ids recorded by the last loading: the sites whose slots the slot window deletes.
    std::string wechatSiteId() const;
    void setWechatSiteId(std::string id);
    std::string generalSiteId() const;
    void setGeneralSiteId(std::string id);

    // After the slot window removed the account's sites: empties the WeChat and general lists and clears
    // their four combos. The manual pair and its list stay as they are.
    void forgetWechatAndGeneralGuides();

    // The combo entry value for an id text, and the id text an entry value stands for.
    static platform::ItemValue idValue(std::string_view id);
    static std::string idText(const platform::ItemValue& value);

    // Pages fetched by one loading at most, so a back end that never answers an empty page cannot hold
    // the loading forever (150 slots a page: far beyond any real account).
    static constexpr int kMaxSlotPages = 1000;

private:
    struct Loaded {
        std::vector<GuideSite> wechat;
        std::vector<GuideSite> general;
        std::optional<std::string> wechatSiteId;
        std::optional<std::string> generalSiteId;
    };
    struct PairControls {
        platform::ComboBox* guide = nullptr;
        platform::ComboBox* slot = nullptr;
    };
    enum class Side { Wechat, General };

    std::vector<GuideSite> fetchWechatGuides() const;
    Loaded fetchAll() const;
    void commit(Loaded loaded);

    static void fillPair(const PairControls& pair, const std::vector<GuideSite>& guides, bool preferOwnGuide);
    static void fillSlots(platform::ComboBox& slotCombo, const GuideSite& guide);

    void onGuideChosen(Side side, int index);
    void onSlotChosen(Side side, int index);
    void onManualGuideChosen(int index);
    void onManualSlotChosen(int index);
    void copyLabel(platform::Label* label, std::string_view message);
    void refreshSide(Side side);
    void showPid(Side side, const std::optional<std::string>& pid);
    bool ready() const;

    const session::AffiliateClient& m_affiliate;
    platform::WindowModel& m_window;
    platform::Clipboard& m_clipboard;
    platform::Dialogs& m_dialogs;

    PairControls m_wechatPair;
    PairControls m_generalPair;
    PairControls m_manualPair;
    platform::Label* m_wechatLabel = nullptr;
    platform::Label* m_qqLabel = nullptr;
    platform::EditBox* m_manualPid = nullptr;

    // One reload at a time, so lists and combos always come from the same loading.
    std::mutex m_reloadMutex;
    mutable std::mutex m_mutex;
    std::vector<GuideSite> m_wechatGuides;
    std::vector<GuideSite> m_generalGuides;
    std::vector<GuideSite> m_allGuides;
    std::string m_wechatPid;
    std::string m_qqPid;
    std::string m_wechatSiteId;
    std::string m_generalSiteId;
};

}  // namespace dealcast::slots

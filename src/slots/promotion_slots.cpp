#include "slots/promotion_slots.h"

#include "conversion/conversion_controls.h"
#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "platform/window_model.h"
#include "session/affiliate_client.h"
#include "slots/slots_controls.h"
#include "web/hosts.h"
#include "web/json_reader.h"

#include <charconv>
#include <set>

namespace dealcast::slots {

namespace {

using platform::ComboBox;
using platform::ComboEntry;
using platform::EventArgs;
using platform::EventType;

// Guides whose names carry this mark were made by the slot window and are preselected.
constexpr std::string_view kOwnGuideMark = "禾岚";
constexpr std::string_view kWechatCategory = "微信";
constexpr std::string_view kCopiedWechatPid = "已复制微信推广通用pid！";
constexpr std::string_view kCopiedQqPid = "已复制QQ推广通用pid！";

// The first slot of a new site is a placeholder; the first real slot takes its place.
void addSlot(GuideSite& guide, PromotionSlot slot)
{
    if (!guide.slots.empty() && guide.slots.front().name.empty())
        guide.slots.front() = std::move(slot);
    else
        guide.slots.push_back(std::move(slot));
}

template <class T> bool inRange(const std::vector<T>& list, int index)
{
    return index >= 0 && static_cast<std::size_t>(index) < list.size();
}

}  // namespace

PromotionSlots::PromotionSlots(const session::AffiliateClient& affiliate, platform::WindowModel& window,
                               platform::Clipboard& clipboard, platform::Dialogs& dialogs)
    : m_affiliate(affiliate)
    , m_window(window)
    , m_clipboard(clipboard)
    , m_dialogs(dialogs)
{
    m_wechatPair = {window.find<ComboBox>(controls::kWechatGuide), window.find<ComboBox>(controls::kWechatSlot)};
    m_generalPair = {window.find<ComboBox>(controls::kGeneralGuide), window.find<ComboBox>(controls::kGeneralSlot)};
    m_manualPair = {window.find<ComboBox>(controls::kManualGuide), window.find<ComboBox>(controls::kManualSlot)};
    m_wechatLabel = window.find<platform::Label>(controls::kWechatPidLabel);
    m_qqLabel = window.find<platform::Label>(controls::kQqPidLabel);
    m_manualPid = window.find<platform::EditBox>(conversion::controls::kManualPid);
}

bool PromotionSlots::ready() const
{
    for (const PairControls* pair : {&m_wechatPair, &m_generalPair, &m_manualPair}) {
        if (!pair->guide || !pair->slot)
            return false;
    }
    return m_wechatLabel && m_qqLabel && m_manualPid;
}

void PromotionSlots::bindHandlers()
{
    if (!ready())
        return;
    m_window.bind(controls::kWechatGuide, EventType::ItemChosen,
                  [this](const EventArgs& a) { onGuideChosen(Side::Wechat, a.index); });
    m_window.bind(controls::kWechatSlot, EventType::ItemChosen,
                  [this](const EventArgs& a) { onSlotChosen(Side::Wechat, a.index); });
    m_window.bind(controls::kGeneralGuide, EventType::ItemChosen,
                  [this](const EventArgs& a) { onGuideChosen(Side::General, a.index); });
    m_window.bind(controls::kGeneralSlot, EventType::ItemChosen,
                  [this](const EventArgs& a) { onSlotChosen(Side::General, a.index); });
    m_window.bind(controls::kManualGuide, EventType::ItemChosen,
                  [this](const EventArgs& a) { onManualGuideChosen(a.index); });
    m_window.bind(controls::kManualSlot, EventType::ItemChosen,
                  [this](const EventArgs& a) { onManualSlotChosen(a.index); });
    m_window.bind(controls::kWechatPidLabel, EventType::DoubleClick,
                  [this](const EventArgs&) { copyLabel(m_wechatLabel, kCopiedWechatPid); });
    m_window.bind(controls::kQqPidLabel, EventType::DoubleClick,
                  [this](const EventArgs&) { copyLabel(m_qqLabel, kCopiedQqPid); });
}

platform::ItemValue PromotionSlots::idValue(std::string_view id)
{
    std::int64_t number = 0;
    const char* end = id.data() + id.size();
    const auto [at, error] = std::from_chars(id.data(), end, number);
    // Only the exact decimal form goes in as a number, so that idText gives back the very text that came in.
    if (error == std::errc() && at == end && std::to_string(number) == id)
        return number;
    return std::string(id);
}

std::string PromotionSlots::idText(const platform::ItemValue& value)
{
    if (const auto* number = std::get_if<std::int64_t>(&value))
        return std::to_string(*number);
    return std::get<std::string>(value);
}

std::vector<GuideSite> PromotionSlots::fetchWechatGuides() const
{
    std::string path = "/common/site/generalize/guideList.json?t=";
    path.append(m_affiliate.stamp()).append("&pvid=&_tb_token_=").append(m_affiliate.token());
    path.append("&_input_charset=utf-8");

    std::vector<GuideSite> guides;
    web::JsonReader json;
    if (!json.parse(m_affiliate.get(path)))
        return guides;
    const std::size_t n = json.count("data.guideList");
    for (std::size_t i = 0; i < n; ++i) {
        if (json.getText(web::elementPath("data.guideList", i, "category3")) != kWechatCategory)
            continue;
        guides.push_back({.name = json.getText(web::elementPath("data.guideList", i, "name")),
                          .guideId = json.getText(web::elementPath("data.guideList", i, "guideID"))});
    }
    return guides;
}

PromotionSlots::Loaded PromotionSlots::fetchAll() const
{
    Loaded loaded;
    loaded.wechat = fetchWechatGuides();
    const std::string address = m_affiliate.hosts().get(web::role::kPvidAddressList);

    // Elements already merged: a back end that ignores the page number answers the same page again, which
    // ends the loading instead of repeating it forever.
    std::set<std::string> seen;
    for (int page = 1; page <= kMaxSlotPages; ++page) {
        const std::string stamp = m_affiliate.stamp();
        const std::string pvidStamp = m_affiliate.stamp();
        std::string path = "/common/adzone/adzoneManage.json?spm=a219t.7900221%2F1.1998910419.dbb742793.mQUmfF"
                           "&tab=3&toPage=";
        path.append(std::to_string(page)).append("&perPageSize=150&gcid=8&t=").append(stamp);
        path.append("&pvid=").append(session::AffiliateClient::pvid("60", address, "12735", pvidStamp));
        path.append("&_tb_token_=").append(m_affiliate.token()).append("&_input_charset=utf-8");

        web::JsonReader json;
        if (!json.parse(m_affiliate.get(path)))
            break;
        const std::size_t n = json.count("data.pagelist");
        if (n < 1)
            break;
        bool anyNew = false;
        for (std::size_t i = 0; i < n; ++i)
            anyNew = seen.insert(json.getJson("data.pagelist[" + std::to_string(i) + "]")).second || anyNew;
        if (!anyNew)
            break;

        for (std::size_t i = 0; i < n; ++i) {
            const std::string siteId = json.getText(web::elementPath("data.pagelist", i, "siteid"));
            const PromotionSlot slot{.name = json.getText(web::elementPath("data.pagelist", i, "name")),
                                     .adzoneId = json.getText(web::elementPath("data.pagelist", i, "adzoneid")),
                                     .pid = json.getText(web::elementPath("data.pagelist", i, "adzonePid"))};
            bool matched = false;
            for (GuideSite& guide : loaded.wechat) {
                if (guide.guideId == siteId) {
                    loaded.wechatSiteId = siteId;
                    addSlot(guide, slot);
                    matched = true;
                }
            }
            if (matched)
                continue;
            for (GuideSite& guide : loaded.general) {
                if (guide.guideId == siteId) {
                    loaded.generalSiteId = siteId;
                    addSlot(guide, slot);
                    matched = true;
                }
            }
            if (matched)
                continue;
            GuideSite& added = loaded.general.emplace_back(
                GuideSite{.name = json.getText(web::elementPath("data.pagelist", i, "sitename")), .guideId = siteId});
            addSlot(added, slot);
        }
    }
    return loaded;
}

void PromotionSlots::commit(Loaded loaded)
{
    m_allGuides = loaded.general;
    m_allGuides.insert(m_allGuides.end(), loaded.wechat.begin(), loaded.wechat.end());
    m_wechatGuides = std::move(loaded.wechat);
    m_generalGuides = std::move(loaded.general);
    if (loaded.wechatSiteId)
        m_wechatSiteId = std::move(*loaded.wechatSiteId);
    if (loaded.generalSiteId)
        m_generalSiteId = std::move(*loaded.generalSiteId);
}

void PromotionSlots::loadGuidesAndSlots()
{
    std::lock_guard reload(m_reloadMutex);
    Loaded loaded = fetchAll();
    std::lock_guard lock(m_mutex);
    commit(std::move(loaded));
}

void PromotionSlots::reloadPromotionSlots()
{
    if (!ready())
        return;
    std::lock_guard reload(m_reloadMutex);
    Loaded loaded = fetchAll();
    {
        // Lists and combos change together, so a worker reading the choice never pairs a new list with an
        // old selection.
        std::lock_guard lock(m_mutex);
        commit(std::move(loaded));
        fillPair(m_wechatPair, m_wechatGuides, true);
        fillPair(m_generalPair, m_generalGuides, true);
        fillPair(m_manualPair, m_allGuides, false);
    }
    showManualPid();
}

void PromotionSlots::fillSlots(ComboBox& slotCombo, const GuideSite& guide)
{
    std::vector<ComboEntry> entries;
    entries.reserve(guide.slots.size());
    for (const PromotionSlot& slot : guide.slots)
        entries.push_back({slot.name, idValue(slot.adzoneId)});
    slotCombo.setEntries(std::move(entries), 0);
}

void PromotionSlots::fillPair(const PairControls& pair, const std::vector<GuideSite>& guides, bool preferOwnGuide)
{
    if (guides.empty()) {
        pair.guide->clear();
        pair.slot->clear();
        return;
    }
    std::vector<ComboEntry> entries;
    entries.reserve(guides.size());
    std::size_t selected = 0;
    for (std::size_t i = 0; i < guides.size(); ++i) {
        entries.push_back({guides[i].name, idValue(guides[i].guideId)});
        // The last of several own guides wins.
        if (preferOwnGuide && guides[i].name.find(kOwnGuideMark) != std::string::npos)
            selected = i;
    }
    pair.guide->setEntries(std::move(entries), static_cast<int>(selected));
    fillSlots(*pair.slot, guides[selected]);
}

void PromotionSlots::showPid(Side side, const std::optional<std::string>& pid)
{
    platform::Label* label = side == Side::Wechat ? m_wechatLabel : m_qqLabel;
    if (!pid) {
        label->setText(kNoGuideText);
        label->setColour(kPidFailedColour);
    } else if (pid->empty()) {
        label->setText(kNoSlotPidText);
        label->setColour(kPidFailedColour);
    } else {
        label->setText((side == Side::Wechat ? kWechatPidPrefix : kQqPidPrefix) + *pid);
        label->setColour(kPidShownColour);
    }
}

void PromotionSlots::refreshSide(Side side)
{
    // Called with m_mutex held.
    const auto& guides = side == Side::Wechat ? m_wechatGuides : m_generalGuides;
    const PairControls& pair = side == Side::Wechat ? m_wechatPair : m_generalPair;
    std::string& chosen = side == Side::Wechat ? m_wechatPid : m_qqPid;
    if (guides.empty())
        return showPid(side, std::nullopt);
    const int guideIndex = pair.guide->currentIndex();
    const int slotIndex = pair.slot->currentIndex();
    // Without a selection nothing is chosen: the label must not go on showing a PID the combos do not hold.
    if (inRange(guides, guideIndex) && inRange(guides[static_cast<std::size_t>(guideIndex)].slots, slotIndex))
        chosen = guides[static_cast<std::size_t>(guideIndex)].slots[static_cast<std::size_t>(slotIndex)].pid;
    else
        chosen.clear();
    showPid(side, chosen);
}

void PromotionSlots::refreshPidLabels()
{
    if (!ready())
        return;
    std::lock_guard lock(m_mutex);
    refreshSide(Side::Wechat);
    refreshSide(Side::General);
}

void PromotionSlots::showManualPid()
{
    if (!ready())
        return;
    std::lock_guard lock(m_mutex);
    const int guideIndex = m_manualPair.guide->currentIndex();
    const int slotIndex = m_manualPair.slot->currentIndex();
    if (!inRange(m_allGuides, guideIndex))
        return;
    const auto& slots = m_allGuides[static_cast<std::size_t>(guideIndex)].slots;
    if (!inRange(slots, slotIndex))
        return;
    m_manualPid->setText(slots[static_cast<std::size_t>(slotIndex)].pid);
}

void PromotionSlots::onGuideChosen(Side side, int index)
{
    std::lock_guard lock(m_mutex);
    const auto& guides = side == Side::Wechat ? m_wechatGuides : m_generalGuides;
    const PairControls& pair = side == Side::Wechat ? m_wechatPair : m_generalPair;
    const auto entry = pair.guide->entry(index);
    const GuideSite* found = nullptr;
    if (entry) {
        const std::string id = idText(entry->value);
        for (const GuideSite& guide : guides) {
            if (guide.guideId == id) {
                found = &guide;
                break;
            }
        }
    }
    if (found)
        fillSlots(*pair.slot, *found);
    else
        pair.slot->clear();
    refreshSide(side);
}

void PromotionSlots::onSlotChosen(Side side, int index)
{
    std::lock_guard lock(m_mutex);
    const auto& guides = side == Side::Wechat ? m_wechatGuides : m_generalGuides;
    const PairControls& pair = side == Side::Wechat ? m_wechatPair : m_generalPair;
    const auto entry = pair.slot->entry(index);
    if (!entry || idText(entry->value) == "-1")
        return;
    const int guideIndex = pair.guide->currentIndex();
    if (!inRange(guides, guideIndex) || !inRange(guides[static_cast<std::size_t>(guideIndex)].slots, index))
        return;
    std::string& chosen = side == Side::Wechat ? m_wechatPid : m_qqPid;
    chosen = guides[static_cast<std::size_t>(guideIndex)].slots[static_cast<std::size_t>(index)].pid;
    showPid(side, chosen);
}

void PromotionSlots::onManualGuideChosen(int index)
{
    {
        std::lock_guard lock(m_mutex);
        const auto entry = m_manualPair.guide->entry(index);
        const GuideSite* found = nullptr;
        if (entry) {
            const std::string id = idText(entry->value);
            for (const GuideSite& guide : m_allGuides) {
                if (guide.guideId == id) {
                    found = &guide;
                    break;
                }
            }
        }
        if (found)
            fillSlots(*m_manualPair.slot, *found);
        else
            m_manualPair.slot->clear();
    }
    showManualPid();
}

void PromotionSlots::onManualSlotChosen(int index)
{
    std::lock_guard lock(m_mutex);
    const auto entry = m_manualPair.slot->entry(index);
    if (!entry || idText(entry->value) == "-1")
        return;
    const int guideIndex = m_manualPair.guide->currentIndex();
    if (!inRange(m_allGuides, guideIndex))
        return;
    const auto& slots = m_allGuides[static_cast<std::size_t>(guideIndex)].slots;
    if (!inRange(slots, index))
        return;
    // A slot without a PID leaves a PID the user typed in place.
    if (const std::string& pid = slots[static_cast<std::size_t>(index)].pid; !pid.empty())
        m_manualPid->setText(pid);
}

void PromotionSlots::copyLabel(platform::Label* label, std::string_view message)
{
    m_clipboard.setText(label->text());
    m_dialogs.notice(message);
}

PidChoice PromotionSlots::choiceFor(PidTarget target) const
{
    const PairControls& pair = target == PidTarget::Qq ? m_generalPair : m_wechatPair;
    std::lock_guard lock(m_mutex);
    PidChoice choice;
    if (pair.guide && pair.slot) {
        if (const auto entry = pair.guide->current())
            choice.siteId = idText(entry->value);
        if (const auto entry = pair.slot->current())
            choice.slotId = idText(entry->value);
    }
    choice.pid = target == PidTarget::Qq ? m_qqPid : m_wechatPid;
    return choice;
}

std::vector<GuideSite> PromotionSlots::wechatGuides() const
{
    std::lock_guard lock(m_mutex);
    return m_wechatGuides;
}

std::vector<GuideSite> PromotionSlots::generalGuides() const
{
    std::lock_guard lock(m_mutex);
    return m_generalGuides;
}

std::vector<GuideSite> PromotionSlots::allGuides() const
{
    std::lock_guard lock(m_mutex);
    return m_allGuides;
}

std::string PromotionSlots::wechatPid() const
{
    std::lock_guard lock(m_mutex);
    return m_wechatPid;
}

void PromotionSlots::setWechatPid(std::string pid)
{
    std::lock_guard lock(m_mutex);
    m_wechatPid = std::move(pid);
}

std::string PromotionSlots::qqPid() const
{
    std::lock_guard lock(m_mutex);
    return m_qqPid;
}

void PromotionSlots::setQqPid(std::string pid)
{
    std::lock_guard lock(m_mutex);
    m_qqPid = std::move(pid);
}

std::string PromotionSlots::wechatSiteId() const
{
    std::lock_guard lock(m_mutex);
    return m_wechatSiteId;
}

void PromotionSlots::setWechatSiteId(std::string id)
{
    std::lock_guard lock(m_mutex);
    m_wechatSiteId = std::move(id);
}

std::string PromotionSlots::generalSiteId() const
{
    std::lock_guard lock(m_mutex);
    return m_generalSiteId;
}

void PromotionSlots::setGeneralSiteId(std::string id)
{
    std::lock_guard lock(m_mutex);
    m_generalSiteId = std::move(id);
}

void PromotionSlots::forgetWechatAndGeneralGuides()
{
    if (!ready())
        return;
    std::lock_guard lock(m_mutex);
    m_wechatGuides.clear();
    m_generalGuides.clear();
    for (const PairControls* pair : {&m_wechatPair, &m_generalPair}) {
        pair->guide->clear();
        pair->slot->clear();
    }
}

}  // namespace dealcast::slots

#include "slots/slot_window.h"

#include "app/app_controls.h"
#include "app/run_log.h"
#include "app/startup_values.h"
#include "platform/dialogs.h"
#include "platform/window_host.h"
#include "session/affiliate_client.h"
#include "slots/promotion_slots.h"
#include "slots/slots_controls.h"
#include "web/hosts.h"
#include "web/json_reader.h"
#include "web/text.h"

#include <vector>

namespace dealcast::slots {

using namespace slot_window_controls;
using platform::ControlDecl;
using platform::ControlKind;
using platform::EventType;
using session::AffiliateClient;

namespace {

constexpr char kTitle[] = "创建推广位";
constexpr int kWidth = 360;
constexpr int kHeight = 240;

constexpr std::string_view kNotLoggedIn = "阿里妈妈未登录哦，先登录吧！";
constexpr std::string_view kIncomplete = "不能为空，请填写完整！";
constexpr std::string_view kWechatAddFailed = "微信添加失败！请自行到阿里妈妈后台设置。";
constexpr std::string_view kQqAddFailed = "QQ添加失败！请自行到阿里妈妈后台设置。";
constexpr std::string_view kAdded = "添加成功！";
constexpr std::string_view kPidQueryFailed = "查询pid失败！";
constexpr std::string_view kPidQueryDone = "查询pid成功！";
constexpr std::string_view kQqPidLine = "禾岚QQ推广位_通用_Pid：";
constexpr std::string_view kWechatPidLine = "禾岚微信推广位_通用_Pid：";
constexpr std::string_view kDeleteQuestion = "删除禾岚导购推广位？";
constexpr std::string_view kDeleteCaption = "提示";
constexpr std::string_view kDeleteFailed = "删除推广位失败！";

constexpr std::string_view kBackOfficePath = "/myunion.htm?#!/manage/zone/zone?tab=3&toPage=1";

}  // namespace

std::span<const ControlDecl> slotWindowControls()
{
    // The edit boxes start empty; nothing of the window is saved.
    static const std::vector<ControlDecl> table = {
        {.name = kWechatAccount, .kind = ControlKind::EditBox, .caption = "微信号："},
        {.name = kQqNumber, .kind = ControlKind::EditBox, .caption = "QQ号："},
        {.name = kQqGroup, .kind = ControlKind::EditBox, .caption = "QQ群号："},
        {.name = kAdd, .kind = ControlKind::Button, .caption = "添加"},
        {.name = kDelete, .kind = ControlKind::Button, .caption = "删除"},
        {.name = kBackOfficeHint, .kind = ControlKind::Label, .caption = "如果有个别PID获取失败，请先点此处→"},
        {.name = kBackOfficeLink,
         .kind = ControlKind::Label,
         .caption = "后台删除",
         .colour = app::controls::kLinkColour},
        {.name = kGroupHint, .kind = ControlKind::Label, .caption = "如果需要增加群号请到阿里妈妈后台！"},
    };
    return table;
}

SlotWindow::SlotWindow(PromotionSlots& slots, const session::AffiliateClient& affiliate, app::RunLog& log,
                       platform::Dialogs& dialogs, platform::WindowHost& host, const app::StartupValues& values,
                       std::function<bool()> isLoggedIn)
    : m_model(kTitle, kWidth, kHeight)
    , m_slots(slots)
    , m_affiliate(affiliate)
    , m_log(log)
    , m_dialogs(dialogs)
    , m_host(host)
    , m_values(values)
    , m_isLoggedIn(std::move(isLoggedIn))
{
    m_model.addAll(slotWindowControls());
}

void SlotWindow::bindHandlers()
{
    m_model.bind(kAdd, EventType::Clicked, [this](const platform::EventArgs&) { add(); });
    m_model.bind(kDelete, EventType::Clicked, [this](const platform::EventArgs&) { remove(); });
    m_model.bind(kBackOfficeLink, EventType::Clicked, [this](const platform::EventArgs&) { openBackOffice(); });
}

void SlotWindow::bindOpener(platform::WindowModel& mainWindow)
{
    mainWindow.bind(controls::kSlotWindowLink, EventType::Clicked, [this](const platform::EventArgs&) { open(); });
}

void SlotWindow::open()
{
    if (!m_isLoggedIn || !m_isLoggedIn()) {
        m_dialogs.notice(kNotLoggedIn);
        return;
    }
    m_host.show(m_model, true);
}

std::string SlotWindow::fieldText(const char* name) const
{
    const auto* box = m_model.find<platform::EditBox>(name);
    return box ? std::string(web::trim(box->text())) : std::string();
}

bool SlotWindow::addGuide(std::string_view body) const
{
    return AffiliateClient::succeeded(m_affiliate.post("/common/site/generalize/guideAdd.json", body));
}

std::string SlotWindow::findGuideId(std::string_view name) const
{
    std::string path = "/common/site/generalize/guideList.json?t=";
    path.append(m_affiliate.stamp()).append("&pvid=&_tb_token_=").append(m_affiliate.token());
    path.append("&_input_charset=utf-8");
    web::JsonReader json;
    if (!json.parse(m_affiliate.get(path)))
        return {};
    const std::size_t n = json.count("data.guideList");
    for (std::size_t i = 0; i < n; ++i) {
        if (json.getText(web::elementPath("data.guideList", i, "name")) == name)
            return json.getText(web::elementPath("data.guideList", i, "guideID"));
    }
    return {};
}

void SlotWindow::createSlot(std::string_view siteId, std::string_view slotName) const
{
    // The answer's slot id is not needed: the PID query afterwards shows whether the slot exists.
    std::string body = "tag=29&gcid=8&siteid=";
    body.append(web::urlEncode(siteId)).append("&selectact=add&newadzonename=").append(web::urlEncode(slotName));
    body.append("&t=").append(m_affiliate.stamp()).append("&_tb_token_=").append(m_affiliate.token());
    body.append("&pvid=").append(AffiliateClient::pvid("10", m_affiliate.hosts().get(web::role::kPvidAddressCreate),
                                                       "534", m_affiliate.stamp()));
    m_affiliate.post("/common/adzone/selfAdzoneCreate.json?", body);
}

std::string SlotWindow::listFirstPage() const
{
    std::string path = "/common/adzone/adzoneManage.json?tab=3&toPage=1&perPageSize=150&gcid=8&t=";
    path.append(m_affiliate.stamp());
    path.append("&pvid=").append(AffiliateClient::pvid("60", m_values.publicIp(), "12635", ""));
    path.append("&_tb_token_=").append(m_affiliate.token()).append("&_input_charset=utf-8");
    return m_affiliate.get(path);
}

void SlotWindow::add()
{
    // User texts are percent-encoded like the fixed names, so an "&" or "=" typed in a box cannot add
    // fields of its own to the form.
    const std::string wechat = fieldText(kWechatAccount);
    const std::string qqGroup = fieldText(kQqGroup);
    const std::string qq = fieldText(kQqNumber);
    if (wechat.empty() || qqGroup.empty() || qq.empty()) {
        m_dialogs.notice(kIncomplete);
        return;
    }

    std::string body = "name=";
    body.append(web::urlEncode(kWechatGuideName)).append("&categoryId=14&account1=").append(web::urlEncode(wechat));
    body.append("&t=").append(m_affiliate.stamp()).append("&pvid=&_tb_token_=").append(m_affiliate.token());
    const bool wechatAdded = addGuide(body);
    if (!wechatAdded) {
        m_dialogs.notice(kWechatAddFailed);
    } else if (const std::string id = findGuideId(kWechatGuideName); !id.empty()) {
        createSlot(id, kWechatSlotName);
        m_slots.reloadPromotionSlots();
    }

    body = "name=";
    body.append(web::urlEncode(kQqGuideName)).append("&categoryId=13&account1=").append(web::urlEncode(qq));
    body.append("&account2=").append(web::urlEncode(qqGroup));
    body.append("&t=").append(m_affiliate.stamp()).append("&pvid=&_tb_token_=").append(m_affiliate.token());
    if (!addGuide(body)) {
        m_dialogs.notice(kQqAddFailed);
    } else {
        if (wechatAdded)
            m_dialogs.notice(kAdded);
        if (const std::string id = findGuideId(kQqGuideName); !id.empty()) {
            createSlot(id, kQqSlotName);
            m_slots.reloadPromotionSlots();
        }
    }

    queryPids();
    m_slots.refreshPidLabels();
}

void SlotWindow::queryPids()
{
    const std::string answer = listFirstPage();
    if (!AffiliateClient::succeeded(answer)) {
        m_log.write(kPidQueryFailed);
        return;
    }
    m_log.write(kPidQueryDone);
    web::JsonReader json;
    json.parse(answer);
    const std::size_t n = json.count("data.pagelist");
    for (std::size_t i = 0; i < n; ++i) {
        const std::string name = json.getText(web::elementPath("data.pagelist", i, "name"));
        const std::string pid = json.getText(web::elementPath("data.pagelist", i, "adzonePid"));
        if (name == kQqSlotName) {
            m_slots.setQqPid(pid);
            m_log.write(std::string(kQqPidLine) + pid);
        } else if (name == kWechatSlotName) {
            m_slots.setWechatPid(pid);
            m_log.write(std::string(kWechatPidLine) + pid);
        }
    }
}

bool SlotWindow::deleteSlot(std::string_view slotId) const
{
    std::string body = "gcid=8&adzoneids=";
    body.append(web::urlEncode(slotId)).append("&t=").append(m_affiliate.stamp());
    body.append("&pvid=").append(AffiliateClient::pvid("60", m_values.publicIp(), "1622", m_affiliate.stamp()));
    body.append("&_tb_token_=").append(m_affiliate.token());
    return AffiliateClient::succeeded(m_affiliate.post("/common/adzone/adzoneDelete.json", body));
}

bool SlotWindow::deleteGuide(std::string_view siteId) const
{
    std::string body = "siteId=";
    body.append(web::urlEncode(siteId)).append("&t=").append(m_affiliate.stamp());
    body.append("&pvid=&_tb_token_=").append(m_affiliate.token());
    return AffiliateClient::succeeded(m_affiliate.post("/common/site/generalize/guideSiteDelete.json", body));
}

void SlotWindow::remove()
{
    if (m_dialogs.ask(kDeleteQuestion, kDeleteCaption, platform::DialogButtons::OkCancel) != platform::DialogResult::Ok)
        return;
    const std::string answer = listFirstPage();
    if (!AffiliateClient::succeeded(answer)) {
        m_log.write(kDeleteFailed);
        return;
    }

    const std::string wechatSite = m_slots.wechatSiteId();
    const std::string generalSite = m_slots.generalSiteId();
    web::JsonReader json;
    json.parse(answer);
    const std::size_t n = json.count("data.pagelist");
    for (std::size_t i = 0; i < n; ++i) {
        const std::string siteId = json.getText(web::elementPath("data.pagelist", i, "siteid"));
        if (siteId.empty())
            continue;
        const std::string slotId = json.getText(web::elementPath("data.pagelist", i, "adzoneid"));
        if (siteId == wechatSite && deleteSlot(slotId))
            m_slots.setWechatPid({});
        if (siteId == generalSite && deleteSlot(slotId))
            m_slots.setQqPid({});
    }
    if (!wechatSite.empty() && m_slots.wechatPid().empty() && deleteGuide(wechatSite))
        m_slots.setWechatSiteId({});
    if (!generalSite.empty() && m_slots.qqPid().empty() && deleteGuide(generalSite))
        m_slots.setGeneralSiteId({});

    // The lists go first: refreshing from them would select a deleted slot and show its PID again, while
    // the emptied lists make both labels say that no slot is chosen.
    m_slots.forgetWechatAndGeneralGuides();
    m_slots.refreshPidLabels();
}

void SlotWindow::openBackOffice()
{
    if (!m_affiliate.available()) {
        m_log.write(web::Hosts::unsetMessage(web::role::kAffiliateHost));
        return;
    }
    m_host.openExternal(m_affiliate.url(kBackOfficePath));
}

}  // namespace dealcast::slots

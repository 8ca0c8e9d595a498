#include "sandbox/affiliate_platform_service.h"

#include "web/hosts.h"
#include "web/text.h"

#include <algorithm>
#include <charconv>
#include <nlohmann/json.hpp>

namespace dealcast::sandbox {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kHtml = "text/html; charset=utf-8";
constexpr std::string_view kJson = "application/json;charset=UTF-8";
constexpr std::string_view kLandingAddress = "/member/taobaoke/login.htm?is_login=1";
constexpr std::string_view kQuickLoginType = "quick";
constexpr std::string_view kStaticLoginType = "static";

std::string htmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Every value the Cookie header gives the name (a browser may send one name twice for different paths).
std::vector<std::string> cookieValues(const httplib::Request& request, std::string_view name)
{
    std::vector<std::string> values;
    for (auto [it, end] = request.headers.equal_range("Cookie"); it != end; ++it) {
        std::string_view rest = it->second;
        while (!rest.empty()) {
            const auto semicolon = rest.find(';');
            const std::string_view pair = web::trim(rest.substr(0, semicolon));
            rest = semicolon == std::string_view::npos ? std::string_view{} : rest.substr(semicolon + 1);
            const auto equals = pair.find('=');
            if (equals != std::string_view::npos && web::trim(pair.substr(0, equals)) == name)
                values.emplace_back(web::trim(pair.substr(equals + 1)));
        }
    }
    return values;
}

// A query parameter, or a field of a form body; the changing calls put their token in either.
std::string param(const httplib::Request& request, const std::string& name)
{
    if (request.has_param(name))
        return request.get_param_value(name);
    if (request.get_header_value("Content-Type").starts_with("application/x-www-form-urlencoded")) {
        httplib::Params fields;
        httplib::detail::parse_query_text(request.body, fields);
        if (const auto it = fields.find(name); it != fields.end())
            return it->second;
    }
    return {};
}

bool isDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Ids travel as JSON numbers, as the platform sends them.
Json idNumber(const std::string& id)
{
    std::int64_t value = 0;
    std::from_chars(id.data(), id.data() + id.size(), value);
    return value;
}

std::string categoryText(int categoryId)
{
    switch (categoryId) {
    case AffiliatePlatformService::kWechatCategory:
        return "微信";
    case AffiliatePlatformService::kQqCategory:
        return "QQ";
    default:
        return "其他";
    }
}

// Request texts are not checked for UTF-8, so a malformed name is answered with replacement characters
// instead of failing the whole answer.
void answerJson(httplib::Response& response, const Json& json)
{
    response.status = 200;
    response.set_content(json.dump(-1, ' ', false, Json::error_handler_t::replace), std::string(kJson));
}

void answerOk(httplib::Response& response, Json data)
{
    answerJson(response, Json{{"data", std::move(data)}, {"info", {{"message", nullptr}, {"ok", true}}}, {"ok", true}});
}

void answerFailure(httplib::Response& response, std::string_view message)
{
    answerJson(response,
               Json{{"data", nullptr}, {"info", {{"message", std::string(message)}, {"ok", false}}}, {"ok", false}});
}

void answerHtml(httplib::Response& response, const std::string& title, const std::string& body, int status = 200)
{
    response.status = status;
    response.set_content("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + htmlEscape(title) +
                             "</title></head>\n<body>\n" + body + "</body></html>\n",
                         std::string(kHtml));
}

std::string hostOnlyCookie(std::string_view name, std::string_view value, bool httpOnly = false)
{
    return std::string(name) + "=" + std::string(value) + "; Path=/" + (httpOnly ? "; HttpOnly" : "");
}

// The mini login page, laid out for a 364x299 view. The quick-login panel covers the static form (both stay
// in the document, so either can be driven by id); its avatar sits under the point (178, 228) of the view.
std::string loginPageHtml(const std::string& action, bool quickPanel, bool quickButtonWorks, const std::string& nick,
                          const std::string& error)
{
    std::string html =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>登录</title>\n<style>\n"
        "html,body{margin:0;padding:0;width:364px;height:299px;overflow:hidden;"
        "font:12px sans-serif;background:#fff}\n"
        "#J_QuickLogin{position:absolute;left:0;top:0;width:364px;height:299px;background:#fff;z-index:2}\n"
        "#J_SubmitQuick{position:absolute;left:132px;top:96px;width:100px;height:30px}\n"
        "#J_QuickAvatar{position:absolute;left:148px;top:198px;width:60px;height:60px;border:0;padding:0;"
        "border-radius:30px;background:#f60;color:#fff;cursor:pointer}\n"
        ".nick{position:absolute;left:0;top:60px;width:364px;text-align:center}\n"
        "#J_ToStatic{position:absolute;right:12px;top:12px}\n"
        "#J_StaticForm{padding:16px 24px}\n#J_StaticForm input{width:200px;margin:4px 0}\n"
        ".error{color:#c00}\n#J_QRCodeLogin{padding:0 24px;color:#666}\n"
        "</style></head>\n<body>\n";
    if (quickPanel) {
        html += "<div id=\"J_QuickLogin\">\n<form id=\"J_QuickForm\" method=\"post\" action=\"" + action +
                "\">\n<input type=\"hidden\" name=\"loginType\" value=\"" + std::string(kQuickLoginType) +
                "\">\n<div class=\"nick\">快速登录：" + htmlEscape(nick) + "</div>\n";
        html += quickButtonWorks ? "<button id=\"J_SubmitQuick\" type=\"submit\">快速登录</button>\n"
                                 : "<button id=\"J_SubmitQuick\" type=\"button\">快速登录</button>\n";
        html += "<button id=\"J_QuickAvatar\" type=\"submit\" title=\"" + htmlEscape(nick) +
                "\">头像</button>\n</form>\n<a id=\"J_ToStatic\" href=\"#\" onclick=\""
                "document.getElementById('J_QuickLogin').style.display='none';return false;\">密码登录</a>\n"
                "</div>\n";
    }
    html += "<form id=\"J_StaticForm\" method=\"post\" action=\"" + action +
            "\">\n<input type=\"hidden\" name=\"loginType\" value=\"" + std::string(kStaticLoginType) + "\">\n";
    if (!error.empty())
        html += "<div class=\"error\" id=\"J_Message\">" + htmlEscape(error) + "</div>\n";
    html += "<div><input id=\"TPL_username_1\" name=\"TPL_username_1\" type=\"text\" placeholder=\"账号名\"></div>\n"
            "<div><input id=\"TPL_password_1\" name=\"TPL_password_1\" type=\"password\" placeholder=\"登录密码\">"
            "</div>\n<div><button id=\"J_SubmitStatic\" type=\"submit\">登 录</button></div>\n</form>\n"
            "<div id=\"J_QRCodeLogin\">扫码登录：请用手机客户端扫描二维码</div>\n</body></html>\n";
    return html;
}

std::string loginLink()
{
    return "<a id=\"J_LoginLink\" href=\"" + std::string(AffiliatePlatformService::kLoginPage) +
           "?style=mini\">登录</a>";
}

}  // namespace

AffiliatePlatformService::AffiliatePlatformService()
    : m_random(std::random_device{}())
{
    const auto addSite = [this](std::string name, int category, bool guide, std::string account1,
                                std::string account2) {
        m_sites.push_back({std::to_string(m_nextSiteId++), std::move(name), category, guide, std::move(account1),
                           std::move(account2)});
        return m_sites.back().id;
    };
    const std::string wechat = addSite("微信群导购", kWechatCategory, true, "sandbox_wx", "");
    const std::string general = addSite("禾岚的QQ导购", kQqCategory, true, "10001", "20002");
    const std::string website = addSite("我的网站", 0, false, "", "");
    addSlot(wechat, "微信群推广位");
    addSlot(wechat, "朋友圈推广位");
    addSlot(general, "QQ群推广位1");
    addSlot(general, "QQ群推广位2");
    addSlot(website, "网站推广位");
}

std::vector<std::string_view> AffiliatePlatformService::roles() const
{
    return {web::role::kAffiliateHost, web::role::kAffiliateDomain, web::role::kLoginHost, web::role::kMediaHost,
            web::role::kOauthHost};
}

bool AffiliatePlatformService::handles(const httplib::Request& request) const
{
    static constexpr std::string_view kPaths[] = {kLoginPage, kLoginLanding,  kUnionHome,  kBaseInfo,
                                                  kAuthorize, kAuthorizeDone, kGuideList,  kSlotList,
                                                  kGuideAdd,  kSlotCreate,    kSlotDelete, kGuideDelete};
    return std::find(std::begin(kPaths), std::end(kPaths), request.path) != std::end(kPaths);
}

void AffiliatePlatformService::handle(const httplib::Request& request, httplib::Response& response)
{
    m_log.record(request.path);
    std::lock_guard lock(m_mutex);
    const std::string_view path = request.path;

    if (path == kLoginPage)
        return serveLoginPage(request, response);
    if (path == kLoginLanding) {
        response.set_redirect(std::string(kUnionHome), 302);
        return;
    }
    if (path == kUnionHome)
        return serveUnionHome(request, response);
    if (path == kBaseInfo)
        return serveBaseInfo(request, response);
    if (path == kAuthorize)
        return serveAuthorize(request, response);
    if (path == kAuthorizeDone)
        return serveAuthorizeDone(request, response);

    // The publisher back end: a lost session or a foreign token gets the login page, never JSON.
    if (!authorizedLocked(request))
        return answerLoggedOut(response);
    const bool changing = path == kGuideAdd || path == kSlotCreate || path == kSlotDelete || path == kGuideDelete;
    if (changing && request.method != "POST")
        return answerFailure(response, "请求方式错误");
    if (path == kGuideList)
        return serveGuideList(response);
    if (path == kSlotList)
        return serveSlotList(request, response);
    if (path == kGuideAdd)
        return serveGuideAdd(request, response);
    if (path == kSlotCreate)
        return serveSlotCreate(request, response);
    if (path == kSlotDelete)
        return serveSlotDelete(request, response);
    if (path == kGuideDelete)
        return serveGuideDelete(request, response);
    response.status = 404;
}

std::string AffiliatePlatformService::sessionIdOf(const httplib::Request& request) const
{
    for (auto& id : cookieValues(request, kSessionCookie)) {
        if (m_sessions.contains(id))
            return std::move(id);
    }
    return {};
}

bool AffiliatePlatformService::authorizedLocked(const httplib::Request& request) const
{
    const std::string id = sessionIdOf(request);
    if (id.empty())
        return false;
    const std::string token = param(request, std::string(kTokenCookie));
    if (token.empty() || !m_sessions.at(id).tokens.contains(token))
        return false;
    const auto sent = cookieValues(request, kTokenCookie);
    return std::find(sent.begin(), sent.end(), token) != sent.end();
}

bool AffiliatePlatformService::liveSession(const httplib::Request& request) const
{
    std::lock_guard lock(m_mutex);
    return !sessionIdOf(request).empty();
}

bool AffiliatePlatformService::authorizedCall(const httplib::Request& request) const
{
    std::lock_guard lock(m_mutex);
    return authorizedLocked(request);
}

void AffiliatePlatformService::answerLoggedOut(httplib::Response& response)
{
    answerHtml(response, "登录",
               "<div id=\"J_LoginPrompt\">您还没有登录或登录已失效，请先" + loginLink() + "。</div>\n");
}

std::string AffiliatePlatformService::randomHex(std::size_t digits)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    while (text.size() < digits) {
        auto bits = m_random();
        for (int i = 0; i < 16 && text.size() < digits; ++i, bits >>= 4)
            text += kHex[bits & 0xf];
    }
    return text;
}

void AffiliatePlatformService::startSession(httplib::Response& response)
{
    const std::string id = randomHex(32);
    const std::string token = randomHex(13);
    m_sessions[id].tokens.insert(token);
    ++m_logins;
    response.set_header("Set-Cookie", hostOnlyCookie(kSessionCookie, id, true));
    response.set_header("Set-Cookie", hostOnlyCookie(kMemberCookie, m_memberId));
    response.set_header("Set-Cookie", hostOnlyCookie(kTokenCookie, token));
    response.set_redirect(std::string(kLandingAddress), 302);
}

void AffiliatePlatformService::serveLoginPage(const httplib::Request& request, httplib::Response& response)
{
    // The form posts back to the address it came from, so its query (and with it disableQuickLogin) stays.
    const std::string action = htmlEscape(request.target);
    const bool quickOffered = m_quickAvailable && request.get_param_value("disableQuickLogin") != "true";

    std::string error;
    if (request.method == "POST") {
        const std::string type = param(request, "loginType");
        if (type == kQuickLoginType) {
            if (m_quickAvailable) {
                startSession(response);
                return;
            }
            error = "快速登录不可用，请使用账号密码登录";
        } else if (param(request, "TPL_username_1") == m_account && !m_account.empty() &&
                   param(request, "TPL_password_1") == m_password) {
            startSession(response);
            return;
        } else {
            error = "账号名或登录密码不正确";
        }
    }
    response.status = 200;
    // After a failed attempt the static form is what the user was on, so the quick panel does not cover it.
    response.set_content(loginPageHtml(action, quickOffered && error.empty(), m_quickButtonWorks, m_nick, error),
                         std::string(kHtml));
}

void AffiliatePlatformService::serveUnionHome(const httplib::Request& request, httplib::Response& response)
{
    if (sessionIdOf(request).empty()) {
        answerHtml(response, "推广者中心",
                   "<div id=\"J_LoginPrompt\">请先" + loginLink() + "后再访问推广者中心。</div>\n");
        return;
    }
    answerHtml(response, "推广者中心",
               "<!-- " + std::string(kLiveMarker) + " -->\n<div id=\"J_Member\">欢迎，" + htmlEscape(m_nick) +
                   "（会员 " + m_memberId + "）</div>\n");
}

void AffiliatePlatformService::serveBaseInfo(const httplib::Request& request, httplib::Response& response)
{
    const std::string id = sessionIdOf(request);
    if (id.empty())
        return answerLoggedOut(response);
    const std::string token = randomHex(13);
    m_sessions[id].tokens.insert(token);
    response.set_header("Set-Cookie", hostOnlyCookie(kTokenCookie, token));
    answerHtml(response, "媒体信息", "<div id=\"J_BaseInfo\">会员 " + m_memberId + "</div>\n");
}

void AffiliatePlatformService::endSessions()
{
    std::lock_guard lock(m_mutex);
    m_sessions.clear();
}

int AffiliatePlatformService::loginCount() const
{
    std::lock_guard lock(m_mutex);
    return m_logins;
}

void AffiliatePlatformService::setAccount(std::string account, std::string password, std::string nick)
{
    std::lock_guard lock(m_mutex);
    m_account = std::move(account);
    m_password = std::move(password);
    m_nick = std::move(nick);
}

std::string AffiliatePlatformService::memberId() const
{
    std::lock_guard lock(m_mutex);
    return m_memberId;
}

void AffiliatePlatformService::setQuickLoginAvailable(bool available)
{
    std::lock_guard lock(m_mutex);
    m_quickAvailable = available;
}

void AffiliatePlatformService::setQuickButtonWorks(bool works)
{
    std::lock_guard lock(m_mutex);
    m_quickButtonWorks = works;
}

void AffiliatePlatformService::serveAuthorize(const httplib::Request& request, httplib::Response& response)
{
    const std::string clientId = param(request, "client_id");
    if (param(request, "response_type") != "token" || !isDigits(clientId)) {
        answerHtml(response, "授权", "<div class=\"error\">参数错误：缺少 response_type=token 或 client_id</div>\n",
                   400);
        return;
    }
    if (request.method == "POST" || m_autoGrant)
        return grant(response);
    answerHtml(response, "授权",
               "<form id=\"J_AuthorizeForm\" method=\"post\" action=\"" + std::string(kAuthorize) +
                   "\">\n<input type=\"hidden\" name=\"response_type\" value=\"token\">\n"
                   "<input type=\"hidden\" name=\"client_id\" value=\"" +
                   htmlEscape(clientId) + "\">\n<p>应用 " + htmlEscape(clientId) + " 申请使用账号 " +
                   htmlEscape(m_nick) +
                   " 的数据</p>\n<button id=\"J_Authorize\" type=\"submit\">授权并登录</button>\n</form>\n");
}

void AffiliatePlatformService::grant(httplib::Response& response)
{
    std::string address(kAuthorizeDone);
    if (m_refuseGrant) {
        address += "?error=access_denied&error_description=" + web::urlEncode("用户拒绝授权");
    } else {
        m_accessTokens.push_back("6200" + randomHex(40));
        address += "?access_token=" + m_accessTokens.back() + "&taobao_user_nick=" + web::urlEncode(m_nick) +
                   "&expires_in=2592000";
    }
    response.set_redirect(address, 302);
}

void AffiliatePlatformService::serveAuthorizeDone(const httplib::Request& request, httplib::Response& response)
{
    if (request.has_param("access_token"))
        answerHtml(response, "授权成功", "<div id=\"J_Result\">授权成功，可以关闭此窗口。</div>\n");
    else
        answerHtml(response, "授权失败",
                   "<div id=\"J_Result\">授权失败：" + htmlEscape(request.get_param_value("error_description")) +
                       "</div>\n");
}

void AffiliatePlatformService::setAutoGrant(bool autoGrant)
{
    std::lock_guard lock(m_mutex);
    m_autoGrant = autoGrant;
}

void AffiliatePlatformService::setRefuseGrant(bool refuse)
{
    std::lock_guard lock(m_mutex);
    m_refuseGrant = refuse;
}

std::string AffiliatePlatformService::lastAccessToken() const
{
    std::lock_guard lock(m_mutex);
    return m_accessTokens.empty() ? std::string() : m_accessTokens.back();
}

bool AffiliatePlatformService::isAccessToken(std::string_view token) const
{
    std::lock_guard lock(m_mutex);
    return std::find(m_accessTokens.begin(), m_accessTokens.end(), token) != m_accessTokens.end();
}

std::string AffiliatePlatformService::pidOf(const std::string& siteId, const std::string& slotId) const
{
    return "mm_" + m_memberId + "_" + siteId + "_" + slotId;
}

const AffiliatePlatformService::Site* AffiliatePlatformService::findSite(std::string_view id) const
{
    const auto it = std::find_if(m_sites.begin(), m_sites.end(), [id](const Site& site) { return site.id == id; });
    return it == m_sites.end() ? nullptr : &*it;
}

void AffiliatePlatformService::addSlot(const std::string& siteId, const std::string& name)
{
    const std::string id = std::to_string(m_nextSlotId++);
    m_slots.push_back({id, siteId, name, pidOf(siteId, id)});
}

void AffiliatePlatformService::serveGuideList(httplib::Response& response) const
{
    Json list = Json::array();
    for (const Site& site : m_sites) {
        if (!site.guide)
            continue;
        list.push_back({{"guideID", idNumber(site.id)},
                        {"name", site.name},
                        {"categoryId", site.categoryId},
                        {"category3", categoryText(site.categoryId)},
                        {"account1", site.account1},
                        {"account2", site.account2}});
    }
    answerOk(response, Json{{"guideList", std::move(list)}});
}

void AffiliatePlatformService::serveSlotList(const httplib::Request& request, httplib::Response& response) const
{
    // Missing or unreadable paging values fall back to the first page of the largest size.
    const auto number = [&request](const char* name, int fallback, int most) {
        const std::string text = param(request, name);
        int value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc{} || end != text.data() + text.size() || value < 1)
            return fallback;
        return std::min(value, most);
    };
    const int pageSize = number("perPageSize", kMaxPageSize, kMaxPageSize);
    const int page = number("toPage", 1, 1 << 30);
    const auto total = static_cast<std::int64_t>(m_slots.size());
    const std::int64_t first = std::min<std::int64_t>(total, std::int64_t(page - 1) * pageSize);
    const std::int64_t last = std::min<std::int64_t>(total, first + pageSize);

    Json rows = Json::array();
    for (auto i = first; i < last; ++i) {
        const Slot& slot = m_slots[static_cast<std::size_t>(i)];
        const Site* site = findSite(slot.siteId);
        rows.push_back({{"siteid", idNumber(slot.siteId)},
                        {"sitename", site ? site->name : std::string()},
                        {"adzoneid", idNumber(slot.id)},
                        {"adzonePid", slot.pid},
                        {"name", slot.name}});
    }
    answerOk(
        response,
        Json{{"pagelist", std::move(rows)},
             {"paginator",
              {{"page", page}, {"length", pageSize}, {"items", total}, {"pages", (total + pageSize - 1) / pageSize}}}});
}

void AffiliatePlatformService::serveGuideAdd(const httplib::Request& request, httplib::Response& response)
{
    const std::string name = param(request, "name");
    const std::string category = param(request, "categoryId");
    if (name.empty())
        return answerFailure(response, "请填写导购名称");
    if (!isDigits(category) || category.size() > 6)
        return answerFailure(response, "导购类型错误");
    const int categoryId = std::stoi(category);
    if (m_failingCategories.contains(categoryId))
        return answerFailure(response, "添加导购失败，请稍后再试");
    m_sites.push_back({std::to_string(m_nextSiteId++), name, categoryId, true, param(request, "account1"),
                       param(request, "account2")});
    answerOk(response, Json{{"guideId", idNumber(m_sites.back().id)}});
}

void AffiliatePlatformService::serveSlotCreate(const httplib::Request& request, httplib::Response& response)
{
    const std::string siteId = param(request, "siteid");
    const std::string name = param(request, "newadzonename");
    if (!findSite(siteId))
        return answerFailure(response, "导购不存在");
    if (name.empty())
        return answerFailure(response, "请填写推广位名称");
    addSlot(siteId, name);
    answerOk(response, Json{{"adzoneId", idNumber(m_slots.back().id)}, {"siteId", idNumber(siteId)}});
}

void AffiliatePlatformService::serveSlotDelete(const httplib::Request& request, httplib::Response& response)
{
    std::set<std::string, std::less<>> ids;
    const std::string list = param(request, "adzoneids");
    std::string_view rest = list;
    while (!rest.empty()) {
        const auto comma = rest.find(',');
        if (const auto id = web::trim(rest.substr(0, comma)); !id.empty())
            ids.emplace(id);
        rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
    }
    const auto removed = std::erase_if(m_slots, [&ids](const Slot& slot) { return ids.contains(slot.id); });
    if (removed == 0)
        return answerFailure(response, "推广位不存在");
    answerOk(response, Json{{"deleted", removed}});
}

void AffiliatePlatformService::serveGuideDelete(const httplib::Request& request, httplib::Response& response)
{
    const std::string siteId = param(request, "siteId");
    const Site* site = findSite(siteId);
    if (!site || !site->guide)
        return answerFailure(response, "导购不存在");
    // A guide with slots left cannot go, so deleting slots first is the caller's job.
    if (std::any_of(m_slots.begin(), m_slots.end(), [&siteId](const Slot& slot) { return slot.siteId == siteId; }))
        return answerFailure(response, "该导购下还有推广位，请先删除推广位");
    std::erase_if(m_sites, [&siteId](const Site& s) { return s.id == siteId; });
    answerOk(response, nullptr);
}

void AffiliatePlatformService::seedSlots(int count)
{
    std::lock_guard lock(m_mutex);
    m_slots.clear();
    if (m_sites.empty())
        return;
    for (int i = 0; i < count; ++i)
        addSlot(m_sites[static_cast<std::size_t>(i) % m_sites.size()].id, "推广位" + std::to_string(i + 1));
}

void AffiliatePlatformService::setAddGuideFails(int categoryId, bool fails)
{
    std::lock_guard lock(m_mutex);
    if (fails)
        m_failingCategories.insert(categoryId);
    else
        m_failingCategories.erase(categoryId);
}

void AffiliatePlatformService::setNextSlotId(std::int64_t id)
{
    std::lock_guard lock(m_mutex);
    m_nextSlotId = id;
}

std::vector<AffiliatePlatformService::Site> AffiliatePlatformService::sites() const
{
    std::lock_guard lock(m_mutex);
    return m_sites;
}

std::vector<AffiliatePlatformService::Slot> AffiliatePlatformService::slots() const
{
    std::lock_guard lock(m_mutex);
    return m_slots;
}

}  // namespace dealcast::sandbox

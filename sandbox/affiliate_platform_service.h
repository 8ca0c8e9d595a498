#pragma once

#include "sandbox/sandbox_names.h"
#include "sandbox/simulated_service.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace dealcast::sandbox {

// The affiliate platform as the program meets it: the mini login page and its two ways in, the publisher
// home page whose marker proves a live session, the media keep-alive page, the open-platform authorize page,
// and the guide and slot calls of the publisher back end, all on one host over http and https.
//
// A login starts a session: an HttpOnly session cookie, a member cookie and the anti-forgery cookie
// "_tb_token_", all host-only. A back-end call counts as the session's only when it carries the session
// cookie and a "_tb_token_" parameter equal to the token cookie it sends, which must be a token this session
// was given; anything less gets the logged-out page instead of JSON, as a lost session does outside.
// The keep-alive hands out a fresh token without withdrawing the earlier ones, because the program keeps
// sending the token its browser holds, which never sees the keep-alive's cookie.
class AffiliatePlatformService : public SimulatedService {
public:
    static constexpr std::string_view kLoginPage = "/member/login.jhtml";
    static constexpr std::string_view kLoginLanding = "/member/taobaoke/login.htm";
    static constexpr std::string_view kUnionHome = "/myunion.htm";
    static constexpr std::string_view kBaseInfo = "/user/base_info.htm";
    static constexpr std::string_view kAuthorize = "/authorize";
    static constexpr std::string_view kAuthorizeDone = "/oauth/done";
    static constexpr std::string_view kGuideList = "/common/site/generalize/guideList.json";
    static constexpr std::string_view kSlotList = "/common/adzone/adzoneManage.json";
    static constexpr std::string_view kGuideAdd = "/common/site/generalize/guideAdd.json";
    static constexpr std::string_view kSlotCreate = "/common/adzone/selfAdzoneCreate.json";
    static constexpr std::string_view kSlotDelete = "/common/adzone/adzoneDelete.json";
    static constexpr std::string_view kGuideDelete = "/common/site/generalize/guideSiteDelete.json";

    // Only the home page of a live session carries it.
    static constexpr std::string_view kLiveMarker = "combo进来的css";
    static constexpr std::string_view kSessionCookie = "login_sid";
    static constexpr std::string_view kMemberCookie = "member_id";
    static constexpr std::string_view kTokenCookie = "_tb_token_";
    static constexpr int kMaxPageSize = 150;
    static constexpr int kWechatCategory = 14;
    static constexpr int kQqCategory = 13;

    // A guide site of the account, or another kind of site (a web site) that only the slot list shows.
    struct Site {
        std::string id;
        std::string name;
        int categoryId = 0;
        bool guide = true;
        std::string account1;
        std::string account2;
    };
    struct Slot {
        std::string id;
        std::string siteId;
        std::string name;
        std::string pid;  // "mm_<member>_<site>_<slot>"
    };

    // Seeded with a small account: a WeChat guide, a general guide named with "禾岚" and a web site outside
    // the guide list, five slots between them.
    AffiliatePlatformService();

    std::string hostName() const override { return std::string(names::kAffiliate); }
    std::vector<std::string_view> roles() const override;
    // Only this platform's own paths, so other services on the same host can take the rest.
    bool handles(const httplib::Request& request) const override;
    void handle(const httplib::Request& request, httplib::Response& response) override;

    // True when the request carries the session cookie of a session that has not been ended.
    bool liveSession(const httplib::Request& request) const;
    // A live session and a "_tb_token_" parameter (query or form) matching the token cookie and issued to it.
    bool authorizedCall(const httplib::Request& request) const;
    // The non-JSON page every back-end call of a lost session gets.
    static void answerLoggedOut(httplib::Response& response);

    // The one account that logs in; the nick is what the authorize grant names.
    void setAccount(std::string account, std::string password, std::string nick);
    std::string memberId() const;
    // The quick-login panel is offered (unless the page is asked with disableQuickLogin=true). On by default.
    void setQuickLoginAvailable(bool available);
    // Off: the quick-login button is inert and only the avatar logs in. On by default.
    void setQuickButtonWorks(bool works);
    // Ends every session; their cookies stop working and the next call sees a lost session.
    void endSessions();
    // Logins that succeeded so far.
    int loginCount() const;

    // On (the default): the authorize page grants at once without waiting for a press.
    void setAutoGrant(bool autoGrant);
    // On: the grant redirects with an error and without a token.
    void setRefuseGrant(bool refuse);
    // The last access token granted; "" before any.
    std::string lastAccessToken() const;
    bool isAccessToken(std::string_view token) const;

    // Replaces every slot by `count` slots named "推广位<n>", spread over the sites in turn.
    void seedSlots(int count);
    // Adding a guide of this category answers a failure.
    void setAddGuideFails(int categoryId, bool fails = true);
    // The id the next created slot gets (later ones count up), to try ids beyond 32 bits.
    void setNextSlotId(std::int64_t id);
    std::vector<Site> sites() const;
    std::vector<Slot> slots() const;

    int requestCount(std::string_view path) const { return m_log.count(path); }

private:
    struct Session {
        std::set<std::string, std::less<>> tokens;
    };

    // All below run with m_mutex held.
    // The id of the live session whose cookie the request carries; "" for none.
    std::string sessionIdOf(const httplib::Request& request) const;
    bool authorizedLocked(const httplib::Request& request) const;
    std::string randomHex(std::size_t digits);
    // Sets the new session's cookies and sends the browser on to the landing page.
    void startSession(httplib::Response& response);
    void addSlot(const std::string& siteId, const std::string& name);
    std::string pidOf(const std::string& siteId, const std::string& slotId) const;
    const Site* findSite(std::string_view id) const;

    void serveLoginPage(const httplib::Request& request, httplib::Response& response);
    void serveUnionHome(const httplib::Request& request, httplib::Response& response);
    void serveBaseInfo(const httplib::Request& request, httplib::Response& response);
    void serveAuthorize(const httplib::Request& request, httplib::Response& response);
    void serveAuthorizeDone(const httplib::Request& request, httplib::Response& response);
    void grant(httplib::Response& response);
    void serveGuideList(httplib::Response& response) const;
    void serveSlotList(const httplib::Request& request, httplib::Response& response) const;
    void serveGuideAdd(const httplib::Request& request, httplib::Response& response);
    void serveSlotCreate(const httplib::Request& request, httplib::Response& response);
    void serveSlotDelete(const httplib::Request& request, httplib::Response& response);
    void serveGuideDelete(const httplib::Request& request, httplib::Response& response);

    mutable std::mutex m_mutex;
    std::mt19937_64 m_random;
    std::string m_account = "sandbox_user";
    std::string m_password = "sandbox-pass";
    std::string m_nick = "禾岚小店";
    std::string m_memberId = "26318472";
    bool m_quickAvailable = true;
    bool m_quickButtonWorks = true;
    bool m_autoGrant = true;
    bool m_refuseGrant = false;
    int m_logins = 0;
    std::map<std::string, Session, std::less<>> m_sessions;
    std::vector<std::string> m_accessTokens;
    std::vector<Site> m_sites;
    std::vector<Slot> m_slots;
    std::set<int> m_failingCategories;
    std::int64_t m_nextSiteId = 30815011;
    std::int64_t m_nextSlotId = 110500001;
    RequestLog m_log;
};

}  // namespace dealcast::sandbox

#pragma once

#include "sandbox/answer_overrides.h"
#include "sandbox/marketplace_catalog.h"
#include "sandbox/sandbox_names.h"
#include "sandbox/simulated_service.h"

#include <functional>
#include <memory>

namespace dealcast::sandbox {

// The product operator's proxy for open-platform methods: a form POST to "/taobao/dock" with "methodName",
// "parameter" (JSON), "loginType" and, for the privilege method, "sessionKey". Makes share tokens framed by
// "￥", spread links (short links on the third shortener's host, which redirect to the address) and
// privilege (commission click) links, the latter by default in the escaped {"response":"..."} wrapper. A
// privilege call with a session key the open platform does not know gets "Invalid session".
class TokenProxyService : public SimulatedService {
public:
    static constexpr std::string_view kDock = "/taobao/dock";

    using TokenCheck = std::function<bool(std::string_view sessionKey)>;

    // Without a token check any non-empty session key is known.
    explicit TokenProxyService(std::shared_ptr<MarketplaceCatalog> catalog, TokenCheck knownToken = {});

    std::string hostName() const override { return std::string(names::kTokenProxy); }
    std::vector<std::string_view> roles() const override;
    void handle(const httplib::Request& request, httplib::Response& response) override;

    // Off: privilege answers come as a plain JSON document.
    void setWrapPrivilege(bool wrap);
    // Every method's answer forced to these bytes (malformed, oversized), or the designed one again with "".
    void setMethodBody(std::string_view method, std::string body);
    // Calls per method name.
    int methodCount(std::string_view method) const { return m_methods.count(method); }
    // The form fields of the last call, decoded.
    std::map<std::string, std::string> lastFields() const;

    AnswerOverrides& overrides() { return m_overrides; }
    int requestCount(std::string_view path) const { return m_log.count(path); }

    // A form body's fields, "+" and "%XX" decoded.
    static std::map<std::string, std::string> parseForm(std::string_view body);

private:
    std::string answer(const std::map<std::string, std::string>& fields);

    std::shared_ptr<MarketplaceCatalog> m_catalog;
    TokenCheck m_knownToken;
    AnswerOverrides m_overrides;
    mutable std::mutex m_mutex;
    bool m_wrapPrivilege = true;
    std::map<std::string, std::string, std::less<>> m_methodBodies;
    std::map<std::string, std::string> m_lastFields;
    int m_requestNumber = 0;
    RequestLog m_log;
    RequestLog m_methods;
};

}  // namespace dealcast::sandbox

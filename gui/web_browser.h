#pragma once

#include "platform/browser.h"

#include <QList>
#include <QNetworkCookie>
#include <QSslCertificate>
#include <QObject>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace dealcast::web {
class Hosts;
}

class QVariant;
class QWebEngineProfile;
class QWebEngineView;
class QWidget;

namespace dealcast::gui {

// The embedded browser on QWebEngineView. Each one has its own off-the-record profile, so its user agent and
// cookies are its own. Create it on the GUI thread.
class WebBrowser final : public QObject, public platform::Browser {
    Q_OBJECT
public:
    // The view is a child of `parent` (none: a top-level window, shown by the caller).
    explicit WebBrowser(QWidget* parent = nullptr);
    ~WebBrowser() override;

    QWebEngineView* view() const { return m_view; }

    void navigate(std::string_view address) override;
    bool pageReady() const override { return m_ready.load(); }
    bool waitUntilReady(std::int64_t timeoutMs) override;
    std::string currentAddress() const override;
    void setNavigationHandler(NavigationHandler handler) override;
    void setUserAgent(std::string_view userAgent) override;
    std::string userAgent() const override;
    bool elementExists(std::string_view id) override;
    bool pressElement(std::string_view id) override;
    bool setFormField(std::string_view id, std::string_view value) override;
    void clickAt(int x, int y) override;
    std::string cookies(std::string_view address) const override;

    // How long a question to the page may take.
    static constexpr int kScriptTimeoutMs = 20000;

    // Certificate authorities trusted besides the system's, for every browser of the process: a server whose
    // chain holds one of them is accepted. Set once before the first browser exists (the sandbox's own CA).
    static void trustAuthorities(const QList<QSslCertificate>& authorities);
    // Routes every browser of the process as the hosts file's [sandbox] part says and trusts its CA: returns
    // the engine switches to append to the program's arguments before the QApplication exists (the engine
    // reads them once; the environment variable for switches cannot carry the rules' blanks).
    static std::vector<std::string> routeToSandbox(const web::Hosts& hosts);

private:
    // Runs `work` on the GUI thread and waits for it.
    void onUiThread(const std::function<void()>& work) const;
    // Runs a script in the page and returns its result; an invalid QVariant on a timeout.
    QVariant evaluate(const QString& script);
    bool answersTrue(const QString& script);

    QWebEngineProfile* m_profile = nullptr;
    QWebEngineView* m_view = nullptr;
    std::atomic<bool> m_ready{true};  // a browser that loads nothing is ready
    NavigationHandler m_onNavigation;  // GUI thread only

    mutable std::mutex m_cookieMutex;
    std::vector<QNetworkCookie> m_cookies;
};

}  // namespace dealcast::gui

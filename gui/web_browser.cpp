#include "gui/web_browser.h"

#include "gui/gui_thread.h"
#include "web/hosts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMouseEvent>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QSslConfiguration>
#include <QWebEngineCertificateError>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

namespace dealcast::gui {
namespace {

QString toQt(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A JavaScript string literal holding `text`, whatever quotes or line breaks it has.
QString jsString(std::string_view text)
{
    const QByteArray array = QJsonDocument(QJsonArray{toQt(text)}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString withElement(std::string_view id, const QString& body)
{
    return QStringLiteral("(function(){var e=document.getElementById(%1);if(!e)return false;%2return true;})()")
        .arg(jsString(id), body);
}

bool sameCookie(const QNetworkCookie& a, const QNetworkCookie& b)
{
    return a.name() == b.name() && a.domain() == b.domain() && a.path() == b.path();
}

bool domainMatches(const QString& host, QString domain)
{
    if (domain.isEmpty())
        return true;
    if (domain.startsWith(QLatin1Char('.'))) {
        domain = domain.mid(1);
        return host.compare(domain, Qt::CaseInsensitive) == 0 ||
               host.endsWith(QLatin1Char('.') + domain, Qt::CaseInsensitive);
    }
    return host.compare(domain, Qt::CaseInsensitive) == 0;
}

std::mutex& authorityMutex()
{
    static std::mutex mutex;
    return mutex;
}

QList<QSslCertificate>& authorities()
{
    static QList<QSslCertificate> list;
    return list;
}

// The server's chain checked against the system's authorities and ours: signatures, names and dates.
bool chainIsTrusted(const QList<QSslCertificate>& chain, const QString& host)
{
    {
        const std::lock_guard lock(authorityMutex());
        if (authorities().isEmpty())
            return false;
    }
    return !chain.isEmpty() && QSslCertificate::verify(chain, host).isEmpty();
}

bool pathMatches(const QString& path, const QString& cookiePath)
{
    if (cookiePath.isEmpty() || cookiePath == QLatin1String("/") || path == cookiePath)
        return true;
    return path.startsWith(cookiePath) &&
           (cookiePath.endsWith(QLatin1Char('/')) || path.at(cookiePath.size()) == QLatin1Char('/'));
}

}  // namespace

WebBrowser::WebBrowser(QWidget* parent)
    : m_profile(new QWebEngineProfile(this))  // no storage name: off the record, cookies in memory only
{
    m_view = new QWebEngineView(parent);
    auto* page = new QWebEnginePage(m_profile, m_view);
    m_view->setPage(page);

    connect(page, &QWebEnginePage::certificateError, this, [](const QWebEngineCertificateError& error) {
        if (error.isOverridable() && chainIsTrusted(error.certificateChain(), error.url().host()))
            QWebEngineCertificateError(error).acceptCertificate();
    });
    connect(page, &QWebEnginePage::loadStarted, this, [this] { m_ready = false; });
    connect(page, &QWebEnginePage::loadFinished, this, [this](bool) { m_ready = true; });
    connect(page, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) {
        if (m_onNavigation)
            m_onNavigation(url.toString().toStdString());
    });
    // HttpOnly cookies are seen only here, never by the page's scripts.
    QWebEngineCookieStore* store = m_profile->cookieStore();
    connect(store, &QWebEngineCookieStore::cookieAdded, this, [this](const QNetworkCookie& cookie) {
        std::lock_guard lock(m_cookieMutex);
        std::erase_if(m_cookies, [&](const QNetworkCookie& c) { return sameCookie(c, cookie); });
        m_cookies.push_back(cookie);
    });
    connect(store, &QWebEngineCookieStore::cookieRemoved, this, [this](const QNetworkCookie& cookie) {
        std::lock_guard lock(m_cookieMutex);
        std::erase_if(m_cookies, [&](const QNetworkCookie& c) { return sameCookie(c, cookie); });
    });
}

WebBrowser::~WebBrowser()
{
    // The page goes before its profile.
    delete m_view;
}

void WebBrowser::trustAuthorities(const QList<QSslCertificate>& list)
{
    {
        const std::lock_guard lock(authorityMutex());
        authorities() = list;
    }
    // Verification takes the default configuration's authorities, so ours join them there.
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    QList<QSslCertificate> all = configuration.caCertificates();
    for (const QSslCertificate& authority : list)
        if (!all.contains(authority))
            all.append(authority);
    configuration.setCaCertificates(all);
    QSslConfiguration::setDefaultConfiguration(configuration);
}

std::vector<std::string> WebBrowser::routeToSandbox(const web::Hosts& hosts)
{
    if (!hosts.sandbox().caFile.empty())
        trustAuthorities(QSslCertificate::fromPath(QString::fromStdString(hosts.sandbox().caFile)));
    const std::string rules = hosts.browserResolverRules();
    if (rules.empty())
        return {};
    // The engine reads its switches from this variable when it is set, and from the program's arguments only
    // when it is not; both carry the rules, so whichever it reads routes it.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.isEmpty())
        flags += ' ';
    // The engine's own log would report each sandbox certificate before it is accepted below.
    flags += "--log-level=3 --host-resolver-rules=\"" + QByteArray::fromStdString(rules) + "\"";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    return {"--host-resolver-rules=" + rules};
}

void WebBrowser::onUiThread(const std::function<void()>& work) const
{
    runOnThreadOf(const_cast<WebBrowser*>(this), work);
}

void WebBrowser::navigate(std::string_view address)
{
    const QUrl url(toQt(address));
    m_ready = false;
    onUiThread([&] { m_view->load(url); });
}

bool WebBrowser::waitUntilReady(std::int64_t timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    if (QThread::currentThread() != thread()) {
        while (!m_ready.load() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return m_ready.load();
    }
    while (!m_ready.load()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        QEventLoop loop;
        connect(m_view->page(), &QWebEnginePage::loadFinished, &loop, &QEventLoop::quit);
        QTimer::singleShot(static_cast<int>(std::min<std::int64_t>(left.count(), 100)), &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

std::string WebBrowser::currentAddress() const
{
    std::string out;
    onUiThread([&] { out = m_view->url().toString().toStdString(); });
    return out;
}

void WebBrowser::setNavigationHandler(NavigationHandler handler)
{
    onUiThread([&] { m_onNavigation = std::move(handler); });
}

void WebBrowser::setUserAgent(std::string_view userAgent)
{
    const QString agent = toQt(userAgent);
    onUiThread([&] { m_profile->setHttpUserAgent(agent); });
}

std::string WebBrowser::userAgent() const
{
    std::string out;
    onUiThread([&] { out = m_profile->httpUserAgent().toStdString(); });
    return out;
}

QVariant WebBrowser::evaluate(const QString& script)
{
    // The answer may come after a timeout; it then lands in state nobody waits on any more.
    struct Answer {
        bool done = false;
        QVariant value;
        QPointer<QEventLoop> loop;
    };
    QVariant result;
    onUiThread([&] {
        auto answer = std::make_shared<Answer>();
        QEventLoop loop;
        answer->loop = &loop;
        m_view->page()->runJavaScript(script, [answer](const QVariant& value) {
            answer->done = true;
            answer->value = value;
            if (answer->loop)
                answer->loop->quit();
        });
        if (!answer->done) {
            QTimer::singleShot(kScriptTimeoutMs, &loop, &QEventLoop::quit);
            loop.exec();
        }
        result = answer->value;
    });
    return result;
}

bool WebBrowser::answersTrue(const QString& script)
{
    const QVariant value = evaluate(script);
    return value.typeId() == QMetaType::Bool && value.toBool();
}

bool WebBrowser::elementExists(std::string_view id)
{
    return answersTrue(QStringLiteral("document.getElementById(%1)!==null").arg(jsString(id)));
}

bool WebBrowser::pressElement(std::string_view id)
{
    return answersTrue(withElement(id, QStringLiteral("e.click();")));
}

bool WebBrowser::setFormField(std::string_view id, std::string_view value)
{
    return answersTrue(withElement(id, QStringLiteral("e.value=%1;e.dispatchEvent(new Event('input',{bubbles:true}));"
                                                      "e.dispatchEvent(new Event('change',{bubbles:true}));")
                                           .arg(jsString(value))));
}

void WebBrowser::clickAt(int x, int y)
{
    onUiThread([&] {
        // The page's input goes to the widget that renders it.
        QWidget* target = m_view->focusProxy() != nullptr ? m_view->focusProxy() : m_view;
        const QPointF local(x, y);
        const QPointF global = target->mapToGlobal(local);
        QMouseEvent move(QEvent::MouseMove, local, global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &move);
        QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &release);
    });
}

std::string WebBrowser::cookies(std::string_view address) const
{
    const QUrl url(toQt(address));
    const QString host = url.host();
    const QString path = url.path().isEmpty() ? QStringLiteral("/") : url.path();
    const bool secure = url.scheme() == QLatin1String("https");
    const QDateTime now = QDateTime::currentDateTimeUtc();
    std::string out;
    std::lock_guard lock(m_cookieMutex);
    for (const QNetworkCookie& cookie : m_cookies) {
        if (!domainMatches(host, cookie.domain()) || !pathMatches(path, cookie.path()) ||
            (cookie.isSecure() && !secure) || (cookie.expirationDate().isValid() && cookie.expirationDate() < now))
            continue;
        if (!out.empty())
            out += "; ";
        out += cookie.name().toStdString() + "=" + cookie.value().toStdString();
    }
    return out;
}

}  // namespace dealcast::gui

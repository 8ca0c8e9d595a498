#include "conversion/single_item.h"

#include "app/app_controls.h"
#include "app/main_window.h"
#include "app/run_log.h"
#include "conversion/answer_checks.h"
#include "conversion/conversion_controls.h"
#include "conversion/conversion_services.h"
#include "conversion/convert_product.h"
#include "conversion/duplicate_filter.h"
#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "platform/window_model.h"
#include "sending/sending_controls.h"
#include "slots/pid_choice.h"
#include "web/http_client.h"

namespace dealcast::conversion {
namespace {

constexpr char kQueuedState[] = "待发";

// Enables the button again however the worker's body ends: done, ended early, stopped or failed.
class ButtonBack {
public:
    explicit ButtonBack(platform::Button* button)
        : m_button(button)
    {
    }
    ~ButtonBack()
    {
        if (m_button)
            m_button->setEnabled(true);
    }
    ButtonBack(const ButtonBack&) = delete;
    ButtonBack& operator=(const ButtonBack&) = delete;

private:
    platform::Button* m_button;
};

}  // namespace

SingleItem::SingleItem(const ConversionServices& services, app::MainWindow& mainWindow, ProductConverter& converter,
                       platform::Dialogs& dialogs, platform::Clipboard& clipboard, SingleItemHooks hooks)
    : m_services(services)
    , m_mainWindow(mainWindow)
    , m_converter(converter)
    , m_dialogs(dialogs)
    , m_clipboard(clipboard)
    , m_hooks(std::move(hooks))
    , m_worker(services.clock, "单品转换")
{
    m_worker.setErrorHandler([this](const std::string& message) { m_services.log.write(message); });
}

SingleItem::~SingleItem()
{
    m_worker.stop();
    m_worker.join();
}

void SingleItem::join()
{
    m_worker.join();
}

bool SingleItem::convertSingleItem()
{
    platform::WindowModel& window = m_mainWindow.model();
    const auto* textBox = window.find<platform::EditBox>(controls::kSingleItemText);
    const auto* pidBox = window.find<platform::EditBox>(controls::kManualPid);
    const std::string text = textBox ? textBox->text() : std::string();
    const std::string pid = pidBox ? pidBox->text() : std::string();

    if (text.empty()) {
        m_dialogs.notice(kNoTextNotice);
        return false;
    }
    if (pid.empty()) {
        m_dialogs.notice(kNoPidNotice);
        return false;
    }
    if (!slots::parseManualPid(pid)) {
        m_dialogs.notice(kBadPidNotice);
        return false;
    }
    if (m_hooks.loggedIn && !m_hooks.loggedIn()) {
        m_services.log.write(kNotLoggedInLine);
        m_dialogs.notice(kNotLoggedInNotice);
        return false;
    }
    if (!m_services.accessToken || m_services.accessToken().empty()) {
        m_dialogs.notice(kNoGrantNotice);
        if (m_hooks.openAuthorization)
            m_hooks.openAuthorization();
        return false;
    }
    if (m_hooks.authorizationExpired && m_hooks.authorizationExpired()) {
        m_dialogs.notice(kGrantExpiredNotice);
        return false;
    }

    auto* button = window.find<platform::Button>(controls::kConvertSingle);
    if (m_worker.isRunning())
        return false;
    if (button)
        button->setEnabled(false);
    if (!m_worker.start([this, text] { convertOnWorker(text); })) {
        if (button)
            button->setEnabled(true);
        return false;
    }
    return true;
}

void SingleItem::convertOnWorker(const std::string& text)
{
    const ButtonBack buttonBack(m_mainWindow.model().find<platform::Button>(controls::kConvertSingle));
    m_services.log.write(kConvertingLine);
    const ConversionResult result = m_converter.convert(text, ConversionMode::Manual, {});
    show(result);
}

std::string SingleItem::downloadPicture(const std::string& url) const
{
    if (url.empty())
        return {};
    web::CookieJar jar;
    const web::HttpResponse response = m_services.http.requestBytes({.url = url}, jar);
    if (response.status != 200 || response.bytes.size() > kMaxAnswerBytes)
        return {};
    return response.bytes;
}

void SingleItem::show(const ConversionResult& result)
{
    platform::WindowModel& window = m_mainWindow.model();
    // A conversion that ended early leaves no picture, so the copy buttons cannot copy the previous product's.
    if (auto* picture = window.find<platform::PictureBox>(controls::kPicture))
        picture->setImage(downloadPicture(result.pictureUrl));
    const auto setLabel = [&window](const char* name, const std::string& text) {
        if (auto* label = window.find<platform::Label>(name))
            label->setText(text);
    };
    setLabel(controls::kCurrentPrice, result.price);
    setLabel(controls::kPriceAfterCoupon, result.priceAfterCoupon);
    setLabel(controls::kCouponAmount, result.couponAmount);
    setLabel(controls::kCouponsLeft, result.couponsLeft);
    setLabel(controls::kMonthlySales, result.sales);
    const auto setBox = [&window](const char* name, const std::string& text) {
        if (auto* box = window.find<platform::EditBox>(name))
            box->setText(text);
    };
    setBox(controls::kWechatMessage, result.wechatMessage);
    setBox(controls::kCopyText, result.wechatMessage);
    setBox(controls::kQqMessage, result.qqMessage);
}

void SingleItem::queueSingleItem()
{
    platform::WindowModel& window = m_mainWindow.model();
    const auto* textBox = window.find<platform::EditBox>(controls::kSingleItemText);
    const std::string text = textBox ? textBox->text() : std::string();
    if (text.empty()) {
        m_dialogs.notice(kNothingToQueueNotice);
        return;
    }
    auto* queue = window.find<platform::ListView>(sending::controls::kQueue);
    if (!queue)
        return;
    // Numbering and appending in one step, so a row another thread adds meanwhile cannot take the same number.
    queue->withRows([&text](platform::ListView::Rows& rows) {
        const int row = rows.append({std::to_string(rows.count() + 1), text, kQueuedState, kSourceManual});
        rows.scrollIntoView(row);
    });
    m_services.log.write(kQueuedLine);
    m_mainWindow.selectPage(app::kManualSendPage);
}

void SingleItem::copyMessage()
{
    const auto* box = m_mainWindow.model().find<platform::EditBox>(controls::kWechatMessage);
    m_clipboard.setText(box ? box->text() : std::string());
    m_services.log.write(kTextCopiedLine);
}

void SingleItem::copyPicture()
{
    const auto* picture = m_mainWindow.model().find<platform::PictureBox>(controls::kPicture);
    if (!picture)
        return;
    const std::string image = picture->image();
    if (!image.empty() && m_clipboard.setImage(image))
        m_services.log.write(kPictureCopiedLine);
}

void SingleItem::clearFilter()
{
    if (m_dialogs.ask(kClearQuestion, kClearCaption, platform::DialogButtons::YesNo) != platform::DialogResult::Yes)
        return;
    DuplicateFilter& filter = m_converter.filter();
    if (!filter.clear())
        m_services.log.write("过滤重复缓存写入失败：" + filter.file().string());
    m_services.log.write(kClearedLine);
}

void SingleItem::bindHandlers()
{
    platform::WindowModel& window = m_mainWindow.model();
    using platform::EventType;
    window.bind(controls::kConvertSingle, EventType::Clicked, [this](const auto&) { convertSingleItem(); });
    window.bind(controls::kQueueSingle, EventType::Clicked, [this](const auto&) { queueSingleItem(); });
    window.bind(controls::kCopyMessage, EventType::Clicked, [this](const auto&) { copyMessage(); });
    window.bind(controls::kCopyPicture, EventType::Clicked, [this](const auto&) { copyPicture(); });
    window.bind(controls::kCopyPicture2, EventType::Clicked, [this](const auto&) { copyPicture(); });
    window.bind(controls::kClearFilter, EventType::Clicked, [this](const auto&) { clearFilter(); });
}

}  // namespace dealcast::conversion

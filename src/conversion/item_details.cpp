#include "conversion/item_details.h"

#include "app/run_log.h"
#include "collection/collection_controls.h"
#include "conversion/commission_plans.h"
#include "conversion/conversion_controls.h"
#include "conversion/conversion_services.h"
#include "conversion/item_lookup.h"
#include "conversion/link_recognition.h"
#include "conversion/message_template.h"
#include "platform/window_model.h"
#include "relay/relay_controls.h"
#include "sending/sending_controls.h"
#include "web/hosts.h"
#include "web/http_client.h"

namespace dealcast::conversion {
namespace {

const char* listName(DetailsList list)
{
    switch (list) {
    case DetailsList::Collection:
        return collection::controls::kCollectionList;
    case DetailsList::BigData:
        return collection::controls::kBigDataList;
    case DetailsList::Monitor:
        return relay::controls::kMonitorList;
    case DetailsList::Queue:
        return sending::controls::kQueue;
    }
    return "";
}

void setLabel(const platform::WindowModel& window, std::string_view name, std::string text)
{
    if (auto* label = window.find<platform::Label>(name))
        label->setText(std::move(text));
}

}  // namespace

std::string selectedRowText(const platform::WindowModel& window, DetailsList list)
{
    const auto* view = window.find<platform::ListView>(listName(list));
    if (!view)
        return {};
    int row = view->currentRow();
    if (row < 0) {
        const std::vector<int> highlighted = view->highlightedRows();
        if (highlighted.empty())
            return {};
        row = highlighted.front();
    }
    return view->cell(row, 1);
}

ItemDetails::ItemDetails(const ConversionServices& services, platform::Dialogs& dialogs, std::function<bool()> loggedIn)
    : m_services(services)
    , m_dialogs(dialogs)
    , m_loggedIn(std::move(loggedIn))
{
}

bool ItemDetails::showSelected(DetailsList list)
{
    return show(selectedRowText(m_services.window, list));
}

bool ItemDetails::show(std::string_view rowText)
{
    app::RunLog& log = m_services.log;
    if (!hasMarketLink(rowText, m_services.hosts)) {
        log.write("没有找到任何淘客或商品链接，请检查！");
        return false;
    }
    if (m_loggedIn && !m_loggedIn()) {
        log.write("阿里妈妈掉线啦！");
        return false;
    }
    const LinkScanResult scan = LinkRecognition(m_services).recognizeLinks(rowText);
    if (scan.itemId.empty()) {
        log.write("没有找到商品链接，请检查！");
        return false;
    }
    ItemLookup lookup(m_services);
    const std::string itemPage = lookup.itemPageUrl(scan.itemId);
    if (itemPage.empty()) {
        log.write(web::Hosts::unsetMessage(web::role::kMarketItemHost, "商品详情"));
        return false;
    }
    const ItemInfo item = lookup.searchItem(itemPage);
    std::string couponAmount;
    if (!scan.activityId.empty()) {
        log.write("正在访问并获取优惠券信息...");
        couponAmount = lookup.lookupCoupon(lookup.couponApiUrl(scan.activityId, scan.itemId)).amount;
    }
    if (couponAmount.empty())
        couponAmount = item.couponAmount;
    const std::string afterCoupon = priceAfterCoupon(item.price, couponAmount);

    platform::WindowModel& window = m_services.window;
    if (auto* picture = window.find<platform::PictureBox>(controls::kPicture)) {
        std::string image;
        if (!item.pictureUrl.empty()) {
            web::CookieJar jar;
            const web::HttpResponse response = m_services.http.requestBytes({.url = item.pictureUrl}, jar);
            if (response.status == 200 && response.bytes.size() <= kMaxAnswerBytes)
                image = response.bytes;
        }
        picture->setImage(std::move(image));
    }
    setLabel(window, controls::kCurrentPrice, item.price);
    setLabel(window, controls::kPriceAfterCoupon, afterCoupon);
    setLabel(window, controls::kCouponAmount, couponAmount);
    setLabel(window, controls::kCouponsLeft, {});
    setLabel(window, controls::kMonthlySales, item.sales);
    if (auto* copy = window.find<platform::EditBox>(controls::kCopyText))
        copy->setText(std::string(rowText));

    CommissionPlans plans(m_services, m_dialogs);
    std::vector<CommissionPlan> sorted = sortPlans(
        plans.queryPlans(scan.itemId, item.specialCampaign, item.eventRate, item.commissionRate, item.shopNick));
    const auto* autoApply = window.find<platform::CheckBox>(controls::kAutoApplyPlans);
    if (autoApply && autoApply->checked())
        plans.markPlans(sorted, scan.itemId, !scan.activityId.empty());
    plans.showPlans(sorted, afterCoupon);
    return true;
}

}  // namespace dealcast::conversion

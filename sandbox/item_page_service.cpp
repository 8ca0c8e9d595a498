#include "sandbox/item_page_service.h"

#include "web/encoding.h"
#include "web/hosts.h"

namespace dealcast::sandbox {

ItemPageService::ItemPageService(std::shared_ptr<MarketplaceCatalog> catalog, bool mall)
    : m_catalog(std::move(catalog))
    , m_mall(mall)
{
}

std::string ItemPageService::hostName() const
{
    return std::string(m_mall ? names::kMallItem : names::kMarketItem);
}

std::vector<std::string_view> ItemPageService::roles() const
{
    return {m_mall ? web::role::kMallItemHost : web::role::kMarketItemHost};
}

std::vector<std::pair<std::string_view, std::string>> ItemPageService::roleValues() const
{
    if (m_mall)
        return {{web::role::kMallDomain, std::string(names::kMallDomain)}};
    return {{web::role::kMarketDomain, std::string(names::kMarketDomain)}};
}

std::string ItemPageService::pageText(const CatalogItem& item)
{
    std::string page = "<!DOCTYPE html>\n<html><head><title>" + item.title +
                       "</title></head>\n<body>\n<div class=\"tb-item-info\"><h3 class=\"tb-main-title\">" +
                       item.title + "</h3><em class=\"tb-rmb-num\">" + item.price +
                       "</em><span class=\"tb-sell-counter\">月销 " + item.sales + "</span></div>\n";
    if (item.layout == ScoreLayout::Newer) {
        page += "<div class=\"tb-shop-info\"><div class=\"tb-shop-name\">" + item.nick +
                "</div>\n<div class=\"tb-shop-rate\"><dl><dt>描述</dt><dd><a class=\"tb-rate-higher\">" +
                item.scores[0] + "<s></s></a></dd></dl><dl><dt>服务</dt><dd><a>" + item.scores[1] +
                "</a></dd></dl><dl><dt>物流</dt><dd><a>4.7</a></dd></dl></div>\n<div class=\"tb-shop-info-ft\">"
                "<a href=\"#\">进入店铺</a></div></div>\n";
    } else {
        page += "<div class=\"shop-intro\"><div class=\"main-info\"><div class=\"shopdsr-item\"><span>描述相符"
                "</span><span class=\"shopdsr-score-con\">" +
                item.scores[0] +
                "</span></div><div class=\"shopdsr-item\"><span>服务态度</span><span class=\""
                "shopdsr-score-con\">" +
                item.scores[1] + "</span></div></div>\n<div class=\"extra-info\"><a href=\"#\">" + item.nick +
                "</a></div></div>\n";
    }
    page += "</body></html>\n";
    return page;
}

std::string ItemPageService::pictureBytes()
{
    static constexpr unsigned char kPng[] = {
        0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
        0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x02, 0x00, 0x00, 0x00, 0x90, 0x77, 0x53, 0xde, 0x00, 0x00, 0x00,
        0x0c, 0x49, 0x44, 0x41, 0x54, 0x08, 0xd7, 0x63, 0xf8, 0xcf, 0xc0, 0x00, 0x00, 0x03, 0x01, 0x01, 0x00, 0x18,
        0xdd, 0x8d, 0xb0, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
    return std::string(reinterpret_cast<const char*>(kPng), sizeof kPng);
}

void ItemPageService::handle(const httplib::Request& request, httplib::Response& response)
{
    m_log.record(request.path);
    if (m_overrides.apply(request.path, response))
        return;
    if (request.path.starts_with(kPicturePrefix)) {
        const std::string id =
            request.path.substr(kPicturePrefix.size(), request.path.find('.') - kPicturePrefix.size());
        if (m_catalog->item(id)) {
            response.status = 200;
            response.set_content(pictureBytes(), "image/png");
            return;
        }
    } else if (request.path == kItemPage) {
        if (const auto item = m_catalog->item(request.get_param_value("id"))) {
            if (item->mall && !m_mall) {
                response.status = 302;
                response.set_header("Location", "https://" + std::string(names::kMallItem) + std::string(kItemPage) +
                                                    "?id=" + item->id);
                return;
            }
            response.status = 200;
            if (m_mall)
                response.set_content(pageText(*item), "text/html; charset=utf-8");
            else
                response.set_content(web::utf8ToGbk(pageText(*item)), "text/html; charset=gbk");
            return;
        }
    }
    response.status = 404;
    response.set_content(m_mall ? "<html><body>商品不存在</body></html>"
                                : web::utf8ToGbk("<html><body>宝贝不存在</body></html>"),
                         m_mall ? "text/html; charset=utf-8" : "text/html; charset=gbk");
}

}  // namespace dealcast::sandbox

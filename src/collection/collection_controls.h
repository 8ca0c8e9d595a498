#pragma once

#include "platform/control.h"

#include <array>
#include <span>

namespace dealcast::collection {

namespace controls {

// Cloud picks ("禾岚全网精选", product-collection page).
inline constexpr char kPicksGroup[] = "分组框5";
inline constexpr char kWomenBox[] = "选择框_女装";
inline constexpr char kMenBox[] = "选择框_男装";
inline constexpr char kUnderwearBox[] = "选择框_内衣";
inline constexpr char kBeautyBox[] = "选择框_美妆";
inline constexpr char kAccessoriesBox[] = "选择框_配饰";
inline constexpr char kShoesBox[] = "选择框_鞋品";
inline constexpr char kBagsBox[] = "选择框_箱包";
inline constexpr char kChildrenBox[] = "选择框_儿童";
inline constexpr char kMotherBabyBox[] = "选择框_母婴";
inline constexpr char kHomeBox[] = "选择框_居家";
inline constexpr char kFoodBox[] = "选择框_美食";
inline constexpr char kDigitalBox[] = "选择框_数码";
inline constexpr char kAppliancesBox[] = "选择框_家电";
inline constexpr char kOtherBox[] = "选择框_其他";
// In processing order; a box's position + 1 is its category id.
inline constexpr std::array<const char*, 14> kCategoryBoxes = {
    kWomenBox,    kMenBox,        kUnderwearBox, kBeautyBox, kAccessoriesBox, kShoesBox,      kBagsBox,
    kChildrenBox, kMotherBabyBox, kHomeBox,      kFoodBox,   kDigitalBox,     kAppliancesBox, kOtherBox,
};
inline constexpr char kAllGoodsBox[] = "选择框_全部_好单";
inline constexpr char kLowPriceBox[] = "选择框_低价";
inline constexpr char kNinePointNineBox[] = "选择框_九块九";
inline constexpr char kManyCouponsBox[] = "选择框_多优惠券";
inline constexpr char kHighRatingBox[] = "选择框_高评分";
inline constexpr char kMallPicksBox[] = "选择框_天猫_好单";
inline constexpr char kBrandBox[] = "选择框_品牌";
inline constexpr char kLiveBox[] = "选择框_直播";
inline constexpr char kSelectedBox[] = "选择框_优选";
inline constexpr char kPicksPages[] = "编辑框_禾岚页数";
inline constexpr char kPicksPagesHint[] = "标签_每页条数";
inline constexpr char kCollectPicks[] = "按钮_禾岚采集";

// Affiliate search ("淘宝联盟", product-collection page).
inline constexpr char kSearchGroup[] = "分组框6";
inline constexpr char kKeyword[] = "编辑框_搜索关键词_阿里";
inline constexpr char kLowPrice[] = "编辑框_价格低_阿里";
inline constexpr char kHighPrice[] = "编辑框_价格高_阿里";
inline constexpr char kMinCommission[] = "编辑框_最低佣金_阿里";
inline constexpr char kMinSales[] = "编辑框_最低销量";
inline constexpr char kFreeShipping[] = "选择框_包邮_阿里";
inline constexpr char kShopCoupon[] = "选择框_店铺优惠券_阿里";
inline constexpr char kMallOnly[] = "选择框_天猫_阿里";
inline constexpr char kLastPage[] = "编辑框_页数_阿里";
inline constexpr char kGeneralSearch[] = "单选框_联盟搜索";
inline constexpr char kChannelSearch[] = "单选框_鹊桥搜索";
inline constexpr char kCollectSearch[] = "按钮_阿里后台采集";

// The collection list and the cloud library window's button (product-collection page).
inline constexpr char kCollectionList[] = "超级列表框_采集";
inline constexpr char kSelectAllCollected[] = "选择框_全选_采集";
inline constexpr char kTransferCollected[] = "按钮_转推送列表_采集";
inline constexpr char kCollectionMenu[] = "采集菜单";
inline constexpr char kOpenCloudLibrary[] = "按钮_手动采集";

// Daily big-data import ("大数据操作") and the big-data list (affiliate-data page).
inline constexpr char kBigDataGroup[] = "分组框11";
inline constexpr char kFilePath[] = "编辑框_文件路径";
inline constexpr char kBrowse[] = "按钮_浏览";
inline constexpr char kFirstRow[] = "编辑框_起始数";
inline constexpr char kLastRow[] = "编辑框_结尾数";
inline constexpr char kImport[] = "按钮_导入";
inline constexpr char kBigDataNotice[] = "标签_大数据提醒";
inline constexpr char kBigDataList[] = "超级列表框_大数据";
inline constexpr char kSelectAllBigData[] = "选择框_全选_大数据";
inline constexpr char kTransferBigData[] = "按钮_转推送列表_大数据";
inline constexpr char kBigDataMenu[] = "大数据菜单";

}  // namespace controls

// The product-collection controls of the main window.
std::span<const platform::ControlDecl> collectionControls();

}  // namespace dealcast::collection

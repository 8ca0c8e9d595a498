#!/usr/bin/env python3
"""Writes search_answer.json: an affiliate item-search answer with 40 items, about 50 KB, for json_bench.

Deterministic (fixed seed), so the fixture only changes when this script does.
Run: python3 bench/data/gen_search_answer.py > bench/data/search_answer.json
"""
import json
import random
import sys

rng = random.Random(20240601)

WORDS = ["夏季", "新款", "纯棉", "短袖", "T恤", "男士", "女装", "宽松", "休闲", "百搭", "韩版", "潮流", "学生",
         "冰丝", "防晒", "衣服", "加厚", "保温杯", "不锈钢", "大容量", "儿童", "便携", "家用", "厨房", "收纳盒",
         "抽纸", "整箱", "批发", "洗衣液", "香味", "持久", "正品", "包邮", "特价", "清仓", "手机壳", "数据线",
         "快充", "蓝牙", "耳机", "无线", "运动", "跑步鞋", "透气", "零食", "大礼包", "坚果", "每日", "网红"]
SHOPS = ["旗舰店", "专营店", "官方店", "工厂店", "生活馆", "小铺"]
PREFIX = ["优品", "佳美", "恒源", "南极", "乐活", "星辰", "悦家", "森林", "云裳", "匠心"]


def title():
    return "".join(rng.choice(WORDS) for _ in range(rng.randint(8, 12)))


def money(low, high):
    return round(rng.uniform(low, high), 1)


def item(i):
    item_id = rng.randint(520000000000, 689999999999)
    seller_id = rng.randint(1000000000, 3999999999)
    price = money(9, 199)
    reserve = round(price * rng.uniform(1.2, 2.5), 2)
    coupon = rng.choice([0, 3, 5, 10, 20, 30])
    rate = money(1, 50)
    shop = rng.choice(PREFIX) + rng.choice(SHOPS)
    pictures = ["//img.cdn.example/items/%d/%08x.jpg" % (seller_id, rng.getrandbits(32)) for _ in range(4)]
    return {
        "itemId": item_id,
        "title": title(),
        "description": title(),
        "pictUrl": pictures[0],
        "smallImages": pictures[1:],
        "auctionUrl": "https://item.market.example/item.htm?id=%d" % item_id,
        "zkPrice": price,
        "reservePrice": reserve,
        "tkRate": rate,
        "tkCommFee": round(price * rate / 100, 2),
        "eventRate": rng.choice([None, money(10, 60)]),
        "couponAmount": coupon,
        "couponStartFee": coupon * 2 if coupon else 0,
        "couponInfo": ("满%d元减%d元" % (coupon * 2, coupon)) if coupon else "无",
        "couponTotalCount": rng.choice([10000, 50000, 100000]),
        "couponLeftCount": rng.randint(0, 9999),
        "couponEffectiveStartTime": "2024-06-%02d" % rng.randint(1, 15),
        "couponEffectiveEndTime": "2024-06-%02d" % rng.randint(16, 30),
        "couponLink": "" if not coupon else
        "https://coupon.example/coupon?activityId=%032x&itemId=%d" % (rng.getrandbits(128), item_id),
        "biz30day": rng.randint(0, 120000),
        "totalNum": rng.randint(100, 900000),
        "shopTitle": shop,
        "nick": shop.replace("店", "") + str(rng.randint(1, 99)),
        "sellerId": seller_id,
        "userType": rng.choice([0, 1]),
        "rootCatId": rng.randint(16, 50000),
        "leafCatId": rng.randint(50000000, 50099999),
        "dayLeft": rng.randint(-1, 30),
        "includeDxjh": rng.choice([0, 1]),
        "hasRecommended": rng.choice([True, False]),
        "isBcItem": rng.choice([True, False]),
        "tkSpecialCampaignIdRateMap": {str(rng.randint(10000000, 99999999)): str(money(1, 40))
                                       for _ in range(rng.randint(0, 2))},
        "rlRate": money(0, 5),
        "hasUmpBonus": None,
        "tags": rng.sample(["包邮", "运费险", "极速退款", "品牌", "新品"], rng.randint(0, 3)),
    }


def main():
    page_list = [item(i) for i in range(40)]
    answer = {
        "data": {
            "head": {
                "version": "1.0",
                "status": "OK",
                "pageNo": 1,
                "pageSize": 40,
                "searchUrl": "https://affiliate.example/items/search.json?q=%E5%A4%8F%E5%AD%A3",
                "responseTxt": "items",
                "docsfind": 1,
                "docsreturn": 40,
            },
            "condition": {"userType": None, "queryType": 0, "sortType": 9, "loc": None},
            "paginator": {"length": 40, "offset": 0, "page": 1, "beginIndex": 1, "endIndex": 40,
                          "items": 9386, "pages": 100, "itemsPerPage": 40},
            "pageList": page_list,
            "navInfo": {"tkRate": [{"value": "0.0-10.0", "name": "佣金比率"}]},
        },
        "info": {"message": None, "pvid": "10_203.0.113.7_%d_%d" % (rng.getrandbits(16), rng.getrandbits(40)),
                 "ok": True},
        "ok": True,
        "invalidKey": None,
    }
    json.dump(answer, sys.stdout, ensure_ascii=False, separators=(",", ":"))


if __name__ == "__main__":
    main()

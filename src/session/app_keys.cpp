#include "session/app_keys.h"

#include "settings/text_file.h"
#include "web/json_reader.h"

#include <cstdint>

namespace dealcast::session {
namespace {

// The sandbox's own applications: 29 pairs of an 8-digit key and a 32-digit lower-case hex secret.
constexpr std::string_view kBuiltIn = R"({"list":[
{"appkey":"20000001","appsecret":"d1ebd9fe61acf006e31b457969447d4d"},
{"appkey":"20000002","appsecret":"d1ca61cc07b6eb419d5d9c04eb651ed6"},
{"appkey":"20000003","appsecret":"509c9dd7e27afbf4efa46acb22b1b8f6"},
{"appkey":"20000004","appsecret":"056cf5f4795947ae4aafb8b3e421b9fe"},
{"appkey":"20000005","appsecret":"d4ecc5b2bbccb5efdb99b912eb8959a0"},
{"appkey":"20000006","appsecret":"697231105b33204d6a64ef9aa10b5705"},
{"appkey":"20000007","appsecret":"9dfbb1253fbeeefc510f3a351980050f"},
{"appkey":"20000008","appsecret":"ecd06798b805c45f26eefa1bd76200b7"},
{"appkey":"20000009","appsecret":"2abe578a8dbe1ab6b44d78e7b6cb3e56"},
{"appkey":"20000010","appsecret":"fb6ed2e8eda67554e2b49cd6bab76ef8"},
{"appkey":"20000011","appsecret":"3a346e2b396b10e049f68e42c1a9f395"},
{"appkey":"20000012","appsecret":"abf8c0e1b843539150f5bbf1550138d2"},
{"appkey":"20000013","appsecret":"dc6af31e1134480d4dd330664fdc608b"},
{"appkey":"20000014","appsecret":"c727c91a22418a4d45824ac11be680c1"},
{"appkey":"20000015","appsecret":"def5b4ca744e4e0938471f4a744c5325"},
{"appkey":"20000016","appsecret":"25ff2500dcab479e1d71a4ad9a506895"},
{"appkey":"20000017","appsecret":"3c53a91f3e115d85d10474a5de465c1f"},
{"appkey":"20000018","appsecret":"d04e64db74bbf5b004ec3314e54946f2"},
{"appkey":"20000019","appsecret":"e0cd740463662850d19d64896e2c4d59"},
{"appkey":"20000020","appsecret":"7b8dbc587ed611a829d8919580b3ce2a"},
{"appkey":"20000021","appsecret":"08170683bd04c62b921200de0df44a37"},
{"appkey":"20000022","appsecret":"d6cb20d2d8f21489cb86a28ea1c71002"},
{"appkey":"20000023","appsecret":"fae61854c2f25b12df1d2e320b85658d"},
{"appkey":"20000024","appsecret":"365b41f1304a645bfb9e2ccba804fec1"},
{"appkey":"20000025","appsecret":"d3a5dba96a7d23e474ca2770674f1f46"},
{"appkey":"20000026","appsecret":"f4685af3044faa6b24092d8b7050be7e"},
{"appkey":"20000027","appsecret":"f658d4da2233080e5569bdf6dc1751e0"},
{"appkey":"20000028","appsecret":"fffbf3b9bcd10cc0a626c57517221ed2"},
{"appkey":"20000029","appsecret":"bb9df61518b159dfae555dc9cacf13c4"}
]})";

// A key list bigger than this is not a key list; it is not read into memory.
constexpr std::uintmax_t kMaxFileSize = 1 << 20;

}  // namespace

std::string_view builtInAppKeys()
{
    return kBuiltIn;
}

std::string_view appKeyOf(std::string_view entry)
{
    return entry.substr(0, entry.find('|'));
}

std::vector<std::string> parseAppKeys(std::string_view json)
{
    web::JsonReader reader;
    if (!reader.parse(json))
        return {};
    std::vector<std::string> keys;
    const std::size_t count = reader.count("list");
    for (std::size_t i = 0; i < count; ++i) {
        const std::string item = "list[" + std::to_string(i) + "]";
        std::string key = reader.getText(item + ".appkey");
        if (key.empty())
            continue;
        keys.push_back(std::move(key) + "|" + reader.getText(item + ".appsecret"));
    }
    return keys;
}

std::vector<std::string> loadAppKeys(const std::filesystem::path& dataFolder)
{
    if (!dataFolder.empty()) {
        const auto path = dataFolder / kAppKeysFileName;
        std::error_code error;
        const auto size = std::filesystem::file_size(path, error);
        if (!error && size <= kMaxFileSize) {
            if (auto bytes = settings::readFileBytes(path)) {
                std::string_view text = *bytes;
                if (text.starts_with("\xEF\xBB\xBF"))
                    text.remove_prefix(3);
                if (auto keys = parseAppKeys(text); !keys.empty())
                    return keys;
            }
        }
    }
    return parseAppKeys(kBuiltIn);
}

}  // namespace dealcast::session

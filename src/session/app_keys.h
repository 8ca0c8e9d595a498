#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace dealcast::session {

// The name of the file in the data folder that replaces the built-in application-key list.
inline constexpr char kAppKeysFileName[] = "appkeys.json";

// The open-platform application keys, each an app key, "|" and its app secret, in list order. They come from
// the built-in list unless the data folder holds "appkeys.json" of the same form
// ({"list":[{"appkey":…,"appsecret":…},…]}) that can be read and names at least one key. Entries without an
// app key are left out.
std::vector<std::string> loadAppKeys(const std::filesystem::path& dataFolder);

// The keys of a list text of that form; empty when the text is not such a list.
std::vector<std::string> parseAppKeys(std::string_view json);

// The built-in list text.
std::string_view builtInAppKeys();

// The app key of an entry ("key|secret" gives "key").
std::string_view appKeyOf(std::string_view entry);

}  // namespace dealcast::session

#include "web/json_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using dealcast::web::JsonReader;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

// The input is read as a document, and also used as a path against a small fixed document, so both the
// parser and the path reader see arbitrary bytes. An accepted document must print as JSON that reads back to
// the same text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    JsonReader json;
    const bool ok = json.parse(input);
    const std::string printed = json.toText();
    if (ok) {
        JsonReader again;
        check(again.parse(printed));
        check(again.toText() == printed);
    } else {
        check(printed == "null");
    }
    for (const std::string_view path : {"", "[0]", "data", "data.pageList[0].title", "a.b", "[1][0]"}) {
        (void)json.getText(path);
        (void)json.getJson(path);
        (void)json.getNumber(path);
        (void)json.count(path);
        (void)json.typeOf(path);
        check(json.exists(path) == (json.typeOf(path) != "undefined"));
    }
    const std::string keys = json.keys("");
    const std::string firstKey = keys.substr(0, keys.find(','));
    (void)json.getText(firstKey);
    json.set(firstKey, 1.5);
    json.set("added", "text");
    json.append("[0]", true);
    json.remove("[0]");
    json.remove(firstKey);
    (void)json.toText();

    JsonReader fixed;
    check(fixed.parse(R"({"data":{"pageList":[{"title":"t","n":1}],"k":{"0":"z"}},"a":[1,[2]]})"));
    const std::string_view path = input.substr(0, 256);
    (void)fixed.getText(path);
    (void)fixed.count(path);
    (void)fixed.keys(path);
    fixed.set(path, std::int64_t{123456789012});
    fixed.append(path, "x");
    fixed.remove(path);
    check(!fixed.toText().empty());
    return 0;
}

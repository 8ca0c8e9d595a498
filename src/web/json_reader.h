#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace dealcast::web {

// One parsed JSON document, read and changed by path. An instance belongs to one thread.
//
// Paths: members joined by "." and 0-based array elements as "[n]" ("data.pageList[2].title"); a path that
// begins with "[" addresses an element of a root array ("[0].id"); the empty path is the root. A bracket may
// also hold a quoted member name (`data['tk-rate']`) for names that are not plain words, and "[n]" on an
// object reads the member named n. A path that runs through a missing member, an index past the end or a
// value of the wrong kind finds nothing, and reads as a missing value: empty text, 0, false.
//
// Text in and out is UTF-8. Numbers read back in their shortest decimal form ("20" for 20.0, "19.9",
// "1e+21", "1e-7"); an integer written as an integer in the text keeps every digit, also beyond 2^53.
// Members keep the order of the text. No operation throws.
class JsonReader {
public:
    // Deeper documents are refused by `parse`, so reading, writing and freeing them stays bounded.
    static constexpr std::size_t kMaxDepth = 512;

    // The root starts as an empty object.
    JsonReader();
    ~JsonReader();
    JsonReader(JsonReader&& other) noexcept;
    JsonReader& operator=(JsonReader&& other) noexcept;
    JsonReader(const JsonReader&) = delete;
    JsonReader& operator=(const JsonReader&) = delete;

    // Replaces the root with the document in `text`. Beyond strict JSON it takes the data forms a script
    // literal may use: single-quoted strings, unquoted member names, trailing commas, comments, "+1", ".5",
    // hex integers. Malformed UTF-8 in such a text becomes "?". Returns false, leaving the root null, for a
    // text that is not data (empty, an HTML page, anything after the value, nesting deeper than kMaxDepth, a
    // number beyond the range of a double) and for a text that is only `null`.
    bool parse(std::string_view text) noexcept;

    // The whole document as compact JSON text ("null" after a failed parse).
    std::string toText() const noexcept;

    // The root becomes an empty object.
    void clear() noexcept;

    // A string without quotes, a number in its shortest decimal form, "true"/"false", an object or array as
    // compact JSON; empty for a missing value or null.
    std::string getText(std::string_view path) const noexcept;

    // The value as compact JSON text ("null" for null); empty for a missing value.
    std::string getJson(std::string_view path) const noexcept;

    // A number as it is; a string that is nothing but a decimal number (blanks around it allowed) as that
    // number; true as 1. Anything else, and a missing value, is 0.
    double getNumber(std::string_view path) const noexcept;

    // Elements of an array or members of an object; 0 for anything else and for a missing value.
    std::size_t count(std::string_view path) const noexcept;

    // Each member name of the object followed by "," ("a,b,"); for an array its indices ("0,1,"); else empty.
    std::string keys(std::string_view path) const noexcept;

    // True when the value is there and is not null.
    bool exists(std::string_view path) const noexcept;

    // "string", "number", "boolean", "object", "array", or "undefined" for a missing value and for null.
    std::string_view typeOf(std::string_view path) const noexcept;

    // Assigns the value at path. The last member is created when missing (an array takes an index up to its
    // length, which appends); everything before it must exist. The empty path replaces the root. Returns
    // false when nothing was assigned. Malformed UTF-8 in texts becomes "?".
    bool set(std::string_view path, std::string_view value) noexcept;
    bool set(std::string_view path, const char* value) noexcept { return set(path, std::string_view(value)); }
    bool set(std::string_view path, double value) noexcept;
    bool set(std::string_view path, bool value) noexcept;
    template <std::integral T>
    requires(!std::same_as<T, bool>) bool set(std::string_view path, T value) noexcept
    {
        if constexpr (std::is_signed_v<T>)
            return setInteger(path, static_cast<std::int64_t>(value), false);
        else
            return setUnsigned(path, static_cast<std::uint64_t>(value), false);
    }

    // Appends the value to the array at path; a value there that is not an array (or none) is first replaced
    // by an empty array. Returns false when the path cannot be assigned.
    bool append(std::string_view path, std::string_view value) noexcept;
    bool append(std::string_view path, const char* value) noexcept { return append(path, std::string_view(value)); }
    bool append(std::string_view path, double value) noexcept;
    bool append(std::string_view path, bool value) noexcept;
    template <std::integral T>
    requires(!std::same_as<T, bool>) bool append(std::string_view path, T value) noexcept
    {
        if constexpr (std::is_signed_v<T>)
            return setInteger(path, static_cast<std::int64_t>(value), true);
        else
            return setUnsigned(path, static_cast<std::uint64_t>(value), true);
    }

    // Removes an array element (the later ones move up) or an object member. False when nothing was there.
    bool remove(std::string_view path) noexcept;

private:
    struct Impl;

    bool setInteger(std::string_view path, std::int64_t value, bool appending) noexcept;
    bool setUnsigned(std::string_view path, std::uint64_t value, bool appending) noexcept;

    std::unique_ptr<Impl> m_impl;
};

// The path of one member of an array element: elementPath("data.list", 2, "name") is "data.list[2].name".
std::string elementPath(std::string_view list, std::size_t index, std::string_view key);

}  // namespace dealcast::web

#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace dealcast::settings {

// The marker that stands for a line break inside a stored value ("\r\n" in edit-box texts and greetings).
inline constexpr std::string_view kLineBreakMarker = "><br><";

// Every line break ("\r\n", a lone "\n" or a lone "\r") becomes the marker, so a value stays on its line.
std::string encodeLineBreaks(std::string_view text);
// Every marker becomes "\r\n".
std::string decodeLineBreaks(std::string_view text);

// An INI text with section lines "[name]" and "key=value" lines, edited in place: lines the program does not
// touch (comments starting with ";", blank lines, unknown keys, anything before the first section) keep their
// text and order. Section and key names compare without regard to ASCII case; the first section of a name and
// its first key of a name are the ones read and written. Keys and values are read without leading and
// trailing blanks. A missing section or key reads as the empty text.
//
// Edit in a batch: load once, set every value, save once.
class IniFile {
public:
    IniFile() = default;

    // Program text (UTF-8). Lines may end in "\r\n", "\n" or "\r"; a leading byte-order mark is ignored.
    static IniFile parse(std::string_view text);
    // Lines joined by "\r\n", each line ended; empty for an empty file.
    std::string serialize() const;

    // A missing or unreadable file loads as an empty one.
    static IniFile load(const std::filesystem::path& path);
    // GBK, "\r\n" line ends, replaced atomically. False when the file could not be written.
    bool save(const std::filesystem::path& path) const;

    std::string value(std::string_view section, std::string_view key) const;

    // Replaces the key's value in place, or adds the key after the last line of its section, or adds the
    // section with the key at the end. A line break in the value would end the line early and turn the rest
    // of the value into a stray line, so line breaks are stored as kLineBreakMarker (see encodeLineBreaks).
    // Returns false, changing nothing, for a name the format cannot hold: an empty section or key, a line
    // break in either, "]" in a section, "=" in a key, or a key that would read back as a section or comment.
    bool setValue(std::string_view section, std::string_view key, std::string_view value);

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        std::string text;
        Kind kind = Kind::Other;
        std::string foldedName;  // section or key name, ASCII lower case
    };

    static Line classify(std::string text, bool inSection);
    // Index of the section line, or npos.
    std::size_t findSection(std::string_view foldedSection) const;
    // One past the section's last line.
    std::size_t sectionEnd(std::size_t sectionLine) const;

    std::vector<Line> m_lines;
};

}  // namespace dealcast::settings

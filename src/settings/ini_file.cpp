#include "settings/ini_file.h"

#include "settings/text_file.h"
#include "web/text.h"

namespace dealcast::settings {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string fold(std::string_view name)
{
    std::string out(name);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool hasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

std::string encodeLineBreaks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            out.append(kLineBreakMarker);
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string decodeLineBreaks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (true) {
        const std::size_t hit = text.find(kLineBreakMarker, pos);
        if (hit == std::string_view::npos) {
            out.append(text.substr(pos));
            return out;
        }
        out.append(text.substr(pos, hit - pos));
        out.append("\r\n");
        pos = hit + kLineBreakMarker.size();
    }
}

IniFile::Line IniFile::classify(std::string text, bool inSection)
{
    Line line{std::move(text), Kind::Other, {}};
    const std::string_view body = web::trim(line.text);
    if (body.starts_with('[')) {
        std::string_view name = body.substr(1);
        name = name.substr(0, name.find(']'));
        line.kind = Kind::Section;
        line.foldedName = fold(web::trim(name));
    } else if (inSection && !body.starts_with(';')) {
        const std::size_t eq = body.find('=');
        const std::string_view key = eq == std::string_view::npos ? std::string_view{} : web::trim(body.substr(0, eq));
        if (!key.empty()) {
            line.kind = Kind::Key;
            line.foldedName = fold(key);
        }
    }
    return line;
}

IniFile IniFile::parse(std::string_view text)
{
    if (text.starts_with(kUtf8Bom))
        text.remove_prefix(kUtf8Bom.size());
    IniFile ini;
    bool inSection = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        Line line = classify(std::string(text.substr(pos, end - pos)), inSection);
        inSection = inSection || line.kind == Kind::Section;
        ini.m_lines.push_back(std::move(line));
        pos = end;
        if (pos < text.size())
            pos += text.substr(pos, 2) == "\r\n" ? 2 : 1;
    }
    return ini;
}

std::string IniFile::serialize() const
{
    std::size_t size = 0;
    for (const Line& line : m_lines)
        size += line.text.size() + 2;
    std::string out;
    out.reserve(size);
    for (const Line& line : m_lines) {
        out.append(line.text);
        out.append("\r\n");
    }
    return out;
}

IniFile IniFile::load(const std::filesystem::path& path)
{
    const auto text = readTextFile(path);
    return text ? parse(*text) : IniFile{};
}

bool IniFile::save(const std::filesystem::path& path) const
{
    return writeTextFile(path, serialize());
}

std::size_t IniFile::findSection(std::string_view foldedSection) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].kind == Kind::Section && m_lines[i].foldedName == foldedSection)
            return i;
    return std::string::npos;
}

std::size_t IniFile::sectionEnd(std::size_t sectionLine) const
{
    std::size_t i = sectionLine + 1;
    while (i < m_lines.size() && m_lines[i].kind != Kind::Section)
        ++i;
    return i;
}

std::string IniFile::value(std::string_view section, std::string_view key) const
{
    const std::size_t start = findSection(fold(web::trim(section)));
    if (start == std::string::npos)
        return {};
    const std::string foldedKey = fold(web::trim(key));
    const std::size_t end = sectionEnd(start);
    for (std::size_t i = start + 1; i < end; ++i) {
        const Line& line = m_lines[i];
        if (line.kind == Kind::Key && line.foldedName == foldedKey) {
            const std::string_view body = line.text;
            return std::string(web::trim(body.substr(body.find('=') + 1)));
        }
    }
    return {};
}

bool IniFile::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    section = web::trim(section);
    key = web::trim(key);
    if (section.empty() || key.empty() || hasLineBreak(section) || hasLineBreak(key) ||
        section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos ||
        key.starts_with('[') || key.starts_with(';'))
        return false;

    Line keyLine{std::string(key) + "=" + encodeLineBreaks(value), Kind::Key, fold(key)};
    const std::size_t start = findSection(fold(section));
    if (start == std::string::npos) {
        std::string header = "[";  // built by appends: GCC 12 misreports "[" + string + "]" as overlapping
        header += section;
        header += ']';
        m_lines.push_back(Line{std::move(header), Kind::Section, fold(section)});
        m_lines.push_back(std::move(keyLine));
        return true;
    }
    const std::size_t end = sectionEnd(start);
    std::size_t insertAt = start + 1;
    for (std::size_t i = start + 1; i < end; ++i) {
        Line& line = m_lines[i];
        if (line.kind == Kind::Key && line.foldedName == keyLine.foldedName) {
            line = std::move(keyLine);
            return true;
        }
        if (!web::trim(line.text).empty())
            insertAt = i + 1;  // new keys go after the section's last non-blank line, before its blank tail
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(keyLine));
    return true;
}

}  // namespace dealcast::settings

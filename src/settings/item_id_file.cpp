#include "settings/item_id_file.h"

#include "settings/text_file.h"

namespace dealcast::settings {

std::string ItemIdFile::load(const std::filesystem::path& path)
{
    return readTextFile(path).value_or("");
}

bool ItemIdFile::save(const std::filesystem::path& path, std::string_view ids)
{
    return writeTextFile(path, ids);
}

bool ItemIdFile::clear(const std::filesystem::path& path)
{
    return writeFileAtomically(path, {});
}

}  // namespace dealcast::settings

#include "platform/clipboard.h"

namespace dealcast::platform {

void MemoryClipboard::setText(std::string_view text)
{
    const std::lock_guard lock(m_mutex);
    m_text = text;
}

std::string MemoryClipboard::text() const
{
    const std::lock_guard lock(m_mutex);
    return m_text;
}

bool MemoryClipboard::setImage(std::string_view bytes)
{
    if (bytes.empty())
        return false;
    const std::lock_guard lock(m_mutex);
    m_image = bytes;
    return true;
}

std::string MemoryClipboard::image() const
{
    const std::lock_guard lock(m_mutex);
    return m_image;
}

}  // namespace dealcast::platform

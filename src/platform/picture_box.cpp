#include "platform/picture_box.h"

namespace dealcast::platform {

std::string PictureBox::image() const
{
    std::lock_guard lock(m_mutex);
    return m_image;
}

void PictureBox::setImage(std::string bytes)
{
    Change change;
    {
        std::lock_guard lock(m_mutex);
        if (m_image == bytes)
            return;
        m_image = std::move(bytes);
        change = makeChange(ChangeKind::Image);
    }
    publish(change);
}

}  // namespace dealcast::platform

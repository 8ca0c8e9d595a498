#include "platform/label.h"

namespace dealcast::platform {

Label::Label(const ControlDecl& decl, ChangeSink* sink)
    : Control(decl, sink)
    , m_colour(decl.colour & 0xFFFFFFu)
{
}

std::uint32_t Label::colour() const
{
    std::lock_guard lock(m_mutex);
    return m_colour;
}

void Label::setColour(std::uint32_t colour)
{
    colour &= 0xFFFFFFu;
    Change change;
    {
        std::lock_guard lock(m_mutex);
        if (m_colour == colour)
            return;
        m_colour = colour;
        change = makeChange(ChangeKind::Colour);
        change.value = colour;
    }
    publish(change);
}

}  // namespace dealcast::platform

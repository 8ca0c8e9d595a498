#pragma once

#include "platform/control.h"

#include <cstdint>
#include <string>

namespace dealcast::platform {

// A static text. Its text is the caption; a hidden label may serve only as the target of feedback events.
class Label : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::Label;

    Label(const ControlDecl& decl, ChangeSink* sink);

    std::string text() const { return caption(); }
    void setText(std::string text) { setCaption(std::move(text)); }
    // 0xRRGGBB.
    std::uint32_t colour() const;
    void setColour(std::uint32_t colour);

private:
    std::uint32_t m_colour;
};

}  // namespace dealcast::platform

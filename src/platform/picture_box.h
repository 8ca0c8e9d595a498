#pragma once

#include "platform/control.h"

#include <string>

namespace dealcast::platform {

// Shows an image given as the bytes of an image file (JPEG, PNG, ...); empty shows nothing.
class PictureBox : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::PictureBox;

    using Control::Control;

    std::string image() const;
    void setImage(std::string bytes);

private:
    std::string m_image;
};

}  // namespace dealcast::platform

#pragma once

#include <string>
#include <string_view>

namespace dealcast::platform {

// The desktop's clipboard: product texts and pictures are copied for pasting into chat windows. The core calls
// it from the UI thread and from workers; implementations hand the work to whatever thread owns the clipboard.
class Clipboard {
public:
    virtual ~Clipboard() = default;

    virtual void setText(std::string_view text) = 0;
    // "" when the clipboard holds no text.
    virtual std::string text() const = 0;
    // `bytes` are an image file (JPEG, PNG, ...); false, and the clipboard unchanged, when they are not one.
    virtual bool setImage(std::string_view bytes) = 0;
    // The clipboard's image as PNG bytes; "" when it holds none.
    virtual std::string image() const = 0;
};

}  // namespace dealcast::platform

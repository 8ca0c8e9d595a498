#pragma once

#include <mutex>
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

// A clipboard of the program's own, for runs without a desktop: what is copied can be read back.
class MemoryClipboard final : public Clipboard {
public:
    void setText(std::string_view text) override;
    std::string text() const override;
    // Keeps any bytes as they are: there is no desktop to decode them for.
    bool setImage(std::string_view bytes) override;
    std::string image() const override;

private:
    mutable std::mutex m_mutex;
    std::string m_text;
    std::string m_image;
};

}  // namespace dealcast::platform

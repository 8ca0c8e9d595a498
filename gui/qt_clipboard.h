#pragma once

#include "platform/clipboard.h"

#include <QObject>
#include <functional>

namespace dealcast::gui {

// The clipboard on QClipboard. Create it on the GUI thread; calls from workers are carried out there. On X11
// the program serves what it copied for as long as it runs.
class QtClipboard final : public QObject, public platform::Clipboard {
    Q_OBJECT
public:
    QtClipboard() = default;

    void setText(std::string_view text) override;
    std::string text() const override;
    bool setImage(std::string_view bytes) override;
    std::string image() const override;

private:
    void onUiThread(const std::function<void()>& work) const;
};

}  // namespace dealcast::gui

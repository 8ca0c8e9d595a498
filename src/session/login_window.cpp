#include "session/login_window.h"

#include <vector>

namespace dealcast::session {

AffiliateLoginWindow::AffiliateLoginWindow()
    : m_model(kTitle, kWidth, kHeight)
{
    m_model.addAll(controls());
}

std::span<const platform::ControlDecl> AffiliateLoginWindow::controls()
{
    static const std::vector<platform::ControlDecl> table = {
        {.name = kBrowser,
         .kind = platform::ControlKind::Browser,
         .geometry = platform::Geometry{0, 0, kWidth, kHeight}},
    };
    return table;
}

}  // namespace dealcast::session

#pragma once

#include "platform/window_model.h"

#include <span>

namespace dealcast::session {

// The window in which the user logs in to the affiliate platform: nothing but the embedded login page. It is
// created once and only ever shown and hidden, so its page and cookies live for the whole run.
class AffiliateLoginWindow {
public:
    static constexpr char kTitle[] = "阿里妈妈登录";
    static constexpr int kWidth = 364;
    static constexpr int kHeight = 299;
    static constexpr char kBrowser[] = "超文本浏览框1";

    AffiliateLoginWindow();
    AffiliateLoginWindow(const AffiliateLoginWindow&) = delete;
    AffiliateLoginWindow& operator=(const AffiliateLoginWindow&) = delete;

    static std::span<const platform::ControlDecl> controls();

    platform::WindowModel& model() { return m_model; }
    const platform::WindowModel& model() const { return m_model; }

private:
    platform::WindowModel m_model;
};

}  // namespace dealcast::session

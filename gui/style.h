#pragma once

#include <QString>

namespace dealcast::gui {

// The program's one style sheet: a light, compact theme with the toolbar band of page buttons.
QString styleSheet();

}  // namespace dealcast::gui

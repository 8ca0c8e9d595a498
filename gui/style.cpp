#include "gui/style.h"

namespace dealcast::gui {

QString styleSheet()
{
    return QStringLiteral(R"(
* { font-size: 12px; }
QWidget#mainWindow { background: #f4f6f9; }
QLabel#background { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #2f6fb3, stop:0.13 #2f6fb3,
                                               stop:0.131 #f4f6f9, stop:1 #f4f6f9); }
QLabel#programName { color: white; font-size: 22px; font-weight: bold; padding-right: 4px; }
QLabel#version { color: #dce9f7; font-size: 12px; }
QLabel#beta { color: #ffd27a; font-size: 11px; font-style: italic; }
QPushButton[pageButton="true"] { background: transparent; color: white; border: none; border-radius: 4px;
                                 padding: 6px 14px; font-size: 14px; }
QPushButton[pageButton="true"]:hover { background: rgba(255, 255, 255, 40); }
QPushButton[pageButton="true"][selected="true"] { background: #f4f6f9; color: #2f6fb3; font-weight: bold;
                                                  border-bottom-left-radius: 0; border-bottom-right-radius: 0; }
QPushButton[windowButton="true"] { background: transparent; color: white; border: 1px solid rgba(255,255,255,90);
                                   border-radius: 3px; padding: 2px 10px; }
QPushButton[windowButton="true"]:hover { background: rgba(255, 255, 255, 50); }
QTabWidget::pane { border: 1px solid #c9d2de; background: white; top: -1px; }
QTabBar::tab { background: #e6ebf2; border: 1px solid #c9d2de; padding: 4px 12px; margin-right: 2px; }
QTabBar::tab:selected { background: white; border-bottom-color: white; }
QScrollArea, QWidget#pageContent { background: white; }
QGroupBox { background: white; border: 1px solid #c9d2de; border-radius: 4px; margin-top: 10px; padding-top: 4px; }
QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 4px; color: #2f6fb3; font-weight: bold; }
QLineEdit, QPlainTextEdit, QComboBox, QTreeWidget { border: 1px solid #c3ccd8; border-radius: 3px;
                                                    background: white; selection-background-color: #cfe2f7;
                                                    selection-color: black; }
QLineEdit, QComboBox { padding: 2px 4px; min-height: 18px; }
QLineEdit:focus, QPlainTextEdit:focus, QComboBox:focus { border-color: #2f6fb3; }
QLineEdit:read-only, QPlainTextEdit[readOnly="true"] { background: #f7f9fb; }
QPushButton { background: #eef2f7; border: 1px solid #b9c4d2; border-radius: 3px; padding: 3px 10px; }
QPushButton:hover { background: #dfe8f3; }
QPushButton:pressed { background: #cddbeb; }
QPushButton:disabled, QLabel:disabled { color: #9aa4b1; }
QHeaderView::section { background: #eef2f7; border: none; border-right: 1px solid #d3dae4;
                       border-bottom: 1px solid #d3dae4; padding: 3px 6px; }
QTreeWidget { alternate-background-color: #f7f9fb; }
QLabel[picture="true"] { background: #f7f9fb; border: 1px dashed #c3ccd8; }
QWidget#rightPanel { background: transparent; }
)");
}

}  // namespace dealcast::gui

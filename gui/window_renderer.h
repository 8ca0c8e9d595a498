#pragma once

#include "platform/window_model.h"

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class QBoxLayout;
class QMenu;
class QWidget;

namespace dealcast::gui {

// Builds widgets for every control of a window model and keeps both sides in step.
//
// Widgets: edit box -> QLineEdit (QPlainTextEdit when multi-line), check box, radio box, combo box, label,
// button, picture box (QLabel with the image), list view (QTreeWidget), page control (QTabWidget, each page a
// scroll area), group box (QGroupBox); timers get none and popup menus become QMenus. Children go into their
// container in the order declared: at their geometry when every child of the container has one, otherwise in
// tidy rows.
//
// User edits go to the control's setters and raise the events the core binds (clicked, changed, item chosen,
// double click, focus gained, key, menu item). Model changes, from any thread, reach the widgets on the GUI
// thread in each control's revision order; applying them never echoes back into the model.
class WindowRenderer : public QObject {
    Q_OBJECT
public:
    struct Options {
        // Lay the window's own (parentless) controls out in `root`; off when the caller places them itself.
        bool layoutRoot = true;
        // The width a page's content is laid out for; the page control's width when unset.
        std::function<int(const platform::PageControl&, int page)> pageWidth{};
        // The popup menu shown on each list view's context menu: list name -> menu name.
        std::map<std::string, std::string, std::less<>> listMenus{};
        // The width a parentless container without geometry is laid out for; the window's width when unset.
        std::function<int(const platform::Control&)> topLevelWidth{};
        // Containers whose children the caller places itself.
        std::set<std::string, std::less<>> placedByCaller{};
        // Buttons that stay shown when the model hides them and show as selected instead (a toolbar whose
        // hidden button marks the chosen page); a click on a selected one does nothing, as on a hidden one.
        std::set<std::string, std::less<>> hiddenMeansSelected{};
    };

    // The model outlives the renderer; `root` (owned by the caller) receives the widgets.
    WindowRenderer(platform::WindowModel& model, QWidget* root, Options options);
    WindowRenderer(platform::WindowModel& model, QWidget* root);
    ~WindowRenderer() override;

    platform::WindowModel& model() const { return m_model; }
    QWidget* root() const { return m_root; }
    // The widget of a control; nullptr for an unknown name, a timer or a popup menu.
    QWidget* widget(std::string_view name) const;
    QMenu* menu(std::string_view name) const;
    // Controls of the window itself (no parent), in declaration order.
    std::vector<platform::Control*> topLevelControls() const;

    // Applies the model changes already queued for the GUI thread (tests and screenshots call it).
    void applyPendingChanges();

Q_SIGNALS:
    // A page control's width changed (the caller may move what sits beside it).
    void pageWidthChanged(const QString& name, int width);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Binding {
        platform::Control* control = nullptr;
        QWidget* widget = nullptr;
        QMenu* menu = nullptr;
        std::uint64_t applied = 0;
        std::map<std::uint64_t, platform::Change> pending;
        bool gapCheckScheduled = false;
        bool absolute = false;  // placed at its geometry
        // A hidden edit box's text goes into its widget only when it is shown: a hidden store may be large.
        bool textDeferred = false;
    };
    struct Inbox;

    void createWidgets();
    QWidget* createWidget(platform::Control& control);
    void connectWidget(Binding& binding);
    void connectListView(Binding& binding);
    // Lays out what a container control holds (its pages, for a page control), for `width` pixels.
    void layOut(platform::Control& container, int width);
    void layoutChildren(QWidget* container, const std::vector<platform::Control*>& children, int width);
    bool isContainer(const platform::Control& control) const;
    void addRows(QBoxLayout* column, const std::vector<platform::Control*>& children, int width);
    std::vector<platform::Control*> childrenOf(const platform::Control* parent, int page) const;

    void receive(std::vector<platform::Change> changes);
    void replay(Binding& binding);
    void checkGap(const platform::Control* control);
    void resync(Binding& binding);
    void apply(Binding& binding, const platform::Change& change);
    void applyRows(Binding& binding, const platform::ListView::Snapshot& snapshot);
    void applyMenuItems(Binding& binding);
    void applyEditSnapshot(Binding& binding);
    // Parts of apply(): the text of an edit box, and the changes of the other kinds.
    void applyText(Binding& binding, const platform::Change& change);
    void applyOther(Binding& binding, const platform::Change& change);
    void raise(const platform::Control& control, platform::EventType type, platform::EventArgs args = {});
    void showListMenu(const std::string& list);

    platform::WindowModel& m_model;
    QPointer<QWidget> m_root;
    Options m_options;
    std::vector<platform::Control*> m_controls;
    std::unordered_map<const platform::Control*, Binding> m_bindings;
    std::map<std::string, const platform::Control*, std::less<>> m_byName;
    std::unordered_map<const QObject*, platform::Control*> m_controlOf;  // widgets and their viewports
    std::set<const platform::Control*> m_laidOut;
    std::shared_ptr<Inbox> m_inbox;
    platform::WindowModel::SubscriptionId m_subscription = 0;
    int m_applying = 0;  // > 0 while model changes are pushed into widgets: their signals are not user edits
};

}  // namespace dealcast::gui

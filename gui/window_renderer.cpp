#include "gui/window_renderer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QStyle>
#include <QTabWidget>
#include <QTextCursor>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <mutex>

namespace dealcast::gui {

using platform::Change;
using platform::ChangeKind;
using platform::Control;
using platform::ControlKind;
using platform::EventArgs;
using platform::EventType;

struct WindowRenderer::Inbox {
    std::mutex mutex;
    std::vector<Change> changes;
    bool scheduled = false;
    WindowRenderer* target = nullptr;  // null once the renderer is going
};

namespace {

constexpr int kPictureSide = 160;
constexpr int kWideLayout = 900;  // a page at least this wide shows its group boxes in two columns
constexpr int kGapCheckMs = 100;

QString toQt(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
std::string toUtf8(const QString& text)
{
    return text.toStdString();
}

// The model's line breaks are "\r\n"; a text widget holds "\n".
QString toWidgetText(std::string_view text)
{
    return toQt(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}
std::string toModelText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return toUtf8(text.replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
}

// Caret positions: the model counts code points of its "\r\n" text, the widget UTF-16 units of its "\n" text.
int widgetPosition(const QString& text, int codePoints)
{
    int pos = 0;
    for (int counted = 0; pos < text.size() && counted < codePoints;) {
        counted += text[pos] == QLatin1Char('\n') ? 2 : 1;
        pos += text[pos].isHighSurrogate() && pos + 1 < text.size() ? 2 : 1;
    }
    return pos;
}

int modelPosition(const QString& text, int position)
{
    int counted = 0;
    for (int pos = 0; pos < position && pos < text.size();) {
        counted += text[pos] == QLatin1Char('\n') ? 2 : 1;
        pos += text[pos].isHighSurrogate() && pos + 1 < text.size() ? 2 : 1;
    }
    return counted;
}

// Virtual-key numbering: letters and digits as upper-case ASCII, Enter 13, Delete 46.
int keyCode(const QKeyEvent& event)
{
    const int key = event.key();
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9) || key == Qt::Key_Space)
        return key;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    default:
        return 0;
    }
}

unsigned modifiers(Qt::KeyboardModifiers mods)
{
    unsigned out = 0;
    if (mods & Qt::ShiftModifier)
        out |= platform::kShift;
    if (mods & Qt::ControlModifier)
        out |= platform::kCtrl;
    if (mods & Qt::AltModifier)
        out |= platform::kAlt;
    return out;
}

QTreeWidgetItem* makeRow(const platform::ListRow& row, bool checkBoxes)
{
    QStringList cells;
    for (const auto& cell : row.cells)
        cells << toQt(cell);
    auto* item = new QTreeWidgetItem(cells);
    if (checkBoxes) {
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
    }
    return item;
}

QWidget* pageContent(QTabWidget* tabs, int page)
{
    auto* scroll = qobject_cast<QScrollArea*>(tabs->widget(page));
    return scroll != nullptr ? scroll->widget() : nullptr;
}

void addPage(QTabWidget* tabs, const QString& title)
{
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("pageContent"));
    scroll->setWidget(content);
    tabs->addTab(scroll, title);
}

}  // namespace

WindowRenderer::WindowRenderer(platform::WindowModel& model, QWidget* root)
    : WindowRenderer(model, root, Options{})
{
}

WindowRenderer::WindowRenderer(platform::WindowModel& model, QWidget* root, Options options)
    : m_model(model)
    , m_root(root)
    , m_options(std::move(options))
    , m_controls(model.controls())
    , m_inbox(std::make_shared<Inbox>())
{
    m_inbox->target = this;
    // Subscribe before reading the initial state, so no change falls between the two.
    m_subscription = m_model.subscribe([inbox = m_inbox](const Change& change) {
        std::lock_guard lock(inbox->mutex);
        if (inbox->target == nullptr)
            return;
        inbox->changes.push_back(change);
        if (!inbox->scheduled) {
            inbox->scheduled = true;
            WindowRenderer* target = inbox->target;
            QMetaObject::invokeMethod(
                target, [target] { target->applyPendingChanges(); }, Qt::QueuedConnection);
        }
    });

    createWidgets();
    // The state first: captions and items decide how much room each widget wants.
    for (Control* control : m_controls)
        resync(m_bindings[control]);

    // Containers are laid out from the top down, so each knows the width it has.
    const auto topLevel = topLevelControls();
    for (Control* control : topLevel) {
        if (!isContainer(*control) || m_options.placedByCaller.count(control->name()) != 0)
            continue;
        int width = m_model.width();
        if (const auto geometry = control->geometry(); geometry && geometry->width > 0)
            width = geometry->width;
        else if (m_options.topLevelWidth)
            width = m_options.topLevelWidth(*control);
        layOut(*control, width);
    }
    if (m_options.layoutRoot)
        layoutChildren(m_root, topLevel, m_model.width());
}

WindowRenderer::~WindowRenderer()
{
    {
        std::lock_guard lock(m_inbox->mutex);
        m_inbox->target = nullptr;
    }
    m_model.unsubscribe(m_subscription);
}

QWidget* WindowRenderer::widget(std::string_view name) const
{
    const auto it = m_byName.find(name);
    return it == m_byName.end() ? nullptr : m_bindings.at(it->second).widget;
}

QMenu* WindowRenderer::menu(std::string_view name) const
{
    const auto it = m_byName.find(name);
    return it == m_byName.end() ? nullptr : m_bindings.at(it->second).menu;
}

std::vector<Control*> WindowRenderer::topLevelControls() const
{
    std::vector<Control*> out;
    for (Control* control : m_controls) {
        if (control->parent() == nullptr)
            out.push_back(control);
    }
    return out;
}

std::vector<Control*> WindowRenderer::childrenOf(const Control* parent, int page) const
{
    std::vector<Control*> out;
    for (Control* control : m_controls) {
        if (control->parent() == parent && (page < 0 || control->page() == page))
            out.push_back(control);
    }
    return out;
}

bool WindowRenderer::isContainer(const Control& control) const
{
    if (control.kind() == ControlKind::PageControl || control.kind() == ControlKind::GroupBox)
        return true;
    return control.kind() == ControlKind::PictureBox && !childrenOf(&control, -1).empty();
}

void WindowRenderer::createWidgets()
{
    for (Control* control : m_controls) {
        Binding& binding = m_bindings[control];
        binding.control = control;
        m_byName.emplace(control->name(), control);
        if (control->kind() == ControlKind::PopupMenu) {
            binding.menu = new QMenu(m_root);
            binding.menu->setObjectName(toQt(control->name()));
            continue;
        }
        binding.widget = createWidget(*control);
        if (binding.widget == nullptr)
            continue;
        binding.widget->setObjectName(toQt(control->name()));
        m_controlOf.emplace(binding.widget, control);
        connectWidget(binding);
    }
}

QWidget* WindowRenderer::createWidget(Control& control)
{
    switch (control.kind()) {
    case ControlKind::EditBox: {
        const auto& box = static_cast<platform::EditBox&>(control);
        if (box.multiLine()) {
            auto* edit = new QPlainTextEdit(m_root);
            edit->setMinimumHeight(60);
            return edit;
        }
        auto* edit = new QLineEdit(m_root);
        edit->setMinimumWidth(120);
        if (box.password())
            edit->setEchoMode(QLineEdit::Password);
        return edit;
    }
    case ControlKind::CheckBox:
        return new QCheckBox(m_root);
    case ControlKind::RadioBox: {
        // The model keeps its group exclusive; Qt's own grouping follows parent widgets instead.
        auto* radio = new QRadioButton(m_root);
        radio->setAutoExclusive(false);
        return radio;
    }
    case ControlKind::ComboBox: {
        auto* combo = new QComboBox(m_root);
        combo->setMinimumWidth(100);
        combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        return combo;
    }
    case ControlKind::Label:
        return new QLabel(m_root);
    case ControlKind::Button:
        return new QPushButton(m_root);
    case ControlKind::PictureBox: {
        auto* picture = new QLabel(m_root);
        picture->setAlignment(Qt::AlignCenter);
        if (childrenOf(&control, -1).empty()) {
            picture->setProperty("picture", true);
            picture->setFixedSize(kPictureSide, kPictureSide);
            picture->setFrameShape(QFrame::StyledPanel);
        }
        return picture;
    }
    case ControlKind::ListView: {
        auto* tree = new QTreeWidget(m_root);
        tree->setRootIsDecorated(false);
        tree->setUniformRowHeights(true);
        tree->setAlternatingRowColors(true);
        tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
        tree->setContextMenuPolicy(Qt::CustomContextMenu);
        tree->setMinimumHeight(130);
        tree->header()->setStretchLastSection(true);
        return tree;
    }
    case ControlKind::PageControl: {
        auto* tabs = new QTabWidget(m_root);
        for (const auto& title : static_cast<platform::PageControl&>(control).pageTitles())
            addPage(tabs, toQt(title));
        return tabs;
    }
    case ControlKind::GroupBox:
        return new QGroupBox(m_root);
    case ControlKind::Timer:
    case ControlKind::PopupMenu:
        return nullptr;
    case ControlKind::Browser: {
        // An empty frame; the window host puts the page's view into it.
        auto* frame = new QWidget(m_root);
        frame->setObjectName(QStringLiteral("browserFrame"));
        auto* layout = new QVBoxLayout(frame);
        layout->setContentsMargins(0, 0, 0, 0);
        frame->setMinimumSize(200, 150);
        return frame;
    }
    }
    return nullptr;
}

void WindowRenderer::connectWidget(Binding& binding)
{
    Control* control = binding.control;
    QWidget* widget = binding.widget;
    switch (control->kind()) {
    case ControlKind::EditBox: {
        auto* box = static_cast<platform::EditBox*>(control);
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            connect(edit, &QLineEdit::textEdited, this, [this, box](const QString& text) {
                box->setText(toUtf8(text));
                raise(*box, EventType::Changed, {.text = box->text()});
            });
            connect(edit, &QLineEdit::cursorPositionChanged, this, [this, box, edit] {
                if (m_applying > 0)
                    return;
                const int start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
                const int length = edit->hasSelectedText() ? static_cast<int>(edit->selectedText().size()) : 0;
                const int from = modelPosition(edit->text(), start);
                box->setSelection(from, modelPosition(edit->text(), start + length) - from);
            });
        } else if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
            connect(edit, &QPlainTextEdit::textChanged, this, [this, box, edit] {
                if (m_applying > 0)
                    return;
                box->setText(toModelText(edit->toPlainText()));
                raise(*box, EventType::Changed, {.text = box->text()});
            });
            connect(edit, &QPlainTextEdit::cursorPositionChanged, this, [this, box, edit] {
                if (m_applying > 0)
                    return;
                const QTextCursor cursor = edit->textCursor();
                const QString text = edit->toPlainText();
                const int from = modelPosition(text, cursor.selectionStart());
                box->setSelection(from, modelPosition(text, cursor.selectionEnd()) - from);
            });
        }
        widget->installEventFilter(this);
        break;
    }
    case ControlKind::CheckBox:
        connect(static_cast<QCheckBox*>(widget), &QCheckBox::clicked, this, [this, control](bool checked) {
            static_cast<platform::CheckBox*>(control)->setChecked(checked);
            raise(*control, EventType::Clicked);
        });
        break;
    case ControlKind::RadioBox: {
        auto* radio = static_cast<QRadioButton*>(widget);
        connect(radio, &QRadioButton::clicked, this, [this, control, radio] {
            // A click on the checked box leaves it checked, as in any radio group.
            if (!radio->isChecked()) {
                ++m_applying;
                radio->setChecked(true);
                --m_applying;
            }
            static_cast<platform::RadioBox*>(control)->setChecked(true);
            raise(*control, EventType::Clicked);
        });
        break;
    }
    case ControlKind::ComboBox: {
        auto* combo = static_cast<QComboBox*>(widget);
        connect(combo, &QComboBox::activated, this, [this, control, combo](int index) {
            static_cast<platform::ComboBox*>(control)->setCurrentIndex(index);
            raise(*control, EventType::ItemChosen, {.index = index, .text = toUtf8(combo->itemText(index))});
        });
        widget->installEventFilter(this);
        break;
    }
    case ControlKind::Label:
        widget->installEventFilter(this);  // a click on a label is an event too (the link-styled ones)
        break;
    case ControlKind::Button:
        connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, this, [this, control] {
            if (control->visible())
                raise(*control, EventType::Clicked);
        });
        break;
    case ControlKind::ListView:
        connectListView(binding);
        break;
    case ControlKind::PageControl:
        connect(static_cast<QTabWidget*>(widget), &QTabWidget::currentChanged, this, [this, control](int index) {
            if (m_applying > 0 || index < 0)
                return;
            static_cast<platform::PageControl*>(control)->setCurrentPage(index);
            raise(*control, EventType::Changed, {.index = index});
        });
        break;
    default:
        break;
    }
}

void WindowRenderer::connectListView(Binding& binding)
{
    auto* list = static_cast<platform::ListView*>(binding.control);
    auto* tree = static_cast<QTreeWidget*>(binding.widget);
    tree->installEventFilter(this);
    connect(tree, &QTreeWidget::itemChanged, this, [this, list, tree](QTreeWidgetItem* item, int column) {
        if (m_applying > 0 || column != 0 || !list->hasCheckBoxes())
            return;
        list->setChecked(tree->indexOfTopLevelItem(item), item->checkState(0) == Qt::Checked);
    });
    connect(tree, &QTreeWidget::itemSelectionChanged, this, [this, list, tree] {
        if (m_applying > 0)
            return;
        QSet<int> selected;
        for (QTreeWidgetItem* item : tree->selectedItems())
            selected.insert(tree->indexOfTopLevelItem(item));
        list->withRows([&](platform::ListView::Rows& rows) {
            const int count = std::min(rows.count(), tree->topLevelItemCount());
            for (int row = 0; row < count; ++row)
                rows.setHighlighted(row, selected.contains(row));
        });
    });
    connect(tree, &QTreeWidget::currentItemChanged, this, [this, list, tree](QTreeWidgetItem* current) {
        if (m_applying > 0)
            return;
        const int row = current != nullptr ? tree->indexOfTopLevelItem(current) : -1;
        list->setCurrentRow(row);
        if (row >= 0)
            raise(*list, EventType::ItemChosen, {.index = row});
    });
    connect(tree, &QTreeWidget::itemClicked, this, [this, list, tree](QTreeWidgetItem* item) {
        raise(*list, EventType::Clicked, {.index = tree->indexOfTopLevelItem(item)});
    });
    connect(tree, &QTreeWidget::itemDoubleClicked, this, [this, list, tree](QTreeWidgetItem* item) {
        raise(*list, EventType::DoubleClick, {.index = tree->indexOfTopLevelItem(item)});
    });
    connect(tree, &QTreeWidget::customContextMenuRequested, this, [this, name = list->name()] { showListMenu(name); });
}

void WindowRenderer::showListMenu(const std::string& list)
{
    const auto it = m_options.listMenus.find(list);
    if (it == m_options.listMenus.end())
        return;
    QMenu* shown = menu(it->second);
    if (shown != nullptr && !shown->actions().isEmpty())
        shown->popup(QCursor::pos());
}

bool WindowRenderer::eventFilter(QObject* watched, QEvent* event)
{
    const auto it = m_controlOf.find(watched);
    if (it == m_controlOf.end())
        return QObject::eventFilter(watched, event);
    Control& control = *it->second;
    switch (event->type()) {
    case QEvent::FocusIn:
        raise(control, EventType::FocusGained);
        break;
    case QEvent::KeyPress:
        if (control.kind() == ControlKind::EditBox || control.kind() == ControlKind::ListView) {
            const auto& key = static_cast<const QKeyEvent&>(*event);
            if (const int code = keyCode(key); code != 0)
                raise(control, EventType::Key, {.keyCode = code, .modifiers = modifiers(key.modifiers())});
        }
        break;
    case QEvent::MouseButtonRelease:
        if (control.kind() == ControlKind::Label && control.effectivelyEnabled())
            raise(control, EventType::Clicked);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void WindowRenderer::raise(const Control& control, EventType type, EventArgs args)
{
    m_model.raise(control.name(), type, std::move(args));
}

// ---- layout ----

void WindowRenderer::layOut(Control& container, int width)
{
    QWidget* widget = m_bindings[&container].widget;
    if (widget == nullptr || !m_laidOut.insert(&container).second)
        return;
    if (container.kind() == ControlKind::PageControl) {
        auto& pages = static_cast<platform::PageControl&>(container);
        auto* tabs = static_cast<QTabWidget*>(widget);
        for (int page = 0; page < tabs->count(); ++page) {
            const int pageWidth = m_options.pageWidth ? m_options.pageWidth(pages, page) : width;
            layoutChildren(pageContent(tabs, page), childrenOf(&container, page), pageWidth - 48);
        }
        return;
    }
    layoutChildren(widget, childrenOf(&container, -1), width - 30);
}

void WindowRenderer::layoutChildren(QWidget* container, const std::vector<Control*>& children, int width)
{
    if (container == nullptr || children.empty())
        return;
    const bool allPlaced = std::all_of(children.begin(), children.end(), [](const Control* c) {
        const auto geometry = c->geometry();
        return c->kind() == ControlKind::Timer || c->kind() == ControlKind::PopupMenu ||
               (geometry && geometry->width > 0 && geometry->height > 0);
    });
    if (allPlaced) {
        for (Control* child : children) {
            Binding& binding = m_bindings[child];
            if (binding.widget == nullptr)
                continue;
            const auto geometry = *child->geometry();
            binding.widget->setParent(container);
            binding.widget->setGeometry(geometry.x, geometry.y, geometry.width, geometry.height);
            binding.absolute = true;
            if (isContainer(*child))
                layOut(*child, geometry.width);
        }
        return;
    }
    auto* column = new QVBoxLayout(container);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(6);
    addRows(column, children, width);
    column->addStretch(1);
}

void WindowRenderer::addRows(QBoxLayout* column, const std::vector<Control*>& children, int width)
{
    constexpr int kSpacing = 6;
    const bool twoColumns = width >= kWideLayout;
    std::vector<Control*> groups;

    QHBoxLayout* row = nullptr;
    int used = 0;
    const auto flush = [&] {
        if (row != nullptr) {
            row->addStretch(1);
            column->addLayout(row);
        }
        row = nullptr;
        used = 0;
    };
    const auto wants = [&](const Control* c) {
        QWidget* w = m_bindings[c].widget;
        if (w == nullptr)
            return 0;
        w->ensurePolished();  // the style sheet's padding counts
        return std::max(w->sizeHint().width(), 24) + kSpacing;
    };

    for (std::size_t i = 0; i < children.size(); ++i) {
        Control* child = children[i];
        QWidget* widget = m_bindings[child].widget;
        if (widget == nullptr)
            continue;
        const bool container = isContainer(*child);
        const bool wide =
            container || child->kind() == ControlKind::ListView ||
            (child->kind() == ControlKind::EditBox && static_cast<platform::EditBox*>(child)->multiLine());
        if (container)
            layOut(*child, twoColumns ? width / 2 - kSpacing : width);
        if (container && child->kind() == ControlKind::GroupBox && twoColumns) {
            groups.push_back(child);
            continue;
        }
        // An edit or combo box shows its caption as a label in front of it (above it when it spans the width).
        QLabel* captionLabel = nullptr;
        if ((child->kind() == ControlKind::EditBox || child->kind() == ControlKind::ComboBox) && child->visible()) {
            const QString caption = toQt(child->caption());
            if (!caption.isEmpty())
                captionLabel = new QLabel(caption);
        }
        if (wide) {
            flush();
            if (captionLabel != nullptr)
                column->addWidget(captionLabel);
            column->addWidget(widget);
            continue;
        }
        int need = wants(child);
        if (captionLabel != nullptr)
            need += captionLabel->sizeHint().width() + kSpacing;
        // A label stays on the row of what it names.
        if (child->kind() == ControlKind::Label && i + 1 < children.size() &&
            children[i + 1]->kind() != ControlKind::Label)
            need += wants(children[i + 1]);
        if (row != nullptr && used + need > width)
            flush();
        if (row == nullptr) {
            row = new QHBoxLayout;
            row->setSpacing(kSpacing);
        }
        if (captionLabel != nullptr)
            row->addWidget(captionLabel);
        row->addWidget(widget);
        used += wants(child) + (captionLabel != nullptr ? captionLabel->sizeHint().width() + kSpacing : 0);
    }
    flush();

    if (groups.empty())
        return;
    auto* columns = new QHBoxLayout;
    QVBoxLayout* halves[2] = {new QVBoxLayout, new QVBoxLayout};
    int heights[2] = {0, 0};
    for (Control* group : groups) {
        const int side = heights[1] < heights[0] ? 1 : 0;
        QWidget* widget = m_bindings[group].widget;
        halves[side]->addWidget(widget);
        heights[side] += widget->sizeHint().height();
    }
    for (QVBoxLayout* half : halves) {
        half->addStretch(1);
        columns->addLayout(half, 1);
    }
    column->addLayout(columns);
}

// ---- model to widgets ----

void WindowRenderer::applyPendingChanges()
{
    std::vector<Change> changes;
    {
        std::lock_guard lock(m_inbox->mutex);
        changes.swap(m_inbox->changes);
        m_inbox->scheduled = false;
    }
    if (m_root == nullptr)
        return;
    std::vector<Binding*> touched;
    for (Change& change : changes) {
        const auto it = m_bindings.find(change.control);
        if (it == m_bindings.end() || change.revision <= it->second.applied)
            continue;
        touched.push_back(&it->second);
        it->second.pending.emplace(change.revision, std::move(change));
    }
    for (Binding* binding : touched)
        replay(*binding);
}

void WindowRenderer::replay(Binding& binding)
{
    auto& pending = binding.pending;
    while (!pending.empty()) {
        const auto it = pending.begin();
        if (it->first <= binding.applied) {
            pending.erase(it);
            continue;
        }
        if (it->first != binding.applied + 1)
            break;  // an earlier change is still on its way from another thread
        apply(binding, it->second);
        binding.applied = std::max(binding.applied, it->first);
        pending.erase(it);
    }
    if (!pending.empty() && !binding.gapCheckScheduled) {
        binding.gapCheckScheduled = true;
        const Control* control = binding.control;
        QTimer::singleShot(kGapCheckMs, this, [this, control] { checkGap(control); });
    }
}

void WindowRenderer::checkGap(const Control* control)
{
    applyPendingChanges();
    Binding& binding = m_bindings[control];
    binding.gapCheckScheduled = false;
    // A change that never arrived: read the control's whole state instead of waiting for it.
    if (!binding.pending.empty())
        resync(binding);
}

void WindowRenderer::resync(Binding& binding)
{
    Control& control = *binding.control;
    ++m_applying;
    std::uint64_t revision = control.revision();  // read first: later changes get replayed over this state
    QWidget* widget = binding.widget;

    switch (control.kind()) {
    case ControlKind::EditBox:
        apply(binding, {.control = &control,
                        .kind = ChangeKind::ReadOnly,
                        .flag = static_cast<platform::EditBox&>(control).readOnly()});
        if (control.visible())
            applyEditSnapshot(binding);
        else
            binding.textDeferred = true;
        break;
    case ControlKind::ListView: {
        const auto snapshot = static_cast<platform::ListView&>(control).snapshot();
        revision = snapshot.revision;
        applyRows(binding, snapshot);
        break;
    }
    case ControlKind::CheckBox:
        apply(binding, {.control = &control,
                        .kind = ChangeKind::Checked,
                        .flag = static_cast<platform::CheckBox&>(control).checked()});
        break;
    case ControlKind::RadioBox:
        apply(binding, {.control = &control,
                        .kind = ChangeKind::Checked,
                        .flag = static_cast<platform::RadioBox&>(control).checked()});
        break;
    case ControlKind::ComboBox:
        apply(binding, {.control = &control, .kind = ChangeKind::Entries});
        break;
    case ControlKind::Label:
        apply(binding, {.control = &control,
                        .kind = ChangeKind::Colour,
                        .value = static_cast<platform::Label&>(control).colour()});
        break;
    case ControlKind::PictureBox:
        apply(binding, {.control = &control, .kind = ChangeKind::Image});
        break;
    case ControlKind::PageControl: {
        auto& pages = static_cast<platform::PageControl&>(control);
        apply(binding, {.control = &control, .kind = ChangeKind::PageTitles});
        apply(binding, {.control = &control, .kind = ChangeKind::CurrentPage, .index = pages.currentPage()});
        apply(binding, {.control = &control, .kind = ChangeKind::Width, .value = pages.width()});
        break;
    }
    case ControlKind::PopupMenu:
        applyMenuItems(binding);
        break;
    default:
        break;
    }
    if (widget != nullptr) {
        apply(binding, {.control = &control, .kind = ChangeKind::Caption});
        apply(binding, {.control = &control, .kind = ChangeKind::Enabled, .flag = control.enabled()});
        if (m_options.hiddenMeansSelected.count(control.name()) != 0)
            apply(binding, {.control = &control, .kind = ChangeKind::Visible, .flag = control.visible()});
        else if (!control.visible())
            widget->setVisible(false);
        else if (widget->isHidden() && widget->parentWidget() != nullptr)
            widget->setVisible(true);
    }
    binding.applied = std::max(binding.applied, revision);
    for (auto it = binding.pending.begin(); it != binding.pending.end() && it->first <= binding.applied;)
        it = binding.pending.erase(it);
    --m_applying;
    replay(binding);
}

void WindowRenderer::applyEditSnapshot(Binding& binding)
{
    const auto snapshot = static_cast<platform::EditBox*>(binding.control)->snapshot();
    binding.textDeferred = false;
    apply(binding, {.control = binding.control, .kind = ChangeKind::Text, .text = snapshot.text});
    apply(binding, {.control = binding.control,
                    .kind = ChangeKind::Selection,
                    .index = snapshot.selection.start,
                    .value = snapshot.selection.length});
    binding.applied = std::max(binding.applied, snapshot.revision);
}

void WindowRenderer::applyRows(Binding& binding, const platform::ListView::Snapshot& snapshot)
{
    auto* tree = static_cast<QTreeWidget*>(binding.widget);
    const bool checkBoxes = static_cast<platform::ListView*>(binding.control)->hasCheckBoxes();
    QStringList headers;
    for (const auto& column : snapshot.columns)
        headers << toQt(column);
    tree->clear();
    tree->setColumnCount(std::max<int>(1, static_cast<int>(headers.size())));
    tree->setHeaderLabels(headers);
    QList<QTreeWidgetItem*> items;
    for (const auto& row : snapshot.rows)
        items << makeRow(row, checkBoxes);
    tree->addTopLevelItems(items);
    for (int row = 0; row < static_cast<int>(snapshot.rows.size()); ++row)
        items[row]->setSelected(snapshot.rows[static_cast<std::size_t>(row)].highlighted);
    QTreeWidgetItem* current = snapshot.currentRow >= 0 ? tree->topLevelItem(snapshot.currentRow) : nullptr;
    tree->setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
}

void WindowRenderer::applyMenuItems(Binding& binding)
{
    QMenu* menu = binding.menu;
    auto* popup = static_cast<platform::PopupMenu*>(binding.control);
    menu->clear();
    const auto items = popup->items();
    for (int index = 0; index < static_cast<int>(items.size()); ++index) {
        const auto& item = items[static_cast<std::size_t>(index)];
        QAction* action = menu->addAction(toQt(item.text));
        action->setEnabled(item.enabled);
        connect(action, &QAction::triggered, this, [this, popup, index, text = item.text] {
            raise(*popup, EventType::MenuItem, {.index = index, .text = text});
        });
    }
}

void WindowRenderer::apply(Binding& binding, const Change& change)
{
    ++m_applying;
    Control& control = *binding.control;
    QWidget* widget = binding.widget;
    switch (change.kind) {
    case ChangeKind::Caption: {
        const QString caption = toQt(control.caption());
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            button->setText(caption);
        else if (auto* group = qobject_cast<QGroupBox*>(widget))
            group->setTitle(caption);
        else if (auto* label = qobject_cast<QLabel*>(widget); label != nullptr && control.kind() == ControlKind::Label)
            label->setText(caption);
        break;
    }
    case ChangeKind::Enabled:
        if (widget != nullptr)
            widget->setEnabled(change.flag);
        if (binding.menu != nullptr)
            binding.menu->setEnabled(change.flag);
        break;
    case ChangeKind::Visible:
        if (widget != nullptr && m_options.hiddenMeansSelected.count(control.name()) != 0) {
            widget->setProperty("selected", !change.flag);
            widget->style()->unpolish(widget);
            widget->style()->polish(widget);
        } else if (widget != nullptr) {
            widget->setVisible(change.flag);
        }
        if (change.flag && binding.textDeferred)
            applyEditSnapshot(binding);
        break;
    case ChangeKind::Geometry:
        if (widget != nullptr && binding.absolute) {
            if (const auto geometry = control.geometry())
                widget->setGeometry(geometry->x, geometry->y, geometry->width, geometry->height);
        }
        break;
    case ChangeKind::Text:
    case ChangeKind::Appended:
    case ChangeKind::Selection:
        if (binding.textDeferred || (control.kind() == ControlKind::EditBox && !control.visible())) {
            binding.textDeferred = true;
            break;
        }
        applyText(binding, change);
        break;
    case ChangeKind::ReadOnly:
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            edit->setReadOnly(change.flag);
        else if (auto* edit = qobject_cast<QPlainTextEdit*>(widget))
            edit->setReadOnly(change.flag);
        break;
    case ChangeKind::Checked:
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            button->setChecked(change.flag);
        break;
    default:
        applyOther(binding, change);
        break;
    }
    --m_applying;
}

void WindowRenderer::applyText(Binding& binding, const Change& change)
{
    QWidget* widget = binding.widget;
    switch (change.kind) {
    case ChangeKind::Text:
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            edit->setText(toQt(change.text));
        } else if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
            edit->setPlainText(toWidgetText(change.text));
        }
        break;
    case ChangeKind::Appended:
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            edit->setText(edit->text() + toQt(change.text));
        } else if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
            // Only the new piece goes in: the run log grows for the whole run.
            QTextCursor cursor(edit->document());
            cursor.movePosition(QTextCursor::End);
            cursor.insertText(toWidgetText(change.text));
            edit->verticalScrollBar()->setValue(edit->verticalScrollBar()->maximum());
        }
        break;
    case ChangeKind::Selection:
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            const int start = widgetPosition(edit->text(), change.index);
            const int end = widgetPosition(edit->text(), change.index + static_cast<int>(change.value));
            edit->setSelection(start, end - start);
        } else if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
            const QString text = edit->toPlainText();
            QTextCursor cursor(edit->document());
            cursor.setPosition(widgetPosition(text, change.index));
            cursor.setPosition(widgetPosition(text, change.index + static_cast<int>(change.value)),
                               QTextCursor::KeepAnchor);
            edit->setTextCursor(cursor);
        }
        break;
    default:
        break;
    }
}

void WindowRenderer::applyOther(Binding& binding, const Change& change)
{
    Control& control = *binding.control;
    QWidget* widget = binding.widget;
    switch (change.kind) {
    case ChangeKind::Entries:
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            auto& box = static_cast<platform::ComboBox&>(control);
            combo->clear();
            for (const auto& entry : box.entries())
                combo->addItem(toQt(entry.text));
            combo->setCurrentIndex(box.currentIndex());
        }
        break;
    case ChangeKind::CurrentIndex:
        if (auto* combo = qobject_cast<QComboBox*>(widget))
            combo->setCurrentIndex(change.index);
        break;
    case ChangeKind::Colour:
        if (widget != nullptr && change.value != 0)
            widget->setStyleSheet(QStringLiteral("color: #%1;").arg(change.value, 6, 16, QLatin1Char('0')));
        else if (widget != nullptr)
            widget->setStyleSheet(QString());
        break;
    case ChangeKind::Image:
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            const std::string bytes = static_cast<platform::PictureBox&>(control).image();
            QPixmap pixmap;
            if (!bytes.empty() &&
                pixmap.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<uint>(bytes.size())))
                label->setPixmap(pixmap.scaled(label->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
            else
                label->clear();
        }
        break;
    case ChangeKind::Columns:
        if (auto* tree = qobject_cast<QTreeWidget*>(widget)) {
            QStringList headers;
            for (const auto& column : static_cast<platform::ListView&>(control).columns())
                headers << toQt(column);
            tree->setColumnCount(std::max<int>(1, static_cast<int>(headers.size())));
            tree->setHeaderLabels(headers);
        }
        break;
    case ChangeKind::RowInserted:
        if (auto* tree = qobject_cast<QTreeWidget*>(widget)) {
            const bool checkBoxes = static_cast<platform::ListView&>(control).hasCheckBoxes();
            tree->insertTopLevelItem(std::clamp(change.index, 0, tree->topLevelItemCount()),
                                     makeRow({change.cells, change.flag, false}, checkBoxes));
        }
        break;
    case ChangeKind::RowRemoved:
        if (auto* tree = qobject_cast<QTreeWidget*>(widget))
            delete tree->takeTopLevelItem(change.index);
        break;
    case ChangeKind::RowsCleared:
        if (auto* tree = qobject_cast<QTreeWidget*>(widget))
            tree->clear();
        break;
    case ChangeKind::CellChanged:
        if (auto* tree = qobject_cast<QTreeWidget*>(widget)) {
            if (QTreeWidgetItem* item = tree->topLevelItem(change.index))
                item->setText(change.column, toQt(change.text));
        }
        break;
    case ChangeKind::RowChecked:
        if (auto* tree = qobject_cast<QTreeWidget*>(widget)) {
            if (QTreeWidgetItem* item = tree->topLevelItem(change.index))
                item->setCheckState(0, change.flag ? Qt::Checked : Qt::Unchecked);
        }
        break;
    case ChangeKind::RowHighlighted:
        if (auto* tree = qobject_cast<QTreeWidget*>(widget)) {
            if (QTreeWidgetItem* item = tree->topLevelItem(change.index))
                item->setSelected(change.flag);
        }
        break;
    case ChangeKind::CurrentRow:
        if (auto* tree = qobject_cast<QTreeWidget*>(widget))
            tree->setCurrentItem(change.index >= 0 ? tree->topLevelItem(change.index) : nullptr, 0,
                                 QItemSelectionModel::NoUpdate);
        break;
    case ChangeKind::ScrollIntoView:
        if (auto* tree = qobject_cast<QTreeWidget*>(widget)) {
            if (QTreeWidgetItem* item = tree->topLevelItem(change.index))
                tree->scrollToItem(item);
        }
        break;
    case ChangeKind::CurrentPage:
        if (auto* tabs = qobject_cast<QTabWidget*>(widget))
            tabs->setCurrentIndex(change.index);
        break;
    case ChangeKind::PageTitles:
        if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
            const auto titles = static_cast<platform::PageControl&>(control).pageTitles();
            const int count = static_cast<int>(titles.size());
            while (tabs->count() < count)
                addPage(tabs, QString());
            while (tabs->count() > count) {
                QWidget* page = tabs->widget(tabs->count() - 1);
                tabs->removeTab(tabs->count() - 1);
                page->deleteLater();
            }
            for (int page = 0; page < count; ++page)
                tabs->setTabText(page, toQt(titles[static_cast<std::size_t>(page)]));
        }
        break;
    case ChangeKind::Width:
        if (widget != nullptr && change.value > 0) {
            widget->setFixedWidth(static_cast<int>(change.value));
            Q_EMIT pageWidthChanged(toQt(control.name()), static_cast<int>(change.value));
        }
        break;
    case ChangeKind::MenuItems:
        if (binding.menu != nullptr)
            applyMenuItems(binding);
        break;
    case ChangeKind::MenuItemEnabled:
        if (binding.menu != nullptr) {
            const auto actions = binding.menu->actions();
            if (change.index >= 0 && change.index < actions.size())
                actions[change.index]->setEnabled(change.flag);
        }
        break;
    case ChangeKind::Popup:
        if (binding.menu != nullptr && !binding.menu->actions().isEmpty())
            binding.menu->popup(QCursor::pos());
        break;
    default:
        break;
    }
}

}  // namespace dealcast::gui

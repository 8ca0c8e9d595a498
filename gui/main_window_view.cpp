#include "gui/main_window_view.h"

#include "app/app_controls.h"
#include "app/main_window.h"
#include "app/scenario.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

namespace dealcast::gui {
namespace {

constexpr int kMargin = 8;
constexpr int kToolbarHeight = 95;  // the page control starts below it
constexpr int kPanelLeft = kMargin + app::MainWindow::kNarrowPageWidth + 6;

WindowRenderer::Options mainWindowOptions()
{
    WindowRenderer::Options options;
    options.layoutRoot = false;
    options.pageWidth = [](const platform::PageControl&, int page) {
        return page == app::kBasicSettingsPage ? app::MainWindow::kWidePageWidth : app::MainWindow::kNarrowPageWidth;
    };
    options.topLevelWidth = [](const platform::Control&) { return app::MainWindow::kWidth - kPanelLeft - kMargin; };
    for (const app::ListMenu& pair : app::listMenus())
        options.listMenus.emplace(std::string(pair.list), std::string(pair.menu));
    options.placedByCaller.insert(app::controls::kBackground);
    for (int page = 0; page < app::kPageCount; ++page)
        options.hiddenMeansSelected.insert(std::string(app::MainWindow::pageButton(page)));
    return options;
}

}  // namespace

MainWindowView::MainWindowView(app::MainWindow& window, QWidget* parent)
    : QWidget(parent)
    , m_window(window)
{
    using namespace app::controls;
    auto& model = window.model();
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QString::fromStdString(model.title()));
    setFixedSize(model.width(), model.height());

    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("rightPanel"));
    m_renderer = std::make_unique<WindowRenderer>(model, this, mainWindowOptions());

    // The background carries the toolbar: the page selectors in page order, then close and minimise, with the
    // program's name, version and "beta" at the left.
    QWidget* background = m_renderer->widget(kBackground);
    background->setGeometry(0, 0, model.width(), model.height());
    background->lower();
    background->setObjectName(QStringLiteral("background"));
    auto* band = new QVBoxLayout(background);
    band->setContentsMargins(kMargin + 4, 10, kMargin + 4, 0);
    auto* toolbar = new QHBoxLayout;
    toolbar->setSpacing(6);
    auto* name = new QLabel(QStringLiteral("dealcast"), background);
    name->setObjectName(QStringLiteral("programName"));
    toolbar->addWidget(name);
    for (const char* label : {kVersionLabel, kBetaLabel}) {
        QWidget* widget = m_renderer->widget(label);
        toolbar->addWidget(widget, 0, Qt::AlignBottom);
    }
    m_renderer->widget(kVersionLabel)->setObjectName(QStringLiteral("version"));
    m_renderer->widget(kBetaLabel)->setObjectName(QStringLiteral("beta"));
    toolbar->addSpacing(24);
    for (int page = 0; page < app::kPageCount; ++page) {
        QWidget* button = m_renderer->widget(app::MainWindow::pageButton(page));
        button->setProperty("pageButton", true);
        button->setMinimumHeight(44);
        toolbar->addWidget(button);
    }
    toolbar->addStretch(1);
    for (const char* label : {kMinimiseButton, kCloseButton}) {
        QWidget* button = m_renderer->widget(label);
        button->setProperty("windowButton", true);
        toolbar->addWidget(button, 0, Qt::AlignTop);
    }
    band->addLayout(toolbar);
    band->addStretch(1);

    // The page control at its designed place; its width follows the page (the model sets it).
    QWidget* pages = m_renderer->widget(kPages);
    const auto geometry = model.find(kPages)->geometry().value_or(
        platform::Geometry{kMargin, kToolbarHeight, app::MainWindow::kWidePageWidth, 605});
    pages->setGeometry(geometry.x, geometry.y, pages->width(), geometry.height);

    // The right-hand panel: every other control of the window itself, in the order declared, the log last
    // taking what height is left.
    m_panel->setGeometry(kPanelLeft, geometry.y, model.width() - kPanelLeft - kMargin, geometry.height);
    auto* column = new QVBoxLayout(m_panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    for (platform::Control* control : m_renderer->topLevelControls()) {
        QWidget* widget = m_renderer->widget(control->name());
        if (widget == nullptr || widget == background || widget == pages || control->name() == kLogGroup)
            continue;
        column->addWidget(widget);
    }
    if (QWidget* log = m_renderer->widget(kLogGroup))
        column->addWidget(log, 1);
    pages->raise();
    // The wide first page covers the panel; the panel is hidden then, so nothing of it shows beside the tabs.
    const auto showPanelBeside = [this, pages] { m_panel->setVisible(pages->x() + pages->width() <= m_panel->x()); };
    showPanelBeside();
    connect(m_renderer.get(), &WindowRenderer::pageWidthChanged, this,
            [showPanelBeside](const QString&, int) { showPanelBeside(); });
}

MainWindowView::~MainWindowView() = default;

void MainWindowView::embedAnnouncement(QWidget* webView)
{
    QWidget* placeholder = m_renderer->widget(app::controls::kAnnouncementView);
    if (placeholder == nullptr || placeholder->parentWidget() == nullptr ||
        placeholder->parentWidget()->layout() == nullptr)
        return;
    webView->setMinimumSize(app::MainWindow::kWidePageWidth - 220, 150);
    if (placeholder->parentWidget()->layout()->replaceWidget(placeholder, webView) != nullptr)
        placeholder->hide();
}

void MainWindowView::closeEvent(QCloseEvent* event)
{
    // The close question decides; if the user leaves, the program's loop ends and the view goes with it.
    event->ignore();
    m_window.model().raise(app::controls::kCloseButton, platform::EventType::Clicked);
}

}  // namespace dealcast::gui

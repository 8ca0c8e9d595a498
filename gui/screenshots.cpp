// dealcast-screenshots OUTDIR: renders each page of the main window to OUTDIR/page-<n>.png, without a display.
#include "app/app_controls.h"
#include "app/main_window.h"
#include "app/run_log.h"
#include "gui/main_window_view.h"
#include "gui/style.h"
#include "platform/clock.h"
#include "platform/edit_box.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <iostream>

int main(int argc, char** argv)
{
    using namespace dealcast;
    if (argc != 2) {
        std::cerr << "usage: dealcast-screenshots OUTDIR\n";
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApp(argc, argv);
    qtApp.setStyleSheet(gui::styleSheet());
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(outDir)) {
        std::cerr << "cannot create " << argv[1] << "\n";
        return 1;
    }

    app::MainWindow window;
    app::RunLog log(*window.model().find<platform::EditBox>(app::controls::kRunLog), platform::systemClock());
    log.write("系统启动完毕，等待操作，本次登录IP为：127.0.0.1");
    gui::MainWindowView view(window);
    view.show();
    int failures = 0;
    for (int page = 0; page < app::kPageCount; ++page) {
        window.selectPage(page);
        view.renderer().applyPendingChanges();
        QApplication::processEvents();
        const QString path = QDir(outDir).filePath(QStringLiteral("page-%1.png").arg(page));
        if (!view.grab().save(path)) {
            std::cerr << "cannot write " << path.toStdString() << "\n";
            ++failures;
        } else {
            std::cout << path.toStdString() << "\n";
        }
    }
    return failures == 0 ? 0 : 1;
}

#pragma once

#include "platform/dialogs.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace dealcast::gui {

// Notices and questions as modal message boxes, and the open-file dialog. Create it on the GUI thread; a call
// from a worker waits there until the user has answered on the GUI thread.
class QtDialogs final : public QObject, public platform::Dialogs {
    Q_OBJECT
public:
    QtDialogs() = default;

    // The window the boxes belong to (centred over it); none by default.
    void setOwner(QWidget* owner) { m_owner = owner; }

    std::string openFile(std::string_view caption, std::string_view filter) override;

    // "Excel（*.xls）|*.xls" -> "Excel（*.xls） (*.xls)": description and patterns in pairs, patterns split
    // by ";", pairs joined by ";;".
    static QString qtFilter(std::string_view filter);

protected:
    int show(const platform::DialogRequest& request) override;

private:
    int showOnUiThread(const platform::DialogRequest& request);
    std::string openFileOnUiThread(const QString& caption, const QString& filter);

    QPointer<QWidget> m_owner;
};

}  // namespace dealcast::gui

#include "gui/qt_clipboard.h"

#include "gui/gui_thread.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

namespace dealcast::gui {

void QtClipboard::onUiThread(const std::function<void()>& work) const
{
    runOnThreadOf(const_cast<QtClipboard*>(this), work);
}

void QtClipboard::setText(std::string_view text)
{
    const QString qtText = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    onUiThread([&] { QGuiApplication::clipboard()->setText(qtText); });
}

std::string QtClipboard::text() const
{
    std::string out;
    onUiThread([&] { out = QGuiApplication::clipboard()->text().toStdString(); });
    return out;
}

bool QtClipboard::setImage(std::string_view bytes)
{
    const QImage picture =
        QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()));
    if (picture.isNull())
        return false;
    onUiThread([&] { QGuiApplication::clipboard()->setImage(picture); });
    return true;
}

std::string QtClipboard::image() const
{
    QImage picture;
    onUiThread([&] { picture = QGuiApplication::clipboard()->image(); });
    if (picture.isNull())
        return {};
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return png.toStdString();
}

}  // namespace dealcast::gui

#include "widgets/GeometryKeeper.h"

#include "common/IniFile.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace rq {

GeometryKeeper::GeometryKeeper(IniFile &ini, QString name, GeometryKeys keys)
    : m_ini(ini)
    , m_name(std::move(name))
    , m_keys(keys)
{
}

void GeometryKeeper::restore(QWidget *window) const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->size() : QSize(1024, 768);
    const WindowGeometry g = readWindowGeometry(m_ini, m_name, window->size(), screenSize, m_keys);
    window->move(g.left, g.top);
    if (m_keys != GeometryKeys::Position)
        window->resize(g.width, g.height);
    if (g.maximised)
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

void GeometryKeeper::store(const QWidget *window) const
{
    WindowGeometry g;
    g.maximised = window->isMaximized();
    const QRect normal = g.maximised ? window->normalGeometry() : window->geometry();
    const QPoint framePos = g.maximised ? normal.topLeft() : window->pos();
    g.top = framePos.y();
    g.left = framePos.x();
    g.height = normal.height();
    g.width = normal.width();
    writeWindowGeometry(m_ini, m_name, g, m_keys);
}

}  // namespace rq

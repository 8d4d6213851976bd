#pragma once

#include "common/WindowGeometry.h"

class QWidget;

namespace rq {

// Applies a window's stored geometry at creation and stores it at close, by the
// window's settings name ("MainForm", "AboutBox", ...).
class GeometryKeeper
{
public:
    GeometryKeeper(IniFile &ini, QString name, GeometryKeys keys);

    // Places `window` (its design size is its current size); maximises it when stored so.
    void restore(QWidget *window) const;
    // Writes the keys; see writeWindowGeometry for the maximised case.
    void store(const QWidget *window) const;

private:
    IniFile &m_ini;
    QString m_name;
    GeometryKeys m_keys;
};

}  // namespace rq

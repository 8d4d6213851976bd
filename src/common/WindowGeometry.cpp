#include "common/WindowGeometry.h"

#include "common/IniFile.h"

namespace rq {
namespace {
const QString kWindows = QStringLiteral("Windows");
}

WindowGeometry readWindowGeometry(const IniFile &ini, const QString &name, QSize design, QSize screen,
                                  GeometryKeys keys)
{
    WindowGeometry g;
    g.height = design.height();
    g.width = design.width();
    if (keys != GeometryKeys::Position) {
        g.height = ini.readInt(kWindows, name + QStringLiteral("Height"), design.height());
        g.width = ini.readInt(kWindows, name + QStringLiteral("Width"), design.width());
    }
    // The centred default uses the design size, as the window has it when created.
    g.top = ini.readInt(kWindows, name + QStringLiteral("Top"), (screen.height() - design.height()) / 2);
    g.left = ini.readInt(kWindows, name + QStringLiteral("Left"), (screen.width() - design.width()) / 2);
    if (keys == GeometryKeys::All)
        g.maximised = ini.readInt(kWindows, name + QStringLiteral("WindowState"), 0) == 1;
    return g;
}

bool writeWindowGeometry(IniFile &ini, const QString &name, const WindowGeometry &g, GeometryKeys keys)
{
    bool ok = true;
    if (keys == GeometryKeys::All) {
        if (g.maximised)
            return ini.writeInt(kWindows, name + QStringLiteral("WindowState"), 1);
        ok &= ini.writeInt(kWindows, name + QStringLiteral("WindowState"), 0);
    }
    ok &= ini.writeInt(kWindows, name + QStringLiteral("Top"), g.top);
    ok &= ini.writeInt(kWindows, name + QStringLiteral("Left"), g.left);
    if (keys != GeometryKeys::Position) {
        ok &= ini.writeInt(kWindows, name + QStringLiteral("Height"), g.height);
        ok &= ini.writeInt(kWindows, name + QStringLiteral("Width"), g.width);
    }
    return ok;
}

}  // namespace rq

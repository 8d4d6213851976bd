#pragma once

#include <QSize>
#include <QString>

namespace rq {

class IniFile;

// Which "Windows" keys a window stores: Top/Left only (about box, late
// registration), plus Height/Width, or all five with WindowState.
enum class GeometryKeys { Position, PositionAndSize, All };

// A window's place in pixels: Top and Left of the frame, Height and Width.
struct WindowGeometry
{
    int top = 0;
    int left = 0;
    int height = 0;
    int width = 0;
    bool maximised = false;
};

// Reads name + "Top", "Left", "Height", "Width", "WindowState" of section "Windows".
// Defaults: centred on `screen` ((screen − design) / 2, rounded toward zero) in the
// design size; keys the window does not store always take their default.
WindowGeometry readWindowGeometry(const IniFile &ini, const QString &name, QSize design, QSize screen,
                                  GeometryKeys keys);

// Writes the keys at close. A maximised window with all five keys writes only
// WindowState = 1, so its last normal geometry stays in the file; otherwise
// WindowState = 0 (where stored) and then Top, Left, Height, Width.
// Returns false when the file cannot be written.
bool writeWindowGeometry(IniFile &ini, const QString &name, const WindowGeometry &geometry, GeometryKeys keys);

}  // namespace rq

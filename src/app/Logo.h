#pragma once

class QImage;

namespace rq {

// The program's own artwork: a podium with the name, on a white background
// that the main window replaces with its panel colour at first activation.
QImage logoImage();
// The square picture of the about box.
QImage aboutPicture();

}  // namespace rq

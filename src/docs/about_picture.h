#pragma once
// The About box's picture, drawn here rather than shipped as a file: a
// lattice mast on a hill sending its signal into the evening sky.

#include <QImage>

// 173 x 167 pixels, 256 colours.
QImage aboutPicture();

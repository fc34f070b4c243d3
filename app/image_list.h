#pragma once

#include <QPixmap>

namespace corvinax {

// ImageList1: the 13 pictures of the result tree, 16 by 16 pixels, shipped in the resources.
const QPixmap& nodeImage(int index);

// What a node shows left of its text: its state picture (or an empty place), then its image.
const QPixmap& nodeDecoration(int image, int state);

}  // namespace corvinax

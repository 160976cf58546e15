#pragma once

#include <QIcon>
#include <QImage>

// The program's own pictures, drawn at any size so that they stay sharp on every screen.

// Toolbar image 0, "Compute entropy gains for simple rules": bars rising under an arrow.
QIcon entropyGainIcon();
// Toolbar image 1, "Original sorting order for simple rules": numbered lines in order.
QIcon sortOrderIcon();
// The mark of the class field in the Fields grid: a target, rings around a dot.
QIcon classFieldIcon();
// The application's icon: a table with a bell-shaped curve over it.
QIcon applicationIcon();
// The application's icon as a square picture of `size` pixels.
QImage applicationImage(int size);

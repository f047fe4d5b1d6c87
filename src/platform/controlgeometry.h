#pragma once

#include <QPoint>
#include <QRect>

class QObject;
class QWidget;

// Geometry of any control, windowed or windowless, in the terms the mover speaks: bounds as
// Left, Top, Width, Height in the parent's client coordinates, and points converted between a
// control's client coordinates, its parent's and the screen.
//
// A windowless control (TGraphicControl) keeps bounds of its own that may reach beyond its
// parent; a windowed control (any other widget) is its widget geometry.

// A windowed control has a window of its own: a widget that is not a TGraphicControl.
bool IsWindowed(const QObject *Control);

QRect ControlBounds(const QWidget &Control);
void SetControlBounds(QWidget &Control, int ALeft, int ATop, int AWidth, int AHeight);

// A screen point in the control's own client coordinates.
QPoint ScreenToControl(const QWidget &Control, const QPoint &Point);

// The client coordinates of the control's parent <-> screen (unchanged without a parent).
QPoint ParentToScreen(const QWidget &Control, const QPoint &Point);
QPoint ScreenToParent(const QWidget &Control, const QPoint &Point);

// The window's template as Qt widgets, and the core's embedded pictures as
// Qt pixmaps.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QWidget>

#include <functional>
#include <vector>

// A picture of the core's embedded store, or a null pixmap.
QPixmap Picture(int resourceId);
// Every size the core's icon file holds.
QIcon IconPicture();
// The template's thirty controls on dialog, placed and shown as the template
// says, in template order; pictureOf gives a bitmap static its bitmap.
std::vector<QWidget*> BuildTemplateControls(QWidget* dialog,
                                            const std::function<QPixmap(int)>& pictureOf);

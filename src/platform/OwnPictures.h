// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QString>

namespace platform {

// One of the program's own pictures (":/pictures/next.ico"), with every size it holds, read in the format its
// name gives. Icons with a colour table are read here: the toolkit's reader would bring in every image plugin
// to guess the format, and the maths library to turn the icon's mask into transparency; any other icon goes
// to the toolkit's reader.
QIcon picture(const QString& resource);

}  // namespace platform

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

// Holds a loaded window's layout against the snapshot kept in tests/layout.snapshot: the window's name,
// title, size and maximise button, and for each named control its place, its size of the program's font
// (ＭＳ Ｐゴシック), its caption and its tool tip. One file for every window and language (a section "[frmMain en]" for
// English), so an accidental edit to a size or a text shows as one changed line. Run a test with
// QUILLMORA_UPDATE_SNAPSHOT=1 to write the window's section anew after a deliberate change, and read the difference
// before committing it.
void compareWithLayoutSnapshot(const QWidget* window);

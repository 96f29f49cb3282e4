// SPDX-License-Identifier: GPL-3.0-or-later
#include "OwnOptions.h"

#include "DataFiles.h"
#include "Errors.h"

#include <QByteArrayList>

#include <algorithm>

namespace QmrM {
namespace {

const QByteArray kHoldWhileBusy = "holdPassWhileBusy";

// The file is read on the window's thread, whenever the settings window is made, the tray's menu opens or
// a wait ends: whatever is put in its place costs no more than this.
constexpr qint64 kLongestOptionsFile = 4096;

QByteArrayList optionLines()
{
    return readWholeFile(kOwnOptionsFile, nullptr, kLongestOptionsFile).split('\n');
}

QByteArray nameOf(const QByteArray& line)
{
    const qsizetype equals = line.indexOf('=');
    return equals < 0 ? QByteArray() : line.left(equals).trimmed();
}

}  // namespace

bool holdsPassWhileBusy()
{
    QByteArrayList lines;
    try {
        lines = optionLines();
    } catch (const DataFileError&) {
        return true;  // unreadable: the default
    }
    // The first line of the option says; on unless it says 0.
    const auto option =
        std::find_if(lines.begin(), lines.end(), [](const QByteArray& line) { return nameOf(line) == kHoldWhileBusy; });
    return option == lines.end() || option->mid(option->indexOf('=') + 1).trimmed() != "0";
}

// A file that cannot be read is not the program's to replace: the choice is not saved then.
void setHoldsPassWhileBusy(bool hold)
{
    QByteArray content;
    for (const QByteArray& line : optionLines()) {
        if (!line.trimmed().isEmpty() && nameOf(line) != kHoldWhileBusy)
            content += line.trimmed() + '\n';
    }
    content += kHoldWhileBusy + '=' + (hold ? "1" : "0") + '\n';
    replaceFileAtomically(kOwnOptionsFile, content);
}

}  // namespace QmrM

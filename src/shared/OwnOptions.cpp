// SPDX-License-Identifier: GPL-3.0-or-later
#include "OwnOptions.h"

#include "DataFiles.h"
#include "Errors.h"

#include <QByteArrayList>

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

QByteArray option(const QByteArray& name)
{
    QByteArrayList lines;
    try {
        lines = optionLines();
    } catch (const DataFileError&) {
        return {};  // unreadable: the defaults
    }
    for (const QByteArray& line : lines) {
        if (nameOf(line) == name)
            return line.mid(line.indexOf('=') + 1).trimmed();
    }
    return {};
}

// A file that cannot be read is not the program's to replace: the choice is not saved then.
void setOption(const QByteArray& name, const QByteArray& value)
{
    QByteArray content;
    for (const QByteArray& line : optionLines()) {
        if (!line.trimmed().isEmpty() && nameOf(line) != name)
            content += line.trimmed() + '\n';
    }
    content += name + '=' + value + '\n';
    replaceFileAtomically(kOwnOptionsFile, content);
}

}  // namespace

bool holdsPassWhileBusy()
{
    return option(kHoldWhileBusy) != "0";
}

void setHoldsPassWhileBusy(bool hold)
{
    setOption(kHoldWhileBusy, hold ? "1" : "0");
}

}  // namespace QmrM

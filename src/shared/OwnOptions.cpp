// SPDX-License-Identifier: GPL-3.0-or-later
#include "OwnOptions.h"

#include "DataFiles.h"
#include "Errors.h"

#include <QByteArrayList>

namespace QmrM {
namespace {

const QByteArray kHoldWhileBusy = "holdPassWhileBusy";

QByteArrayList optionLines()
{
    try {
        return readWholeFile(kOwnOptionsFile).split('\n');
    } catch (const DataFileError&) {
        return {};  // unreadable: the defaults
    }
}

QByteArray nameOf(const QByteArray& line)
{
    const qsizetype equals = line.indexOf('=');
    return equals < 0 ? QByteArray() : line.left(equals).trimmed();
}

QByteArray option(const QByteArray& name)
{
    for (const QByteArray& line : optionLines()) {
        if (nameOf(line) == name)
            return line.mid(line.indexOf('=') + 1).trimmed();
    }
    return {};
}

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

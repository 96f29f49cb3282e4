// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <stdexcept>

namespace QmrM {

// Failures that stop a handler. Each carries a plain Japanese description for the user.
class ProgramError : public std::runtime_error {
public:
    explicit ProgramError(const QString& description)
        : std::runtime_error(description.toStdString()), mDescription(description)
    {
    }
    const QString& description() const { return mDescription; }

private:
    QString mDescription;
};

// A data file that cannot be opened, read, written or understood.
class DataFileError : public ProgramError {
public:
    enum Kind { Open, Read, Write, Format };

    DataFileError(Kind kind, const QString& fileName, const QString& detail, int line = 0);

    Kind kind() const { return mKind; }
    int line() const { return mLine; }

private:
    Kind mKind;
    int mLine;
};

// A value that does not fit the integer it has to be stored in.
class ValueOverflowError : public ProgramError {
public:
    explicit ValueOverflowError(const QString& what);
};

// Thrown out of a wait once the program is ending, so the waiting handler unwinds; never shown.
struct ProgramEnding {};

}  // namespace QmrM

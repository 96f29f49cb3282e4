// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

// Helpers shared by the fuzz targets.
namespace fuzz {

// Makes the current directory a fresh temporary folder of this process's own, for the targets that
// work on the data files (which always live in the current directory). Called from
// LLVMFuzzerInitialize with its arguments: the paths among them (corpus folders, inputs, -dict=,
// -artifact_prefix= and the like) are made absolute first, so that they keep meaning what they meant.
// The folder is removed when the process ends normally.
void enterScratchFolder(int* argc, char*** argv);

// Replaces (or creates) a file of the current directory with the given bytes.
void writeFile(const QByteArray& localName, const uint8_t* data, size_t size);

// The whole content of a file of the current directory; empty when it cannot be read.
QByteArray readFile(const QByteArray& localName);

// Reports a property that does not hold and aborts, so that libFuzzer keeps the input.
[[noreturn]] void fail(const char* what, const QString& detail = QString());

// The text that 16-bit code units built from bytes form: a byte below 0x80 is that ASCII character,
// a byte from 0x80 up takes the next two bytes as one code unit (little-endian), so every UTF-16
// sequence, unpaired surrogates included, can be reached while ASCII stays cheap to produce.
QString utf16FromBytes(const uint8_t* data, size_t size);

}  // namespace fuzz

#define FUZZ_CHECK(condition, detail)           \
    do {                                        \
        if (!(condition))                       \
            ::fuzz::fail(#condition, (detail)); \
    } while (false)

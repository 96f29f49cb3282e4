// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

// What chmlib takes on trust in a help file, checked in the raw file before chmlib is given it.
namespace help {

// The tables of the LZX-compressed section.
inline constexpr char kResetTableName[] =
    "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/InstanceData/ResetTable";
inline constexpr char kCompressedContentName[] = "::DataSpace/Storage/MSCompressed/Content";
inline constexpr char kControlDataName[] = "::DataSpace/Storage/MSCompressed/ControlData";

// Directory blocks are 4 KiB in every compiler's output. chmlib allocates a block's length for
// each lookup, so a damaged length near 4 GB would be allocated as it stands.
inline constexpr quint32 kMaxDirectoryBlockLength = 64 * 1024;

// Whether chmlib can be given the file without running into what it does not check: the headers it
// reads, every directory block its listing and lookups reach (each in the directory, reached once,
// of a sane length, its entries ending inside it), and the compressed section's tables, which
// chm_open reads before it knows their parameters. False for a file that is not a help file.
bool chmIsSafeToOpen(const QString& fileName);

}  // namespace help

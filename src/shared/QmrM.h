// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DataFileNames.h"

#include <QString>
#include <cstdint>
#include <vector>

// The state that both windows share, the data files behind it and the shared routines.
// Item numbers are 1-based; slot 0 of both arrays exists and is never used.
namespace QmrM {

extern int16_t gKoumokuSu;             // number of registered items, 0 to 20
extern int16_t gGenzai;                // the item being trained in the current pass
extern std::vector<QString> gKoumoku;  // item names, slots 0 to gKoumokuSu
extern std::vector<int16_t> gShijiSu;  // instructed counts, slots 0 to gKoumokuSu
extern int16_t gRandomTim;             // random start timing: 1 on, anything else off
extern int16_t gRandomKaisu;           // random counts: 1 on, anything else off
extern float gWaitJikan;               // wait before a pass, in minutes

constexpr int kMaxItems = 20;

// A missing items list means no items.
void LoadItems();
// A missing settings file gives 0, 0 and 1 minute.
void LoadSettings();
void SaveSettings();
// Leaves out item `omit` (0 none).
void SaveItems(int omit = 0);
// Appends one record of a newly registered item, its count written as typed (a real).
void appendItemRecord(const QString& name, double count);

// Creates an item's empty history file unless it exists; an existing one keeps its records.
void createHistoryFile(const QString& itemName);
// Empties an item's history file, creating it when missing; a file that is no history (isHistoryFile) is
// left as it is and DataFileError says why.
void clearHistoryFile(const QString& itemName);
// Rewrites the items list without item `n` (1-based), reloads it and removes its history file unless another
// item shares it or it is no history. One step wherever the program stops: all is judged before anything
// changes (a long file reads slowly), and the file to remove is noted (kDeletionFile) before the list is
// rewritten, so finishItemDeletion at the next start removes it if the item went, else forgets it. Throws
// DataFileError, the list unchanged, when the list cannot be rewritten.
void deleteItem(int n);
void finishItemDeletion();
// Files may be made in the current directory, or at least the items list rewritten in place (a shared folder).
bool dataFolderWritable();

// History records only, or empty or missing. A file with any other line is the user's own (notes bearing the
// name): never taken as a history, emptied or removed.
bool isHistoryFile(const QString& itemName);
// The same name, or two names of one file (letters' case on a folder ignoring it, a link).
bool sameHistoryFile(const QString& itemName, const QString& otherItemName);

// One history record, its fields as stored.
struct HistoryRecord {
    QString date;
    QString time;
    QString count;
};
// Appends a record of `count` done now, creating the file when missing. No record when the history file would
// be one of the program's own data files or lie outside the current directory: DataFileError says why.
void appendHistoryRecord(const QString& itemName, double count);

// A random count for an item with the instructed count `instructed`: the largest whole number not above
// instructed × r + 1 for a fresh draw r, so from 1 to instructed (1 for 0).
int randomCount(int instructed);
// In seconds: the set minutes, or with random timing a random whole number of minutes from 1 to those.
double startWaitSeconds();

// Set once the program has begun to end; no handler does anything after that.
extern bool gProgramEnding;

// For tests.
void resetSharedState();

}  // namespace QmrM

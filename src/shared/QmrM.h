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

// Replaces the items and their counts from the items list file. A missing file means no items.
void LoadItems();
// Replaces the three options from the settings file. A missing file gives 0, 0 and 1 minute.
void LoadSettings();
// Rewrites the settings file from the three shared options.
void SaveSettings();
// Rewrites the items list file from the shared arrays, leaving out item `omit` (0 leaves out none).
void SaveItems(int omit = 0);
// Appends one record of a newly registered item, its count written as typed (a real).
void appendItemRecord(const QString& name, double count);

// Creates an item's empty history file unless it exists; an existing one keeps its records.
void createHistoryFile(const QString& itemName);
// Empties an item's history file, creating it when missing. A file that is not a history (see
// isHistoryFile) is left as it is: DataFileError says why.
void clearHistoryFile(const QString& itemName);
// Deletes item `n` (1-based): rewrites the items list without it and reads it again (LoadItems), and removes
// its history file unless another item still has it or it is not a history. One step, whenever the program
// stops: what goes is judged before anything changes (a long file takes a while to read), and the file to
// remove is noted (kDeletionFile) before the list is rewritten, so that finishItemDeletion at the next start
// removes it if the list went without the item, and forgets it if the list still has the item. Throws
// DataFileError, the list unchanged, when the list cannot be rewritten.
void deleteItem(int n);
// Completes or undoes a deletion a stopped copy left half done (see deleteItem).
void finishItemDeletion();
// Whether the data files can be changed: files may be made in the current directory, or the items list
// may at least be rewritten in place (a shared folder).
bool dataFolderWritable();

// Whether an item's history file holds history records only, or is empty or missing. A file with any other
// line is the user's own (notes that happen to bear the name): it is never taken as a history, emptied or
// removed.
bool isHistoryFile(const QString& itemName);
// Whether two items' histories are one file: the same name, or two names of one file (letters' case on a
// folder that ignores it, a link).
bool sameHistoryFile(const QString& itemName, const QString& otherItemName);

// One history record, its fields as stored.
struct HistoryRecord {
    QString date;
    QString time;
    QString count;
};
// Appends a record of `count` done now to an item's history file, creating the file when missing.
// An item whose history file would be one of the program's own data files, or lie outside the current
// directory, gets no record: DataFileError says why.
void appendHistoryRecord(const QString& itemName, double count);

// A random count for an item with the instructed count `instructed`: the largest whole number not above
// instructed × r + 1 for a fresh draw r, so from 1 to instructed (1 for 0).
int randomCount(int instructed);
// The wait before a training pass, in seconds, from the shared options: the minutes, or with random
// timing a random whole number of minutes from 1 to the minutes.
double startWaitSeconds();

// Set once the program has begun to end; no handler does anything after that.
extern bool gProgramEnding;

// Puts every shared value back to its start-of-run state (for tests).
void resetSharedState();

}  // namespace QmrM

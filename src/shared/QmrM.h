#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>
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

// File names as the program writes them; readers find them whatever the case of their letters.
QString itemsFileName();
QString settingsFileName();
// The history file of an item: its name followed by ".txt".
QString historyFileName(const QString& itemName);

// Replaces the items and their counts from the items list file. A missing file means no items.
void LoadItems();
// Replaces the three options from the settings file. A missing file gives 0, 0 and 1 minute.
void LoadSettings();
// Rewrites the items list file from the shared arrays, leaving out item `omit` (0 leaves out none).
void SaveItems(int omit = 0);
// Rewrites the settings file from the three options.
void WriteSettingsFile();
// Appends one record of a newly registered item, its count written as typed (a real).
void AppendItemRecord(const QString& name, double count);

// Creates an item's empty history file unless it exists; an existing one keeps its records.
void CreateHistoryFile(const QString& itemName);
// Empties an item's history file, creating it when missing.
void ClearHistoryFile(const QString& itemName);
// Removes an item's history file; false when it could not be removed.
bool RemoveHistoryFile(const QString& itemName);

// One history record, its fields as stored.
struct HistoryRecord {
    QString date;
    QString time;
    QString count;
};
// Appends a record of `count` done now to an item's history file, creating the file when missing.
void AppendHistoryRecord(const QString& itemName, double count);
// The records of an item's history file, oldest first. A missing file gives none and sets *missing.
std::vector<HistoryRecord> ReadHistory(const QString& itemName, bool* missing = nullptr);

// Waits the given seconds while the windows stay responsive: pending events are handled as they come
// and the thread sleeps in between. Throws ProgramEnding when the program ends during the wait.
void Pause(float seconds);

// Set once the program has begun to end; no handler does anything after that.
extern bool gProgramEnding;

// A uniform fraction 0 <= r < 1 in single precision, from a generator reseeded from the clock.
float RandomFraction();

// The clock that stamps history records; tests replace it to get fixed dates.
extern std::function<QDateTime()> gNow;

// Puts every shared value back to its start-of-run state (for tests).
void ResetSharedState();

}  // namespace QmrM

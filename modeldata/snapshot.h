// The state snapshot of a run with parameter cases: the model state right
// after set-up, written once to the ".COM" file (unit 2) and read back before
// every case that starts again from the initial state.
//
// The file holds 85 unformatted records in a fixed order: the job record,
// the character control constants, the model directory and names, every
// node, conductor, user-constant and user-array value, the numeric control
// constants and the linked connection lists. Everything not in those records
// (FLAGS, SPRSIZ/SPRNOD, the print and parameter-case records, the compact
// connection lists, the node aliases, the dynamic core, module state) keeps
// its current value across a restore.
#pragma once

// Number of records of one snapshot.
inline constexpr int kSnapshotRecords = 85;

// Writes the 85 records to the unit from its current position. status: the
// sum of the absolute I/O statuses of the records written, 0 on success.
// When record 1 or 2 fails nothing more is written; a later failing record
// does not stop the writing of the ones after it.
void DMPCOM(int unit, int& status);

// Rewinds the unit and reads the 85 records back into the same records and
// arrays. status as DMPCOM. A record that is missing, corrupt or shorter
// than its target leaves the target untouched and adds its nonzero status;
// reading goes on with the next record (except after records 1 and 2).
// Every field of GLOC is overwritten, PARNAM included. The status generation
// moves on once all records are read (the statuses may be others now).
void RSTCOM(int unit, int& status);

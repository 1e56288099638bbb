#pragma once

#include <string>
#include <vector>

#include "program/program_tables.h"

namespace klv {

// Step files (".stp"): the banner line, then per step row five records "RRC:text"
// (two-digit row, one-digit column, colon, cell text). GBK on disk, CR LF line ends.

// Writes the rows of the table up to the first row with an empty mode cell. False when the
// file cannot be written.
bool writeStepFile(const std::string& path, const TextGrid& table);

// Clears the table's steps as the editor's clear does, then fills cells from the file's records.
// Line 1 is skipped whatever it holds; records shorter than four characters, or naming a row
// outside 1..10 or a column outside 1..5, are skipped. False when the file cannot be read.
bool readStepFile(const std::string& path, TextGrid& table);
// The same from the file's lines, already in UTF-8.
void readStepLines(const std::vector<std::string>& lines, TextGrid& table);

// A step file as the editor opens it: the program, or why the whole file was refused.
struct StepFileLoad {
    TextGrid table;
    std::string fault;
    bool ok() const { return fault.empty(); }
};
// Unlike readStepFile, refuses the file when it cannot be read or when any line after line 1
// is neither empty nor a record "RRC:text" of row 01..10 and column 1..5 whose text suits its
// column (a mode label; a number 0..9999; or empty), so the editor never keeps half a file.
StepFileLoad loadStepFile(const std::string& path);

// Only names ending in "stp", in this case, are opened as step files.
bool isStepFileName(const std::string& path);
// The name a step file is saved under: ".stp" appended unless the name ends in "stp".
std::string stepFileSaveName(const std::string& path);

}  // namespace klv

#pragma once

#include <string>
#include <vector>

#include "lab/pg_connection.h"

// Comparing what a station sent to the lab database with the files it saved itself.

// The first column of every row of the query, one per line; a failed query fails the test.
std::string labQuery(klv::lab::PgConnection& db, const std::string& sql, const klv::lab::PgParams& params = {});

// The test id of a channel ("1-1") of a station, or empty text when there is none or several.
std::string labTestId(klv::lab::PgConnection& db, const std::string& station, int device, int channel);

// The data file of a channel ("-1-1.dat") in a Data folder; empty when there is none.
std::string dataFileOf(const std::string& dataFolder, const std::string& ending);

// Expects the test's samples to be the records of the data file (count, times, currents with
// discharge negative, voltages, cycle and step numbers), its step results the file's result
// rows and its cycle rows what --export-cycles writes for the file (with its cell's equivalent
// full cycles); returns the number of records, 0 when the file cannot be read.
size_t expectTestEqualsDataFile(klv::lab::PgConnection& db, const std::string& testId, const std::string& datPath);

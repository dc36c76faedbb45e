// quillon-cli's command line taken apart: the options, whether they belong
// to the command given, and the readers of their values (rows, numbers,
// grams, the element selection, the weighed masses) over a calculation
// file's entry. Every reader complains on stderr in quillon-cli's words and
// returns false when a value does not read.
#ifndef QUILLON_CLI_OPTIONS_H
#define QUILLON_CLI_OPTIONS_H

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/calculation.h"
#include "core/elements.h"
#include "core/entry.h"

// The command line, taken apart.
struct Options {
    std::string command;
    std::vector<std::string> arguments;  // positional arguments after the command
    std::string atomsPath;               // empty: beside the program
    std::vector<std::string> includeLists;
    bool haveInclude = false;
    bool autoRatio = false;
    bool noDifferential = false;
    bool help = false;
    // sheet's batch options, as given: (option, value) in order.
    std::vector<std::pair<std::string, std::string>> batchValues;
    bool mmol = false;
    bool gases = false;
    std::map<std::string, std::string> values;  // the last value of each option below
    std::vector<std::string> weighed;           // every --weighed list
    std::vector<std::string> weighedFiles;      // every --weighed-file
    std::vector<std::string> dispensed;         // every --dispensed list
};

// Writes text to a stream as it is.
void Put(FILE *stream, const std::string &text);

// One line of a bad-input message on stderr.
void Complain(const std::string &text);

// Splits the command line; returns false (after complaining) on a bad option.
bool ParseOptions(int argc, char **argv, Options &options);

// Checks that the options given belong to the command; complains if not.
bool OptionsFitCommand(const Options &options);

// The element selection of --include (exactly the listed elements), or the
// defaults (the metals); complains about unknown symbols.
bool MakeSelection(const Options &options, const CElementTable &table, ElementSelection &selection);

// The sheet options over the file's batch values: each option overrides
// what the file holds for its row (a form's option just its value: a
// density beside the file's molarity is the solution's). Complains and
// returns false on a bad value, or on rows whose values refuse each other.
bool ApplyBatchOptions(const Options &options, Entry &entry);

// The balance of --readability and --min-weight into the options.
bool SetBalance(const Options &options, CalcOptions &calc);

// The output format of --format: "text" unless given.
std::string Format(const Options &options);

// The options of a calculation that the command line gives.
CalcOptions CalcOptionsOf(const Options &options);

// The masses of every --weighed list and --weighed-file and the volumes of
// every --dispensed list by row number; false after complaining when one
// does not read or names a row twice.
bool WeighedMasses(const Options &options, std::map<int, WeighedAmount> &masses);

#endif

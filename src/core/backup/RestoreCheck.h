#pragma once
// The check of a restored library before its restore counts as ended: both
// databases pass SQLite's integrity_check, and every document whose file
// the backup holds has it in the library.
#include <functional>
#include <string>
#include <vector>

struct DocumentRow;

// What is wrong with the library restored into `dir`; empty when nothing.
// `expected` tells the rows whose file the restore could copy: the others
// were reported by the restore already. Throws when a database cannot be
// read at all.
std::vector<std::string> CheckRestoredLibrary(const std::string& dir,
                                              const std::function<bool(const DocumentRow&)>& expected);

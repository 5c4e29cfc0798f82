#pragma once
// SQLite's own check of a database file, as the library check and the
// backup's verify run it: what is damaged, or nothing.
#include <string>

class Connection;
struct ErrorInfo;

// The error says the file is damaged (or no database), not busy or missing.
bool IsDamage(const ErrorInfo& error);

// Runs integrity_check, or quick_check unless `full`. Empty when the
// database passes; else up to five of its messages. Damage that stops the
// check itself is returned as its message; any other error is thrown.
std::string DamageFound(Connection& connection, bool full);

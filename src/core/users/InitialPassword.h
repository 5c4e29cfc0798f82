#pragma once
// The administrator's password as a new library gets it, and whether a
// library's administrator still has it.
#include <string>

inline constexpr const char* kInitialPassword = "quillset";
// What the console shows while the initial password is in use.
inline constexpr const char* kInitialPasswordNotice =
    "The administrator password is the initial one (quillset): change it under User Account.";

// True when the administrator account (login "admin", type "U", the first
// such row) of the library at sLibPath has the initial password. Reads on a
// connection of its own and never reports: anything that fails answers false.
bool AdminHasInitialPassword(const std::string& sLibPath);

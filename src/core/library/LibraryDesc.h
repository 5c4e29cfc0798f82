#pragma once
// The library description: information record 3 of `lib-ctrl`, at most 50
// characters. Reading it is GetLibExtraInfo (library/Library.h).
#include <string>

class AppContext;

inline constexpr const char* kDescPrompt = "Enter library description (max 50 characters):";
inline constexpr const char* kDescTitle = "Edit Description";

// Stores the description cut to 50 characters. An older library without the
// version record gets records 2 ("100") and 3. True on success.
bool UpdateLibDesc(AppContext& app, const std::string& sLibDesc);

// The console's Library Description command: asks for the new text with the
// current one as default; True when a description was stored.
bool EditLibDesc(AppContext& app);

#pragma once
// Where a document's file lives: root + "/" + location + "/" + filename.
// A location or file name that is empty, absolute or climbs out with ".."
// never names a file outside the root; nor does one in the control
// directory 00000000, whose databases are no documents.
#include <string>

bool IsSafeDocumentPath(const std::string& location, const std::string& filename);
// Its two halves: the location, and the file name within it.
bool IsSafeDocumentLocation(const std::string& location);
bool IsSafeDocumentName(const std::string& filename);
// The location starts in the control directory.
bool IsControlLocation(const std::string& location);

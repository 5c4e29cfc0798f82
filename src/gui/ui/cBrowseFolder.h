#pragma once
// The folder browse dialog as a small object: Init, Browse, then read
// SelectedPath. The picker itself is the Prompter's, so tests answer it.
#include "core/base/AppError.h"

#include <cstdint>
#include <string>

class Prompter;

// An error of the browse component; its source names the component.
class BrowseFolderError : public AppError {
public:
    BrowseFolderError(long number, const std::string& description);
    const std::string& source() const { return source_; }

private:
    std::string source_;
};

class cBrowseFolder {
public:
    static constexpr long kInvalidWindowHandle = -2147204442; // 0x800442A6
    static constexpr long kComponentFailure = -2147204441;    // 0x800442A7
    // Directories only, status line, edit box, new dialog style.
    static constexpr std::int32_t kDefaultFlags = 0x55;

    explicit cBrowseFolder(Prompter& prompter);

    // Stores the three values; an owner id above 0 that is no window throws
    // "Invalid window handle" and stores nothing further.
    void Init(const std::string& initialPath, std::intptr_t hWndOwner, const std::string& dialogTitle);
    // Shows the picker; true with SelectedPath set when a folder was chosen.
    // A cancelled picker leaves SelectedPath as it was.
    bool Browse();

    std::int32_t Flags() const { return flags_; }
    void SetFlags(std::int32_t flags) { flags_ = flags; }
    const std::string& DialogTitle() const { return dialogTitle_; }
    void SetDialogTitle(const std::string& title) { dialogTitle_ = title; }
    const std::string& InitialPath() const { return initialPath_; }
    void SetInitialPath(const std::string& path);
    std::intptr_t HWndOwner() const { return hWndOwner_; }
    void SetHWndOwner(std::intptr_t hWndOwner);
    const std::string& SelectedPath() const { return selectedPath_; }

    // The path without one trailing separator; the root "/" stays as it is.
    static std::string NormalizePath(const std::string& path);

private:
    Prompter& prompter_;
    std::intptr_t hWndOwner_ = 0;
    std::string initialPath_;
    std::string dialogTitle_;
    std::int32_t flags_ = kDefaultFlags;
    std::string selectedPath_;
};

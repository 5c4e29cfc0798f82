#include "gui/ui/cBrowseFolder.h"

#include "core/base/Prompter.h"
#include "core/common/Text.h"

#include <QCoreApplication>
#include <QWidget>

namespace {

std::string ComponentSource()
{
    return QCoreApplication::applicationName().toStdString() + ".VUVED_BrowseForFolderHandler";
}

[[noreturn]] void ThrowComponentFailure()
{
    throw BrowseFolderError(cBrowseFolder::kComponentFailure, "VUVED_BrowseForFolderHandler component failure");
}

} // namespace

BrowseFolderError::BrowseFolderError(long number, const std::string& description)
    : AppError(number, description), source_(ComponentSource())
{
}

cBrowseFolder::cBrowseFolder(Prompter& prompter) : prompter_(prompter) {}

std::string cBrowseFolder::NormalizePath(const std::string& path)
{
    // The root has no shorter form: without its "/" nothing would be
    // preselected.
    return path == "/" ? path : WithoutTrailingSlash(path);
}

void cBrowseFolder::SetInitialPath(const std::string& path) { initialPath_ = NormalizePath(path); }

void cBrowseFolder::SetHWndOwner(std::intptr_t hWndOwner)
{
    // Zero and negative ids are taken as they are: no owner to check.
    if (hWndOwner > 0 && QWidget::find(static_cast<WId>(hWndOwner)) == nullptr)
        throw BrowseFolderError(kInvalidWindowHandle, "Invalid window handle");
    hWndOwner_ = hWndOwner;
}

void cBrowseFolder::Init(const std::string& initialPath, std::intptr_t hWndOwner, const std::string& dialogTitle)
{
    try {
        SetInitialPath(initialPath);
        SetHWndOwner(hWndOwner);
        dialogTitle_ = dialogTitle;
    } catch (const BrowseFolderError&) {
        throw;
    } catch (...) {
        ThrowComponentFailure();
    }
}

bool cBrowseFolder::Browse()
{
    try {
        FolderRequest request;
        request.owner = hWndOwner_;
        request.title = dialogTitle_;
        request.initialPath = initialPath_;
        const std::optional<std::string> chosen = prompter_.BrowseFolder(request);
        // A chosen item without a file-system path counts as no choice.
        if (!chosen || chosen->empty()) return false;
        selectedPath_ = *chosen;
        return true;
    } catch (const BrowseFolderError&) {
        throw;
    } catch (...) {
        ThrowComponentFailure();
    }
}

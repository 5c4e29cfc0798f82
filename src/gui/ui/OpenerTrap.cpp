#include "gui/ui/OpenerTrap.h"

#include <exception>

namespace {

constexpr const char* kCarried = "rezudCarriedError";

class CarriedError : public QObject {
public:
    CarriedError(QObject* parent, std::exception_ptr carried) : QObject(parent), error(std::move(carried))
    {
        setObjectName(kCarried);
    }
    std::exception_ptr error;
};

CarriedError* Carried(QDialog& dialog)
{
    return dynamic_cast<CarriedError*>(dialog.findChild<QObject*>(kCarried, Qt::FindDirectChildrenOnly));
}

} // namespace

void CarryToOpener(QDialog& dialog) noexcept
{
    try {
        if (!Carried(dialog)) new CarriedError(&dialog, std::current_exception());
        dialog.reject();
    } catch (...) {
        // Nothing more can be kept: the window stays as it is.
    }
}

void RethrowCarried(QDialog& dialog)
{
    CarriedError* carried = Carried(dialog);
    if (!carried) return;
    const std::exception_ptr error = carried->error;
    delete carried;
    std::rethrow_exception(error);
}

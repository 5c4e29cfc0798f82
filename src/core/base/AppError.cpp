#include "core/base/AppError.h"

#include <SQLiteCpp/Exception.h>

#include <exception>
#include <filesystem>
#include <system_error>

ErrorInfo CurrentError()
{
    const std::exception_ptr current = std::current_exception();
    if (!current) return {};
    try {
        std::rethrow_exception(current);
    } catch (const AppError& e) {
        return {e.number(), e.what()};
    } catch (const SQLite::Exception& e) {
        return {e.getErrorCode(), e.what()};
    } catch (const std::system_error& e) {
        return {e.code().value(), e.what()};
    } catch (const std::exception& e) {
        return {-1, e.what()};
    } catch (...) {
        return {-1, "Unknown error"};
    }
}

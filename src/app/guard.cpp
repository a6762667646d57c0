#include "guard.h"

#include "messages.h"

#include <new>

void TGuard::Report(std::exception_ptr Error) const
{
    QString message;
    try {
        std::rethrow_exception(Error);
    } catch (const EZorvane &e) {
        message = e.Message();
    } catch (const std::bad_alloc &) {
        message = QStringLiteral("Out of memory");
    } catch (const std::exception &e) {
        message = QString::fromUtf8(e.what());
    } catch (...) {
        message = QStringLiteral("Unexpected failure");
    }
    FDialogs.Error(FParent, ErrorBoxText(message));
}

#include "ui/dialogs/TavUiOps.h"

#include <exception>

void runGuarded(TTavUiOps& ui, const std::function<void()>& body) {
    try {
        body();
    } catch (const std::exception& error) {
        ui.showError(error.what());
    } catch (...) {
        ui.showError("An unexpected error ended the command.");
    }
}

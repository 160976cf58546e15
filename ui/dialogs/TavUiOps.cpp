#include "ui/dialogs/TavUiOps.h"

#include <exception>
#include <filesystem>

std::string nameBeside(const std::string& file, const std::string& name) {
    const std::filesystem::path folder = std::filesystem::path(file).parent_path();
    return folder.empty() ? name : (folder / name).string();
}

void runGuarded(TTavUiOps& ui, const std::function<void()>& body) {
    try {
        body();
    } catch (const std::exception& error) {
        ui.showError(error.what());
    } catch (...) {
        ui.showError("An unexpected error ended the command.");
    }
}

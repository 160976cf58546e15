#pragma once

// Sets the program's identity in the application object: its name (also the window class the
// desktop groups windows by), desktop entry and icon. No display name is set, so that the
// platform shows every window's caption as it is, without " — Tav Explorer" appended.
// Requires: a QApplication exists.
void configureApplication();

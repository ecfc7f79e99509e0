#pragma once

class UIDemo08;

// The application's start-up, shared by main() and the tests that start the
// window the way a user does.
namespace Startup {

// Settings that must precede the QApplication: the embedded browser's shared
// GL contexts, Chromium's sandbox, which refuses to run as root, and the
// organisation and application names that locate the one settings file.
void prepareProcess();

// After the QApplication exists: UTF-8 locale codec, the default font (with
// the Windows font names mapped to installed CJK faces), Qt's Chinese
// catalogue, the drag filter, and the main window, created and shown. The
// caller owns the window.
UIDemo08 *openMainWindow();

} // namespace Startup

#pragma once
// What the editor needs from the program around it, as a narrow interface the
// shell implements: the desktop door, the start mode of the tool strip, and
// closing the editor.

namespace orv {

class Desktop;

/// How the editor starts: normally, or as a screen measurement whose canvas is a
/// still copy of the screen and whose only tool bar is the tool strip.
enum class StartMode { Normal, ScreenMeasurement };

class EditorHost {
  public:
    virtual ~EditorHost() = default;
    virtual Desktop& HostDesktop() = 0;
    /// The tool strip's start mode (the strip is loaded first if needed).
    virtual StartMode EditorStartMode() = 0;
    /// Unloads the editor: its controls and state are discarded.
    virtual void UnloadEditor() = 0;
    /// Opens the clipboard's picture by the tray menu's route (the editor's Ctrl+V).
    virtual void OpenClipboardPicture() {}
    /// Opens a file by the tray menu's route (the editor's Ctrl+O).
    virtual void OpenPictureFile() {}
};

}  // namespace orv

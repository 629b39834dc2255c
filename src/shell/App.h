#pragma once
// The application object: owns the desktop door and the three windows, loads
// each window on first use and unloads it on request. A window counts as
// loaded from the moment its load begins, so re-entrant use during a load
// finds it loaded and does not load it twice.

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "editor/EditorHost.h"
#include "editor/Form1.h"

namespace orv {

class Desktop;
class Form2;
class form3;

class App : public EditorHost {
  public:
    App(Desktop& desktop, QString commandLine);
    ~App() override;

    // What the editor asks of the program.
    Desktop& HostDesktop() override { return desktop; }
    StartMode EditorStartMode() override;

    /// Runs the tray host's start-up.
    void Start();

    Form2& TrayHost();
    /// The editor window, loaded first if needed.
    Form1& Editor();
    Form1* EditorIfLoaded() const { return editor_.get(); }
    /// The tool strip, loaded first if needed.
    form3& Strip();
    form3* StripIfLoaded() const { return strip_.get(); }

    /// Shows the editor (loading it first if needed).
    void ShowEditor();
    /// Unloads the editor: its controls and state are discarded.
    void UnloadEditor() override;
    /// Runs the tray menu's "Open From clipboard".
    void OpenClipboardPicture() override;
    /// Runs the tray menu's "Open From file".
    void OpenPictureFile() override;
    /// Unloads the tool strip.
    void UnloadStrip();
    /// Frees windows unloaded from inside their own handlers.
    void CollectGarbage();

    Desktop& desktop;
    /// The command-line argument as the platform hands it over.
    QString CommandLine;
    /// Form-level variables of the editor, kept across its reloads.
    EditorVariables editorVars;

    /// Hooks for the window layer: a form was loaded / is being unloaded.
    std::function<void(Form&)> FormLoaded;
    std::function<void(Form&)> FormUnloaded;

  private:
    std::unique_ptr<Form2> host_;
    std::unique_ptr<Form1> editor_;
    std::unique_ptr<form3> strip_;
    std::vector<std::unique_ptr<Form>> graveyard_;
};

/// Removes one pair of double quotes around the whole text; quotes inside stay.
QString StripQuotes(const QString& text);

}  // namespace orv

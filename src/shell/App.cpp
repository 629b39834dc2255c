#include "shell/App.h"

#include "platform/Desktop.h"
#include "platform/Screen.h"
#include "shell/Form2.h"
#include "shell/form3.h"

namespace orv {

QString StripQuotes(const QString& text) {
    // On Linux the shell has already taken the quoting off, and a double quote
    // inside a name is a character of the name: only a pair that encloses the
    // whole argument (as Windows-style launchers pass it) is removed.
    const QLatin1Char quote('"');
    if (text.size() >= 2 && text.startsWith(quote) && text.endsWith(quote))
        return text.mid(1, text.size() - 2);
    return text;
}

App::App(Desktop& d, QString commandLine) : desktop(d), CommandLine(std::move(commandLine)) {}

App::~App() {
    editor_.reset();
    strip_.reset();
    graveyard_.clear();
}

StartMode App::EditorStartMode() {
    return Strip().Text1;
}

void App::Start() {
    TrayHost().Form_Load();
}

Form2& App::TrayHost() {
    if (!host_) {
        host_ = std::make_unique<Form2>(*this);
        if (FormLoaded) FormLoaded(*host_);
    }
    return *host_;
}

Form1& App::Editor() {
    if (!editor_) {
        ReadScreen(desktop);  // the editor is laid out for the screen of this moment
        editor_ = std::make_unique<Form1>(*this, editorVars);
        if (FormLoaded) FormLoaded(*editor_);
        editor_->Load();
    }
    return *editor_;
}

form3& App::Strip() {
    if (!strip_) {
        strip_ = std::make_unique<form3>(*this);
        if (FormLoaded) FormLoaded(*strip_);
        strip_->Form_Load();
    }
    return *strip_;
}

void App::ShowEditor() {
    Form1& ed = Editor();
    // A hidden editor was laid out for the screen it last showed on: the resolution or
    // the monitor under the pointer may have changed since.
    if (!ed.Visible && ReadScreenKeepingScale(desktop)) ed.FollowScreen();
    ed.SetShown(true);
}

void App::UnloadEditor() {
    if (!editor_) return;
    editor_->Visible = false;
    editor_->Timer1.SetEnabled(false);
    editor_->Timer2.SetEnabled(false);
    editor_->Timer3.SetEnabled(false);
    if (FormUnloaded) FormUnloaded(*editor_);
    // The editor may be unloading itself from one of its own handlers: free it later.
    graveyard_.push_back(std::move(editor_));
}

void App::OpenClipboardPicture() {
    TrayHost().jtb_Click();
}

void App::OpenPictureFile() {
    TrayHost().wjta_Click();
}

void App::UnloadStrip() {
    if (!strip_) return;
    strip_->Visible = false;
    if (FormUnloaded) FormUnloaded(*strip_);
    graveyard_.push_back(std::move(strip_));
}

void App::CollectGarbage() {
    graveyard_.clear();
}

}  // namespace orv

#include "shell/Form2.h"

#include <QCoreApplication>
#include <functional>
#include <map>

#include "editor/Form1.h"
#include "imaging/OpenFailure.h"
#include "platform/PathBytes.h"
#include "platform/Screen.h"
#include "shell/App.h"
#include "shell/Autostart.h"
#include "shell/form3.h"

namespace orv {

Form2::Form2(App& app) : Form(QStringLiteral("Form2")), app_(app) {
    Caption = QStringLiteral("Orvane Tessaly");
}

const Menu& Form2::mainopen() {
    static const Menu m{QStringLiteral("mainopen"),
                        {{"jtb", "Open From clipboard", {}},
                         {"wjta", "Open From file", {}},
                         {"celiang", "Open Form Screen", {}},
                         {"zjm", "Show", {}},
                         {"abo", "About", {{"bm", "About", {}}, {"cvs", "Check Version", {}}}},
                         {"ffci", "Free For Commercial images ", {}},
                         {"tuichu", "Exit", {}}}};
    return m;
}

const Menu& Form2::cd() {
    return Form1::cd();
}
const Menu& Form2::cdd() {
    return Form1::cdd();
}
const Menu& Form2::cddd() {
    return Form1::cddd();
}

void Form2::Form_Load() {
    Visible = false;
    app_.desktop.TrayAdd(kTrayTip, kProgramIcon);
    // The start-up path is opened twice in a row (the strip's first load opens it too): one
    // failure, one message.
    const TellEachFailureOnce once;
    OpenCommandLine(app_.CommandLine);
}

void Form2::OpenCommandLine(const QString& commandLine) {
    Text3 = StripQuotes(commandLine);
    if (!Text3.isEmpty()) {
        Form1* before = app_.EditorIfLoaded();
        if (before && !before->MayDiscardWork()) return;
        app_.Editor().open1 = Text3;
        // An editor loaded for this path shows only once the picture opened: a failure is
        // told without an empty editor behind it.
        if (before) app_.ShowEditor();
        Form1& ed = app_.Editor();
        ed.Command14_Click();
        ed.Picture1.Height = Screen().Height;
        ed.Picture6.Width = Screen().Width;
        if (before || !ed.openFailed)
            app_.ShowEditor();
        else
            app_.UnloadEditor();
    }
}

void Form2::TrayNotify(int mouseMessage) {
    if (mouseMessage != kLeftButtonUp && mouseMessage != kRightButtonUp) return;
    app_.desktop.SetForeground(*this);
    const QString chosen = app_.desktop.PopupMenu(TrayMenu());
    if (!chosen.isEmpty()) RunMenuItem(chosen);
}

Menu Form2::TrayMenu() {
    Menu m = mainopen();
    MenuItem login{QStringLiteral("autostart"), QStringLiteral("Start at login"), {}};
    login.Checkable = true;
    login.Checked = autostart::IsEnabled();
    m.Items.insert(m.Items.end() - 1, login);  // just above "Exit"
    return m;
}

void Form2::autostart_Click() {
    // By its bytes: Qt's own path of the program reads a name that is not UTF-8 as U+FFFD.
    QString executable = ProgramPath();
    if (executable.isEmpty()) executable = QCoreApplication::applicationFilePath();
    if (!autostart::IsEnabled()) {
        const QString refusal = autostart::ExecRefusal(executable);
        if (!refusal.isEmpty()) {
            app_.desktop.MessageBox(QStringLiteral("Start at login cannot be set: ") + refusal,
                                    Caption, MessageIcon::Information);
            return;
        }
    }
    const bool ok = autostart::IsEnabled() ? autostart::Disable() : autostart::Enable(executable);
    if (!ok)
        app_.desktop.MessageBox(QStringLiteral("Cannot change ") + autostart::EntryPath(), Caption,
                                MessageIcon::Information);
}

void Form2::RunMenuItem(const QString& item) {
    // Items of the annotation menus raise editor commands.
    if (Form1::cd().Has(item) || Form1::cdd().Has(item) || Form1::cddd().Has(item)) {
        app_.Editor().RunAnnotationCommand(item);
        return;
    }
    static const std::map<QString, void (Form2::*)()> own = {
        {"jtb", &Form2::jtb_Click},
        {"wjta", &Form2::wjta_Click},
        {"celiang", &Form2::celiang_Click},
        {"zjm", &Form2::zjm_Click},
        {"bm", &Form2::bm_Click},
        {"cvs", &Form2::cvs_Click},
        {"ffci", &Form2::ffci_Click},
        {"tuichu", &Form2::tuichu_Click},
        {"autostart", &Form2::autostart_Click},
    };
    if (auto it = own.find(item); it != own.end()) (this->*(it->second))();
}

void Form2::jtb_Click() {
    app_.Strip().OpenFromClipboard();
}
void Form2::wjta_Click() {
    app_.Strip().OpenFromFile();
}
void Form2::celiang_Click() {
    app_.Strip().MeasureScreen();
}
void Form2::zjm_Click() {
    app_.ShowEditor();
    // A covered editor comes to the front and takes the keyboard.
    app_.desktop.SetForeground(app_.Editor());
}
void Form2::bm_Click() {
    app_.desktop.OpenUrl(web::kProductPage);
}
void Form2::cvs_Click() {
    app_.desktop.OpenUrl(web::kVersionPage);
}
void Form2::ffci_Click() {
    app_.desktop.OpenUrl(web::kFreeImagesPage);
}

void Form2::tuichu_Click() {
    if (Form1* ed = app_.EditorIfLoaded(); ed && !ed->MayDiscardWork()) return;
    app_.desktop.TrayRemove();
    app_.desktop.EndProgram();
}

}  // namespace orv

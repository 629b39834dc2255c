#pragma once
// Form2, the tray host: never shown; owns the tray icon, reacts to its
// notifications and owns the program's four pop-up menus.

#include <QString>

#include "platform/Desktop.h"
#include "platform/Form.h"

namespace orv {

class App;

/// The maker's web pages, in one place.
namespace web {
inline const QString kProductPage = QStringLiteral("https://orvane-tessaly.org/");
inline const QString kVersionPage = QStringLiteral("https://orvane-tessaly.org/version?verson=1.1");
inline const QString kFreeImagesPage = QStringLiteral("https://orvane-tessaly.org/free-images");
}  // namespace web

/// The tray icon's tip.
inline const QString kTrayTip = QStringLiteral("Left-click to display the window");
/// The program icon.
inline const QString kProgramIcon = QStringLiteral(":/art/orvane.svg");

class Form2 : public Form {
  public:
    explicit Form2(App& app);

    /// Start-up: hide, add the tray icon, take the command line, open it.
    void Form_Load();
    /// Opens a command line's path in the editor, as at start-up; also for a
    /// path a later start of the program handed over.
    void OpenCommandLine(const QString& commandLine);
    /// The tray icon's callback: mouse message identifier (0x0202 left up, 0x0205 right up).
    void TrayNotify(int mouseMessage);
    /// Runs the action of a menu item chosen in any of the four menus.
    void RunMenuItem(const QString& item);

    void jtb_Click();        ///< "Open From clipboard"
    void wjta_Click();       ///< "Open From file"
    void celiang_Click();    ///< "Open Form Screen"
    void zjm_Click();        ///< "Show"
    void bm_Click();         ///< "About" page
    void cvs_Click();        ///< "Check Version" page
    void ffci_Click();       ///< "Free For Commercial images " page
    void tuichu_Click();     ///< "Exit"
    void autostart_Click();  ///< "Start at login": writes or removes the autostart entry

    /// The tray menu as shown: mainopen with the checked "Start at login" above "Exit".
    static Menu TrayMenu();

    /// The hidden command-line text box: the argument without the double quotes around it.
    QString Text3;

    static const Menu& mainopen();  ///< tray menu
    // The annotation menus belong to the tray host in name; the editor keeps
    // them beside the commands they run.
    static const Menu& cd();    ///< distance-marker menu
    static const Menu& cdd();   ///< colour-marker menu
    static const Menu& cddd();  ///< note menu

  private:
    App& app_;
};

}  // namespace orv

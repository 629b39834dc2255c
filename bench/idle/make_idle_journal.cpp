// Writes the recovery journal that the next start of orvane offers back, for the idle
// benchmark: a 1920 x 1080 picture with N annotations on it, a third each distance
// markers, colour markers and notes, drawn through the editor's own handlers on the
// fake desktop. The folder is the one the program computes in this environment.
//
//   make_idle_journal N

#include <QApplication>
#include <QDateTime>
#include <cstdio>
#include <cstdlib>

#include "BenchMarkup.h"
#include "FakeDesktop.h"
#include "annotations/AnnotationJson.h"
#include "app/Recovery.h"
#include "app/SingleInstance.h"
#include "editor/Form1.h"
#include "editor/OpenCommands.h"
#include "editor/RecoveryJournal.h"
#include "platform/Screen.h"
#include "platform/StateFolder.h"
#include "shell/App.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_idle_journal N\n");
        return 1;
    }
    const int n = std::atoi(argv[1]);
    // The program under test keeps its display; this writer needs none.
    const QByteArray display = qgetenv("DISPLAY");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    Q_INIT_RESOURCE(resources);
    orv::Screen() = orv::ScreenInfo{15.0f, 15.0f, 1920 * 15.0f, 1080 * 15.0f};
    orv::test::FakeDesktop desktop;
    orv::App app(desktop, QString());
    orv::Form1& ed = app.Editor();
    QImage picture(1920, 1080, QImage::Format_RGB32);
    picture.fill(QColor(90, 120, 150));
    orv::ShowOnCanvas(ed, picture);

    orv::bench::DrawAnnotations(ed, n, {90, 100, 150, 150, 300, 150, 200, 100});

    qputenv("DISPLAY", display);
    const QString folder =
        orv::JournalFolder(QString::fromStdString(orv::StateFolder()), orv::SessionSocketName());
    orv::JournalEntry entry;
    entry.picture = picture;
    entry.pictureId = 1;
    entry.annotationsJson = orv::AnnotationsToJson(ed.annotations.Take());
    entry.written = QDateTime::currentDateTime();
    QString why;
    if (!orv::RecoveryJournal(folder).Write(entry, why)) {
        std::fprintf(stderr, "cannot write the journal in %s: %s\n", qPrintable(folder),
                     qPrintable(why));
        return 1;
    }
    std::printf("%s\n", qPrintable(folder));
    return 0;
}

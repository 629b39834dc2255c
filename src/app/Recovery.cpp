#include "app/Recovery.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>

#include "annotations/AnnotationJson.h"
#include "editor/Form1.h"
#include "platform/Desktop.h"
#include "platform/LayerPainter.h"
#include "platform/PathBytes.h"
#include "shell/App.h"

namespace orv {

namespace {
const QString kTitle = QStringLiteral("Orvane Tessaly");
}  // namespace

QString JournalFolder(const QString& stateFolder, const QString& socketName) {
    return stateFolder + QStringLiteral("/journal-") + QFileInfo(socketName).fileName();
}

Recovery::Recovery(App& app, Desktop& desktop, QString folder)
    : app_(app),
      desktop_(desktop),
      folder_(std::move(folder)),
      writer_(std::make_unique<JournalWriter>(folder_)) {
    timer_.setInterval(kJournalInterval);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Post(); });
}

Recovery::~Recovery() = default;

void Recovery::OfferLeftWork() {
    RecoveryJournal journal(folder_);
    JournalContent content;
    QString why;
    switch (journal.Read(content, why)) {
        case JournalRead::Absent:
            break;
        case JournalRead::Damaged: {
            const QString aside = journal.SetAside();
            desktop_.MessageBox(QStringLiteral("The unsaved markup could not be restored (%1); "
                                               "it was set aside in %2.")
                                    .arg(why, ShownPath(aside)),
                                kTitle, MessageIcon::Information);
            break;
        }
        case JournalRead::Read: {
            const QString when = QLocale::system().toString(content.written, QLocale::ShortFormat);
            const int answer =
                Ask ? Ask(QStringLiteral("Restore the unsaved markup from %1?").arg(when)) : 1;
            if (answer == 0) {
                Form1* shown = app_.EditorIfLoaded();
                if (shown && !shown->MayDiscardWork()) break;
                app_.ShowEditor();
                OpenRecoveredMarkup(app_.Editor(), content);
                written_ = true;  // the journal on disk holds this markup until the next write
                // So the first look finds nothing new: the markup it was restored from is not
                // copied and written again (however much of it there is).
                const Form1& restored = app_.Editor();
                BasePicture(restored);
                look_ = Look{restored.history.Revision(), restored.unsaved.Generation(), baseId_};
                looked_ = true;
            } else {
                journal.Remove();
            }
            break;
        }
    }
    armed_ = true;
    timer_.start();
}

const QImage& Recovery::BasePicture(const Form1& editor) {
    const PictureBox& canvas = editor.Picture2;
    const qint64 surface =
        canvas.HasSurface() ? const_cast<PictureBox&>(canvas).Surface().cacheKey() : 0;
    const auto key = std::make_tuple(canvas.Picture().cacheKey(), surface,
                                     std::uint32_t(canvas.BackColor), canvas.Width, canvas.Height);
    if (base_.isNull() || key != baseKey_) {
        base_ = PaintPictureBoxBase(canvas);
        baseKey_ = key;
        // Numbered by the clock, so no picture of an earlier run has the same name.
        baseId_ = std::max<std::uint64_t>(baseId_ + 1, QDateTime::currentMSecsSinceEpoch());
    }
    return base_;
}

void Recovery::Post() {
    if (!armed_) return;
    const Form1* editor = app_.EditorIfLoaded();
    if (editor) {
        // Nothing recorded, saved or opened since the last look: the journal is up to date,
        // and no copy of the annotations is taken (an idle editor costs nothing, however
        // much markup it holds).
        BasePicture(*editor);
        const Look look{editor->history.Revision(), editor->unsaved.Generation(), baseId_};
        if (looked_ && look == look_) return;
        look_ = look;
        looked_ = true;
    } else {
        looked_ = false;
    }
    if (!editor || !editor->unsaved.Pending()) {
        if (written_) writer_->PostRemove();
        written_ = false;
        writtenJson_.clear();
        return;
    }
    JournalEntry entry;
    entry.picture = BasePicture(*editor);
    entry.pictureId = baseId_;
    entry.annotationsJson = AnnotationsToJson(editor->annotations.Take());
    if (entry.picture.isNull()) return;
    if (written_ && entry.pictureId == writtenId_ && entry.annotationsJson == writtenJson_) return;
    entry.written = QDateTime::currentDateTime();
    writtenJson_ = entry.annotationsJson;
    writtenId_ = entry.pictureId;
    writer_->Post(std::move(entry));
    written_ = true;
}

void Recovery::WriteNow() {
    timer_.stop();
    if (!armed_) return;  // the journal of an earlier run stays as it is
    Post();
    writer_->Flush();
}

void Recovery::Forget() {
    timer_.stop();
    if (!armed_) return;  // a journal not yet offered is kept for the next start
    armed_ = false;
    writer_->PostRemove();
    writer_->Flush();
}

}  // namespace orv

#include "platform/qt/DialogByteNames.h"

#include <QAbstractFileIconProvider>
#include <QAbstractItemView>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

#include "platform/PathBytes.h"
#include "platform/ShownNames.h"
#include "platform/qt/DialogRun.h"
#include "platform/qt/Translate.h"

namespace orv {

namespace {

/// One entry Qt leaves out, as the dialog lists it.
struct ExtraRow {
    UnreadableEntry entry;
    QString shown;  ///< its name as shown
};

/// Qt's listing of the dialog's folder with the entries Qt leaves out appended: each of those
/// rows is an index of this model alone (no index of Qt's model stands behind it).
class WithUnreadableRows : public QIdentityProxyModel {
  public:
    explicit WithUnreadableRows(QObject* parent) : QIdentityProxyModel(parent) {}

    bool IsExtra(const QModelIndex& index) const {
        return index.isValid() && index.model() == this && index.internalPointer() == Tag();
    }
    const ExtraRow* ExtraAt(const QModelIndex& index) const {
        if (!IsExtra(index)) return nullptr;
        const int at = index.row() - SourceRows();
        return at >= 0 && at < int(rows_.size()) ? &rows_[std::size_t(at)] : nullptr;
    }

    /// The rows of `folder` (an index of Qt's model) and its shown path.
    void SetRows(const QModelIndex& folder, const QString& shownFolder,
                 std::vector<ExtraRow> rows) {
        if (!rows_.empty()) {
            if (folder_.isValid()) {
                const int first = SourceRows();
                beginRemoveRows(mapFromSource(folder_), first, first + int(rows_.size()) - 1);
                rows_.clear();
                endRemoveRows();
            } else {
                beginResetModel();  // the folder is gone from Qt's model, and its rows with it
                rows_.clear();
                endResetModel();
            }
        }
        folder_ = folder;
        shownFolder_ = shownFolder;
        if (rows.empty() || !folder_.isValid()) return;
        const int first = SourceRows();
        beginInsertRows(mapFromSource(folder_), first, first + int(rows.size()) - 1);
        rows_ = std::move(rows);
        endInsertRows();
    }

    QModelIndex index(int row, int column, const QModelIndex& parent) const override {
        if (IsFolder(parent) && row >= SourceRows() && row < rowCount(parent) && column >= 0 &&
            column < columnCount(parent))
            return createIndex(row, column, Tag());
        if (IsExtra(parent)) return {};
        return QIdentityProxyModel::index(row, column, parent);
    }
    QModelIndex parent(const QModelIndex& child) const override {
        if (IsExtra(child)) return mapFromSource(folder_);
        return QIdentityProxyModel::parent(child);
    }
    QModelIndex sibling(int row, int column, const QModelIndex& index) const override {
        if (IsExtra(index) || (index.isValid() && IsFolder(parent(index))))
            return this->index(row, column, parent(index));
        return QIdentityProxyModel::sibling(row, column, index);
    }
    int rowCount(const QModelIndex& parent) const override {
        if (IsExtra(parent)) return 0;
        const int rows = QIdentityProxyModel::rowCount(parent);
        return IsFolder(parent) ? rows + int(rows_.size()) : rows;
    }
    int columnCount(const QModelIndex& parent) const override {
        return IsExtra(parent) ? 0 : QIdentityProxyModel::columnCount(parent);
    }
    bool hasChildren(const QModelIndex& parent) const override {
        if (IsExtra(parent)) return false;
        return QIdentityProxyModel::hasChildren(parent) || (IsFolder(parent) && !rows_.empty());
    }
    bool canFetchMore(const QModelIndex& parent) const override {
        return !IsExtra(parent) && QIdentityProxyModel::canFetchMore(parent);
    }
    void fetchMore(const QModelIndex& parent) override {
        if (!IsExtra(parent)) QIdentityProxyModel::fetchMore(parent);
    }
    QModelIndex mapToSource(const QModelIndex& proxy) const override {
        return IsExtra(proxy) ? QModelIndex() : QIdentityProxyModel::mapToSource(proxy);
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (IsExtra(index))
            return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
        return QIdentityProxyModel::flags(index);
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        return !IsExtra(index) && QIdentityProxyModel::setData(index, value, role);
    }
    QMap<int, QVariant> itemData(const QModelIndex& index) const override {
        if (IsExtra(index)) return QAbstractItemModel::itemData(index);
        return QIdentityProxyModel::itemData(index);
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const ExtraRow* row = ExtraAt(index);
        if (!IsExtra(index)) return QIdentityProxyModel::data(index, role);
        if (!row) return {};
        const UnreadableEntry& e = row->entry;
        if (role == QFileSystemModel::FilePathRole)
            return shownFolder_.endsWith(QLatin1Char('/'))
                       ? shownFolder_ + row->shown
                       : shownFolder_ + QLatin1Char('/') + row->shown;
        if (role == QFileSystemModel::FileNameRole) return row->shown;
        if (role == Qt::TextAlignmentRole && index.column() == 1)
            return QVariant(Qt::AlignTrailing | Qt::AlignVCenter);
        if (role == Qt::DecorationRole && index.column() == 0) {
            const auto* source = qobject_cast<const QFileSystemModel*>(sourceModel());
            if (const QAbstractFileIconProvider* icons = source ? source->iconProvider() : nullptr)
                return icons->icon(e.folder ? QAbstractFileIconProvider::Folder
                                            : QAbstractFileIconProvider::File);
            return {};
        }
        if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
        switch (index.column()) {
            case 0:
                return row->shown;
            case 1:
                return e.folder ? QString() : QLocale::system().formattedDataSize(e.size);
            case 2: {
                if (e.folder) return QFileSystemModel::tr("Folder");
                // The type Qt gives a file of that name ("PNG image"), from its name alone.
                return QMimeDatabase()
                    .mimeTypeForFile(row->shown, QMimeDatabase::MatchExtension)
                    .comment();
            }
            case 3:
                return QLocale::system().toString(QDateTime::fromMSecsSinceEpoch(e.modifiedMs),
                                                  QLocale::ShortFormat);
            default:
                return {};
        }
    }

  private:
    const void* Tag() const { return &rows_; }
    bool IsFolder(const QModelIndex& parent) const {
        return folder_.isValid() && parent.isValid() && !IsExtra(parent) &&
               QIdentityProxyModel::mapToSource(parent) == folder_;
    }
    int SourceRows() const {
        return folder_.isValid() && sourceModel() ? sourceModel()->rowCount(folder_) : 0;
    }

    QPersistentModelIndex folder_;
    QString shownFolder_;
    std::vector<ExtraRow> rows_;
};

/// The patterns of a name filter entry ("PNG File(*.PNG)" gives "*.PNG"), as Qt reads them.
std::vector<QRegularExpression> PatternsOf(const QString& filter) {
    QString list = filter;
    static const QRegularExpression bracketed(QStringLiteral("\\(([^()]*)\\)\\s*$"));
    if (const QRegularExpressionMatch m = bracketed.match(filter); m.hasMatch())
        list = m.captured(1);
    std::vector<QRegularExpression> patterns;
    static const QRegularExpression separators(QStringLiteral("[\\s;]+"));
    for (const QString& p : list.split(separators, Qt::SkipEmptyParts))
        patterns.emplace_back(QRegularExpression::wildcardToRegularExpression(p),
                              QRegularExpression::CaseInsensitiveOption);
    return patterns;
}

/// The private folder (mode 0700) that holds the links of every dialog while it runs; empty
/// where none can be made. Made before the dialog that needs it: made while Qt reads the
/// folder it lies in, it would be left out of the listing, link and all.
QString LinkFolder() {
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/orvane-folders-XXXXXX"));
    return folder.isValid() ? folder.path() : QString();
}

}  // namespace

struct DialogByteNames::Parts {
    QFileDialog& dialog;
    bool saving;
    bool handKeysOver;
    WithUnreadableRows* rows = nullptr;
    std::vector<std::pair<QString, QString>> aliases;  ///< link, folder (by its bytes)
    /// What this connected to the dialog's parts, which outlive it while the dialog ends.
    std::vector<QMetaObject::Connection> connections;

    /// The folder a shown path lies in, by its bytes: `base` (empty where no link of ours is
    /// part of the path) and the rest of the path below it.
    QString Unalias(const QString& shown, QString& rest) const {
        for (const auto& [link, real] : aliases) {
            if (shown == link || shown.startsWith(link + QLatin1Char('/'))) {
                rest = shown.mid(link.size());
                return real;
            }
        }
        rest = shown;
        return {};
    }

    RealPath Real(const QString& shown, bool lastMayBeNew) const {
        QString rest;
        QString base = Unalias(shown, rest);
        if (base.isEmpty()) {
            // The folder the dialog shows is the one Qt reads (a link of ours aside): only
            // what lies below it was chosen, and only that is looked up.
            const QString folder = dialog.directory().absolutePath();
            const QString below = folder.endsWith(QLatin1Char('/')) ? folder : folder + '/';
            if ((shown == folder || shown.startsWith(below)) && IsFolderByBytes(folder)) {
                base = folder;
                rest = shown.mid(folder.size());
            }
        }
        if (base.isEmpty()) return RealPathOfChosen(shown, ListFolderByBytes, lastMayBeNew);
        return RealPathUnder(base, rest, ListFolderByBytes, lastMayBeNew);
    }

    /// Whether a shown path needs more than Qt to be found.
    bool BeyondQt(const QString& shown) const {
        QString rest;
        return MayNameOtherBytes(shown) || !Unalias(shown, rest).isEmpty();
    }

    QString LinkTo(const QString& folder) {
        for (const auto& [link, real] : aliases)
            if (real == folder) return link;
        const QString links = LinkFolder();
        if (links.isEmpty()) return {};
        // Each link in a folder of its own, under the folder's own name as shown.
        static int made = 0;
        const QString holder = links + QLatin1Char('/') + QString::number(++made);
        QString name =
            ShownPath(folder.section(QLatin1Char('/'), -1, -1, QString::SectionSkipEmpty));
        if (name.isEmpty()) name = QStringLiteral("folder");
        const QString link = holder + QLatin1Char('/') + name;
        if (!QDir().mkdir(holder) || !MakeLinkByBytes(folder, link)) return {};
        aliases.emplace_back(link, folder);
        return link;
    }

    /// A folder of ours that holds a link (where the dialog's "up" leads from a linked folder)
    /// stands for the real parent of the folder linked: the dialog goes there instead, once
    /// Qt is done with the move.
    bool Redirected(const QString& folder) {
        for (const auto& [link, real] : aliases) {
            if (folder != link.section(QLatin1Char('/'), 0, -2) && folder != LinkFolder()) continue;
            QString parent = real.section(QLatin1Char('/'), 0, -2);
            if (parent.isEmpty()) parent = QStringLiteral("/");
            QMetaObject::invokeMethod(
                &dialog, [this, parent] { Enter(parent); }, Qt::QueuedConnection);
            return true;
        }
        return false;
    }

    void Refresh() {
        auto* source = qobject_cast<QFileSystemModel*>(rows ? rows->sourceModel() : nullptr);
        if (!source) return;
        const QString shownFolder = dialog.directory().absolutePath();
        const RealPath folder = Real(shownFolder, false);
        std::vector<ExtraRow> extra;
        if (folder.found == NameFound::Unique) {
            const std::vector<QRegularExpression> patterns =
                PatternsOf(dialog.selectedNameFilter());
            const bool hidden = dialog.filter().testFlag(QDir::Hidden);
            for (UnreadableEntry& e : UnreadableEntriesOf(StdBytesOfPath(folder.path))) {
                ExtraRow row{std::move(e), {}};
                row.shown = ShownNameOfBytes(row.entry.bytes);
                if (!hidden && row.shown.startsWith(QLatin1Char('.'))) continue;
                const bool passes =
                    row.entry.folder || patterns.empty() ||
                    std::any_of(patterns.begin(), patterns.end(), [&](const QRegularExpression& p) {
                        return p.match(row.shown).hasMatch();
                    });
                if (passes) extra.push_back(std::move(row));
            }
            std::sort(extra.begin(), extra.end(), [](const ExtraRow& a, const ExtraRow& b) {
                if (a.entry.folder != b.entry.folder) return a.entry.folder;
                return a.shown.localeAwareCompare(b.shown) < 0;
            });
        }
        rows->SetRows(source->index(shownFolder), shownFolder, std::move(extra));
    }

    QLineEdit* NameEdit() const {
        return dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    }

    /// An entry of ours picked in the list: its name goes to the name field, as Qt does for
    /// its own.
    void Picked() {
        auto* view = dialog.findChild<QAbstractItemView*>(QStringLiteral("listView"));
        QLineEdit* edit = NameEdit();
        if (!view || !view->selectionModel() || !edit) return;
        const QModelIndexList picked = view->selectionModel()->selectedRows();
        if (picked.size() == 1)
            if (const ExtraRow* row = rows->ExtraAt(picked.first()); row && !row->entry.folder) {
                // Unseen by Qt, which would take the row out of the selection as a name it
                // does not know.
                const QSignalBlocker quiet(edit);
                edit->setText(row->shown);
            }
        EnableAccept();
    }

    /// Qt's open button is off for any name Qt does not find; one of ours found turns it on.
    void EnableAccept() {
        if (saving) return;
        auto* box = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        QPushButton* open = box ? box->button(QDialogButtonBox::Open) : nullptr;
        const QStringList files = dialog.selectedFiles();
        if (!open || open->isEnabled() || files.size() != 1 || !BeyondQt(files.first())) return;
        const RealPath real = Real(files.first(), false);
        if (real.found == NameFound::Unique && FactsOfPath(real.path).exists)
            open->setEnabled(true);
    }

    void Activated(const QModelIndex& index) {
        if (const ExtraRow* row = rows->ExtraAt(index)) {
            if (!row->entry.folder) {
                if (QLineEdit* edit = NameEdit()) edit->setText(row->shown);
                QMetaObject::invokeMethod(&dialog, "accept", Qt::QueuedConnection);
                return;
            }
            const RealPath folder = Real(dialog.directory().absolutePath(), false);
            if (folder.found == NameFound::Unique)
                Enter(folder.path + QLatin1Char('/') +
                      PathFromBytes(
                          QByteArray(row->entry.bytes.data(), qsizetype(row->entry.bytes.size()))));
            return;
        }
        QMetaObject::invokeMethod(&dialog, "_q_enterDirectory", Q_ARG(QModelIndex, index));
    }

    void Enter(const QString& folder) {
        QString shown = folder;
        if (HoldsEscapedBytes(folder)) shown = LinkTo(folder);
        if (shown.isEmpty()) return;
        dialog.setDirectory(shown);
        if (QLineEdit* edit = NameEdit(); edit && !saving) edit->clear();
        Refresh();
    }

    void Tell(const QString& text) {
        QMessageBox box(QMessageBox::Warning, dialog.windowTitle(), text, QMessageBox::Ok, &dialog);
        RunDialog(box, handKeysOver);
    }
};

DialogByteNames::DialogByteNames(QFileDialog& dialog, bool saving, bool handKeysOver)
    : parts_(new Parts{dialog, saving, handKeysOver, nullptr, {}, {}}) {
    Parts& p = *parts_;
    if (!dialog.findChild<QFileSystemModel*>()) return;  // a dialog of the desktop's own
    p.rows = new WithUnreadableRows(&dialog);
    dialog.setProxyModel(p.rows);
    for (const char* name : {"listView", "treeView"}) {
        auto* view = dialog.findChild<QAbstractItemView*>(QLatin1String(name));
        // A double click or Enter on a row of ours would take Qt to the top of the file system.
        if (view && QObject::disconnect(view, SIGNAL(activated(QModelIndex)), &dialog,
                                        SLOT(_q_enterDirectory(QModelIndex))))
            p.connections.push_back(
                QObject::connect(view, &QAbstractItemView::activated, &dialog,
                                 [&p](const QModelIndex& index) { p.Activated(index); }));
    }
    if (auto* view = dialog.findChild<QAbstractItemView*>(QStringLiteral("listView")))
        p.connections.push_back(QObject::connect(view->selectionModel(),
                                                 &QItemSelectionModel::selectionChanged, &dialog,
                                                 [&p] { p.Picked(); }));
    if (QLineEdit* edit = p.NameEdit())
        p.connections.push_back(
            QObject::connect(edit, &QLineEdit::textChanged, &dialog, [&p] { p.EnableAccept(); }));
    // Every way to another folder (a click, the path typed, the dialog told where to start)
    // goes through the model's root.
    p.connections.push_back(QObject::connect(dialog.findChild<QFileSystemModel*>(),
                                             &QFileSystemModel::rootPathChanged, &dialog,
                                             [&p](const QString& folder) {
                                                 if (!p.Redirected(folder)) p.Refresh();
                                             }));
    p.connections.push_back(
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&p] { p.Refresh(); }));
    p.Refresh();
}

DialogByteNames::~DialogByteNames() {
    for (const QMetaObject::Connection& c : parts_->connections) QObject::disconnect(c);
    for (const auto& [link, real] : parts_->aliases) {
        QFile::remove(link);  // the link, never what it points to
        QDir().rmdir(link.section(QLatin1Char('/'), 0, -2));
    }
}

void DialogByteNames::Prepare(const QString& folder) {
    if (HoldsEscapedBytes(folder)) LinkFolder();
}

void DialogByteNames::SetFolder(const QString& folder) {
    parts_->Enter(folder);
}

DialogByteNames::Choice DialogByteNames::Resolve(QString& real) {
    Parts& p = *parts_;
    const QStringList files = p.dialog.selectedFiles();
    if (files.size() != 1 || !p.BeyondQt(files.first())) return Choice::Qt;
    const RealPath found = p.Real(files.first(), p.saving);
    const QString faulty = ShownPath(found.faulty);
    if (found.found == NameFound::Ambiguous) {
        p.Tell(Tr(QStringLiteral("%1\nMore than one file here is shown by this name, so which "
                                 "one was meant cannot be told.\nRename one of them to choose it."))
                   .arg(faulty));
        return Choice::Stay;
    }
    const QString notFound =
        QFileDialog::tr("%1\nFile not found.\nPlease verify the correct file name was given.");
    if (found.found == NameFound::None) {
        p.Tell(notFound.arg(faulty));
        return Choice::Stay;
    }
    if (IsFolderByBytes(found.path)) {
        p.Enter(found.path);
        return Choice::Stay;
    }
    if (!p.saving && !FactsOfPath(found.path).exists) {
        p.Tell(notFound.arg(ShownPath(found.path.section(QLatin1Char('/'), -1))));
        return Choice::Stay;
    }
    real = found.path;
    return Choice::Chosen;
}

ByteNamesFileDialog::ByteNamesFileDialog(QWidget* parent, bool saving, bool handKeysOver)
    : QFileDialog(parent), names_(*this, saving, handKeysOver) {}

void ByteNamesFileDialog::accept() {
    QString real;
    switch (names_.Resolve(real)) {
        case DialogByteNames::Choice::Stay:
            return;
        case DialogByteNames::Choice::Chosen:
            if (!MayTakeUnseen(real)) return;
            chosen_ = real;
            QDialog::accept();  // Qt would look for the file under its own reading
            return;
        case DialogByteNames::Choice::Qt:
            break;
    }
    if (MayTakeSeen()) QFileDialog::accept();
}

}  // namespace orv

#include "editor/SaveChoices.h"

#include <QFileInfo>

#include "platform/Desktop.h"
#include "platform/PathBytes.h"
#include "platform/ShownNames.h"

namespace orv {

namespace {
const QString kFolderKey = QStringLiteral("save/folder");
const QString kTypeKey = QStringLiteral("save/type");
constexpr int kFilterCount = 7;  // PNG, JPEG, BMP, GIF, TIFF, PSD, all files
}  // namespace

int SaveFilterIndexFor(const QString& extension) {
    const QString e = extension.toLower();
    if (e == QLatin1String("png")) return 1;
    if (e == QLatin1String("jpg") || e == QLatin1String("jpeg") || e == QLatin1String("jpe") ||
        e == QLatin1String("jfif"))
        return 2;
    if (e == QLatin1String("bmp") || e == QLatin1String("dib")) return 3;
    if (e == QLatin1String("gif")) return 4;
    if (e == QLatin1String("tif") || e == QLatin1String("tiff")) return 5;
    if (e == QLatin1String("psd")) return 6;
    return 0;
}

SaveDialogStart SaveStartFor(Desktop& desktop, const QString& shownFile,
                             const QString& fallbackFolder) {
    SaveDialogStart start;
    const QString saved = PathFromStored(desktop.Setting(kFolderKey));
    const QString pictureFolder =
        shownFile.isEmpty() ? QString() : QFileInfo(shownFile).absolutePath();
    if (!saved.isEmpty() && IsFolderByBytes(saved))
        start.Folder = saved;
    else if (!pictureFolder.isEmpty() && IsFolderByBytes(pictureFolder))
        start.Folder = pictureFolder;
    else
        start.Folder = fallbackFolder;
    if (!shownFile.isEmpty()) start.Name = ShownPath(QFileInfo(shownFile).completeBaseName());
    bool ok = false;
    const int type = desktop.Setting(kTypeKey).toInt(&ok);
    if (ok && type >= 1 && type <= kFilterCount) start.FilterIndex = type;
    return start;
}

void RememberSave(Desktop& desktop, const QString& savedPath) {
    const QFileInfo file(savedPath);
    // A folder whose name is not UTF-8 is kept by its bytes: a settings file holds text only.
    desktop.SetSetting(kFolderKey, StorablePath(file.absolutePath()));
    if (const int type = SaveFilterIndexFor(file.suffix()); type > 0)
        desktop.SetSetting(kTypeKey, QString::number(type));
}

}  // namespace orv

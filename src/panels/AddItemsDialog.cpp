#include "panels/AddItemsDialog.h"

#include "l10n/L.h"
#include "panels/ApplicationPicker.h"
#include "store/AppState.h"

#include <QDir>
#include <QFileDialog>
#include <QPointer>

namespace {
QDialog *makeDialog(AppState &state, LauncherAddKind kind, QWidget *parent) {
    if (kind == LauncherAddKind::app)
        return new ApplicationPicker(state.workspace() ? state.workspace()->installedApplications()
                                                       : QList<InstalledApplication>(),
                                     parent);
    auto *dialog = new QFileDialog(parent);
    dialog->setLabelText(QFileDialog::Accept, L::add());
    dialog->setDirectory(QDir::homePath());
    if (kind == LauncherAddKind::folder) {
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly);
    } else {
        dialog->setFileMode(QFileDialog::ExistingFiles);
    }
    return dialog;
}

QStringList chosenPaths(QDialog *dialog, LauncherAddKind kind) {
    if (kind == LauncherAddKind::app)
        return static_cast<ApplicationPicker *>(dialog)->chosenPaths();
    QStringList paths = static_cast<QFileDialog *>(dialog)->selectedFiles();
    // Applications are added with the "app" kind; the file picker leaves them out.
    if (kind == LauncherAddKind::file)
        paths.removeIf([](const QString &path) { return path.endsWith(u".desktop", Qt::CaseInsensitive); });
    return paths;
}
} // namespace

QDialog *AddItemsDialog::open(AppState &state, LauncherAddKind kind, QWidget *parent,
                              std::unique_ptr<LauncherHold> hold) {
    QDialog *dialog = makeDialog(state, kind, parent);
    // Modal for the whole program, as a dialog run in its own loop would be.
    dialog->setWindowModality(Qt::ApplicationModal);
    QPointer<AppState> store(&state);
    auto held = std::shared_ptr<LauncherHold>(std::move(hold));
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, kind, store, held](int result) mutable {
        held.reset(); // the launcher takes activation back before the entries arrive
        if (result == QDialog::Accepted && store) {
            for (const QString &path : chosenPaths(dialog, kind))
                store->add(path);
        }
        dialog->deleteLater();
    });
    dialog->show();
    return dialog;
}

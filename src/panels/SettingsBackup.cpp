// The settings' backup tools: export and import of all lists, save and restore of the current order.
#include "l10n/L.h"
#include "panels/SettingsView.h"
#include "panels/SettingsWidgets.h"
#include "store/AppState.h"
#include "store/ListsCodec.h"
#include "store/ListsDocument.h"
#include "views/IlvexButtonStyle.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QColor plainTint(255, 255, 255, 33);
const QColor savedGreen(52, 199, 89);

// Gives a button its look once for each change of state; the style it replaces goes.
template <typename Apply> void restyle(QPushButton *button, const QString &state, Apply apply) {
    if (button->property("lookState").toString() == state)
        return;
    QStyle *old = button->style();
    apply();
    button->setProperty("lookState", state);
    if (old && old->parent() == button)
        old->deleteLater();
}

QStringList jsonFilter() {
    return {QStringLiteral("JSON (*.json)")};
}
} // namespace

QMessageBox *SettingsView::importChoice() const {
    return m_importChoice;
}

QMessageBox *SettingsView::alert() const {
    return m_alert;
}

QLayout *SettingsView::buildBackupSection() {
    auto *section = new QVBoxLayout;
    section->setContentsMargins(18, 8, 18, 8);
    section->setSpacing(6);
    section->addWidget(SettingsWidgets::sectionLabel(&L::backup, m_texts, this), 0, Qt::AlignHCenter);

    auto button = [this](const char *name) {
        auto *b = new SettingsWidgets::SymbolButton(this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    auto *transfer = new QHBoxLayout;
    transfer->setSpacing(8);
    m_export = button("exportLists");
    m_import = button("importLists");
    for (QPushButton *b : {m_export, m_import}) {
        restyle(b, QStringLiteral("plain"), [b] { IlvexButtonStyle::apply(b, plainTint, Qt::white); });
        transfer->addWidget(b);
    }
    m_texts.append([this] {
        static_cast<SettingsWidgets::SymbolButton *>(m_export)->setContent(
            L::exportListsEllipsis(), QStringLiteral("square.and.arrow.up"), Qt::white);
        static_cast<SettingsWidgets::SymbolButton *>(m_import)->setContent(
            L::importListsEllipsis(), QStringLiteral("square.and.arrow.down"), Qt::white);
    });
    connect(m_export, &QPushButton::clicked, this, &SettingsView::chooseExportFile);
    connect(m_import, &QPushButton::clicked, this, &SettingsView::chooseImportFile);
    section->addLayout(transfer);

    auto *order = new QHBoxLayout;
    order->setSpacing(8);
    m_save = button("saveOrder");
    m_restore = button("restore");
    order->addWidget(m_save);
    order->addWidget(m_restore);
    connect(m_save, &QPushButton::clicked, this, &SettingsView::saveOrder);
    connect(m_restore, &QPushButton::clicked, this, [this] {
        if (m_hooks.playSound)
            m_hooks.playSound();
        if (m_state)
            m_state->restoreSnapshot();
    });
    section->addLayout(order);
    return section;
}

void SettingsView::refreshBackup() {
    if (!m_save)
        return;
    const QList<AppItem> saved = m_state ? m_state->snapshot() : QList<AppItem>();
    // The snapshot holds the list's own entries, so it is compared with those, even while a group is open.
    const QList<AppItem> current = m_state ? m_state->activeListItems() : QList<AppItem>();
    bool matches = saved.isEmpty();
    if (!matches) {
        matches = saved.size() == current.size() &&
                  std::equal(saved.cbegin(), saved.cend(), current.cbegin(),
                             [](const AppItem &a, const AppItem &b) { return a.id == b.id; });
    }
    auto *save = static_cast<SettingsWidgets::SymbolButton *>(m_save);
    if (m_snapshotSaved) {
        restyle(save, QStringLiteral("saved"), [save] {
            IlvexButtonStyle::apply(save, QColor(savedGreen.red(), savedGreen.green(), savedGreen.blue(), 64),
                                    savedGreen);
        });
        save->setContent(L::saved(), QStringLiteral("checkmark.circle.fill"), savedGreen);
    } else {
        restyle(save, QStringLiteral("plain"),
                [save] { IlvexButtonStyle::apply(save, plainTint, Qt::white); });
        save->setContent(L::saveOrder(), QStringLiteral("clock.arrow.2.circlepath"), Qt::white);
    }
    save->setEnabled(!current.isEmpty());
    auto *restore = static_cast<SettingsWidgets::SymbolButton *>(m_restore);
    restyle(restore, matches ? QStringLiteral("dimmed") : QStringLiteral("plain"),
            [restore, matches] { IlvexDestructiveButtonStyle::apply(restore, matches); });
    restore->setContent(L::restore(), QStringLiteral("arrow.uturn.backward"),
                        IlvexDestructiveButtonStyle::systemRed());
    restore->setEnabled(!matches);
    restore->setToolTip(saved.isEmpty() ? L::noSavedOrder() : L::restoreItems(int(saved.size())));
}

void SettingsView::saveOrder() {
    if (!m_state || m_state->activeListItems().isEmpty())
        return;
    if (m_hooks.playSound)
        m_hooks.playSound();
    m_state->saveSnapshot();
    m_snapshotSaved = true;
    m_savedReset.start();
    refreshBackup();
}

void SettingsView::chooseExportFile() {
    if (!m_state || !m_state->exportListsData())
        return;
    auto *dialog = new QFileDialog(window(), L::exportPanelTitle(), QDir::homePath());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setNameFilters(jsonFilter());
    dialog->setDefaultSuffix(QStringLiteral("json"));
    dialog->selectFile(QStringLiteral("ilvex-lists.json"));
    connect(dialog, &QFileDialog::fileSelected, this, &SettingsView::exportTo);
    dialog->open();
}

void SettingsView::exportTo(const QString &path) {
    const auto document = m_state ? m_state->exportListsData() : std::nullopt;
    if (!document || path.isEmpty())
        return;
    QString reason;
    if (ListsDocument::write(path, *document, &reason))
        return;
    // Nothing is reported as done when the document did not reach the disk.
    showAlert(L::exportFailed(), L::exportFailedMessage() + QStringLiteral("\n\n") + reason);
}

void SettingsView::chooseImportFile() {
    auto *dialog = new QFileDialog(window(), L::importPanelTitle(), QDir::homePath());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilters(jsonFilter());
    dialog->setLabelText(QFileDialog::Accept, L::importPrompt());
    connect(dialog, &QFileDialog::fileSelected, this, &SettingsView::importFrom);
    dialog->open();
}

void SettingsView::importFrom(const QString &path) {
    // A FIFO or a device is refused unopened, as the command line refuses it.
    const auto read = ListsDocument::readFile(path);
    const auto decoded = read.bytes ? ListsDocument::decode(*read.bytes) : ListsDocument::Decoded{};
    if (!decoded.lists) {
        showAlert(L::importFailed(),
                  L::importFailedMessage() + QStringLiteral("\n\n") +
                      (read.bytes ? QFileInfo(path).fileName() + u' ' + decoded.refusal : read.error));
        return;
    }
    askImportChoice(*read.bytes);
}

void SettingsView::askImportChoice(const QByteArray &document) {
    if (!m_state)
        return;
    delete m_importChoice.data();
    const auto decoded = ListsCodec::decodeLists(document);
    const int incoming = decoded ? int(decoded->size()) : 0;
    const int have = int(m_state->lists().size());
    auto *box = new QMessageBox(window());
    m_importChoice = box;
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName(QStringLiteral("importChoice"));
    box->setWindowTitle(L::importLists());
    box->setText(L::importLists());
    box->setInformativeText(L::importChoice(incoming, have, AppState::maxLists, AppState::maxLists - have));
    QPushButton *replace = box->addButton(L::replaceAllLists(), QMessageBox::DestructiveRole);
    replace->setObjectName(QStringLiteral("replaceAllLists"));
    QPushButton *add = box->addButton(L::addToMyLists(), QMessageBox::AcceptRole);
    add->setObjectName(QStringLiteral("addToMyLists"));
    QPushButton *cancel = box->addButton(L::cancel(), QMessageBox::RejectRole);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    // The data waits in the dialog alone: closing it in any way drops it.
    connect(box, &QMessageBox::buttonClicked, this, [this, document, replace, add](QAbstractButton *clicked) {
        if (clicked != replace && clicked != add)
            return;
        if (!m_state || m_state->importLists(document, clicked == add))
            return;
        // Not written: nothing of it was kept, and the disk's reason says why.
        showAlert(L::importFailed(),
                  m_state->lastChangeSaved()
                      ? L::importFailedMessage()
                      : L::importNotWrittenMessage() + QStringLiteral("\n\n") + m_state->lastSaveError());
    });
    box->open();
}

void SettingsView::showAlert(const QString &title, const QString &message) {
    delete m_alert.data();
    auto *box = new QMessageBox(QMessageBox::Warning, title, title, QMessageBox::NoButton, window());
    m_alert = box;
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName(QStringLiteral("settingsAlert"));
    box->setInformativeText(message);
    // "OK" is not translated.
    box->setEscapeButton(box->addButton(QStringLiteral("OK"), QMessageBox::RejectRole));
    box->open();
}

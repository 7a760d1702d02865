#include "panels/ApplicationPicker.h"

#include "l10n/L.h"
#include "views/FileIcons.h"
#include "views/Symbols.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {
QIcon applicationIcon(const QString &name) {
    if (name.isEmpty())
        return QIcon::fromTheme(QStringLiteral("application-x-executable"));
    if (QFileInfo(name).isAbsolute())
        return FileIcons::isIconFile(name) ? QIcon(name)
                                           : QIcon::fromTheme(QStringLiteral("application-x-executable"));
    return QIcon::fromTheme(name, QIcon::fromTheme(QStringLiteral("application-x-executable")));
}
} // namespace

ApplicationPicker::ApplicationPicker(QList<InstalledApplication> applications, QWidget *parent)
    : QDialog(parent), m_applications(std::move(applications)), m_search(new QLineEdit(this)),
      m_list(new QListWidget(this)) {
    setWindowTitle(L::add());
    resize(380, 460);
    auto *column = new QVBoxLayout(this);
    m_search->setPlaceholderText(L::name());
    m_search->setAccessibleName(L::searchApplications());
    m_search->setClearButtonEnabled(true);
    column->addWidget(m_search);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setIconSize(QSize(24, 24));
    m_list->setUniformItemSizes(true);
    for (const InstalledApplication &app : m_applications) {
        auto *item = new QListWidgetItem(applicationIcon(app.iconName), app.name, m_list);
        item->setToolTip(app.path);
    }
    column->addWidget(m_list);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *add = buttons->addButton(L::add(), QDialogButtonBox::AcceptRole);
    add->setDefault(true);
    buttons->addButton(L::cancel(), QDialogButtonBox::RejectRole);
    // Any desktop entry on disk, for one the menus do not list.
    QPushButton *file = buttons->addButton(QStringLiteral(".desktop…"), QDialogButtonBox::ActionRole);
    file->setIcon(Symbols::icon(QStringLiteral("folder"), palette().color(QPalette::ButtonText)));
    column->addWidget(buttons);

    connect(m_search, &QLineEdit::textChanged, this, &ApplicationPicker::applyFilter);
    connect(m_search, &QLineEdit::returnPressed, this, &ApplicationPicker::acceptSelection);
    connect(m_list, &QListWidget::itemActivated, this, &ApplicationPicker::acceptSelection);
    connect(add, &QPushButton::clicked, this, &ApplicationPicker::acceptSelection);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(file, &QPushButton::clicked, this, &ApplicationPicker::chooseFile);
    applyFilter();
    m_search->setFocus();
}

QList<int> ApplicationPicker::matching(const QList<InstalledApplication> &applications,
                                       const QString &query) {
    const QStringList words = query.simplified().split(u' ', Qt::SkipEmptyParts);
    QList<int> result;
    for (int i = 0; i < applications.size(); ++i) {
        const InstalledApplication &app = applications[i];
        const bool all = std::all_of(words.begin(), words.end(), [&](const QString &word) {
            return app.name.contains(word, Qt::CaseInsensitive) ||
                   app.bundleIdentifier.contains(word, Qt::CaseInsensitive);
        });
        if (all)
            result.append(i);
    }
    return result;
}

void ApplicationPicker::applyFilter() {
    const QList<int> shown = matching(m_applications, m_search->text());
    for (int i = 0; i < m_list->count(); ++i)
        m_list->item(i)->setHidden(!shown.contains(i));
    m_list->clearSelection();
    if (!shown.isEmpty())
        m_list->setCurrentRow(shown.first(), QItemSelectionModel::ClearAndSelect);
}

void ApplicationPicker::acceptSelection() {
    m_chosen.clear();
    for (int i = 0; i < m_list->count(); ++i) {
        if (m_list->item(i)->isSelected() && !m_list->item(i)->isHidden())
            m_chosen.append(m_applications[i].path);
    }
    if (!m_chosen.isEmpty())
        accept();
}

void ApplicationPicker::chooseFile() {
    QFileDialog dialog(this);
    dialog.setLabelText(QFileDialog::Accept, L::add());
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilter(QStringLiteral("*.desktop"));
    const QString applications =
        QStandardPaths::locate(QStandardPaths::ApplicationsLocation, {}, QStandardPaths::LocateDirectory);
    dialog.setDirectory(QFileInfo::exists(QStringLiteral("/usr/share/applications"))
                            ? QStringLiteral("/usr/share/applications")
                            : applications);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_chosen.clear();
    for (const QString &path : dialog.selectedFiles()) {
        if (path.endsWith(QLatin1String(".desktop"), Qt::CaseInsensitive))
            m_chosen.append(path);
    }
    if (!m_chosen.isEmpty())
        accept();
}

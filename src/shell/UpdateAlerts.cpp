#include "shell/UpdateAlerts.h"

#include "l10n/L.h"
#include "platform/Log.h"
#include "shell/SettingsWindow.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>

UpdateAlerts::UpdateAlerts(QObject *parent) : QObject(parent) {}

void UpdateAlerts::setChecker(UpdateChecker *checker) {
    if (m_checker)
        disconnect(m_checker, nullptr, this, nullptr);
    m_checker = checker;
    if (checker)
        connect(checker, &UpdateChecker::finished, this, &UpdateAlerts::show);
}

void UpdateAlerts::show(const UpdateChecker::Result &result, bool userInitiated) {
    using Outcome = UpdateChecker::Outcome;
    const QString version = m_checker ? m_checker->config().version : QString();
    QString title;
    QString message;
    switch (result.outcome) {
    case Outcome::newer:
        title = L::updateAvailable();
        message =
            L::updateAvailableMessage(UpdateChecker::shownFeedText(result.release.displayVersion()), version);
        break;
    case Outcome::upToDate:
        title = L::upToDate();
        message = L::latestVersionMessage(version);
        break;
    case Outcome::failed:
        qCWarning(lcShell).noquote() << QStringLiteral("update check failed: ") + result.reason;
        title = L::updateCheckFailed();
        message = L::updateCheckFailedMessage();
        break;
    case Outcome::cannotCheck:
        title = L::checkForUpdates();
        message = L::updatesNotConfigured();
        break;
    }
    // Checks of their own accord speak only when there is something new.
    if (!userInitiated && result.outcome != Outcome::newer)
        return;
    if (result.outcome == Outcome::newer)
        Q_EMIT offering();
    delete m_alert.data();
    auto *box = new QMessageBox(
        result.outcome == Outcome::failed ? QMessageBox::Warning : QMessageBox::Information, title, title);
    m_alert = box;
    box->setObjectName(QStringLiteral("updateAlert"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setInformativeText(message);
    // Feed texts are the feed's: never markup, never a link.
    box->setTextFormat(Qt::PlainText);
    if (auto *informative = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"))) {
        informative->setTextFormat(Qt::PlainText);
        informative->setOpenExternalLinks(false);
    }
    box->setWindowIcon(OwnWindows::applicationIcon());
    const QUrl page = result.release.page;
    if (result.outcome == Outcome::newer && page.isValid()) {
        QPushButton *download = box->addButton(L::download(), QMessageBox::AcceptRole);
        download->setObjectName(QStringLiteral("download"));
        box->setDefaultButton(download);
        box->setEscapeButton(box->addButton(L::cancel(), QMessageBox::RejectRole));
        connect(download, &QPushButton::clicked, this, [this, page] { Q_EMIT downloadChosen(page); });
    } else {
        box->setEscapeButton(box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
    }
    OwnWindows::bringToFront(box);
}

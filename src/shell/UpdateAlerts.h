#pragma once

#include "shell/UpdateChecker.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QUrl>

// What the user sees of the update checker: an offer of a newer release (unasked too), and for checks
// the user asked for, that Ilvex is up to date, that the check failed or that this build cannot check.
// Feed texts show as plain text, elided.
class UpdateAlerts : public QObject {
    Q_OBJECT

  public:
    explicit UpdateAlerts(QObject *parent = nullptr);

    // The checker whose results show (not owned); null stops showing them.
    void setChecker(UpdateChecker *checker);
    UpdateChecker *checker() const { return m_checker; }
    // The alert of the last check or offer, while it shows.
    QMessageBox *alert() const { return m_alert; }

  Q_SIGNALS:
    // An offer is about to show: nothing of Ilvex's may hide it.
    void offering();
    // The offer's Download button: the release's page.
    void downloadChosen(const QUrl &page);

  private:
    void show(const UpdateChecker::Result &result, bool userInitiated);

    QPointer<UpdateChecker> m_checker;
    QPointer<QMessageBox> m_alert;
};

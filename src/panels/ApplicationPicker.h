#pragma once

#include "platform/Workspace.h"

#include <QDialog>

class QLineEdit;
class QListWidget;

// "App": the installed applications with their icons and localised names, narrowed by typing; Enter or
// Add takes the selected ones (the first match when none is selected), and the file button picks any
// desktop entry from disk instead.
class ApplicationPicker : public QDialog {
    Q_OBJECT

  public:
    ApplicationPicker(QList<InstalledApplication> applications, QWidget *parent = nullptr);

    // The paths chosen, once accepted.
    QStringList chosenPaths() const { return m_chosen; }
    QListWidget *list() const { return m_list; }
    // Indexes of the applications whose name or desktop id holds every word of the query, in order.
    static QList<int> matching(const QList<InstalledApplication> &applications, const QString &query);

  private:
    void applyFilter();
    void acceptSelection();
    void chooseFile();

    QList<InstalledApplication> m_applications;
    QLineEdit *m_search;
    QListWidget *m_list;
    QStringList m_chosen;
};

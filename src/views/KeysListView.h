#pragma once

#include <QList>
#include <QString>
#include <QWidget>

// One row of the launcher's keys: the keys and what they do, in the interface language.
struct KeyRow {
    QString keys;
    QString action;
};

// The keys of the shown ring, in the order the settings window lists them.
QList<KeyRow> launcherKeyRows();

// The rows as a small two-column list (keys in a lighter monospace face), built in the language of the
// moment it is made.
class KeysListView : public QWidget {
  public:
    explicit KeysListView(QWidget *parent = nullptr);
};

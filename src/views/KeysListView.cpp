#include "views/KeysListView.h"

#include "l10n/L.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QKeySequence>
#include <QLabel>

namespace {
QString keyName(const QKeySequence &key) {
    return key.toString(QKeySequence::NativeText);
}
QString either(const QKeySequence &a, const QKeySequence &b) {
    return keyName(a) + QStringLiteral(" / ") + keyName(b);
}
} // namespace

QList<KeyRow> launcherKeyRows() {
    return {
        {QStringLiteral("← → ↑ ↓"), L::keySelect()},
        {either(Qt::Key_Home, Qt::Key_End), L::keyFirstLast()},
        {keyName(Qt::Key_Enter), L::keyOpen()},
        {QStringLiteral("1 … 9"), L::keySlot()},
        {QStringLiteral("A … Z"), L::keyFind()},
        {keyName(Qt::Key_Backspace), L::keyBackspace()},
        {keyName(Qt::Key_Escape), L::keyEscape()},
        {either(QKeySequence(Qt::ControlModifier | Qt::Key_Tab),
                QKeySequence(Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Tab)),
         L::keyLists()},
        {either(Qt::Key_PageDown, Qt::Key_PageUp), L::keyLists()},
        {either(Qt::Key_Tab, QKeySequence(Qt::ShiftModifier | Qt::Key_Tab)), L::keyTab()},
        {either(Qt::Key_Menu, QKeySequence(Qt::ShiftModifier | Qt::Key_F10)), L::keyMenu()},
    };
}

KeysListView::KeysListView(QWidget *parent) : QWidget(parent) {
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(4);
    QFont keysFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QList<KeyRow> rows = launcherKeyRows();
    for (int i = 0; i < rows.size(); ++i) {
        auto *keys = new QLabel(rows[i].keys, this);
        keys->setFont(keysFont);
        keys->setForegroundRole(QPalette::PlaceholderText);
        auto *action = new QLabel(rows[i].action, this);
        action->setWordWrap(true);
        grid->addWidget(keys, i, 0, Qt::AlignLeft | Qt::AlignTop);
        grid->addWidget(action, i, 1);
    }
    grid->setColumnStretch(1, 1);
}

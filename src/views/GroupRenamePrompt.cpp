#include "views/GroupRenamePrompt.h"

#include "l10n/L.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

GroupRenamePrompt::GroupRenamePrompt(const QString &name, std::function<void(const QString &)> onRename,
                                     ViewHost *host, QWidget *parent)
    : QDialog(parent), m_field(new QLineEdit(name, this)), m_guard(host) {
    setWindowTitle(L::renameGroup());
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(L::renameGroup(), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);
    m_field->setPlaceholderText(L::name());
    m_field->setMinimumWidth(240);
    layout->addWidget(m_field);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(L::cancel(), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(this, &QDialog::accepted, this, [this, onRename = std::move(onRename)] {
        if (onRename)
            onRename(m_field->text());
    });
}

GroupRenamePrompt *GroupRenamePrompt::open(const QString &name, std::function<void(const QString &)> onRename,
                                           ViewHost *host, QWidget *parent) {
    auto *prompt = new GroupRenamePrompt(name, std::move(onRename), host, parent);
    prompt->setAttribute(Qt::WA_DeleteOnClose);
    prompt->QDialog::open();
    prompt->m_field->selectAll();
    prompt->m_field->setFocus();
    return prompt;
}

void GroupRenamePrompt::showEvent(QShowEvent *event) {
    m_guard.setActive(true);
    QDialog::showEvent(event);
}

void GroupRenamePrompt::hideEvent(QHideEvent *event) {
    m_guard.setActive(false);
    QDialog::hideEvent(event);
}

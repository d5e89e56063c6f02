// The dialogs' button row.
#include "dialog_buttons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnwick {

QPushButton* AddOkCancelRow(QDialog& dialog, QVBoxLayout& layout) {
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout.addStretch();
    layout.addLayout(buttons);
    return ok;
}

} // namespace tarnwick

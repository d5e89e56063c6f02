// The dialogs' button box.
#include "support/dialog_buttons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnwick {

QPushButton* AddOkCancelButtons(QDialog& dialog, QVBoxLayout& layout) {
    // Buttons of our own in the box's roles, not its standard buttons: those ask the icon
    // theme for "dialog-ok" and "dialog-cancel" as the windows are built at start-up, which
    // without a theme cache is a thousand failed file probes each.
    auto* box = new QDialogButtonBox(&dialog);
    auto* ok = new QPushButton(QStringLiteral("OK"), box);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    box->addButton(ok, QDialogButtonBox::AcceptRole);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), box);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    box->addButton(cancel, QDialogButtonBox::RejectRole);
    QObject::connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout.addStretch();
    layout.addWidget(box);
    return ok;
}

} // namespace tarnwick

// The dialogs' button box.
#include "dialog_buttons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnwick {

QPushButton* AddOkCancelButtons(QDialog& dialog, QVBoxLayout& layout) {
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QPushButton* ok = box->button(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setText(QStringLiteral("OK"));
    ok->setDefault(true);
    QPushButton* cancel = box->button(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    cancel->setText(QStringLiteral("Cancel"));
    QObject::connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout.addStretch();
    layout.addWidget(box);
    return ok;
}

} // namespace tarnwick

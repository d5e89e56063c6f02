// The preset list window's layout and lines.
#include "preset_list_form.h"

#include <QListWidget>
#include <QVBoxLayout>

namespace tarnwick {

TPresetListForm::TPresetListForm(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("PresetListForm"));
    setWindowTitle(QStringLiteral("Preset List"));
    setFixedSize(186, 696);

    m_listBox = new QListWidget(this);
    m_listBox->setObjectName(QStringLiteral("ListBox1"));
    m_listBox->setAccessibleName(QStringLiteral("Presets"));
    QFont font = m_listBox->font();
    font.setPointSize(10);
    m_listBox->setFont(font);
    QPalette palette = m_listBox->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    m_listBox->setPalette(palette);
    m_listBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_listBox);
}

QString TPresetListForm::lineText(PresetIndex index, const PresetRecord& record) {
    const std::string name = PresetName(record);
    return QStringLiteral("%1.  %2")
        .arg(index.oneBased(), 2, 10, QLatin1Char('0'))
        .arg(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
}

void TPresetListForm::UpdatePresetsList(const PresetBank& bank) {
    m_listBox->clear();
    for (int i = 0; i < kPresetCount; ++i) {
        const auto index = PresetIndex::fromZeroBase(i);
        m_listBox->addItem(lineText(index, bank[index]));
    }
}

} // namespace tarnwick

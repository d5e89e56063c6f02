// The sound picker.
#include "sounds/choose_sound_form.h"

#include "instruments/sound_names.h"

#include "support/dialog_buttons.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

namespace tarnwick {

namespace {
constexpr int kIndexRole = Qt::UserRole + 1; // the sound's place in its name set
}

TChooseSoundForm::TChooseSoundForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ChooseSoundForm"));
    resize(460, 520);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("edSoundSearch"));
    m_search->setAccessibleName(QStringLiteral("Sound search"));
    m_search->setPlaceholderText(QStringLiteral("Name, or a part of it"));
    m_search->setClearButtonEnabled(true);
    m_search->installEventFilter(this); // Down moves into the list, Enter chooses

    m_model = new QStandardItemModel(0, 3, this);
    m_model->setHorizontalHeaderLabels(
        {QStringLiteral("Bank"), QStringLiteral("Number"), QStringLiteral("Name")});
    m_filter = new QSortFilterProxyModel(this);
    m_filter->setSourceModel(m_model);
    m_filter->setFilterKeyColumn(2);
    m_filter->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_list = new QTreeView(this);
    m_list->setObjectName(QStringLiteral("lstSounds"));
    m_list->setAccessibleName(QStringLiteral("Sounds"));
    m_list->setModel(m_filter);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->header()->setStretchLastSection(true);
    m_list->setColumnWidth(0, 170);
    m_list->setColumnWidth(1, 70);
    m_list->installEventFilter(this);
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_filter->setFilterFixedString(text);
        if (!m_list->currentIndex().isValid() && m_filter->rowCount() > 0) {
            m_list->setCurrentIndex(m_filter->index(0, 0));
        }
    });
    connect(m_list, &QTreeView::doubleClicked, this, [this] { choose(); });
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (m_playOnSelect->isChecked() && m_play && current()) {
            m_play(*current());
        }
    });

    m_playOnSelect = new QCheckBox(QStringLiteral("Play on select"), this);
    m_playOnSelect->setObjectName(QStringLiteral("chkSoundPlayOnSelect"));
    m_playOnSelect->setAccessibleName(QStringLiteral("Play on select"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_search);
    layout->addWidget(m_list);
    layout->addWidget(m_playOnSelect);
    QPushButton* ok = AddOkCancelButtons(*this, *layout);
    connect(ok, &QPushButton::clicked, this, [this] { choose(); });
}

void TChooseSoundForm::setSounds(int channel, const NameSet& set) {
    setWindowTitle(QStringLiteral("Choose Sound for Channel %1").arg(channel));
    m_set = &set;
    m_chosen.reset();
    m_search->clear();
    m_model->removeRows(0, m_model->rowCount());
    m_model->setRowCount(int(set.sounds.size()));
    for (std::size_t i = 0; i < set.sounds.size(); ++i) {
        const Sound& sound = set.sounds[i];
        auto* bank = new QStandardItem(QString::fromStdString(sound.bank));
        bank->setToolTip(
            QStringLiteral("MSB/LSB/program %1").arg(QString::fromStdString(SoundValues(sound))));
        bank->setData(int(i), kIndexRole);
        m_model->setItem(int(i), 0, bank);
        m_model->setItem(int(i), 1, new QStandardItem(QString::fromStdString(sound.number)));
        m_model->setItem(int(i), 2, new QStandardItem(QString::fromStdString(sound.name)));
    }
    if (m_filter->rowCount() > 0) {
        m_list->setCurrentIndex(m_filter->index(0, 0));
    }
    m_search->setFocus();
}

int TChooseSoundForm::shownCount() const {
    return m_filter->rowCount();
}

const Sound* TChooseSoundForm::current() const {
    const QModelIndex index = m_list->currentIndex();
    if (!m_set || !index.isValid()) {
        return nullptr;
    }
    const int i = m_filter->index(index.row(), 0).data(kIndexRole).toInt();
    return &m_set->sounds.at(std::size_t(i));
}

void TChooseSoundForm::choose() {
    if (const Sound* sound = current()) {
        m_chosen = *sound;
        accept();
    }
}

bool TChooseSoundForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            choose();
            return true;
        }
        if (watched == m_search && (key == Qt::Key_Down || key == Qt::Key_Up)) {
            m_list->setFocus();
            QCoreApplication::sendEvent(m_list, event);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tarnwick

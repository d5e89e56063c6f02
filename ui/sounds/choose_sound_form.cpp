// The sound picker.
#include "sounds/choose_sound_form.h"

#include "instruments/sound_names.h"

#include "support/dialog_buttons.h"
#include "support/flag_guard.h"

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
constexpr int kNameColumn = 3;
} // namespace

TChooseSoundForm::TChooseSoundForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ChooseSoundForm"));
    resize(460, 520);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("edSoundSearch"));
    m_search->setAccessibleName(QStringLiteral("Sound search"));
    m_search->setPlaceholderText(QStringLiteral("Name, or a part of it"));
    m_search->setClearButtonEnabled(true);
    m_search->installEventFilter(this); // Down moves into the list, Enter chooses

    m_model = new QStandardItemModel(0, 4, this);
    m_model->setHorizontalHeaderLabels({QStringLiteral("Bank"), QStringLiteral("MSB/LSB/Pgm"),
                                        QStringLiteral("Number"), QStringLiteral("Name")});
    m_filter = new QSortFilterProxyModel(this);
    m_filter->setSourceModel(m_model);
    m_filter->setFilterKeyColumn(kNameColumn);
    m_filter->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_list = new QTreeView(this);
    m_list->setObjectName(QStringLiteral("lstSounds"));
    m_list->setAccessibleName(QStringLiteral("Sounds"));
    m_list->setModel(m_filter);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->header()->setStretchLastSection(true);
    m_list->setColumnWidth(0, 150);
    m_list->setColumnWidth(1, 90);
    m_list->setColumnWidth(2, 60);
    m_list->installEventFilter(this);
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_filter->setFilterFixedString(text);
        if (!m_list->currentIndex().isValid() && m_filter->rowCount() > 0) {
            m_list->setCurrentIndex(m_filter->index(0, 0));
        }
    });
    connect(m_list, &QTreeView::doubleClicked, this, [this] { choose(); });
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (!m_filling && m_playOnSelect->isChecked() && m_play && current()) {
            m_play(*current());
        }
    });

    m_playOnSelect = new QCheckBox(QStringLiteral("Play on select"), this);
    m_playOnSelect->setObjectName(QStringLiteral("chkSoundPlayOnSelect"));
    m_playOnSelect->setAccessibleName(QStringLiteral("Play on select"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_search);
    layout->addWidget(m_list, 1); // the list takes what the window gains
    layout->addWidget(m_playOnSelect);
    QPushButton* ok = AddOkCancelButtons(*this, *layout);
    connect(ok, &QPushButton::clicked, this, [this] { choose(); });
}

void TChooseSoundForm::setSounds(int channel, const NameSet& set, const QString& instrument,
                                 const ChannelSlot& now) {
    setWindowTitle(
        QStringLiteral("Choose Sound for Channel %1 \u2014 %2").arg(channel).arg(instrument));
    const FlagGuard filling(m_filling);
    m_set = &set;
    m_chosen.reset();
    m_search->clear();
    m_search->setEnabled(true);
    m_model->removeRows(0, m_model->rowCount());
    m_model->setRowCount(int(set.sounds.size()));
    for (std::size_t i = 0; i < set.sounds.size(); ++i) {
        const Sound& sound = set.sounds[i];
        auto* bank = new QStandardItem(QString::fromStdString(sound.bank));
        bank->setData(int(i), kIndexRole);
        m_model->setItem(int(i), 0, bank);
        m_model->setItem(int(i), 1, new QStandardItem(QString::fromStdString(SoundValues(sound))));
        m_model->setItem(int(i), 2, new QStandardItem(QString::fromStdString(sound.number)));
        m_model->setItem(int(i), kNameColumn,
                         new QStandardItem(QString::fromStdString(sound.name)));
    }
    // The sound the channel selects now, else the first.
    int at = 0;
    const std::string name = NameSound(set, now).candidates.empty()
                                 ? std::string()
                                 : NameSound(set, now).candidates.front();
    for (std::size_t i = 0; i < set.sounds.size() && !name.empty(); ++i) {
        const Sound& sound = set.sounds[i];
        if (sound.name == name && sound.program == (now[SlotKind::Program] & kSlotValueMask)) {
            at = int(i);
            break;
        }
    }
    if (m_filter->rowCount() > 0) {
        m_list->setCurrentIndex(m_filter->index(at, 0));
        m_list->scrollTo(m_list->currentIndex(), QAbstractItemView::PositionAtCenter);
    }
    m_search->setFocus();
}

void TChooseSoundForm::showText(int channel, const QString& text) {
    setWindowTitle(QStringLiteral("Choose Sound for Channel %1").arg(channel));
    const FlagGuard filling(m_filling);
    m_set = nullptr;
    m_chosen.reset();
    m_search->clear();
    m_search->setEnabled(false);
    m_model->removeRows(0, m_model->rowCount());
    m_model->setRowCount(1);
    auto* line = new QStandardItem(text);
    line->setFlags(Qt::ItemIsEnabled);
    m_model->setItem(0, kNameColumn, line);
}

int TChooseSoundForm::shownCount() const {
    return m_set ? m_filter->rowCount() : 0;
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

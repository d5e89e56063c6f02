// The rig window.
#include "sounds/rig_form.h"

#include "platform/ascii_case.h"

#include "platform/utf8_path.h"
#include "sounds/rig_service.h"
#include "support/flag_guard.h"
#include "support/key_action.h"
#include "support/local_path.h"
#include "support/user_interaction.h"
#include "support/window_place.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QTimer>

#include <filesystem>

namespace tarnwick {

namespace {
const QString kNone = QStringLiteral("(none)");
const QString kOwn = QStringLiteral("(its own for the channel)");

// The names of a list that answer to what is typed, in any spelling: "jv1080" lists
// "Roland JV-1080". Nothing typed lists them all.
class SpellingFilter final : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setSpelling(const QString& spelling) {
        m_spelling = spelling.trimmed().toStdString();
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        const std::string name =
            sourceModel()->index(row, 0, parent).data().toString().toStdString();
        return m_spelling.empty() || AnswersTo(name, m_spelling);
    }

private:
    std::string m_spelling;
};
} // namespace

TRigForm::TRigForm(RigService& rig, UserInteraction& interaction, QWidget* parent)
    : QWidget(parent, Qt::Window), m_rig(rig), m_interaction(interaction) {
    setObjectName(QStringLiteral("RigForm"));
    setWindowTitle(QStringLiteral("Rig"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Channel"), this), 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Instrument"), this), 0, 1);
    layout->addWidget(new QLabel(QStringLiteral("Name set"), this), 0, 2);
    for (int channel = 1; channel <= 16; ++channel) {
        auto* label = new QLabel(QString::number(channel), this);
        auto* instrument = new QComboBox(this);
        instrument->setObjectName(QStringLiteral("cboxRigInstrument%1").arg(channel));
        instrument->setAccessibleName(QStringLiteral("Instrument on channel %1").arg(channel));
        // The field narrows the list to the names that answer to what is typed.
        instrument->setEditable(true);
        instrument->setInsertPolicy(QComboBox::NoInsert);
        auto* filter = new SpellingFilter(instrument);
        filter->setSourceModel(instrument->model());
        auto* completer = new QCompleter(filter, instrument);
        completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
        instrument->setCompleter(completer);
        connect(instrument->lineEdit(), &QLineEdit::textEdited, completer,
                [filter, completer](const QString& text) {
                    filter->setSpelling(text);
                    if (!text.trimmed().isEmpty() && filter->rowCount() > 0) {
                        completer->complete();
                    } else if (completer->popup()) {
                        completer->popup()->hide();
                    }
                });
        instrument->setMinimumWidth(260);
        // An editable list is read by its text; its field carries the name.
        instrument->lineEdit()->setAccessibleName(instrument->accessibleName());
        label->setBuddy(instrument);
        auto* nameSet = new QComboBox(this);
        nameSet->setObjectName(QStringLiteral("cboxRigNameSet%1").arg(channel));
        nameSet->setAccessibleName(QStringLiteral("Name set on channel %1").arg(channel));
        nameSet->setMinimumWidth(180);
        layout->addWidget(label, channel, 0);
        layout->addWidget(instrument, channel, 1);
        layout->addWidget(nameSet, channel, 2);
        auto* note = new QLabel(this);
        note->setObjectName(QStringLiteral("lblRigNote%1").arg(channel));
        note->setAccessibleName(QStringLiteral("Channel %1 note").arg(channel));
        layout->addWidget(note, channel, 3);
        m_instruments[std::size_t(channel - 1)] = instrument;
        m_nameSets[std::size_t(channel - 1)] = nameSet;
        m_notes[std::size_t(channel - 1)] = note;
        instrument->installEventFilter(this);
        instrument->lineEdit()->installEventFilter(this);
        connect(instrument->lineEdit(), &QLineEdit::editingFinished, this,
                [this, channel] { checkTyped(channel); });
        connect(instrument, &QComboBox::currentIndexChanged, this, [this, channel] {
            if (!m_filling) {
                fillNameSets(channel);
                keep();
            }
        });
        connect(nameSet, &QComboBox::currentIndexChanged, this, [this] {
            if (!m_filling) {
                keep();
            }
        });
    }
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblRigStatus"));
    m_status->setAccessibleName(QStringLiteral("Rig status"));
    m_status->setWordWrap(true);
    layout->addWidget(m_status, 17, 0, 1, 4);
    auto* add = new QPushButton(QStringLiteral("Add Instrument File..."), this);
    add->setObjectName(QStringLiteral("btnAddInstrumentFile"));
    add->setToolTip(QStringLiteral("Copy a .midnam or .ins file into your own instruments folder"));
    connect(add, &QPushButton::clicked, this, [this] { addInstrumentFile(); });
    layout->addWidget(add, 18, 0, 1, 2, Qt::AlignLeft);
    // Escape closes an open list of suggestions only; else the window.
    AddKeyAction(*this, QKeySequence(Qt::Key_Escape), [this] {
        for (QComboBox* box : m_instruments) {
            if (box->completer()->popup()->isVisible()) {
                box->completer()->popup()->hide();
                return;
            }
        }
        hide();
    });
    AddKeyAction(*this, QKeySequence(Qt::CTRL | Qt::Key_R), [this] { hide(); });
    connect(&m_rig, &RigService::changed, this, [this] {
        if (isVisible() && !m_filling) {
            fill();
        }
    });
    m_place = std::make_unique<WindowPlace>(*this, QStringLiteral("Rig/geometry"));
}

TRigForm::~TRigForm() {
    // A field losing the focus as the window goes (editingFinished) must not reach a window
    // half destroyed, nor write the rig from it.
    for (QObject* control : findChildren<QObject*>()) {
        QObject::disconnect(control, nullptr, this, nullptr);
        control->removeEventFilter(this);
    }
}

void TRigForm::showEvent(QShowEvent* event) {
    m_place->showing();
    QWidget::showEvent(event);
    m_rig.load();
    fill();
}

void TRigForm::hideEvent(QHideEvent* event) {
    m_place->hidden();
    QWidget::hideEvent(event);
}

void TRigForm::fill() {
    FlagGuard filling(m_filling);
    const InstrumentLibrary* library = m_rig.library();
    QStringList names{kNone};
    if (library) {
        for (const Instrument& instrument : library->instruments()) {
            names << QString::fromStdString(instrument.name);
        }
    }
    for (int channel = 1; channel <= 16; ++channel) {
        QComboBox* box = instrumentBox(channel);
        box->clear();
        box->addItems(names);
        const QString chosen =
            QString::fromStdString(m_rig.rig().channels[std::size_t(channel - 1)].instrument);
        const int at = chosen.isEmpty() ? 0 : box->findText(chosen, Qt::MatchFixedString);
        if (at < 0) { // kept as the file says, though not found
            box->addItem(chosen);
        }
        box->setCurrentIndex(at < 0 ? box->count() - 1 : at);
        box->setEnabled(library != nullptr);
        fillNameSets(channel);
    }
    QStringList said;
    if (!library) {
        said << QStringLiteral("Reading the instrument files...");
    }
    if (!m_rig.rigProblem().empty()) {
        said << QString::fromStdString(m_rig.rigProblem());
    }
    for (const std::string& problem : m_rig.names().problems()) {
        said << QString::fromStdString(problem);
    }
    m_status->setText(said.join(u'\n'));
}

void TRigForm::fillNameSets(int channel) {
    QComboBox* box = nameSetBox(channel);
    const QSignalBlocker quiet(box);
    box->clear();
    box->addItem(kOwn);
    const InstrumentLibrary* library = m_rig.library();
    const Instrument* instrument =
        library ? library->find(instrumentBox(channel)->currentText().toStdString()) : nullptr;
    if (instrument) {
        for (const NameSet& set : instrument->nameSets) {
            box->addItem(QString::fromStdString(set.name));
        }
    }
    const std::string& chosen = m_rig.rig().channels[std::size_t(channel - 1)].nameSet;
    const int at = box->findText(QString::fromStdString(chosen));
    box->setCurrentIndex(chosen.empty() || at < 0 ? 0 : at);
    box->setEnabled(instrument != nullptr);
}

bool TRigForm::eventFilter(QObject* watched, QEvent* event) {
    // A click into an instrument's field selects its text, so that typing replaces it; the
    // press that follows the focus would otherwise only place the cursor.
    if (event->type() == QEvent::FocusIn &&
        static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason) {
        QLineEdit* field = qobject_cast<QLineEdit*>(watched);
        if (auto* box = qobject_cast<QComboBox*>(watched)) {
            field = box->lineEdit();
        }
        if (field) {
            QTimer::singleShot(0, field, &QLineEdit::selectAll);
        }
    }
    return QWidget::eventFilter(watched, event);
}

std::vector<const Instrument*> TRigForm::typedInstruments(int channel) const {
    const InstrumentLibrary* library = m_rig.library();
    return library ? library->named(instrumentBox(channel)->currentText().trimmed().toStdString())
                   : std::vector<const Instrument*>();
}

const Instrument* TRigForm::typedInstrument(int channel) const {
    const auto named = typedInstruments(channel);
    return named.size() == 1 ? named.front() : nullptr;
}

void TRigForm::checkTyped(int channel) {
    if (m_filling) {
        return;
    }
    QComboBox* box = instrumentBox(channel);
    if (const Instrument* instrument = typedInstrument(channel)) {
        const int at =
            box->findText(QString::fromStdString(instrument->name), Qt::MatchFixedString);
        if (at >= 0 && at != box->currentIndex()) {
            box->setCurrentIndex(at); // kept through the change of choice
            return;
        }
    }
    keep();
}

void TRigForm::keep() {
    Rig rig = m_rig.rig(); // a row whose text names nothing keeps what it had
    for (int channel = 1; channel <= 16; ++channel) {
        const QString text = instrumentBox(channel)->currentText().trimmed();
        RigChannel& slot = rig.channels[std::size_t(channel - 1)];
        QLabel* note = rowNote(channel);
        note->clear();
        if (text.isEmpty() || text == kNone) {
            slot = {};
            continue;
        }
        const Instrument* instrument = typedInstrument(channel);
        if (!instrument) {
            const auto named = typedInstruments(channel);
            if (named.size() > 1) {
                QStringList names;
                for (const Instrument* each : named) {
                    names << '"' + QString::fromStdString(each->name) + '"';
                }
                note->setText(QStringLiteral("\"%1\" names %2 instruments: %3; type more of one")
                                  .arg(text)
                                  .arg(named.size())
                                  .arg(names.join(QStringLiteral(", "))));
            } else if (text.toStdString() != slot.instrument && m_rig.library()) {
                QStringList nearest;
                for (const std::string& name : m_rig.library()->closest(text.toStdString(), 3)) {
                    nearest << '"' + QString::fromStdString(name) + '"';
                }
                note->setText(QStringLiteral("No instrument \"%1\"; the nearest: %2")
                                  .arg(text, nearest.join(QStringLiteral(", "))));
            }
            continue;
        }
        slot.instrument = instrument->name;
        slot.nameSet = nameSetBox(channel)->currentIndex() > 0
                           ? nameSetBox(channel)->currentText().toStdString()
                           : std::string();
    }
    std::string error;
    const FlagGuard filling(m_filling);
    if (!m_rig.setRig(rig, error)) {
        m_status->setText(
            QStringLiteral("The rig was not kept: %1.").arg(QString::fromStdString(error)));
    } else {
        m_status->clear();
    }
}

void TRigForm::addInstrumentFile() {
    const auto chosen = m_interaction.openFileName(
        {QStringLiteral("Add Instrument File"),
         QStringLiteral("Instrument Files (*.midnam *.ins);;All Files (*)"), QString(), QString(),
         QString()});
    if (!chosen) {
        return;
    }
    const std::filesystem::path source = LocalPath(*chosen);
    const QString title = QStringLiteral("Add Instrument File");
    // Read as the editor will read it, so a file that cannot be used is said now.
    const InstrumentFile read = InstrumentLibrary::ReadFile(source);
    const std::string& reason = read.error;
    if (!reason.empty()) {
        m_interaction.message(
            title,
            QStringLiteral("%1 cannot be used: %2.")
                .arg(QFileInfo(*chosen).fileName(), QString::fromStdString(reason)),
            QMessageBox::Warning, QMessageBox::Ok);
        return;
    }
    const std::filesystem::path folder = InstrumentLibrary::UserFolder();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::filesystem::path target = folder / source.filename();
    const QString name = QFileInfo(*chosen).fileName();
    if (std::filesystem::equivalent(source, target, error)) {
        m_status->setText(QStringLiteral("%1 already is in your instruments folder.").arg(name));
        m_rig.reload();
        return;
    }
    if (std::filesystem::exists(target, error) &&
        m_interaction.message(
            title,
            QStringLiteral("Your instruments folder already has a file named %1. Replace it?")
                .arg(name),
            QMessageBox::Question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    error.clear();
    std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing,
                               error);
    if (error) {
        m_interaction.message(title,
                              QStringLiteral("%1 was not copied into %2: %3.")
                                  .arg(QFileInfo(*chosen).fileName(),
                                       QString::fromStdString(Utf8Text(folder)),
                                       QString::fromStdString(error.message())),
                              QMessageBox::Warning, QMessageBox::Ok);
        return;
    }
    QStringList names;
    for (const Instrument& instrument : read.instruments) {
        names << QString::fromStdString(instrument.name);
    }
    m_status->setText(QStringLiteral("Added %1.")
                          .arg(names.isEmpty() ? QStringLiteral("an expansion's lists")
                                               : names.join(QStringLiteral(", "))));
    m_rig.reload();
}

} // namespace tarnwick

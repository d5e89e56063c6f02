// The Library window.
#include "library/library_form.h"

#include "instruments/instrument_library.h"
#include "support/key_action.h"

#include "library/library_recorder.h"
#include "main_window/preset_view.h"
#include "organizer/presets_mime.h"
#include "support/user_interaction.h"
#include "support/window_place.h"

#include <QAction>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <utility>

namespace tarnwick {

namespace {

// The results list: a drag carries the chosen presets as the clipboard does.
class ResultList final : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;
    std::function<std::vector<PresetRecord>()> dragged;

protected:
    QStringList mimeTypes() const override { return {kPresetsMimeType}; }
    QMimeData* mimeData(const QList<QTreeWidgetItem*>&) const override {
        return PresetsMimeData(dragged(), 1);
    }
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }
};

QTreeWidget* list(QTreeWidget* tree, const char* name, const QString& accessible,
                  const QStringList& columns) {
    tree->setObjectName(QString::fromLatin1(name));
    tree->setAccessibleName(accessible);
    tree->setHeaderLabels(columns);
    tree->setRootIsDecorated(false);
    tree->setUniformRowHeights(true);
    tree->setAllColumnsShowFocus(true);
    tree->setContextMenuPolicy(Qt::CustomContextMenu);
    return tree;
}

QSpinBox* filter(QWidget* parent, const char* name, const QString& accessible, int maximum,
                 const QString& any) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(accessible);
    box->setRange(0, maximum);
    box->setSpecialValueText(any); // 0: no filter
    return box;
}

// A line that ends with where and when: a file by its name (the whole path in its tip),
// the time in the user's own time zone.
QTreeWidgetItem* sourceItem(QStringList texts, const std::string& source, const std::string& when) {
    const QString from = QString::fromStdString(source);
    const QFileInfo file(from);
    texts << (file.isAbsolute() ? file.fileName() : from)
          << QDateTime::fromString(QString::fromStdString(when), Qt::ISODate)
                 .toLocalTime()
                 .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    auto* item = new QTreeWidgetItem(texts);
    item->setToolTip(int(texts.size()) - 2, from);
    return item;
}

} // namespace

TLibraryForm::TLibraryForm(PresetView& view, LibraryRecorder& recorder,
                           UserInteraction& interaction, QWidget* parent)
    : QWidget(parent, Qt::Window), m_view(view), m_recorder(recorder), m_interaction(interaction),
      m_reader(recorder.path()) {
    m_reader.found = [this](std::vector<LibraryPreset> presets) {
        showFound(std::move(presets));
    };
    m_reader.banksListed = [this](std::vector<LibraryBank> banks) {
        showBanks(std::move(banks));
    };
    // Twice a second while shown: what another program recorded appears within a second,
    // the chosen rows kept.
    m_watch = new QTimer(this);
    m_watch->setInterval(500);
    connect(m_watch, &QTimer::timeout, this, [this] { m_reader.watch(); });
    m_reader.changed = [this] {
        search();
        listBanks();
    };
    m_reader.failed = [this](const QString& reason) {
        m_status->setText(reason);
    };
    setObjectName(QStringLiteral("LibraryForm"));
    setWindowTitle(QStringLiteral("Library"));
    resize(640, 420);

    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("edLibrarySearch"));
    m_text->setAccessibleName(QStringLiteral("Library search"));
    m_text->setPlaceholderText(QStringLiteral("Name, or a part of it"));
    m_text->setClearButtonEnabled(true);
    m_sound = new QLineEdit(this);
    m_sound->setObjectName(QStringLiteral("edLibrarySound"));
    m_sound->setAccessibleName(QStringLiteral("Sound filter"));
    m_sound->setPlaceholderText(QStringLiteral("Sound"));
    m_sound->setToolTip(QStringLiteral("Presets that select a sound whose name holds this"));
    m_sound->setClearButtonEnabled(true);
    m_sound->hide();
    m_channel = filter(this, "spinLibraryChannel", QStringLiteral("Channel filter"), 16,
                       QStringLiteral("any channel"));
    m_program = filter(this, "spinLibraryProgram", QStringLiteral("Program filter"), 128,
                       QStringLiteral("any program"));
    m_showDefaults = new QCheckBox(QStringLiteral("Show unused slots"), this);
    m_showDefaults->setObjectName(QStringLiteral("chkLibraryDefaults"));
    m_showDefaults->setToolTip(
        QStringLiteral("Also list the slots' untouched defaults (\"New Name 5\", nothing on)"));
    m_channel->setPrefix(QStringLiteral("channel "));
    m_program->setPrefix(QStringLiteral("program "));

    auto* results = new ResultList(this);
    results->dragged = [this] {
        std::vector<PresetRecord> presets;
        for (QTreeWidgetItem* item : m_results->selectedItems()) {
            presets.push_back(m_found[std::size_t(m_results->indexOfTopLevelItem(item))].record);
        }
        return presets;
    };
    m_results = list(results, "lstLibraryResults", QStringLiteral("Library results"),
                     {QStringLiteral("Name"), QStringLiteral("Channels"), QStringLiteral("From"),
                      QStringLiteral("When")});
    m_results->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_results->setDragEnabled(true);
    m_results->setDragDropMode(QAbstractItemView::DragOnly);
    m_results->setColumnWidth(0, 120);
    m_results->setColumnWidth(1, 180);
    m_results->setColumnWidth(2, 190);
    m_banks = list(new QTreeWidget(this), "lstLibraryBanks", QStringLiteral("Library banks"),
                   {QStringLiteral("From"), QStringLiteral("When"), QStringLiteral("What"),
                    QStringLiteral("Presets 1 to 3")});
    m_banks->setColumnWidth(0, 220);
    // A date and time in full, and the longest of the words for what was done.
    m_banks->setColumnWidth(1, fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00 00:00")) +
                                   fontMetrics().height() * 2);
    m_banks->setColumnWidth(2, fontMetrics().horizontalAdvance(QStringLiteral("Downloaded")) +
                                   fontMetrics().height() * 2);
    m_pages = new QTabWidget(this);
    m_pages->addTab(m_results, QStringLiteral("Presets"));
    m_pages->addTab(m_banks, QStringLiteral("Banks"));
    m_pages->tabBar()->setAccessibleName(QStringLiteral("Library pages"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblLibraryStatus"));
    m_status->setAccessibleName(QStringLiteral("Library status"));
    m_status->setWordWrap(true);
    // Ctrl+Shift+L hides the window from here too, as it shows it from the main window.
    AddKeyAction(*this, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L), [this] { hide(); });
    AddKeyAction(*this, QKeySequence(Qt::Key_Escape), [this] { hide(); });
    m_place = std::make_unique<WindowPlace>(*this, QStringLiteral("Library/geometry"));
    AddKeyAction(*this, QKeySequence::Delete, [this] {
        forgetChosen();
    })->setObjectName(QStringLiteral("actLibraryForget"));

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_text, 0, 0);
    layout->addWidget(m_channel, 0, 1);
    layout->addWidget(m_program, 0, 2);
    layout->addWidget(m_showDefaults, 0, 3);
    layout->addWidget(m_sound, 0, 4);
    layout->addWidget(m_pages, 1, 0, 1, 5);
    layout->addWidget(m_status, 2, 0, 1, 5);
    layout->setColumnStretch(0, 1);

    connect(m_text, &QLineEdit::textChanged, this, &TLibraryForm::search);
    m_text->installEventFilter(this); // Down moves into the results
    connect(m_channel, &QSpinBox::valueChanged, this, &TLibraryForm::search);
    connect(m_program, &QSpinBox::valueChanged, this, &TLibraryForm::search);
    connect(m_showDefaults, &QCheckBox::toggled, this, &TLibraryForm::search);
    connect(m_sound, &QLineEdit::textChanged, this, &TLibraryForm::search);
    connect(&m_recorder, &LibraryRecorder::recorded, this, [this] {
        if (isVisible()) {
            search();
            listBanks();
        }
    });
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int page) {
        if (m_pages->widget(page) == m_banks) {
            listBanks();
        }
    });
    // A recording that failed, before this window was first shown or while it is.
    m_recordingFailure = m_recorder.failure();
    connect(&m_recorder, &LibraryRecorder::failed, this, [this](const QString& text) {
        m_recordingFailure = text;
        m_status->setText(m_recordingFailure);
    });
    // Enter or a double-click plays a preset, and opens a bank.
    connect(m_results, &QTreeWidget::itemActivated, this, [this] { playResult(); });
    connect(m_banks, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        const LibraryBank& bank = m_bankList[std::size_t(m_banks->indexOfTopLevelItem(item))];
        openBank(bank.id, QString::fromStdString(bank.source));
    });
    connect(m_results, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        QTreeWidgetItem* item = m_results->itemAt(at);
        if (!item) {
            return;
        }
        const LibraryPreset& preset = m_found[std::size_t(m_results->indexOfTopLevelItem(item))];
        QMenu menu(this);
        QAction* open = menu.addAction(QStringLiteral("Open Its Bank"));
        open->setEnabled(preset.bankId != 0); // seen alone, in a one-preset file
        if (menu.exec(m_results->viewport()->mapToGlobal(at)) == open) {
            openBank(preset.bankId, QString::fromStdString(preset.source));
        }
    });
}

TLibraryForm::~TLibraryForm() = default;

void TLibraryForm::showEvent(QShowEvent* event) {
    m_place->showing();
    QWidget::showEvent(event);
    search();
    listBanks();
    m_text->setFocus();
    m_watch->start();
}

bool TLibraryForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_text && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down &&
        m_results->topLevelItemCount() > 0) {
        m_pages->setCurrentWidget(m_results);
        if (!m_results->currentItem()) {
            m_results->setCurrentItem(m_results->topLevelItem(0));
        }
        m_results->setFocus(Qt::TabFocusReason);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TLibraryForm::hideEvent(QHideEvent* event) {
    m_watch->stop();
    m_place->hidden();
    QWidget::hideEvent(event);
}

void TLibraryForm::search() {
    // A sound is looked for among every match; the list then keeps its usual length.
    const bool bySound = m_names && !m_sound->text().isEmpty();
    LibraryQuery query{m_text->text().toStdString(), {}, {},
                       bySound ? 0 : kShownResults,  {}, m_showDefaults->isChecked()};
    if (m_channel->value() > 0) {
        query.channel = m_channel->value();
    }
    if (m_program->value() > 0) {
        query.program = m_program->value();
    }
    m_reader.search(query, m_names, bySound ? m_sound->text().toStdString() : std::string(),
                    kShownResults);
}

void TLibraryForm::setNamer(SoundNamer names) {
    m_names = std::move(names);
    m_sound->setVisible(bool(m_names));
    if (isVisible()) {
        search();
    }
}

void TLibraryForm::listBanks() {
    m_reader.listBanks();
}

namespace {

// Refills `tree` with `items`, keeping selected, current and scrolled to what was, as the
// items' IDs (`idOf` a row) say.
template <typename IdOf>
void refill(QTreeWidget* tree, const QList<QTreeWidgetItem*>& items, IdOf idOf,
            const std::function<std::int64_t(int)>& oldIdOf) {
    std::vector<std::int64_t> selected;
    for (QTreeWidgetItem* item : tree->selectedItems()) {
        selected.push_back(oldIdOf(tree->indexOfTopLevelItem(item)));
    }
    const int currentRow = tree->indexOfTopLevelItem(tree->currentItem());
    const std::int64_t current = currentRow >= 0 ? oldIdOf(currentRow) : 0;
    const int scrolled = tree->verticalScrollBar()->value();
    const QSignalBlocker quiet(tree->selectionModel());
    tree->clear();
    tree->addTopLevelItems(items);
    for (int row = 0; row < tree->topLevelItemCount(); ++row) {
        const std::int64_t id = idOf(row);
        QTreeWidgetItem* item = tree->topLevelItem(row);
        if (id == current) {
            tree->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
        }
        item->setSelected(std::find(selected.begin(), selected.end(), id) != selected.end());
    }
    tree->verticalScrollBar()->setValue(scrolled);
}

} // namespace

void TLibraryForm::showFound(std::vector<LibraryPreset> presets) {
    // Named and narrowed by sound on the reading thread.
    QList<QTreeWidgetItem*> items;
    for (const LibraryPreset& preset : presets) {
        items << sourceItem(
            {QString::fromStdString(preset.name), QString::fromStdString(preset.channels)},
            preset.source, preset.when);
    }
    const std::vector<LibraryPreset> old = std::exchange(m_found, std::move(presets));
    refill(
        m_results, items, [this](int row) { return m_found[std::size_t(row)].id; },
        [&old](int row) { return old[std::size_t(row)].id; });
    showCounts();
}

void TLibraryForm::showBanks(std::vector<LibraryBank> banks) {
    QList<QTreeWidgetItem*> items;
    for (const LibraryBank& bank : banks) {
        QStringList names;
        for (const std::string& name : bank.firstNames) {
            names << QString::fromStdString(name).trimmed();
        }
        QTreeWidgetItem* item = sourceItem({}, bank.source, bank.when);
        QString action = QString::fromStdString(bank.action); // "opened": "Opened"
        item->setText(2, action.left(1).toUpper() + action.mid(1));
        item->setText(3, names.join(QStringLiteral(", ")));
        items << item;
    }
    const std::vector<LibraryBank> old = std::exchange(m_bankList, std::move(banks));
    refill(
        m_banks, items, [this](int row) { return m_bankList[std::size_t(row)].id; },
        [&old](int row) { return old[std::size_t(row)].id; });
    showCounts();
}

void TLibraryForm::showCounts() {
    const auto counted = [](std::size_t count, const QString& noun) {
        return QStringLiteral("%1 %2%3").arg(count).arg(noun, count == 1 ? "" : "s");
    };
    const QString counts = m_found.size() == kShownResults
                               ? QStringLiteral("The newest %1 presets found.").arg(kShownResults)
                               : QStringLiteral("%1 found; %2 recorded.")
                                     .arg(counted(m_found.size(), QStringLiteral("preset")),
                                          counted(m_bankList.size(), QStringLiteral("bank")));
    // A recording that failed stays said beside the counts.
    m_status->setText(m_recordingFailure.isEmpty() ? counts : counts + u' ' + m_recordingFailure);
}

void TLibraryForm::forgetChosen() {
    std::vector<std::int64_t> banks;
    std::vector<std::int64_t> presets;
    QString what;
    if (m_pages->currentWidget() == m_banks) {
        for (QTreeWidgetItem* item : m_banks->selectedItems()) {
            banks.push_back(m_bankList[std::size_t(m_banks->indexOfTopLevelItem(item))].id);
        }
        what = banks.size() == 1 ? QStringLiteral("1 bank")
                                 : QStringLiteral("%1 banks").arg(banks.size());
    } else {
        for (QTreeWidgetItem* item : m_results->selectedItems()) {
            const LibraryPreset& preset =
                m_found[std::size_t(m_results->indexOfTopLevelItem(item))];
            if (preset.bankId == 0) { // seen alone: in a one-preset file
                presets.push_back(preset.id);
            }
        }
        if (presets.empty() && !m_results->selectedItems().isEmpty()) {
            m_status->setText(QStringLiteral("A preset seen in a bank goes with its bank: "
                                             "forget the bank on the Banks page."));
            return;
        }
        what = presets.size() == 1 ? QStringLiteral("1 one-preset file")
                                   : QStringLiteral("%1 one-preset files").arg(presets.size());
    }
    if (banks.empty() && presets.empty()) {
        return;
    }
    if (m_interaction.message(QStringLiteral("Library"),
                              QStringLiteral("Forget %1 and the presets nothing else holds? "
                                             "The files themselves are not touched.")
                                  .arg(what),
                              QMessageBox::Question,
                              QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
        m_recorder.remove(std::move(banks), std::move(presets));
    }
}

void TLibraryForm::playResult() {
    const int row = m_results->indexOfTopLevelItem(m_results->currentItem());
    if (row >= 0 && m_play) {
        const PresetRecord preset = m_found[std::size_t(row)].record;
        m_view.runCommand([this, &preset] { m_play(preset); });
    }
}

void TLibraryForm::openBank(std::int64_t id, const QString& source) {
    if (QFileInfo(source).isFile() && m_openFile) {
        m_view.runCommand([this, &source] { m_openFile(source); });
        return;
    }
    std::string reason;
    const auto presets = m_reader.bank(id, reason);
    if (!presets) {
        m_status->setText(QString::fromStdString(reason));
        return;
    }
    bool opened = false;
    m_view.runCommand([this, &presets, &opened] {
        m_view.flushEdits();
        for (int i = 0; i < kPresetCount; ++i) {
            m_view.bank()[PresetIndex::fromZeroBase(i)] = (*presets)[std::size_t(i)];
        }
        m_view.returnToFirstPreset();
        m_view.updatePresetsList();
        opened = true;
    });
    if (opened) {
        // Said, so that nobody takes the copy for the file.
        m_status->setText(
            QFileInfo(source).isAbsolute()
                ? QStringLiteral("%1 is gone; opened the library's copy of it.")
                      .arg(QDir::toNativeSeparators(source))
                : QStringLiteral("Opened the library's copy of the bank %1.").arg(source));
    }
}

} // namespace tarnwick

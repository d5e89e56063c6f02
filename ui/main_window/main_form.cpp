// Layout of the main window, the transfer of a preset between bank and window, and the
// change tracking that decides when the window's contents go back into the bank.
#include "main_window/main_form.h"

#include "support/key_action.h"
#include "support/project_icon.h"

#include "main_window/channel_grid.h"
#include "main_window/channel_spin_edit.h"
#include "main_window/midi_events_form.h"
#include "main_window/placed_widgets.h"
#include "main_window/preset_list_form.h"
#include "main_window/preset_number_typing.h"
#include "main_window/up_down_control.h"
#include "support/application_title.h"
#include "support/flag_guard.h"
#include "support/preset_file_io.h"
#include "support/user_interaction.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolButton>

#include <algorithm>

namespace tarnwick {

namespace {

constexpr QSize kClientSize(515, 704);
constexpr int kStatusBarHeight = 19;

// A group caption drawn in grey, for groups that only display.
void greyCaption(QGroupBox* group) {
    QPalette palette = group->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Disabled, QPalette::WindowText));
    group->setPalette(palette);
}

} // namespace

TMainForm::TMainForm(UserInteraction& interaction, QWidget* parent)
    : QMainWindow(parent), m_interaction(interaction) {
    setObjectName(QStringLiteral("MainForm"));
    setFixedSize(kClientSize);
    // The layout is laid out in pixels for a compact 8-point face.
    QFont compact = font();
    compact.setPointSize(8);
    setFont(compact);

    buildToolBar();
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(central);
    buildPresetGroups(central);
    buildDataGroups(central);
    buildStatusBar();
    setTabOrder();
    buildKeyboard();
    setAcceptDrops(true);

    // The bank already holds its 100 defaults with preset 1 current.
    m_presetEdited = false;
    setWindowTitle(ApplicationTitle());
}

TMainForm::~TMainForm() {
    // Controls tearing down (a spin edit fixing up its text as it loses the focus) must
    // not report changes to a window that is half destroyed.
    for (QObject* control : findChildren<QObject*>()) {
        QObject::disconnect(control, nullptr, this, nullptr);
    }
    // The focus leaves the window as it goes, when it is no TMainForm any more.
    QObject::disconnect(m_focusWatch);
}

void TMainForm::buildKeyboard() {
    AddKeyAction(*this, QKeySequence(Qt::CTRL | Qt::Key_L), [this] { m_btnShowPresets->click(); });
    AddKeyAction(*this, QKeySequence(Qt::CTRL | Qt::Key_E),
                 [this] { static_cast<QPushButton*>(m_btnArbMidiData)->click(); });
    // As the arrows of the number field step, from the number it holds.
    const auto command = [this](const QKeySequence& key, const std::function<void()>& what) {
        return AddKeyAction(*this, key, [this, what] { runCommand(what); });
    };
    command(Qt::Key_PageUp, [this] { presetUpDownStep(-1); });
    command(Qt::Key_PageDown, [this] { presetUpDownStep(+1); });
    command(Qt::CTRL | Qt::Key_P, [this] {
        emit playRequested();
    })->setObjectName(QStringLiteral("actPlayPreset"));
    command(Qt::CTRL | Qt::SHIFT | Qt::Key_P, [this] {
        emit chooseAuditionOutputRequested();
    })->setObjectName(QStringLiteral("actChooseAuditionOutput"));
    // Ctrl+K: the sound of the channel whose control has the focus, chosen by name.
    // With the focus elsewhere it acts on the channel last worked on, and says so; before
    // any, it says how to choose one.
    AddKeyAction(*this, QKeySequence(Qt::CTRL | Qt::Key_K), [this] {
        if (const int channel = m_grid->channelOf(QApplication::focusWidget())) {
            emit chooseSoundRequested(channel);
        } else if (m_lastChannel > 0) {
            showStatus(QStringLiteral("Choose Sound: channel %1, the channel last worked on")
                           .arg(m_lastChannel));
            emit chooseSoundRequested(m_lastChannel);
        } else {
            showStatus(QStringLiteral("Choose Sound: first Tab to a channel's values"));
        }
    })->setObjectName(QStringLiteral("actChooseSound"));
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (const int channel = m_grid->channelOf(now)) {
            m_lastChannel = channel;
        }
    });
    QAction* undo = command(Qt::CTRL | Qt::Key_Z, [this] { undoBankChange(false); });
    undo->setObjectName(QStringLiteral("actUndo"));
    undo->setShortcuts(QKeySequence::Undo);
    QAction* redo = command(Qt::CTRL | Qt::SHIFT | Qt::Key_Z, [this] { undoBankChange(true); });
    redo->setObjectName(QStringLiteral("actRedo"));
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    // Undo and redo are the bank's in every field of this window, not the field's own.
    for (QWidget* field : findChildren<QWidget*>()) {
        if (qobject_cast<QLineEdit*>(field) || qobject_cast<QSpinBox*>(field) ||
            qobject_cast<QComboBox*>(field)) {
            field->installEventFilter(this);
        }
    }
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event); // the same test when the drag comes in as while it moves
}

void TMainForm::dragMoveEvent(QDragMoveEvent* event) {
    if (DroppedPresetFile(event->mimeData()) && !m_commandRunning) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void TMainForm::dropEvent(QDropEvent* event) {
    const auto path = DroppedPresetFile(event->mimeData());
    if (!path || m_commandRunning) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    runCommand([this, &path] { emit fileDropped(*path); });
}

void TMainForm::takeInBankChanges() {
    m_history.takeIn(m_bank);
    emit bankShown();
}

void TMainForm::undoBankChange(bool redo) {
    flushEdits();
    takeInBankChanges(); // whatever changed the bank since the last step stays a step
    const auto shown = redo ? m_history.redo(m_bank) : m_history.undo(m_bank);
    if (!shown) {
        return;
    }
    m_bank.setCurrentPresetIndex(*shown);
    showCurrentPreset();
    updatePresetsList();
}

void TMainForm::buildPresetGroups(QWidget* central) {
    // Positions are given in the window's client area; the central widget starts below
    // the tool bar.
    const auto at = [](int x, int y, int w, int h) {
        return QRect(x, y - kToolBarHeight, w, h);
    };

    QGroupBox* mfg = PlacedGroup(central, "GroupBox1", QStringLiteral(" Keypad Sys Ex Mfg ID "),
                                 at(8, 48, 137, 57));
    greyCaption(mfg);
    auto* spinMfgID = new QSpinBox(mfg);
    spinMfgID->setObjectName(QStringLiteral("spinMfgID"));
    spinMfgID->setAccessibleName(QStringLiteral("Manufacturer ID"));
    spinMfgID->setRange(0, 125);
    spinMfgID->setValue(125);
    spinMfgID->setEnabled(false);
    spinMfgID->setGeometry(8, 22, 50, 22);
    auto* edMfgID = new QLineEdit(QStringLiteral("0x7D (hex)"), mfg);
    edMfgID->setObjectName(QStringLiteral("edMfgID"));
    edMfgID->setAccessibleName(QStringLiteral("Manufacturer ID text"));
    edMfgID->setReadOnly(true);
    edMfgID->setEnabled(false);
    edMfgID->setGeometry(62, 22, 68, 22);

    QGroupBox* thisPreset =
        PlacedGroup(central, "GroupBox2", QStringLiteral(" This Preset "), at(160, 48, 297, 57));
    QLabel* numberLabel =
        PlacedLabel(thisPreset, nullptr, QStringLiteral("Number: "), QRect(8, 25, 52, 16));
    m_edPreset = new QLineEdit(QStringLiteral("1"), thisPreset);
    m_edPreset->setObjectName(QStringLiteral("edPreset"));
    m_edPreset->setAccessibleName(QStringLiteral("Preset number"));
    m_edPreset->setGeometry(60, 22, 30, 22);
    numberLabel->setBuddy(m_edPreset);
    m_presetUpDown = new UpDownControl(thisPreset);
    m_presetUpDown->setObjectName(QStringLiteral("PresetUpDown"));
    m_presetUpDown->setAccessibleName(QStringLiteral("Preset number arrows"));
    m_presetUpDown->setGeometry(90, 22, 16, 22);
    QLabel* nameLabel =
        PlacedLabel(thisPreset, nullptr, QStringLiteral("Name: "), QRect(122, 25, 40, 16));
    m_edPresetName = new QLineEdit(thisPreset);
    m_edPresetName->setObjectName(QStringLiteral("edPresetName"));
    m_edPresetName->setAccessibleName(QStringLiteral("Preset name"));
    m_edPresetName->setGeometry(166, 22, 121, 22);
    m_edPresetName->setMaxLength(static_cast<int>(kNameLength));
    // Printable ASCII only, typed or pasted, so every message stays valid SysEx data.
    m_edPresetName->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[\\x20-\\x7E]{0,13}")), m_edPresetName));
    nameLabel->setBuddy(m_edPresetName);

    m_btnShowPresets = new QToolButton(central);
    m_btnShowPresets->setObjectName(QStringLiteral("btnShowPresets"));
    m_btnShowPresets->setText(QStringLiteral(">>>"));
    m_btnShowPresets->setIcon(ProjectIcon("list"));
    m_btnShowPresets->setIconSize(QSize(16, 16));
    m_btnShowPresets->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_btnShowPresets->setToolTip(QStringLiteral("Show/Hide preset list"));
    m_btnShowPresets->setAccessibleName(QStringLiteral("Preset list"));
    m_btnShowPresets->setFocusPolicy(Qt::StrongFocus);
    m_btnShowPresets->setGeometry(at(465, 58, 43, 41));

    m_grid = new ChannelGrid(central);
    m_grid->setGeometry(at(8, 118, 497, 493));

    connect(m_edPreset, &QLineEdit::textChanged, this, &TMainForm::edPresetChange);
    m_edPreset->installEventFilter(this);
    connect(m_presetUpDown, &UpDownControl::stepped, this, &TMainForm::presetUpDownStep);
    connect(m_edPresetName, &QLineEdit::textChanged, this, &TMainForm::SomethingChanged);
    connect(m_grid, &ChannelGrid::changed, this, &TMainForm::SomethingChanged);
    connect(m_btnShowPresets, &QToolButton::clicked, this, &TMainForm::btnShowPresetsClick);
}

void TMainForm::buildDataGroups(QWidget* central) {
    const auto at = [](int x, int y, int w, int h) {
        return QRect(x, y - kToolBarHeight, w, h);
    };

    QGroupBox* dataGroup = PlacedGroup(
        central, "GroupBox5", QStringLiteral(" Arbitrary MIDI Data "), at(8, 624, 321, 57));
    m_cboxPrePost = new QComboBox(dataGroup);
    m_cboxPrePost->setObjectName(QStringLiteral("cboxPrePost"));
    m_cboxPrePost->setAccessibleName(QStringLiteral("MIDI data placement"));
    m_cboxPrePost->addItems({QStringLiteral("Pre"), QStringLiteral("Post")});
    // Screen readers on Linux read a drop-down by its current item and take its name from
    // the label that stands for it: the layout has no room for one, so it is not drawn.
    auto* placementLabel = new QLabel(QStringLiteral("MIDI data placement"), dataGroup);
    placementLabel->setBuddy(m_cboxPrePost);
    placementLabel->setGeometry(0, 0, 0, 0);
    m_cboxPrePost->setGeometry(7, 21, 49, 24);
    m_edArbMidiData = new QLineEdit(dataGroup);
    m_edArbMidiData->setObjectName(QStringLiteral("edArbMidiData"));
    m_edArbMidiData->setAccessibleName(QStringLiteral("MIDI data"));
    m_edArbMidiData->setReadOnly(true);
    m_edArbMidiData->setFocusPolicy(Qt::NoFocus);
    QPalette grey = m_edArbMidiData->palette();
    grey.setColor(QPalette::Base, grey.color(QPalette::Button));
    m_edArbMidiData->setPalette(grey);
    m_edArbMidiData->setGeometry(60, 21, 214, 24);
    auto* edit = new QPushButton(QStringLiteral("Edit..."), dataGroup);
    edit->setObjectName(QStringLiteral("btnArbMidiData"));
    edit->setGeometry(279, 21, 35, 24);
    m_btnArbMidiData = edit;
    connect(edit, &QPushButton::clicked, this,
            [this] { runCommand([this] { btnArbMidiDataClick(); }); });
    connect(m_cboxPrePost, &QComboBox::currentIndexChanged, this, &TMainForm::SomethingChanged);

    // Shown for the keypad's layout only: nothing stands behind the chain settings.
    QGroupBox* chain = PlacedGroup(central, "GroupBox4", QStringLiteral(" Next Preset (Chain) "),
                                   at(336, 624, 169, 57));
    auto* enable = new QCheckBox(QStringLiteral("Enable"), chain);
    enable->setGeometry(8, 23, 60, 20);
    QLabel* presetLabel =
        PlacedLabel(chain, nullptr, QStringLiteral("Preset:"), QRect(72, 25, 42, 16));
    auto* next = new QSpinBox(chain);
    next->setRange(1, 100);
    next->setValue(1);
    next->setAccessibleName(QStringLiteral("Next preset"));
    next->setGeometry(114, 21, 49, 22);
    presetLabel->setBuddy(next);
    chain->setEnabled(false);
}

void TMainForm::buildStatusBar() {
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(kStatusBarHeight);
    const int widths[2] = {300, 50};
    for (int i = 0; i < 2; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        // The last panel reaches to the window's edge, so progress text fits in it.
        if (i == 0) {
            panel->setFixedWidth(widths[i]);
        } else {
            panel->setMinimumWidth(widths[i]);
        }
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setAutoFillBackground(true);
        bar->addWidget(panel, i == 0 ? 0 : 1);
        m_statusPanels[i] = panel;
    }
    m_statusPanels[0]->setText(QStringLiteral("MIDI: None (save to file only)"));
    setStatusBar(bar);
}

void TMainForm::setTabOrder() {
    QList<QWidget*> order{m_edPreset, m_edPresetName};
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        for (SlotKind kind : kSlotKinds) {
            order << m_grid->checkBox(channel, kind) << m_grid->spinEdit(channel, kind);
        }
    }
    order << m_cboxPrePost << m_btnArbMidiData << m_btnShowPresets;
    for (qsizetype i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
}

void TMainForm::showStatus(const QString& text) {
    m_statusPanels[1]->setText(text);
}

QString TMainForm::statusText() const {
    return m_statusPanels[1]->text();
}

QLabel* TMainForm::statusPanel(int index) const {
    return m_statusPanels[index];
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_shownOnce) {
        return;
    }
    m_shownOnce = true;
    if (const QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - frameGeometry().center() + pos());
    }
    loadPresetFromBank();
    updatePresetsList();
    m_edPreset->setFocus(Qt::OtherFocusReason);
}

void TMainForm::SomethingChanged() {
    if (m_loadingPreset || m_paddingName) {
        return;
    }
    m_presetEdited = true;
}

void TMainForm::storePresetToBank() {
    PresetRecord& record = m_bank.current();

    if (m_edPresetName->text().size() < static_cast<qsizetype>(kNameLength)) {
        FlagGuard padding(m_paddingName);
        m_edPresetName->setText(
            m_edPresetName->text().leftJustified(static_cast<qsizetype>(kNameLength), u' '));
    }
    const QByteArray name = m_edPresetName->text().left(kNameLength).toLatin1();
    for (std::size_t i = 0; i < kNameLength; ++i) {
        record.name[i] = static_cast<std::uint8_t>(name[static_cast<qsizetype>(i)]);
    }

    shownSlotsInto(record);
}

void TMainForm::shownSlotsInto(PresetRecord& record) const {
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        for (SlotKind kind : kSlotKinds) {
            record.channel(channel)[kind] = m_grid->slotByte(channel, kind);
        }
    }
    if (m_cboxPrePost->currentIndex() == 0) {
        record.placement = static_cast<std::uint8_t>(record.placement & ~kPlacementPost);
    } else {
        record.placement = static_cast<std::uint8_t>(record.placement | kPlacementPost);
    }
}

PresetRecord TMainForm::shownPreset() const {
    PresetRecord record = m_bank.current();
    shownSlotsInto(record);
    return record;
}

void TMainForm::loadPresetFromBank() {
    if (m_loadingPreset) {
        return;
    }
    FlagGuard loading(m_loadingPreset);
    const PresetRecord& record = m_bank.current();

    const std::string name = PresetName(record);
    m_edPresetName->setText(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        for (SlotKind kind : kSlotKinds) {
            m_grid->showSlot(channel, kind, record.channel(channel)[kind]);
        }
    }
    m_cboxPrePost->setCurrentIndex((record.placement & kPlacementPost) ? 1 : 0);
    m_edArbMidiData->setText(QString::fromLatin1(MidiDataText(record)));
    if (m_soundColumn) {
        m_soundColumn->showNames(m_soundNames, record);
    }
    emit bankShown();
}

void TMainForm::setSoundNames(SoundNamer names) {
    m_soundNames = std::move(names);
    if (m_soundNames && !m_soundColumn) {
        m_soundColumn = new SoundColumn(*m_grid, centralWidget());
        m_soundColumn->setGeometry(kClientSize.width() - 6, 0, SoundColumn::kWidth,
                                   centralWidget()->height());
        connect(m_soundColumn, &SoundColumn::chooseSound, this, &TMainForm::chooseSoundRequested);
        // What is typed shows its sound at once.
        connect(m_grid, &ChannelGrid::changed, this,
                [this] { m_soundColumn->showNames(m_soundNames, shownPreset()); });
    }
    if (m_soundColumn) {
        m_soundColumn->setVisible(bool(m_soundNames));
        m_soundColumn->showNames(m_soundNames, shownPreset());
    }
    setFixedSize(m_soundNames ? kClientSize + QSize(SoundColumn::kWidth - 6, 0) : kClientSize);
}

void TMainForm::applyChannel(int channel, const ChannelSlot& slot) {
    if (m_commandRunning) {
        return;
    }
    flushEdits(); // what was typed before is a step of its own
    {
        FlagGuard loading(m_loadingPreset);
        for (SlotKind kind : kSlotKinds) {
            m_grid->showSlot(channel, kind, slot[kind]);
        }
    }
    m_presetEdited = true;
    flushEdits();
    if (m_soundColumn) {
        m_soundColumn->showNames(m_soundNames, shownPreset());
    }
}

void TMainForm::showLearning(bool on, const QString& input) {
    m_learning = on;
    if (m_learnItem) {
        m_learnItem->setChecked(on);
    }
    auto* mark = statusBar()->findChild<QLabel*>(QStringLiteral("lblLearn"));
    if (!mark && on) {
        mark = new QLabel(QStringLiteral("Learn"), statusBar());
        mark->setObjectName(QStringLiteral("lblLearn"));
        mark->setStyleSheet(QStringLiteral(
            "QLabel { background: palette(highlight); color: palette(highlighted-text);"
            " padding: 0px 6px; font-weight: bold; }"));
        mark->setAccessibleName(QStringLiteral("Learn is on"));
        statusBar()->addPermanentWidget(mark);
    }
    if (mark) {
        mark->setVisible(on);
        mark->setToolTip(QStringLiteral("Learning from %1 (Ctrl+I stops)").arg(input));
        mark->setAccessibleDescription(QStringLiteral("Learning from %1").arg(input));
    }
    if (!on) {
        m_statusPanels[1]->clear();
    }
}

void TMainForm::flushEdits() {
    if (!m_presetEdited) {
        return;
    }
    m_presetEdited = false;
    storePresetToBank();
    takeInBankChanges();
}

void TMainForm::goToPreset(int number) {
    flushEdits();
    m_bank.setCurrentPresetIndex(PresetIndex::fromOneBase(number));
    loadPresetFromBank();
}

void TMainForm::newBank() {
    m_bank.reset();
    m_presetEdited = false;
    setWindowTitle(ApplicationTitle());
    showPresetNumber(1);
    loadPresetFromBank();
    updatePresetsList();
}

void TMainForm::showPresetNumber(int number) {
    m_edPreset->setText(QString::number(number));
}

void TMainForm::returnToFirstPreset() {
    flushEdits();
    m_bank.setCurrentPresetIndex(PresetIndex::fromZeroBase(0));
    showCurrentPreset();
}

void TMainForm::showCurrentPreset() {
    const int number = m_bank.currentPresetIndex().oneBased();
    if (PresetNumberIn(m_edPreset->text()) == number) {
        loadPresetFromBank();
    } else {
        showPresetNumber(number);
    }
}

void TMainForm::setPresetListForm(TPresetListForm* form) {
    m_presetListForm = form;
    connect(form, &TPresetListForm::lineChosen, this, &TMainForm::presetListChoose);
    connect(form, &TPresetListForm::tabReleased, this, &TMainForm::presetListTab);
}

void TMainForm::updatePresetsList() {
    if (m_presetListForm) {
        m_presetListForm->updatePresetsList(m_bank);
    }
}

void TMainForm::edPresetChange() {
    if (m_loadingPreset) {
        return;
    }
    const auto number = PresetNumberIn(m_edPreset->text());
    if (number && PresetIndex::isValidNumber(*number)) {
        goToPreset(*number);
    }
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
            key->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_Y)) {
            event->ignore(); // the window's undo and redo take it
            return true;
        }
        if ((qobject_cast<QSpinBox*>(watched) || qobject_cast<QComboBox*>(watched)) &&
            (key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown)) {
            // A spin edit steps its value by a page, the Pre/Post choice moves: the key is
            // theirs.
            event->accept();
            return true;
        }
    }
    if (watched == m_edPreset) {
        if (event->type() == QEvent::KeyPress) {
            return edPresetKeyPress(static_cast<QKeyEvent*>(event));
        }
        if (event->type() == QEvent::FocusOut) {
            // Leaving the field for another control of this window runs the check;
            // switching windows or opening a menu does not leave it.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
                edPresetExit();
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TMainForm::edPresetKeyPress(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Backspace:
        return m_edPreset->text().isEmpty();
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (edPresetExit()) {
            m_edPresetName->setFocus(Qt::TabFocusReason);
        }
        return true;
    case Qt::Key_Up:
        presetUpDownStep(+1);
        return true;
    case Qt::Key_Down:
        presetUpDownStep(-1);
        return true;
    default:
        break;
    }
    return TypePresetNumberKey(*m_edPreset, *event);
}

bool TMainForm::edPresetExit() {
    if (m_loadingPreset || m_checkingPresetNumber) {
        return false;
    }
    const auto number = PresetNumberIn(m_edPreset->text());
    if (!number || !PresetIndex::isValidNumber(*number)) {
        FlagGuard checking(m_checkingPresetNumber);
        m_interaction.message(QStringLiteral("Error"),
                              QStringLiteral("Preset Number must be 1 to 100"), QMessageBox::NoIcon,
                              QMessageBox::Ok);
        m_edPreset->setFocus(Qt::OtherFocusReason);
        return false;
    }
    goToPreset(*number);
    return true;
}

void TMainForm::presetListChoose(int number) {
    showPresetNumber(number);
    edPresetChange();
}

void TMainForm::presetListTab() {
    activateWindow();
    m_edPreset->setFocus(Qt::TabFocusReason);
}

void TMainForm::setConnectionMode(ConnectionMode mode) {
    m_connectionMode = mode;
    // The items are one exclusive group: checking one takes the mark off the others.
    m_modeItems[std::size_t(mode)]->setChecked(true);
}

void TMainForm::setConnection(ConnectionMode mode, const QString& status) {
    setConnectionMode(mode);
    m_statusPanels[0]->setText(status);
}

void TMainForm::mnuFileModeClick() {
    setConnection(ConnectionMode::FileOnly, QStringLiteral("MIDI: None (save to file only)"));
}

void TMainForm::mnuExternalAppClick() {
    setConnection(ConnectionMode::ExternalApplication,
                  QStringLiteral("MIDI: External App (MIDIOX, SendSX, SyxLoader, etc)"));
}

void TMainForm::mnuDirectMIDIClick() {
    // The menu toggled this item's mark; it shows the mode until one is chosen.
    setConnectionMode(m_connectionMode);
    emit directMidiRequested();
}

void TMainForm::btnArbMidiDataClick() {
    if (!m_midiEventsForm) {
        return;
    }
    // Edits still on screen go into the bank first, as a step of their own; the edited
    // mark keeps its value. What the window changes is the next step.
    storePresetToBank();
    takeInBankChanges();
    m_midiEventsForm->buffer().setBytes(m_bank.current().data);
    m_interaction.runModal(*m_midiEventsForm);
    m_bank.current().data = m_midiEventsForm->buffer().bytes();
    loadPresetFromBank();
}

void TMainForm::runCommand(const std::function<void()>& command) {
    if (m_commandRunning) {
        return;
    }
    {
        FlagGuard running(m_commandRunning);
        command();
    }
    takeInBankChanges();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // Closing ends the program at once, a command running or not: a running command stops
    // at its next step (a file it was writing keeps its old content) and says nothing.
    m_closing = m_commandRunning;
    QMainWindow::closeEvent(event);
    // Closing this window ends the program: the windows that belong to it go with it, so
    // that none of them (the preset list above all) keeps the program running alone.
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow()) {
            child->hide();
        }
    }
}

void TMainForm::showDownloadProgress(int presetNumber) {
    QStatusBar* bar = statusBar();
    QPalette lime = bar->palette();
    lime.setColor(QPalette::Window, QColor(0, 255, 0));
    bar->setPalette(lime);
    bar->setAutoFillBackground(true);
    m_statusPanels[1]->setText(QStringLiteral("Downloading Preset # %1").arg(presetNumber));
    bar->repaint();
}

void TMainForm::showLibraryProblem(const QString& text) {
    auto* mark = statusBar()->findChild<QLabel*>(QStringLiteral("lblLibraryProblem"));
    if (!mark) {
        mark = new QLabel(QStringLiteral("Not recorded in the library"), statusBar());
        mark->setObjectName(QStringLiteral("lblLibraryProblem"));
        statusBar()->addPermanentWidget(mark);
    }
    mark->setToolTip(text);
    mark->setAccessibleName(QStringLiteral("Library problem"));
    mark->setAccessibleDescription(text);
}

void TMainForm::clearDownloadProgress() {
    QStatusBar* bar = statusBar();
    QPalette normal = bar->palette();
    normal.setColor(QPalette::Window, QPalette().color(QPalette::Button));
    bar->setPalette(normal);
    m_statusPanels[1]->clear();
    bar->repaint();
}

void TMainForm::presetUpDownStep(int delta) {
    // Each step starts from the number the field holds; the arrows keep to 1..100.
    const auto typed = PresetNumberIn(m_edPreset->text());
    const int from = typed ? *typed : m_bank.currentPresetIndex().oneBased();
    const int next = std::clamp(from + delta, 1, kPresetCount);
    if (!typed || next != *typed) {
        showPresetNumber(next);
    }
}

void TMainForm::mnuNewClick() {
    newBank();
}

void TMainForm::btnShowPresetsClick() {
    if (!m_presetListForm) {
        return;
    }
    if (m_presetListForm->isVisible()) {
        m_presetListForm->hide();
        m_btnShowPresets->setText(QStringLiteral(">>>"));
    } else {
        m_presetListForm->show();
        m_btnShowPresets->setText(QStringLiteral("<<<"));
    }
}

void TMainForm::btnExitClick() {
    close();
}

} // namespace tarnwick
